#include "tmemberspracticeused.h"

#include "tmemberspractice.h"

TMembersPracticeUsed::TMembersPracticeUsed(TMembersPractice *source, bool used, QObject *parent)
    : QSortFilterProxyModel(parent), m_used(used)
{
    setSourceModel(source);
}

bool TMembersPracticeUsed::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    Q_UNUSED(sourceParent) // the roster is flat
    const QModelIndex index = sourceModel()->index(sourceRow, 0);
    return index.data(TMembersPractice::ShooterUsedRole).toBool() == m_used;
}

int TMembersPracticeUsed::idAtProxyRow(int n) const
{
    if (n < 0)
        return -1;
    int accepted = 0;
    for (int row = 0; row < sourceModel()->rowCount(); ++row) {
        if (!filterAcceptsRow(row, QModelIndex()))
            continue;
        if (accepted == n)
            return sourceModel()->index(row, 0).data(TMembersPractice::Id1Role).toInt();
        ++accepted;
    }
    return -1;
}

int TMembersPracticeUsed::proxyRowOfId(int id) const
{
    int accepted = 0;
    for (int row = 0; row < sourceModel()->rowCount(); ++row) {
        if (!filterAcceptsRow(row, QModelIndex()))
            continue;
        if (sourceModel()->index(row, 0).data(TMembersPractice::Id1Role).toInt() == id)
            return accepted;
        ++accepted;
    }
    return -1;
}
