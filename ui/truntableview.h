#pragma once

#include <QFont>
#include <QTableView>

// The run page's tables, made to stay light while a line shoots and to be
// read from a few steps away.
//
// A shot changes one row of its shot list and of the series table, and a
// re-sort the band of rows it moved; a plain table view repaints its whole
// viewport for any change that spans more than one cell, so on a full line
// it would repaint every visible row on every shot. This one repaints the
// changed rows only.
//
// Its columns are fitted once, when a model is set, its rows or columns
// change or its font does, to the widest text they can come to show
// (CellTexts), instead of being measured again on every layout; the first
// column (the names) takes the width that is left. Its rows share the
// table's height: never lower than its own font needs (so that a relay's
// lanes fit on a small screen), at most kMaxRowHeight, and the font grows
// with them as far as the columns still fit the table's width.
class TRunTableView : public QTableView
{
    Q_OBJECT

public:
    static constexpr int kMaxRowHeight = 30;

    explicit TRunTableView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    // Rows at least this high (the height of the editors open in them);
    // 0 for rows as high as the table's height and font make them.
    void setMinimumRowHeight(int height);
    // The font the cells and titles show: the table's own (the form's) or
    // larger, as far as the rows and columns leave room.
    QFont shownFont() const;

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QVector<int> &roles = QVector<int>()) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    QStyleOptionViewItem viewOptions() const override;

private:
    void fitColumns();
    void fitRows();
    void showFont(const QFont &shown);
    // The width that column needs in that font: its title, and the widest
    // text it can show with its picture; 0 for a model without CellTexts.
    int neededWidth(int column, const QFont &font) const;
    // Whether every column, the names in full, fits the table's width in
    // that font.
    bool fitsWidth(const QFont &font) const;

    int m_minimumRowHeight = 0;
};
