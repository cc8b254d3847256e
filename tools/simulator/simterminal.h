#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// The shooter's terminal of one lane: it is told the stage, the start number,
// the exercise type and each shot, and reports how many shots of its stage it
// holds, so that the program can send it the ones it lacks.
class SimTerminal
{
public:
    static constexpr int kSighting = 0;
    static constexpr int kMatch = 1;

    explicit SimTerminal(int address);

    // Acts on a frame (CRC already checked and removed) and returns the answer
    // without CRC, empty when none is due; broadcasts are never answered.
    QByteArray handle(const QByteArray &frame);

    // The terminal's request to change the mode (0 sighting, 1 match).
    QByteArray matchRequest(int mode) const;

    int address() const { return m_address; }
    int stage() const { return m_stage; }
    // Shot frames held for a stage (data bytes of each 0x33 frame, in order).
    const QVector<QByteArray> &shots(int stage) const { return m_shots[stage == kMatch ? 1 : 0]; }
    int startNumber() const { return m_startNumber; }
    int exerciseType() const { return m_exerciseType; }
    int exerciseSubType() const { return m_exerciseSubType; }
    bool stopped() const { return m_stopped; }
    int lastValue35() const { return m_value35; }
    int lastValue40() const { return m_value40; }
    QByteArray lastSeriesResult() const { return m_seriesResult; }

private:
    void enterStage(int stage);
    QByteArray shotReport(int stage) const;

    int m_address = 0;
    int m_stage = kSighting;
    QVector<QByteArray> m_shots[2];
    int m_startNumber = -1;
    int m_exerciseType = -1;
    int m_exerciseSubType = -1;
    bool m_stopped = false;
    int m_value35 = -1;
    int m_value40 = -1;
    QByteArray m_seriesResult;
};
