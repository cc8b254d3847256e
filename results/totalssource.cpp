#include "totalssource.h"

#include "tbulletlist.h"
#include "tmemberplace.h"
#include "tviewbulletlist.h"
#include "tviewmemberplace.h"

int TotalsPlace::key() const
{
    return m_running ? m_running->memberID() : m_stored ? m_stored->shooterId() : -1;
}

QString TotalsPlace::name() const
{
    return m_running ? m_running->name() : m_stored ? m_stored->name() : QString();
}

QString TotalsPlace::teamLabel() const
{
    if (m_running)
        return m_running->teamLabel();
    if (m_stored)
        return QStringLiteral("%1/%2").arg(m_stored->countryName(), m_stored->teamName());
    return QString();
}

QImage TotalsPlace::flagIcon() const
{
    return m_running ? m_running->flagIcon() : m_stored ? m_stored->countryIcon() : QImage();
}

int TotalsPlace::startNumber() const
{
    return m_running ? m_running->startNumber() : m_stored ? m_stored->startNumber() : -1;
}

int TotalsPlace::points() const
{
    return m_running ? m_running->matchTotalInt() : m_stored ? m_stored->totalInt() : 0;
}

int TotalsPlace::tenthsUnits() const
{
    const double tenths = m_running ? m_running->matchTotalTenths()
                                    : m_stored ? m_stored->totalTenths() : 0.0;
    return qRound(tenths * 10.0);
}

int TotalsPlace::marked() const
{
    return m_running ? m_running->markedTotal() : m_stored ? m_stored->markedCount() : 0;
}

RankKey TotalsPlace::wholePointRank() const
{
    const int target = m_running ? m_running->target() : m_stored ? m_stored->target() : -1;
    const int member = m_running ? m_running->memberID() : m_stored ? m_stored->memberId() : -1;
    return {points(), marked(), startNumber(), target, member};
}

int TotalsPlace::seriesPoints(int k) const
{
    if (m_running) {
        bool complete = false;
        const int sum = m_running->seriesSumInt(k, kRunningSeriesSize, &complete);
        return complete ? sum : 0;
    }
    return m_stored ? m_stored->seriesSumInt(k) : 0;
}

int TotalsPlace::seriesMarked(int k) const
{
    if (m_running) {
        bool complete = false;
        const int marked = m_running->seriesMarked(k, kRunningSeriesSize, &complete);
        return complete ? marked : 0;
    }
    return m_stored ? m_stored->seriesMarked(k) : 0;
}

int TotalsSource::placeCount() const
{
    return m_running ? m_running->placeCount() : m_stored ? m_stored->placeCount() : 0;
}

bool TotalsSource::showTenths() const
{
    return m_running ? m_running->showTenths() : m_stored && m_stored->showTenths();
}

TotalsPlace TotalsSource::placeAt(int row) const
{
    if (m_running) {
        const TMemberPlace *place = m_running->placeAtRow(row, 0);
        return place ? TotalsPlace(place) : TotalsPlace();
    }
    const TViewMemberPlace *place = m_stored ? m_stored->placeAt(row) : nullptr;
    return place ? TotalsPlace(place) : TotalsPlace();
}

TotalsPlace TotalsSource::placeByKey(int key) const
{
    if (m_running) {
        const TMemberPlace *place = m_running->placeByMemberId(key);
        return place ? TotalsPlace(place) : TotalsPlace();
    }
    const TViewMemberPlace *place = m_stored ? m_stored->placeByShooterId(key) : nullptr;
    return place ? TotalsPlace(place) : TotalsPlace();
}

QString totalsCell(int points, int marked)
{
    return QStringLiteral("%1 *%2").arg(points).arg(marked);
}

QString totalsTenthsCell(int tenthsUnits, int marked)
{
    return QString::number(tenthsUnits / 10.0, 'f', 1) + QStringLiteral(" *%1").arg(marked);
}
