#pragma once

#include <QTableView>

// The run page's tables, made to stay light while a line shoots.
//
// A shot changes one row of its shot list and of the series table, and a
// re-sort the band of rows it moved; a plain table view repaints its whole
// viewport for any change that spans more than one cell, so on a full line
// it would repaint every visible row on every shot. This one repaints the
// changed rows only.
//
// Its columns are fitted once, when a model is set or its rows or columns
// change, to the widest text they can come to show (CellTexts), instead of
// being measured again on every layout; the first column (the names) takes
// the width that is left. Its rows are as high as its font, so that a
// relay's lanes fit on a small screen.
class TRunTableView : public QTableView
{
    Q_OBJECT

public:
    explicit TRunTableView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    // Rows at least this high (the height of the editors open in them);
    // 0 for rows as high as the font.
    void setMinimumRowHeight(int height);

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QVector<int> &roles = QVector<int>()) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void changeEvent(QEvent *event) override;

private:
    void fitColumns();
    void fitRows();

    int m_minimumRowHeight = 0;
};
