#include "emurecords.h"

#include "busframe.h"

#include <algorithm>

namespace {

constexpr int kPingBytes = 0x09;
constexpr int kShortCommandBytes = 0x06;

char lowByte(int value)
{
    return static_cast<char>(value & 0xFF);
}

} // namespace

int EmuCommand::address() const
{
    return frame.isEmpty() ? -1 : static_cast<quint8>(frame.at(0));
}

int EmuCommand::code() const
{
    return frame.size() < BusFrame::kHeaderBytes ? 0 : static_cast<quint8>(frame.at(2));
}

int EmuCommand::byteAt(int index) const
{
    return index < 0 || index >= frame.size() ? -1 : static_cast<quint8>(frame.at(index));
}

EmuMember::EmuMember(int laneAddress, int memberStartNumber, const QString &memberFamilyName,
                     const QString &memberName)
    : address(laneAddress)
    , startNumber(memberStartNumber)
    , familyName(memberFamilyName)
    , name(memberName)
{
}

void EmuMember::setTargetFound(bool value)
{
    targetFound = value;
    targetEnabled = value;
}

void EmuMember::setPcFound(bool value)
{
    pcFound = value;
    pcEnabled = value;
}

QByteArray EmuMember::pingFrame() const
{
    return bytesOf({address, kPingBytes, BusCode::kReadBullet, 0, 0, 0, 0});
}

QByteArray EmuMember::readBulletFrame() const
{
    if (poll.wanted() < 1)
        return QByteArray();
    QByteArray frame = pingFrame();
    frame[3] = lowByte(poll.wanted());
    return frame;
}

QByteArray EmuMember::targetEnableFrame(int on) const
{
    return bytesOf({address, kShortCommandBytes, BusCode::kTargetEnable, on});
}

QByteArray EmuMember::pcQueryFrame() const
{
    return bytesOf({address, kShortCommandBytes, BusCode::kTerminalQuery, 0});
}

QByteArray EmuMember::startNumberFrame() const
{
    return bytesOf({address, kShortCommandBytes, BusCode::kTerminalStartNumber, startNumber & 0xFF});
}

void EmuMember::addPending(const QByteArray &frame)
{
    if (frame.size() < BusFrame::kHeaderBytes)
        return;
    pendingBusy = true;
    EmuCommand command{frame};
    dropPending(command.code());
    if (command.code() > BusCode::kFirstPendingAbove)
        pending.prepend(command);
    else
        pending.append(command);
    pendingBusy = false;
}

EmuCommand EmuMember::nextPending(bool *isBusy) const
{
    *isBusy = pendingBusy;
    if (pendingBusy || pending.isEmpty())
        return EmuCommand();
    return pending.first();
}

bool EmuMember::ackPending(const QByteArray &answer, int index1, int index2, int index3)
{
    if (answer.size() < BusFrame::kHeaderBytes)
        return false;
    pendingBusy = true;
    const int indexes[] = {index1, index2, index3};
    int matched = -1;
    for (int i = 0; i < pending.size() && matched < 0; ++i) {
        const EmuCommand &command = pending.at(i);
        bool same = command.address() == frameByte(answer, 0) && command.code() == frameByte(answer, 2);
        for (int index : indexes) {
            if (same && index >= 0)
                same = index < answer.size() && command.byteAt(index) == frameByte(answer, index);
        }
        if (same)
            matched = i;
    }
    if (matched >= 0) {
        const int code = pending.at(matched).code();
        if (code > BusCode::kLastTerminalCode)
            targetEnabled = true;
        else
            pcEnabled = true;
        if (answer.size() > BusFrame::kHeaderBytes) {
            const bool on = frameByte(answer, 3) == 1;
            if (code == BusCode::kTargetEnable)
                setTargetFound(on);
            else if (code == BusCode::kTerminalQuery)
                setPcFound(on);
        }
        pending.removeAt(matched);
    }
    pendingBusy = false;
    return matched >= 0;
}

void EmuMember::dropPending(int code)
{
    for (int i = 0; i < pending.size(); ++i) {
        if (pending.at(i).code() == code) {
            pending.removeAt(i);
            return;
        }
    }
}

void EmuPortState::activate(int id, int timeout, const BusClock *busClock)
{
    portId = id;
    timeoutMs = timeout;
    clock = busClock;
    realTime.start();
    active = true;
    alive = true;
}

void EmuPortState::touch()
{
    alive = true;
    lossReported = false;
    away = false;
    askedMs = 0;
    lastAskMs = -1;
}

void EmuPortState::asked()
{
    const qint64 nowMs = clock ? clock->msecsElapsed() : realTime.elapsed();
    if (lastAskMs >= 0) {
        const qint64 gapMs = nowMs - lastAskMs;
        askedMs = gapMs > timeoutMs ? 0 : askedMs + std::min<qint64>(gapMs, kAskGapMs);
    }
    lastAskMs = nowMs;
}

bool EmuPortState::isAlive()
{
    if (!active)
        return true;
    if (alive && askedMs > timeoutMs)
        alive = false;
    return alive;
}
