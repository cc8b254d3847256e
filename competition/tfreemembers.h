#pragma once

#include <QSortFilterProxyModel>

class TMembers;

// The members that may still be put into a relay of one exercise: everybody
// but those already in the edit relay and placed in a relay of the exercise,
// and for a final only its finalists.
class TFreeMembers : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit TFreeMembers(TMembers *source, QObject *parent = nullptr);

    void setEventNumFilter(int eventNum);
    int eventNumFilter() const { return m_eventNumFilter; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    int m_eventNumFilter = -1;
    TMembers *m_source = nullptr; // not owned
};
