#include "modeltarget.h"

namespace LaneModel {

namespace {

constexpr qint64 kPpm = 1000000;
constexpr qint64 kMsPerTenth = 100;
constexpr int kWordMask = 0xFFFF;

} // namespace

bool ModelTarget::takeStart(qint64 atMs)
{
    if (atMs - m_lastStartMs < kStartCopyMs)
        return false;
    m_lastStartMs = atMs;
    m_page.clear();
    m_originMs = atMs;
    return true;
}

void ModelTarget::powerUp(qint64 atMs)
{
    m_page.clear();
    m_originMs = atMs;
}

bool ModelTarget::fire(int id, QPoint point, qint8 place, qint64 atMs)
{
    if (m_page.size() >= kPageSize)
        return false;
    // Its own clock, in whole tenths since its count began.
    const qint64 ownMs = (atMs - m_originMs) * (kPpm + m_driftPpm) / kPpm;
    TargetShot shot;
    shot.id = id;
    // Its point as the answer carries it: two bytes a coordinate.
    const QPoint onWire(point.x() & kWordMask, point.y() & kWordMask);
    shot.answer = {m_page.size() + 1, onWire, int(ownMs / kMsPerTenth), place};
    m_page.append(shot);
    return true;
}

const TargetShot *ModelTarget::shot(int n) const
{
    return n >= 1 && n <= m_page.size() ? &m_page.at(n - 1) : nullptr;
}

} // namespace LaneModel
