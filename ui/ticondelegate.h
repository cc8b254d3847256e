#pragma once

#include <QItemDelegate>

// Paints a cell whose decoration is a picture as that picture, scaled to the
// row's height and centred, with the cell's text to its right: the answer
// states of the current relay's targets and terminals.
class TIconDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    explicit TIconDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
