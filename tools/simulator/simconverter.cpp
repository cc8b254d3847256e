#include "simconverter.h"

#include "simframe.h"

using SimFrame::byteAt;

namespace {
constexpr int kProbeAnswerLength = 7;
constexpr quint8 kProbeData[] = {0xBB, 0xCC};
constexpr quint8 kProbeAnswerData[] = {0xAB, 0xAC};
constexpr quint8 kCheckData[] = {0x7C, 0xD4};
constexpr quint8 kCheckAnswerFirst = 0x7C;
constexpr quint8 kFirstTerminalCode = 0x31;
constexpr quint8 kLastTerminalCode = 0x40;
constexpr quint8 kFirstTargetCode = 0xA0;
} // namespace

QByteArray SimLane::handle(const QByteArray &frame, qint64 nowMs)
{
    const int code = byteAt(frame, 2);
    const bool forTerminal = code >= kFirstTerminalCode && code <= kLastTerminalCode;
    const bool forTarget = code >= kFirstTargetCode;
    QByteArray answer;
    if (code == SimFrame::kCodeStart && missesStart(nowMs))
        return {};
    if (forTerminal && terminalPresent)
        answer = terminal.handle(frame);
    else if (forTarget && targetPresent && targetHears)
        answer = target.handle(frame, nowMs);
    else
        return {};
    const bool addressed = byteAt(frame, 0) == target.address();
    const bool givesTerminalTheLine = forTerminal || code == SimFrame::kCodePoll;
    if (addressed && matchRequestMode && terminalPresent && givesTerminalTheLine) {
        answer = terminal.matchRequest(*matchRequestMode);
        matchRequestMode.reset();
    }
    return answer;
}

bool SimLane::missesStart(qint64 nowMs)
{
    if (missNextStart) {
        missNextStart = false;
        startsMissedUntilMs = nowMs + target.startCopyWindowMs();
    }
    return nowMs <= startsMissedUntilMs;
}

void SimConverter::addLane(int address)
{
    m_lanes.emplace(address, SimLane(address));
}

SimLane *SimConverter::lane(int address)
{
    const auto it = m_lanes.find(address);
    return it == m_lanes.end() ? nullptr : &it->second;
}

const SimLane *SimConverter::lane(int address) const
{
    const auto it = m_lanes.find(address);
    return it == m_lanes.end() ? nullptr : &it->second;
}

QList<int> SimConverter::laneAddresses() const
{
    QList<int> addresses;
    for (const auto &entry : m_lanes)
        addresses.append(entry.first);
    return addresses;
}

QByteArray SimConverter::handle(const QByteArray &frame, qint64 nowMs, int *answeringLane)
{
    *answeringLane = -1;
    const int address = byteAt(frame, 0);
    const int code = byteAt(frame, 2);
    if (address == m_address && (code == SimFrame::kCodeConverterProbe || code == SimFrame::kCodeConverterCheck)) {
        QByteArray answer = SimFrame::header(m_address, kProbeAnswerLength, static_cast<quint8>(code));
        if (code == SimFrame::kCodeConverterProbe) {
            if (byteAt(frame, 3) != kProbeData[0] || byteAt(frame, 4) != kProbeData[1])
                return {};
            answer.append(static_cast<char>(kProbeAnswerData[0]));
            answer.append(static_cast<char>(kProbeAnswerData[1]));
        } else {
            if (byteAt(frame, 3) != kCheckData[0] || byteAt(frame, 4) != kCheckData[1])
                return {};
            answer.append(static_cast<char>(kCheckAnswerFirst));
            answer.append(static_cast<char>(m_address));
        }
        return answer;
    }
    if (address == SimFrame::kAllTargets || address == SimFrame::kAllTerminals) {
        for (auto &entry : m_lanes)
            entry.second.handle(frame, nowMs);
        return {};
    }
    SimLane *target = lane(address);
    if (!target)
        return {};
    QByteArray answer = target->handle(frame, nowMs);
    if (!answer.isEmpty())
        *answeringLane = address;
    return answer;
}
