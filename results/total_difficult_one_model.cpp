#include "total_difficult_one_model.h"

#include <algorithm>
#include <utility>

namespace {

const QStringList kTitles = {
    QStringLiteral("RANK"),     QStringLiteral("NAME"),     QStringLiteral("TEAM"),
    QStringLiteral("START NUM"), QStringLiteral("KNEELING"), QStringLiteral("  PRONE "),
    QStringLiteral("STANDING"), QStringLiteral("    TOTAL   "),
};
const QVector<int> kFullPositions = {0, 1, 2, 3, 4, 5, 6, 7};
const QVector<int> kCompactPositions = {-1, 0, -1, -1, 1, 2, 3, 4};

} // namespace

TOTAL_DIFFICULT_ONE_MODEL::TOTAL_DIFFICULT_ONE_MODEL(TBulletList *source, int seriesPerPosition,
                                                     bool compact, QObject *parent)
    : TotalsModel(TotalsSource(source), kTitles, compact ? kCompactPositions : kFullPositions,
                  parent),
      m_seriesPerPosition(seriesPerPosition)
{
    rankPlaces();
}

TOTAL_DIFFICULT_ONE_MODEL::TOTAL_DIFFICULT_ONE_MODEL(TViewBulletList *source,
                                                     int seriesPerPosition, bool compact,
                                                     QObject *parent)
    : TotalsModel(TotalsSource(source), kTitles, compact ? kCompactPositions : kFullPositions,
                  parent),
      m_seriesPerPosition(seriesPerPosition)
{
    rankPlaces();
}

void TOTAL_DIFFICULT_ONE_MODEL::rankPlaces()
{
    QVector<std::pair<RankKey, int>> ranked;
    for (int i = 0; i < source().placeCount(); ++i) {
        const TotalsPlace place = source().placeAt(i);
        ranked.append({place.wholePointRank(), place.key()});
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) {
        return rankedBefore(a.first, b.first);
    });
    for (const auto &place : qAsConst(ranked))
        m_keys.append(place.second);
}

TotalsPlace TOTAL_DIFFICULT_ONE_MODEL::placeOfRow(int row) const
{
    return row >= 0 && row < m_keys.size() ? source().placeByKey(m_keys.at(row)) : TotalsPlace();
}

QVariant TOTAL_DIFFICULT_ONE_MODEL::figureCell(const TotalsPlace &place, int row,
                                               int column) const
{
    Q_UNUSED(row)
    if (column == Total)
        return totalsCell(place.points(), place.marked());
    if (column < Kneeling || column > Standing)
        return QVariant();
    // Position p holds series (p - 1) k + 1 to p k.
    const int position = column - Kneeling + 1;
    int points = 0;
    int marked = 0;
    for (int i = 1; i <= m_seriesPerPosition; ++i) {
        const int series = (position - 1) * m_seriesPerPosition + i;
        points += place.seriesPoints(series);
        marked += place.seriesMarked(series);
    }
    return totalsCell(points, marked);
}
