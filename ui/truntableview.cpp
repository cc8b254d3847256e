#include "truntableview.h"

TRunTableView::TRunTableView(QWidget *parent)
    : QTableView(parent)
{
}

void TRunTableView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                const QVector<int> &roles)
{
    const bool rowOfCells = topLeft.isValid() && bottomRight.isValid()
        && topLeft.row() == bottomRight.row() && topLeft.column() != bottomRight.column();
    if (!rowOfCells || !isVisible()) {
        QTableView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    // The row's place comes from the vertical header alone: asking for a
    // cell's rectangle would fit the columns to their contents at once, on
    // every change, instead of once when the event loop comes round. The
    // cells' editors (the shoot-off buttons) show nothing of the data.
    const int row = topLeft.row();
    viewport()->update(0, rowViewportPosition(row), viewport()->width(), rowHeight(row));
}
