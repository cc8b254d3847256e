#include "truntableview.h"

#include <QEvent>
#include <QFontInfo>
#include <QHeaderView>

#include "celltexts.h"

namespace {

constexpr int kNameColumn = 0;
// Room in a cell for its picture (an arrow, a flag, a presence icon; at most
// 16 pixels) with the gaps the shot delegate leaves around a sighting
// shot's arrow (5 before, 10 after).
constexpr int kPictureRoom = 5 + 16 + 10;

} // namespace

TRunTableView::TRunTableView(QWidget *parent)
    : QTableView(parent)
{
    // The titles of the numbered columns are padded with blanks to centre
    // them; in a column narrower than the blanks an ellipsis would take the
    // number's place.
    horizontalHeader()->setTextElideMode(Qt::ElideNone);
    connect(horizontalHeader(), &QHeaderView::sectionCountChanged, this,
            [this] { fitColumns(); });
    fitRows();
}

void TRunTableView::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // The titles in the cells' font, whatever a platform gives headers.
        horizontalHeader()->setFont(font());
        fitRows();
        fitColumns();
    }
}

void TRunTableView::setMinimumRowHeight(int height)
{
    m_minimumRowHeight = height;
    fitRows();
}

void TRunTableView::fitRows()
{
    // The font's em and a pixel between two rows: the letters' accents and
    // tails stay inside the em.
    const int height = qMax(QFontInfo(font()).pixelSize() + 1, m_minimumRowHeight);
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

void TRunTableView::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    fitColumns();
}

void TRunTableView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QTableView::rowsInserted(parent, start, end);
    // The labels of a new row may be wider than those there were.
    fitColumns();
}

void TRunTableView::fitColumns()
{
    QHeaderView *header = horizontalHeader();
    if (!model() || header->count() == 0)
        return;
    const auto *texts = dynamic_cast<const CellTexts *>(model());
    const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const QFontMetrics cellFont = fontMetrics();
    const QFontMetrics titleFont = header->fontMetrics();
    for (int column = 0; column < header->count(); ++column) {
        if (column == kNameColumn) {
            header->setSectionResizeMode(column, QHeaderView::Stretch);
            continue;
        }
        if (!texts) {
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
            continue;
        }
        header->setSectionResizeMode(column, QHeaderView::Fixed);
        // The title itself must fit; the blanks around it may be cut.
        const QString title = model()->headerData(column, Qt::Horizontal).toString();
        int width = header->sectionSizeHint(column) - titleFont.horizontalAdvance(title)
            + titleFont.horizontalAdvance(title.trimmed());
        for (const QString &text : texts->possibleTexts(column))
            width = qMax(width, cellFont.horizontalAdvance(text) + kPictureRoom + 2 * textMargin);
        header->resizeSection(column, qMax(width, header->minimumSectionSize()));
    }
}

void TRunTableView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                const QVector<int> &roles)
{
    const bool rows = topLeft.isValid() && bottomRight.isValid() && topLeft != bottomRight
        && topLeft.row() <= bottomRight.row();
    if (!rows || !isVisible()) {
        QTableView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    // The rows' place comes from the vertical header alone: asking for a
    // cell's rectangle would lay the view out at once, on every change,
    // instead of once when the event loop comes round. The cells' editors
    // (the shoot-off buttons) show nothing of the data, but follow their
    // rows when a re-sort has moved them.
    const int top = rowViewportPosition(topLeft.row());
    const int bottom = rowViewportPosition(bottomRight.row()) + rowHeight(bottomRight.row());
    viewport()->update(0, top, viewport()->width(), bottom - top);
    if (topLeft.row() != bottomRight.row())
        updateEditorGeometries();
}
