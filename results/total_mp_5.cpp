#include "total_mp_5.h"

#include "rankorder.h"

namespace {

const QStringList kTitles = {
    QStringLiteral("RANK"),
    QStringLiteral("NAME"),
    QStringLiteral("TEAM"),
    QStringLiteral("START NUM"),
    QStringLiteral("PRECISION STAGE"),
    QStringLiteral("RAPID FIRE STAGE"),
    QStringLiteral("    TOTAL   "),
};
const QVector<int> kPositions = {0, 1, 2, 3, 4, 5, 6};

} // namespace

bool compareTotalDesc(const TTotalRow *a, const TTotalRow *b)
{
    return rankedBefore({a->points(), a->marked(), a->startNumber(), -1, a->memberId()},
                        {b->points(), b->marked(), b->startNumber(), -1, b->memberId()});
}

TOTAL_MP_5::TOTAL_MP_5(TBulletList *precision, TBulletList *rapidFire, QObject *parent)
    : TotalsModel(TotalsSource(precision), kTitles, kPositions, parent),
      m_rapidFire(rapidFire), m_complete(precision && rapidFire)
{
    fill();
}

TOTAL_MP_5::TOTAL_MP_5(TViewBulletList *precision, TViewBulletList *rapidFire, QObject *parent)
    : TotalsModel(TotalsSource(precision), kTitles, kPositions, parent),
      m_rapidFire(rapidFire), m_complete(precision)
{
    fill();
}

TOTAL_MP_5::~TOTAL_MP_5()
{
    qDeleteAll(m_rows);
}

void TOTAL_MP_5::fill()
{
    if (!m_complete)
        return;
    // Members who shot only the rapid-fire stage get no row.
    for (int i = 0; i < source().placeCount(); ++i) {
        const TotalsPlace place = source().placeAt(i);
        const TotalsPlace second = m_rapidFire.placeByKey(place.key());
        const int points = place.points() + (second.isNull() ? 0 : second.points());
        const int marked = place.marked() + (second.isNull() ? 0 : second.marked());
        m_rows.append(new TTotalRow(place.key(), points, marked, place.startNumber()));
    }
    sort();
}

void TOTAL_MP_5::sort(int column, Qt::SortOrder order)
{
    Q_UNUSED(column)
    Q_UNUSED(order)
    sortModelRows(*this, m_rows, compareTotalDesc);
}

bool TOTAL_MP_5::stageResults(int memberId, StageResults *results) const
{
    if (!m_complete || !results)
        return false;
    *results = StageResults();
    const TotalsPlace first = source().placeByKey(memberId);
    if (!first.isNull()) {
        results->precisionPoints = first.points();
        results->precisionMarked = first.marked();
        results->totalPoints += first.points();
        results->totalMarked += first.marked();
    }
    const TotalsPlace second = m_rapidFire.placeByKey(memberId);
    if (!second.isNull()) {
        results->rapidFirePoints = second.points();
        results->rapidFireMarked = second.marked();
        results->totalPoints += second.points();
        results->totalMarked += second.marked();
    }
    return true;
}

TotalsPlace TOTAL_MP_5::placeOfRow(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return TotalsPlace();
    return source().placeByKey(m_rows.at(row)->memberId());
}

QVariant TOTAL_MP_5::figureCell(const TotalsPlace &place, int row, int column) const
{
    Q_UNUSED(place)
    StageResults results;
    if (!stageResults(m_rows.at(row)->memberId(), &results))
        return QVariant();
    switch (column) {
    case Precision:
        if (results.precisionPoints < 0)
            return QVariant();
        return totalsCell(results.precisionPoints, results.precisionMarked);
    case RapidFire:
        if (results.rapidFirePoints < 0)
            return QVariant();
        return totalsCell(results.rapidFirePoints, results.rapidFireMarked);
    case Total:
        return totalsCell(results.totalPoints, results.totalMarked);
    default:
        return QVariant();
    }
}
