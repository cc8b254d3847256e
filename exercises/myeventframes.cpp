// The command frames of a running exercise: builders (bytes before the CRC)
// and the senders that hand them to the bus master.
#include "myevent.h"

#include <cmath>
#include <initializer_list>

#include "tbullet.h"
#include "tbulletlist.h"
#include "tmemberplace.h"

namespace {

// Command codes.
constexpr char kCodeStart = char(0xA0);
constexpr char kCodeStop = char(0xA1);
constexpr char kCodeReset = char(0xA2);
constexpr char kCodeCluster = char(0xA6);
constexpr char kCodeTerminalStop = 0x31;
constexpr char kCodeTerminalStage = 0x32;
constexpr char kCodeTerminalShot = 0x33;
constexpr char kCodeTerminal35 = 0x35;
constexpr char kCodeEventType = 0x36;
constexpr char kCodeTerminalText = 0x38;
constexpr char kCodeSeriesResult = 0x39;
constexpr char kCodeTerminal40 = 0x40;

// Byte 3 of every start frame.
constexpr char kStartMarker = char(0xFE);
constexpr int kCrcBytes = 2;
constexpr int kTerminalTextChars = 15;
constexpr int kSeriesTextChars = 11;

// Cluster and 0x40 modes 0, 1 and 2.
constexpr bool isThreeWayMode(int m)
{
    return m >= 0 && m <= 2;
}

QByteArray frame(int address, std::initializer_list<char> codeAndData)
{
    QByteArray bytes;
    bytes.reserve(int(codeAndData.size()) + 2);
    bytes.append(char(address));
    bytes.append(char(codeAndData.size() + 2 + kCrcBytes));
    for (char c : codeAndData)
        bytes.append(c);
    return bytes;
}

void appendWord(QByteArray &bytes, int value)
{
    bytes.append(char((value >> 8) & 0xFF));
    bytes.append(char(value & 0xFF));
}

} // namespace

void MyEvent::sendCommand(const QByteArray &frameBytes)
{
    emit sig_emu_SendCommand(frameBytes);
}

int MyEvent::targetFaceOfList() const
{
    return bulletList ? bulletList->targetNum() : 0;
}

QByteArray MyEvent::startFrame(int address, int face, int timeSeconds, int shots, int byte8,
                               int byte9)
{
    QByteArray bytes = frame(address, {kCodeStart, kStartMarker, char(face)});
    appendWord(bytes, timeSeconds);
    bytes.append(char(shots));
    bytes.append(char(byte8));
    bytes.append(char(byte9));
    bytes[1] = char(bytes.size() + kCrcBytes);
    return bytes;
}

QByteArray MyEvent::baseStartFrame(int address) const
{
    int shots = kNoLimitShots;
    if (seriesPerStart > 0)
        shots = quint8(quint8(seriesPerStart) * quint8(shotsPerSeries));
    const int flag = pistolStage ? 2 : 1;
    return startFrame(address, targetFaceOfList(), kNoLimitTime, shots, flag, 0);
}

// ---------------------------------------------------------------- builders

QByteArray MyEvent::makeStartAllPacket()
{
    return baseStartFrame(kAllTargets);
}

QByteArray MyEvent::makeStopAllPacket()
{
    return frame(kAllTargets, {kCodeStop});
}

QByteArray MyEvent::makeResetPacket(int t)
{
    return frame(t, {kCodeReset});
}

QByteArray MyEvent::makeClasterAllPacket0()
{
    return frame(kAllTargets, {kCodeCluster, 0});
}

QByteArray MyEvent::makeClasterAllPacket2()
{
    return frame(kAllTargets, {kCodeCluster, 2});
}

QByteArray MyEvent::makeClasterAllPacket1()
{
    return frame(kAllTargets, {kCodeCluster, 1});
}

QByteArray MyEvent::makeStartPacket(int t)
{
    return baseStartFrame(t);
}

QByteArray MyEvent::makeStopPacket(int t)
{
    return frame(t, {kCodeStop});
}

QByteArray MyEvent::makeClasterPacket0(int t)
{
    return frame(t, {kCodeCluster, 0});
}

QByteArray MyEvent::makeClasterPacket2(int t)
{
    return frame(t, {kCodeCluster, 2});
}

QByteArray MyEvent::makeClasterPacket1(int t)
{
    return frame(t, {kCodeCluster, 1});
}

QByteArray MyEvent::makeBulletPCPacket(int t, const TBullet *shot)
{
    if (!shot)
        return QByteArray();
    const QPoint point = shot->point();
    const int time = shot->time();
    QByteArray bytes = frame(t, {kCodeTerminalShot, char(shot->number())});
    appendWord(bytes, point.x());
    appendWord(bytes, point.y());
    bytes.append(char(shot->positionCode()));
    bytes.append(char((time >> 16) & 0xFF));
    appendWord(bytes, time);
    bytes.append(char(shot->stage()));
    bytes[1] = char(bytes.size() + kCrcBytes);
    return bytes;
}

QByteArray MyEvent::makeEventTypeAllPacket()
{
    return frame(kAllTerminals, {kCodeEventType, char(typeXMLID), char(subType)});
}

QByteArray MyEvent::makePCAll31Packet()
{
    return frame(kAllTerminals, {kCodeTerminalStop});
}

QByteArray MyEvent::makePC32Packet(int t, int v)
{
    const quint8 value = quint8(v);
    if (value <= 1)
        return frame(t, {kCodeTerminalStage, 0, char(value)});
    if (value <= 3)
        return frame(t, {kCodeTerminalStage, char(value)});
    return QByteArray();
}

QByteArray MyEvent::makePCAll40Packet0()
{
    return frame(kAllTerminals, {kCodeTerminal40, 0});
}

QByteArray MyEvent::makePCAll40Packet2()
{
    return frame(kAllTerminals, {kCodeTerminal40, 2});
}

QByteArray MyEvent::makePCAll40Packet1()
{
    return frame(kAllTerminals, {kCodeTerminal40, 1});
}

QByteArray MyEvent::makePCAll38Packet(const QString &text)
{
    QByteArray bytes = frame(kAllTerminals, {kCodeTerminalText});
    bytes.append(text.left(kTerminalTextChars).toUtf8());
    // The length byte counts the bytes really sent, so that a letter that
    // takes two bytes in UTF-8 does not cut the frame short.
    bytes[1] = char(bytes.size() + kCrcBytes);
    return bytes;
}

QByteArray MyEvent::makePC39Packet(int t, int first, int second, int third, const QString &text)
{
    QByteArray bytes = frame(t, {kCodeSeriesResult, char(first), char(second), char(third)});
    bytes.append(text.left(kSeriesTextChars).toUtf8());
    bytes.append(char(0));
    bytes[1] = char(bytes.size() + kCrcBytes);
    return bytes;
}

QByteArray MyEvent::makePCAll35Packet()
{
    return frame(kAllTerminals, {kCodeTerminal35, 0});
}

QByteArray MyEvent::makePC35Packet(int t, int v)
{
    return frame(t, {kCodeTerminal35, char(v)});
}

QByteArray MyEvent::makePC40Packet0(int t)
{
    return frame(t, {kCodeTerminal40, 0});
}

QByteArray MyEvent::makePC40Packet2(int t)
{
    return frame(t, {kCodeTerminal40, 2});
}

QByteArray MyEvent::makePC40Packet1(int t)
{
    return frame(t, {kCodeTerminal40, 1});
}

QByteArray MyEvent::makeSeriesResultPacket(int member, qint8 series, TBulletList *list)
{
    if (!bulletList || !list)
        return QByteArray();
    const TMemberPlace *place = bulletList->placeByMemberId(member);
    if (!place)
        return QByteArray();
    const int t = place->target();
    // The result is the member's own: in another exercise's list the member
    // may have shot on another lane.
    const TMemberPlace *source = list->placeByMemberId(member);
    if (!source)
        return QByteArray();
    const int sourceTarget = source->target();
    int whole = 0;
    int tenth = 0;
    int marked = 0;
    if (list->showTenths()) {
        double sum = 0.0;
        if (!list->seriesResultTenths(sourceTarget, sum, marked))
            return QByteArray();
        whole = int(sum);
        const int tenths = int(std::lround(sum * 10.0));
        tenth = tenths - 10 * whole;
    } else if (!list->seriesResultInt(sourceTarget, whole, marked)) {
        return QByteArray();
    }
    QByteArray bytes = frame(t, {kCodeSeriesResult, char(series)});
    appendWord(bytes, whole);
    bytes.append(char(tenth));
    bytes.append(char(marked));
    bytes[1] = char(bytes.size() + kCrcBytes);
    return bytes;
}

// ---------------------------------------------------------------- senders

void MyEvent::sendStartAll(int arm)
{
    if (arm < 0) {
        startPending = -1;
        return;
    }
    sendCommand(makeStartAllPacket());
    // Set after the emit: the confirmation comes back queued from the bus
    // master's thread, so it can never overtake this line.
    startPending = 1;
}

void MyEvent::sendStopAll(int arm)
{
    if (arm < 0)
        return;
    sendCommand(makeStopAllPacket());
    startPending = -1;
}

void MyEvent::sendStart(int target, int arm)
{
    if (arm < 0) {
        startPending = -1;
        return;
    }
    sendCommand(makeStartPacket(target));
    startPending = 1;
}

void MyEvent::sendStop(int target, int arm)
{
    if (arm < 0)
        return;
    sendCommand(makeStopPacket(target));
    startPending = -1;
}

void MyEvent::sendClasterAll(int m)
{
    if (!pistolStage || !isThreeWayMode(m))
        return;
    if (m == 0)
        sendCommand(makeClasterAllPacket0());
    else if (m == 1)
        sendCommand(makeClasterAllPacket1());
    else
        sendCommand(makeClasterAllPacket2());
}

void MyEvent::sendClaster(int target, int m)
{
    if (!pistolStage || !isThreeWayMode(m))
        return;
    if (m == 0)
        sendCommand(makeClasterPacket0(target));
    else if (m == 1)
        sendCommand(makeClasterPacket1(target));
    else
        sendCommand(makeClasterPacket2(target));
}

void MyEvent::sendEventTypeAll()
{
    sendCommand(makeEventTypeAllPacket());
}

void MyEvent::sendPCAll35()
{
    sendCommand(makePCAll35Packet());
}

void MyEvent::sendPCAll31()
{
    sendCommand(makePCAll31Packet());
}

void MyEvent::sendPC32(int target, int stage)
{
    // The terminal knows the stages as 2 (sighting) and 3 (match).
    if (stage == 0)
        sendCommand(makePC32Packet(target, 2));
    else if (stage == 1)
        sendCommand(makePC32Packet(target, 3));
    else
        sendCommand(makePC32Packet(target, 0));
}

// Modes 1 and 2 map to the bytes 02 and 01 of the 0x40 frame.
void MyEvent::sendPCAll40(int m)
{
    if (m == 0)
        sendCommand(makePCAll40Packet0());
    else if (m == 1)
        sendCommand(makePCAll40Packet2());
    else if (m == 2)
        sendCommand(makePCAll40Packet1());
}

void MyEvent::sendPC35(int target, int value)
{
    sendCommand(makePC35Packet(target, value));
}

void MyEvent::sendPC40(int target, int m)
{
    if (m == 0)
        sendCommand(makePC40Packet0(target));
    else if (m == 1)
        sendCommand(makePC40Packet2(target));
    else if (m == 2)
        sendCommand(makePC40Packet1(target));
}

void MyEvent::sendSeriesResultToPC(int member, int series, TBulletList *list)
{
    sendCommand(makeSeriesResultPacket(member, qint8(series), list));
}
