#include "tfreemembers.h"

#include "tevent.h"
#include "tmembers.h"
#include "trelay.h"
#include "tshooter.h"

TFreeMembers::TFreeMembers(TMembers *source, QObject *parent)
    : QSortFilterProxyModel(parent), m_source(source)
{
    setSourceModel(source);
}

void TFreeMembers::setEventNumFilter(int eventNum)
{
    m_eventNumFilter = eventNum;
    invalidateFilter();
}

bool TFreeMembers::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (sourceParent.isValid())
        return false;
    const TShooter *member = m_source->memberAt(sourceRow);
    if (!member)
        return false;
    const TEvent *event = m_source->firstEvent();
    while (event && event->num() != m_eventNumFilter)
        event = event->next();
    if (!event)
        return false;

    const TRelay *edit = m_source->editRelay();
    const bool inEdit = edit->eventNum() == m_eventNumFilter && m_source->editRelayContains(member);
    const bool free = m_source->isMemberFree(member, event);
    if (inEdit && !free)
        return false;
    return !event->isFinal() || member->isInFinal();
}
