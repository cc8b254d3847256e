// Turning the answers of the lanes into bookkeeping and signals.

#include "emuproc.h"

#include "busframe.h"

namespace {

constexpr int kShotAnswerBytes = 14; // twelve bytes of shot and the CRC
constexpr int kTerminalRequestLength = 7;
constexpr int kTerminalAckLength = 6;

// Only address and code decide which pending command such an answer acknowledges.
QByteArray ackKey(int address, int length, int code)
{
    return bytesOf({address, length, code});
}

int bigEndian(const QByteArray &frame, int index, int bytes)
{
    int value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | frameByte(frame, index + i);
    return value;
}

} // namespace

void EMUProc::slot_emu_Answer(int PortID, int PortNum, QByteArray _answer)
{
    emit sig_DataReaded(PortID, PortNum, _answer, 1);
    if (touchPort(PortID, PortNum, true, true))
        emit sig_PortFounded(PortID, comNumOf(PortID), true, liveCount());

    const int code = frameByte(_answer, 2);
    if (code == BusCode::kTerminalBullet) {
        decodeTerminalBullet(PortID, _answer);
        return;
    }
    const bool terminalRequest = code == BusCode::kTerminalStage
                                 && frameByte(_answer, 1) == kTerminalRequestLength;
    const MemberPtr member = memberAt(terminalRequest ? frameByte(_answer, 3) : frameByte(_answer, 0));
    if (!member)
        return;
    member->portId = PortID;
    busy = true;
    decodeLaneAnswer(*member, _answer);
    busy = false;
}

void EMUProc::decodeTerminalBullet(int PortID, const QByteArray &answer)
{
    constexpr int kReportBytes = 6;
    const int lane = frameByte(answer, 3);
    const MemberPtr member = memberAt(lane);
    if (!member)
        return;
    member->portId = PortID;
    busy = true;
    if (answer.size() >= kReportBytes) {
        const int mode = frameByte(answer, 4);
        const int colbull = frameByte(answer, 5);
        const bool wasEnabled = member->pcEnabled;
        member->ackPending(ackKey(lane, frameByte(answer, 1), BusCode::kTerminalBullet));
        if (!wasEnabled)
            emit sig_PCEnabled(lane, true);
        emit sig_PCWroteBullet(lane, mode, colbull);
    }
    busy = false;
}

void EMUProc::decodeLaneAnswer(EmuMember &member, const QByteArray &answer)
{
    const int ta = member.address;
    const int length = frameByte(answer, 1);
    const int code = frameByte(answer, 2);
    const bool pcWasEnabled = member.pcEnabled;
    const bool targetWasEnabled = member.targetEnabled;
    const bool targetWasFound = member.targetFound;
    if (code >= BusCode::kStart)
        noteTargetAnswer(member);
    if (code >= BusCode::kStart && code != BusCode::kReadBullet)
        emit sig_TargetAnswered(ta);

    switch (code) {
    case BusCode::kTerminalStage:
        if (length == kTerminalAckLength) {
            member.ackPending(ackKey(ta, length, BusCode::kTerminalStage));
            if (!pcWasEnabled)
                emit sig_PCEnabled(ta, true);
        } else if (length == kTerminalRequestLength) {
            constexpr int kRequestBytes = 5;
            if (answer.size() < kRequestBytes)
                break;
            const int mode = frameByte(answer, 4);
            if (mode == 0 || mode == 1)
                emit sig_setMatchFromPC(ta, mode);
            if (!member.pcEnabled)
                emit sig_PCEnabled(ta, true);
        } else if (!member.pcEnabled) {
            emit sig_PCEnabled(ta, true);
        }
        break;
    case BusCode::kTerminalQuery:
        member.ackPending(answer);
        emit sig_PCEnabled(ta, true);
        break;
    case BusCode::kTerminalStartNumber:
    case BusCode::kTerminal38:
    case BusCode::kTerminalSeriesResult:
        member.ackPending(answer);
        if (!pcWasEnabled)
            emit sig_PCEnabled(ta, true);
        break;
    case BusCode::kStart:
        member.ackPending(answer);
        enableTarget(member, targetWasEnabled);
        emit sig_EventStarted();
        break;
    case BusCode::kResetMemory:
        member.ackPending(answer);
        enableTarget(member, targetWasEnabled);
        emit sig_BDReseted(ta);
        break;
    case BusCode::kReadBullet:
        // Serving too: a target that did not answer is pinged until it does.
        if (state != Idle)
            enableTarget(member, targetWasEnabled);
        decodeShot(member, answer);
        break;
    case BusCode::kTargetAck:
        member.ackPending(ackKey(ta, length, BusCode::kTargetEnable));
        if (!targetWasFound)
            enableTarget(member, targetWasEnabled);
        break;
    case BusCode::kCluster:
        member.ackPending(answer);
        enableTarget(member, targetWasEnabled);
        emit sig_ClasterSetted();
        break;
    case BusCode::kTargetEnable:
        member.ackPending(answer, 3);
        if (!targetWasFound)
            enableTarget(member, targetWasEnabled);
        break;
    default:
        break;
    }
}

void EMUProc::decodeShot(EmuMember &member, const QByteArray &answer)
{
    // A shorter answer is line noise, not the target's word on the poll: a
    // 13-byte one would read its time's last byte from the CRC.
    if (answer.size() < kShotAnswerBytes)
        return;
    const LanePoll::Reading reading = member.poll.read(frameByte(answer, 3));
    // A ping's answer says the target hears, not which page it holds.
    if (reading.kind == LanePoll::Reading::NoShot || reading.kind == LanePoll::Reading::Shot)
        member.unheardSinceAway = false;
    if (reading.kind == LanePoll::Reading::NoShot) {
        // The target lacked the shot that poll asked for. The polls go on.
        emit sig_NoBullet(member.address, reading.number);
        return;
    }
    const QPoint coord(bigEndian(answer, 4, 2), bigEndian(answer, 6, 2));
    const schar place = static_cast<schar>(frameByte(answer, 8));
    const int time = bigEndian(answer, 9, 3);
    if (reading.kind != LanePoll::Reading::Shot) {
        emit sig_TargetAnswered(member.address);
        if (frameByte(answer, 3) > 0)
            emit sig_ShotNotTaken(member.address, frameByte(answer, 3), coord, place, time);
        return;
    }
    member.pageShotRead = true;
    emit sig_AddBullet(member.address, reading.number, coord, place, time, time);
}

void EMUProc::noteTargetAnswer(EmuMember &member)
{
    if (member.poll.heard())
        emit sig_TargetHeard(member.address, true);
    if (member.wait.answered())
        emit sig_TargetMissing(member.address, false);
}

void EMUProc::enableTarget(EmuMember &member, bool wasEnabled)
{
    member.targetEnabled = true;
    if (!wasEnabled)
        emit sig_TargetEnabled(member.address, true);
}
