#include "simtargetunit.h"

#include "simframe.h"

#include <algorithm>
#include <utility>
#include <vector>

using SimFrame::byteAt;
using SimFrame::header;

namespace {
constexpr int kStartFrameSize = 10; // address .. last data byte, CRC removed
constexpr int kShotAnswerLength = 14;
constexpr int kShortAnswerLength = 5;
constexpr int kByteAnswerLength = 6;
constexpr int kMaxTime24 = 0xFFFFFF;
constexpr qint64 kMsPerTenth = 100;
constexpr int kTenthsPerSecond = 10;
} // namespace

SimTargetUnit::SimTargetUnit(int address) : m_address(address) {}

QByteArray SimTargetUnit::handle(const QByteArray &frame, qint64 nowMs)
{
    const bool broadcast = byteAt(frame, 0) == SimFrame::kAllTargets;
    const quint8 code = static_cast<quint8>(byteAt(frame, 2));
    QByteArray answer;
    switch (code) {
    case SimFrame::kCodeStart:
        if (frame.size() < kStartFrameSize)
            return {};
        start(frame, nowMs);
        answer = header(m_address, kShortAnswerLength, code);
        break;
    case SimFrame::kCodeStop:
        if (m_state != State::Off)
            m_state = State::Stopped;
        answer = header(m_address, kShortAnswerLength, code);
        break;
    case SimFrame::kCodeReset:
        m_shots.clear();
        m_lastStartFrame.clear();
        ++m_resetCount;
        answer = header(m_address, kShortAnswerLength, code);
        break;
    case SimFrame::kCodePoll:
        if (frame.size() < 4)
            return {};
        answer = shotAnswer(byteAt(frame, 3));
        break;
    case SimFrame::kCodeCluster:
        if (frame.size() < 4)
            return {};
        m_clusterMode = byteAt(frame, 3);
        answer = header(m_address, kByteAnswerLength, code);
        answer.append(static_cast<char>(m_clusterMode));
        break;
    case SimFrame::kCodeTargetOnOff: {
        if (frame.size() < 4)
            return {};
        const int on = byteAt(frame, 3);
        if (on == 1 && m_state == State::Off)
            m_state = State::Free;
        else if (on == 0)
            m_state = State::Off;
        answer = header(m_address, kByteAnswerLength, code);
        answer.append(static_cast<char>(on));
        break;
    }
    default:
        return {};
    }
    return broadcast ? QByteArray() : answer;
}

void SimTargetUnit::start(const QByteArray &frame, qint64 nowMs)
{
    const QByteArray data = frame.mid(3);
    const bool copy = m_state == State::Running && data == m_lastStartFrame && m_lastStartMs >= 0
        && nowMs - m_lastStartMs <= m_startCopyWindowMs;
    m_lastStartFrame = data;
    m_lastStartMs = nowMs;
    if (copy)
        return;
    m_face = byteAt(frame, 4);
    m_timeLimitSeconds = (byteAt(frame, 5) << 8) | byteAt(frame, 6);
    m_shotLimit = byteAt(frame, 7);
    m_startFlag = byteAt(frame, 8);
    m_shots.clear();
    m_startMs = nowMs;
    m_state = State::Running;
    ++m_startCount;
}

void SimTargetUnit::powerUp(qint64 nowMs)
{
    m_state = State::Free;
    m_shots.clear();
    m_startMs = nowMs;
    m_lastStartFrame.clear();
    m_lastStartMs = -1;
    m_timeLimitSeconds = kNoTimeLimit;
    m_shotLimit = kNoShotLimit;
}

int SimTargetUnit::fire(quint16 x, quint16 y, qint8 place, int timeTenths, qint64 nowMs)
{
    if (m_state == State::Off || m_state == State::Stopped || m_shots.size() >= kMemorySize)
        return 0;
    const int time = timeTenths >= 0 ? timeTenths : static_cast<int>((nowMs - m_startMs) / kMsPerTenth);
    if (m_state == State::Running) {
        if (m_shotLimit != kNoShotLimit && m_shots.size() >= m_shotLimit)
            return 0;
        if (m_timeLimitSeconds != kNoTimeLimit && time > m_timeLimitSeconds * kTenthsPerSecond)
            return 0;
    }
    SimShot shot;
    shot.number = m_shots.size() + 1;
    shot.x = x;
    shot.y = y;
    shot.place = place;
    shot.timeTenths = qMin(time, kMaxTime24);
    m_shots.append(shot);
    return shot.number;
}

QByteArray SimTargetUnit::shotAnswer(int n) const
{
    SimShot shot; // number 0: no such shot yet
    if (n >= 1 && n <= m_shots.size())
        shot = m_shots.at(n - 1);
    return answerOf(shot);
}

bool SimTargetUnit::moveToDecoy(int n)
{
    if (n < 1 || n > m_shots.size())
        return false;
    // Many blocks of 256 by 256 points hold no decoy at all: the blocks are
    // searched in rings around the shot's own until one holds some.
    constexpr int kMaxRing = 8;
    const SimShot original = m_shots.at(n - 1);
    int bestDistance = -1;
    SimShot best = original;
    const int ownX = original.x >> 8;
    const int ownY = original.y >> 8;
    for (int ring = 0; ring <= kMaxRing && bestDistance < 0; ++ring) {
        for (int xHigh = ownX - ring; xHigh <= ownX + ring; ++xHigh) {
            for (int yHigh = ownY - ring; yHigh <= ownY + ring; ++yHigh) {
                const bool onRing = qAbs(xHigh - ownX) == ring || qAbs(yHigh - ownY) == ring;
                if (onRing && xHigh >= 0 && yHigh >= 0 && xHigh <= 0xFF && yHigh <= 0xFF)
                    nearestDecoyInBlock(original, xHigh, yHigh, &best, &bestDistance);
            }
        }
    }
    if (bestDistance < 0)
        return false;
    m_shots[n - 1] = best;
    return true;
}

void SimTargetUnit::nearestDecoyInBlock(const SimShot &original, int xHigh, int yHigh, SimShot *best,
                                        int *bestDistance) const
{
    // A window's CRC remainder is affine in the bits of the answer, its own
    // CRC bytes included: changing the low bytes of x and y adds to it what
    // each change adds alone. So every pair of low bytes is tried, for every
    // window, at the cost of one XOR.
    constexpr int kByteValues = 256;
    constexpr int kNoHit = 0xFFFF;
    const auto answerWith = [this, &original, xHigh, yHigh](int xLow, int yLow) {
        SimShot moved = original;
        moved.x = static_cast<quint16>((xHigh << 8) | xLow);
        moved.y = static_cast<quint16>((yHigh << 8) | yLow);
        return SimFrame::withCrc(answerOf(moved));
    };
    const QByteArray base = answerWith(0, 0);
    QVector<QByteArray> byX(kByteValues);
    QVector<QByteArray> byY(kByteValues);
    for (int value = 0; value < kByteValues; ++value) {
        byX[value] = answerWith(value, 0);
        byY[value] = answerWith(0, value);
    }
    QVector<quint16> addedByX(kByteValues);
    QVector<quint16> addedByY(kByteValues);
    std::vector<std::pair<quint16, int>> yByAdded(kByteValues);
    for (int start = 1; start < base.size(); ++start) {
        for (int end = start + SimFrame::kMinFrameSize; end < base.size(); ++end) {
            const int length = end - start;
            const quint16 remainder = SimFrame::crc16Modbus(base, start, length);
            for (int value = 0; value < kByteValues; ++value) {
                addedByX[value] = SimFrame::crc16Modbus(byX.at(value), start, length) ^ remainder;
                addedByY[value] = SimFrame::crc16Modbus(byY.at(value), start, length) ^ remainder;
            }
            // The low bytes of y by what they add, so that each low byte of x
            // finds the ones that cancel the remainder without trying all.
            for (int value = 0; value < kByteValues; ++value)
                yByAdded[value] = {addedByY.at(value), value};
            std::sort(yByAdded.begin(), yByAdded.end());
            for (int xLow = 0; xLow < kByteValues; ++xLow) {
                const quint16 wanted = remainder ^ addedByX.at(xLow);
                const auto from = std::lower_bound(yByAdded.cbegin(), yByAdded.cend(),
                                                   std::pair<quint16, int>(wanted, 0));
                for (auto it = from; it != yByAdded.cend() && it->first == wanted; ++it) {
                    const int yLow = it->second;
                    const int x = (xHigh << 8) | xLow;
                    const int y = (yHigh << 8) | yLow;
                    const int distance = qAbs(x - original.x) + qAbs(y - original.y);
                    if (x == kNoHit || y == kNoHit || (*bestDistance >= 0 && distance >= *bestDistance))
                        continue;
                    *bestDistance = distance;
                    best->x = static_cast<quint16>(x);
                    best->y = static_cast<quint16>(y);
                }
            }
        }
    }
}

QByteArray SimTargetUnit::answerOf(const SimShot &shot) const
{
    QByteArray answer = header(m_address, kShotAnswerLength, SimFrame::kCodePoll);
    answer.append(static_cast<char>(shot.number));
    answer.append(static_cast<char>(shot.x >> 8));
    answer.append(static_cast<char>(shot.x & 0xFF));
    answer.append(static_cast<char>(shot.y >> 8));
    answer.append(static_cast<char>(shot.y & 0xFF));
    answer.append(static_cast<char>(shot.place));
    answer.append(static_cast<char>((shot.timeTenths >> 16) & 0xFF));
    answer.append(static_cast<char>((shot.timeTenths >> 8) & 0xFF));
    answer.append(static_cast<char>(shot.timeTenths & 0xFF));
    return answer;
}
