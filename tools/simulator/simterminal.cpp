#include "simterminal.h"

#include "simframe.h"

using SimFrame::byteAt;
using SimFrame::header;

namespace {
constexpr int kShortAnswerLength = 5;
constexpr int kByteAnswerLength = 6;
constexpr int kRequestLength = 7;
constexpr int kShotReportLength = 8;
constexpr int kLongStageFrameLength = 7; // a 07 32 00 v
constexpr int kStageMatchValue = 3;      // a 06 32 03
constexpr int kShotFrameSize = 13;       // a 0F 33 and ten data bytes, CRC removed
constexpr int kShotStageIndex = 12;
} // namespace

SimTerminal::SimTerminal(int address) : m_address(address) {}

QByteArray SimTerminal::handle(const QByteArray &frame)
{
    const bool broadcast = byteAt(frame, 0) == SimFrame::kAllTerminals;
    const quint8 code = static_cast<quint8>(byteAt(frame, 2));
    QByteArray answer;
    switch (code) {
    case SimFrame::kCodeTerminalsStop:
        m_stopped = true;
        break;
    case SimFrame::kCodeTerminalStage: {
        if (frame.size() < 4)
            return {};
        const bool longForm = byteAt(frame, 1) == kLongStageFrameLength;
        const int value = longForm ? byteAt(frame, 4) : byteAt(frame, 3);
        if (longForm)
            enterStage(value == 1 ? kMatch : kSighting);
        else
            enterStage(value == kStageMatchValue ? kMatch : kSighting);
        m_stopped = false;
        answer = header(m_address, kByteAnswerLength, code);
        answer.append(static_cast<char>(value));
        break;
    }
    case SimFrame::kCodeTerminalShot: {
        if (frame.size() < kShotFrameSize)
            return {};
        const int stage = byteAt(frame, kShotStageIndex) == 1 ? kMatch : kSighting;
        m_stage = stage;
        QVector<QByteArray> &held = m_shots[stage];
        const int number = byteAt(frame, 3);
        const QByteArray data = frame.mid(3, kShotFrameSize - 3);
        // Only the next shot in line is taken; after a gap the report tells
        // the program where to go on.
        if (number == held.size() + 1)
            held.append(data);
        else if (number >= 1 && number <= held.size())
            held[number - 1] = data;
        answer = shotReport(stage);
        break;
    }
    case SimFrame::kCodeTerminalQuery:
        answer = header(m_address, kByteAnswerLength, code);
        answer.append(static_cast<char>(1));
        break;
    case SimFrame::kCodeTerminal35:
        m_value35 = byteAt(frame, 3);
        break;
    case SimFrame::kCodeExerciseType:
        m_exerciseType = byteAt(frame, 3);
        m_exerciseSubType = byteAt(frame, 4);
        break;
    case SimFrame::kCodeStartNumber:
        if (frame.size() < 4)
            return {};
        m_startNumber = byteAt(frame, 3);
        answer = header(m_address, kByteAnswerLength, code);
        answer.append(static_cast<char>(m_startNumber));
        break;
    case SimFrame::kCodeSeriesResult:
        m_seriesResult = frame.mid(3);
        answer = header(m_address, kShortAnswerLength, code);
        break;
    case SimFrame::kCodeTerminal40:
        m_value40 = byteAt(frame, 3);
        break;
    default:
        return {};
    }
    return broadcast ? QByteArray() : answer;
}

QByteArray SimTerminal::matchRequest(int mode) const
{
    QByteArray answer = header(m_address, kRequestLength, SimFrame::kCodeTerminalStage);
    answer.append(static_cast<char>(m_address));
    answer.append(static_cast<char>(mode));
    return answer;
}

void SimTerminal::enterStage(int stage)
{
    // A stage is entered with an empty page; shots of it come again from the program.
    m_stage = stage;
    m_shots[stage].clear();
}

QByteArray SimTerminal::shotReport(int stage) const
{
    QByteArray answer = header(m_address, kShotReportLength, SimFrame::kCodeTerminalShot);
    answer.append(static_cast<char>(m_address));
    answer.append(static_cast<char>(stage));
    answer.append(static_cast<char>(m_shots[stage].size()));
    return answer;
}
