#pragma once

#include <QSortFilterProxyModel>

class TMembersPractice;

// The roster's shooters whose used flag equals the view's own: true gives the
// participants of the practice, false the free shooters. A shooter taken in
// or released moves from one view to the other as the roster announces it.
class TMembersPracticeUsed : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    TMembersPracticeUsed(TMembersPractice *source, bool used, QObject *parent = nullptr);

    // The shooter ID of the n-th shown row; -1 when fewer rows are shown.
    int idAtProxyRow(int n) const;
    // The shown row of that shooter; -1 when it is not shown.
    int proxyRowOfId(int id) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    bool m_used = false;
};
