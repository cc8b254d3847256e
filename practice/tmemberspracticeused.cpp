#include "tmemberspracticeused.h"

#include "proxyrows.h"
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
    return ProxyRows::valueAt(this, n, TMembersPractice::Id1Role);
}

int TMembersPracticeUsed::proxyRowOfId(int id) const
{
    return ProxyRows::rowOf(this, TMembersPractice::Id1Role, id);
}
