#pragma once

#include <QTableView>

// The run page's tables. A shot changes one row of its shot list and of the
// series table; a plain table view repaints its whole viewport for any
// change that spans more than one cell, so on a full line it would repaint
// every visible row on every shot. This one repaints the changed row only.
class TRunTableView : public QTableView
{
    Q_OBJECT

public:
    explicit TRunTableView(QWidget *parent = nullptr);

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QVector<int> &roles = QVector<int>()) override;
};
