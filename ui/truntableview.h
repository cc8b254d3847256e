#pragma once

#include <QFont>
#include <QStandardItemModel>
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
// Its font and columns are fitted together, whenever its size, its rows or
// columns, or the form's font change, to the widest text each column can
// come to show (CellTexts), instead of being measured again on every
// layout: the shown font is the largest at which every row is in sight and
// every figure and title is whole, in a column as wide as its delegate asks
// for that text. The names and teams give way first: each keeps at least
// its title and a name kNameLetters letters long, the team what is left of
// its own width and the names the rest. The fit depends on the table's size
// and the texts alone, so the same screen shows the same columns every time.
class TRunTableView : public QTableView
{
    Q_OBJECT

public:
    static constexpr int kMaxRowHeight = 30;
    // The smallest font, in pixels, the table shows to keep a long relay in
    // sight on a small screen.
    static constexpr int kMinPixels = 8;
    // A name shorter than this is not cut short.
    static constexpr int kNameLetters = 24;

    explicit TRunTableView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    // Fits the font and columns again after a column's delegate changed:
    // a column is as wide as its delegate asks for (the editors open in it
    // are as high as the rows).
    void refit() { fit(); }
    // The font the cells and titles show: the table's own (the form's), or
    // larger or smaller as the rows and columns leave room.
    QFont shownFont() const;

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QVector<int> &roles = QVector<int>()) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    QStyleOptionViewItem viewOptions() const override;

private:
    // The room a column takes in a font: what it needs to show its widest
    // text and its title whole, and for a column that gives way the least
    // it keeps.
    struct Room
    {
        int needed = 0;
        int least = 0;
    };

    void fit();
    void fitColumns(const QVector<Room> &rooms);
    void showFont(const QFont &shown);
    // The rows' height in that font when they share the table's height
    // (less a scroll bar when the columns scroll); 0 when they do not fit.
    int rowHeightIn(const QFont &font, bool columnsScroll) const;
    // Each column's room in that font; empty for a model without CellTexts.
    QVector<Room> roomsIn(const QFont &font) const;
    // The width the column's delegate asks for to show that text whole, with
    // a picture when the column shows them.
    int cellWidth(int column, const QString &text, const QFont &font) const;
    // The width the header asks for to show that title whole.
    int titleWidth(int column, const QFont &font) const;
    static int leastTotal(const QVector<Room> &rooms);
    int roomWidth() const { return width() - 2 * frameWidth(); }

    bool m_fitting = false;
    // Cells with the text being measured, for the delegates: one with a
    // picture, one without.
    static constexpr int kPictureSample = 0;
    static constexpr int kTextSample = 1;
    mutable QStandardItemModel m_sample{1, 2};
};
