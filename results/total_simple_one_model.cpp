#include "total_simple_one_model.h"

namespace {

const QStringList kTitles = {
    QStringLiteral("RANK"), QStringLiteral("NAME"), QStringLiteral("TEAM"),
    QStringLiteral("START NUM"), QStringLiteral("       TOTAL     "),
};
const QVector<int> kPositions = {0, 1, 2, 3, 4};

} // namespace

TOTAL_SIMPLE_ONE_MODEL::TOTAL_SIMPLE_ONE_MODEL(TBulletList *source, QObject *parent)
    : TotalsModel(TotalsSource(source), kTitles, kPositions, parent)
{
}

TOTAL_SIMPLE_ONE_MODEL::TOTAL_SIMPLE_ONE_MODEL(TViewBulletList *source, QObject *parent)
    : TotalsModel(TotalsSource(source), kTitles, kPositions, parent)
{
}

QVariant TOTAL_SIMPLE_ONE_MODEL::figureCell(const TotalsPlace &place, int row, int column) const
{
    Q_UNUSED(row)
    if (column != Total)
        return QVariant();
    if (source().showTenths())
        return totalsTenthsCell(place.tenthsUnits(), place.marked());
    return totalsCell(place.points(), place.marked());
}
