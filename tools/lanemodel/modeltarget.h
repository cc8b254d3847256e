#pragma once

#include <QPoint>
#include <QVector>
#include <QtGlobal>

#include "lanestart.h"

namespace LaneModel {

// splitmix64: the same roads from the same seed on every machine.
class Rng
{
public:
    explicit Rng(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += Q_UINT64_C(0x9E3779B97F4A7C15));
        z = (z ^ (z >> 30)) * Q_UINT64_C(0xBF58476D1CE4E5B9);
        z = (z ^ (z >> 27)) * Q_UINT64_C(0x94D049BB133111EB);
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi].
    qint64 range(qint64 lo, qint64 hi) { return lo + qint64(next() % quint64(hi - lo + 1)); }
    bool permille(int p) { return range(0, 999) < p; }

private:
    quint64 m_state;
};

// One shot as the target stores it and as it answers it.
struct TargetShot
{
    int id = 0; // the model's own name of the physical shot
    LaneShot answer;
};

// A target's shot memory and its own clock. It counts its page from the
// START it took (or from power-up), stamps each shot with the tenths of its
// own clock since then, and answers a poll for shot n with that shot or with
// "no shot" when its page does not reach n.
class ModelTarget
{
public:
    static constexpr int kPageSize = 255;
    // Copies of one START (the bus sends each broadcast three times) come
    // within this and restart nothing.
    static constexpr qint64 kStartCopyMs = 1000;

    // driftPpm: how much faster (or slower, < 0) its clock runs than real time.
    ModelTarget(qint64 driftPpm, qint64 originMs) : m_driftPpm(driftPpm), m_originMs(originMs) {}

    // False for a copy of the START it took.
    bool takeStart(qint64 atMs);
    // Power is back: the memory is empty and the count begins now.
    void powerUp(qint64 atMs);
    // False when the page is full: the shot is not recorded.
    bool fire(int id, QPoint point, qint8 place, qint64 atMs);
    // Nullptr: "no shot" n.
    const TargetShot *shot(int n) const;
    const QVector<TargetShot> &page() const { return m_page; }

private:
    qint64 m_driftPpm = 0;
    qint64 m_originMs = 0;
    qint64 m_lastStartMs = -(Q_INT64_C(1) << 40);
    QVector<TargetShot> m_page;
};

} // namespace LaneModel
