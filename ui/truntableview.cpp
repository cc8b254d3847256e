#include "truntableview.h"

#include <QEvent>
#include <QFontInfo>
#include <QHeaderView>
#include <QImage>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QtMath>

#include "celltexts.h"

namespace {

constexpr int kNameColumn = 0;
// The largest picture of a cell (an arrow, a flag, a presence icon).
constexpr int kPictureSide = 16;
// Room in a sighting shot's cell for its arrow with the gaps the shot
// delegate leaves around it (5 before, 10 after): its text starts there.
constexpr int kSightingPictureRoom = 5 + kPictureSide + 10;

// The widest of the texts in that font.
QString widestText(const QStringList &texts, const QFont &font)
{
    const QFontMetricsF metrics(font);
    QString widest;
    qreal widestAdvance = -1;
    for (const QString &text : texts) {
        const qreal advance = metrics.horizontalAdvance(text);
        if (advance > widestAdvance) {
            widest = text;
            widestAdvance = advance;
        }
    }
    return widest;
}

} // namespace

TRunTableView::TRunTableView(QWidget *parent)
    : QTableView(parent)
{
    // The titles of the numbered columns are padded with blanks to centre
    // them; in a column narrower than the blanks an ellipsis would take the
    // number's place.
    horizontalHeader()->setTextElideMode(Qt::ElideNone);
    connect(horizontalHeader(), &QHeaderView::sectionCountChanged, this, [this] { fit(); });
    // Fewer lanes leave each more of the height; a new lane's labels may be
    // wider than those there were.
    connect(verticalHeader(), &QHeaderView::sectionCountChanged, this, [this] { fit(); });
    QImage picture(kPictureSide, kPictureSide, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    m_sample.setData(m_sample.index(0, kPictureSample), picture, Qt::DecorationRole);
    fit();
}

void TRunTableView::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    // The form's font, set on the table or passed on by a parent.
    if (event->type() == QEvent::FontChange)
        fit();
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
    fit();
}

void TRunTableView::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    fit();
}

int TRunTableView::rowHeightIn(const QFont &font, bool columnsScroll) const
{
    // A row is the font's em and a pixel between two rows: the letters'
    // accents and tails stay inside the em.
    const int pixels = QFontInfo(font).pixelSize();
    const int rows = model() ? model()->rowCount() : 0;
    const QHeaderView *header = horizontalHeader();
    const int headerMargins = header->sizeHint().height() - header->fontMetrics().height();
    const int height = this->height() - 2 * frameWidth()
        - (columnsScroll ? horizontalScrollBar()->sizeHint().height() : 0);
    // The rows' share of the height left below a header in that font.
    const int share = (height - headerMargins - QFontMetrics(font).height()) / qMax(rows, 1);
    return share < pixels + 1 ? 0 : qMin(share, kMaxRowHeight);
}

int TRunTableView::cellWidth(int column, const QString &text, const QFont &font) const
{
    const auto *texts = dynamic_cast<const CellTexts *>(model());
    const bool picture = texts && texts->showsPictures(column);
    const QModelIndex cell = m_sample.index(0, picture ? kPictureSample : kTextSample);
    m_sample.setData(cell, text);
    QStyleOptionViewItem option = QTableView::viewOptions();
    option.font = font;
    option.fontMetrics = QFontMetrics(font);
    QAbstractItemDelegate *delegate = itemDelegateForColumn(column);
    if (!delegate)
        delegate = itemDelegate();
    int width = delegate->sizeHint(option, cell).width();
    // The shot delegate writes a sighting shot's text after its arrow.
    if (picture) {
        const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
        width = qMax(width, kSightingPictureRoom
                                + qCeil(QFontMetricsF(font).horizontalAdvance(text)) + textMargin);
    }
    // And a blank, so that the figures of two columns do not run together.
    return width + QFontMetrics(font).horizontalAdvance(QLatin1Char(' ')) + (showGrid() ? 1 : 0);
}

int TRunTableView::titleWidth(int column, const QFont &font) const
{
    const QHeaderView *header = horizontalHeader();
    QStyleOptionHeader option;
    option.initFrom(header);
    option.orientation = Qt::Horizontal;
    option.section = column;
    option.fontMetrics = QFontMetrics(font);
    // The blanks around a numbered column's title centre it; they may be cut.
    option.text = model()->headerData(column, Qt::Horizontal).toString().trimmed();
    return header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header).width();
}

QVector<TRunTableView::Room> TRunTableView::roomsIn(const QFont &font) const
{
    const auto *texts = dynamic_cast<const CellTexts *>(model());
    if (!texts)
        return {};
    const QHeaderView *header = horizontalHeader();
    // A name as long as the longest that is not cut short, in the letters
    // of the names (a Cyrillic o).
    const int nameRoom = cellWidth(kNameColumn, QString(kNameLetters, QChar(0x043E)), font);
    QVector<Room> rooms(header->count());
    for (int column = 0; column < rooms.size(); ++column) {
        const QString widest = widestText(texts->possibleTexts(column), font);
        const int title = titleWidth(column, font);
        Room &room = rooms[column];
        room.needed = qMax(qMax(title, header->minimumSectionSize()),
                           widest.isEmpty() ? 0 : cellWidth(column, widest, font));
        room.least = room.needed;
        if (texts->givesWay(column)) {
            const int keeps = column == kNameColumn ? nameRoom : 0;
            room.least = qMax(qMax(title, header->minimumSectionSize()), qMin(room.needed, keeps));
        }
    }
    return rooms;
}

int TRunTableView::leastTotal(const QVector<Room> &rooms)
{
    int total = 0;
    for (const Room &room : rooms)
        total += room.least;
    return total;
}

void TRunTableView::fit()
{
    if (m_fitting)
        return;
    m_fitting = true;
    const QFont base = font();
    QFont fitted = base;
    QVector<Room> rooms;
    int rowHeight = 0;
    const bool rows = model() && model()->rowCount() > 0 && horizontalHeader()->count() > 0;
    if (rows && dynamic_cast<const CellTexts *>(model())) {
        // The largest font whose rows share the height and whose columns
        // fit the width; failing that, the largest whose rows share the
        // height (the columns scroll), and failing that too, the form's
        // (a page too small for the relay).
        bool inSight = false;
        for (int pixels = kMaxRowHeight - 1; pixels >= kMinPixels; --pixels) {
            QFont candidate = base;
            candidate.setPixelSize(pixels);
            const QVector<Room> candidateRooms = roomsIn(candidate);
            const bool fitsWidth = leastTotal(candidateRooms) <= roomWidth();
            const int height = rowHeightIn(candidate, !fitsWidth);
            if (height == 0)
                continue;
            if (!inSight || fitsWidth) {
                fitted = candidate;
                rowHeight = height;
                rooms = candidateRooms;
                inSight = true;
            }
            if (fitsWidth)
                break;
        }
        if (!inSight)
            rooms = roomsIn(base);
    } else {
        rooms = roomsIn(base);
        rowHeight = rowHeightIn(base, false);
    }
    showFont(fitted);
    if (rowHeight == 0)
        rowHeight = QFontInfo(fitted).pixelSize() + 1;
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    fitColumns(rooms);
    m_fitting = false;
}

void TRunTableView::fitColumns(const QVector<Room> &rooms)
{
    QHeaderView *header = horizontalHeader();
    if (!model() || header->count() == 0)
        return;
    // What is left over the least of every column goes to the columns that
    // give way, the team's first, the rest to the names; when the columns
    // scroll (a page narrower than they can be) the names keep their least.
    int spare = roomWidth() - leastTotal(rooms);
    for (int column = 0; column < header->count(); ++column) {
        if (column == kNameColumn && (rooms.isEmpty() || spare >= 0)) {
            header->setSectionResizeMode(column, QHeaderView::Stretch);
        } else if (rooms.isEmpty()) {
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        } else {
            const Room &room = rooms.at(column);
            const int more = qBound(0, room.needed - room.least, qMax(spare, 0));
            spare -= more;
            header->setSectionResizeMode(column, QHeaderView::Fixed);
            header->resizeSection(column, room.least + more);
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
