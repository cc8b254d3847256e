#include "truntableview.h"

#include <QEvent>
#include <QFontInfo>
#include <QHeaderView>
#include <QResizeEvent>
#include <QtMath>

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
    connect(horizontalHeader(), &QHeaderView::sectionCountChanged, this, [this] {
        fitRows();
        fitColumns();
    });
    // Fewer lanes leave each more of the height.
    connect(verticalHeader(), &QHeaderView::sectionCountChanged, this, [this] { fitRows(); });
    fitRows();
}

void TRunTableView::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    // The form's font, set on the table or passed on by a parent.
    if (event->type() == QEvent::FontChange) {
        fitRows();
        fitColumns();
    }
}

QFont TRunTableView::shownFont() const
{
    return viewport()->font();
}

void TRunTableView::showFont(const QFont &shown)
{
    // The table's own font stays the form's, so that every fit starts from
    // it, whichever of the form's change and a fit's comes first, even when
    // one runs inside the other. The cells and their editors show the fitted
    // one, and the titles too, whatever a platform gives headers: a header
    // paints in its viewport's font, which with a style sheet does not
    // follow its own.
    viewport()->setFont(shown);
    horizontalHeader()->setFont(shown);
    horizontalHeader()->viewport()->setFont(shown);
}

QStyleOptionViewItem TRunTableView::viewOptions() const
{
    QStyleOptionViewItem option = QTableView::viewOptions();
    option.font = shownFont();
    option.fontMetrics = QFontMetrics(option.font);
    return option;
}

void TRunTableView::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    // Also called for the viewport's own resizes; the fit depends on the
    // table's outer size only, so it settles at once.
    fitRows();
}

void TRunTableView::setMinimumRowHeight(int height)
{
    m_minimumRowHeight = height;
    fitRows();
}

void TRunTableView::fitRows()
{
    // A row is the font's em and a pixel between two rows: the letters'
    // accents and tails stay inside the em.
    const QFont base = font();
    const int basePixels = QFontInfo(base).pixelSize();
    const int rows = model() ? model()->rowCount() : 0;
    const QHeaderView *header = horizontalHeader();
    const int headerMargins = header->sizeHint().height() - header->fontMetrics().height();
    const int height = this->height() - 2 * frameWidth();
    // The rows' share of the height left below a header in that font.
    const auto rowHeightWith = [&](const QFont &font) {
        const int share = (height - headerMargins - QFontMetrics(font).height()) / qMax(rows, 1);
        return qBound(basePixels + 1, share, kMaxRowHeight);
    };
    QFont fitted = base;
    if (rows > 0 && header->count() > 0) {
        // The largest font whose rows share the height and whose columns
        // fit the width.
        for (int pixels = kMaxRowHeight - 1; pixels > basePixels; --pixels) {
            QFont larger = base;
            larger.setPixelSize(pixels);
            if (pixels + 1 <= rowHeightWith(larger) && fitsWidth(larger)) {
                fitted = larger;
                break;
            }
        }
    }
    showFont(fitted);
    const int rowHeight = qMax(rows > 0 ? rowHeightWith(fitted) : basePixels + 1, m_minimumRowHeight);
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
}

void TRunTableView::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    fitRows();
    fitColumns();
}

void TRunTableView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QTableView::rowsInserted(parent, start, end);
    // The labels of a new row may be wider than those there were.
    fitColumns();
}

int TRunTableView::neededWidth(int column, const QFont &font) const
{
    const auto *texts = dynamic_cast<const CellTexts *>(model());
    if (!texts)
        return 0;
    const QHeaderView *header = horizontalHeader();
    // Cells elide a text that is wider than their room by a fraction of a pixel.
    const QFontMetricsF cells(font);
    const auto advance = [&cells](const QString &text) { return qCeil(cells.horizontalAdvance(text)); };
    // The title itself must fit; the blanks around it may be cut. The
    // header's margins around it are the same in any font.
    const QString title = model()->headerData(column, Qt::Horizontal).toString();
    int width = header->sectionSizeHint(column) - header->fontMetrics().horizontalAdvance(title)
        + advance(title.trimmed());
    const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    // And a blank, so that the figures of two columns do not run together.
    const int room = 2 * textMargin + (texts->showsPictures(column) ? kPictureRoom : 0)
        + (showGrid() ? 1 : 0) + advance(QStringLiteral(" "));
    for (const QString &text : texts->possibleTexts(column))
        width = qMax(width, advance(text) + room);
    return qMax(width, header->minimumSectionSize());
}

bool TRunTableView::fitsWidth(const QFont &font) const
{
    if (!dynamic_cast<const CellTexts *>(model()))
        return false;
    int total = 0;
    for (int column = 0; column < horizontalHeader()->count(); ++column)
        total += neededWidth(column, font);
    return total <= width() - 2 * frameWidth();
}

void TRunTableView::fitColumns()
{
    QHeaderView *header = horizontalHeader();
    if (!model() || header->count() == 0)
        return;
    const bool textsKnown = dynamic_cast<const CellTexts *>(model());
    for (int column = 0; column < header->count(); ++column) {
        if (column == kNameColumn) {
            header->setSectionResizeMode(column, QHeaderView::Stretch);
        } else if (!textsKnown) {
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        } else {
            header->setSectionResizeMode(column, QHeaderView::Fixed);
            header->resizeSection(column, neededWidth(column, shownFont()));
        }
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
