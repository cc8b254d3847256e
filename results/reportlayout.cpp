#include "reportlayout.h"

#include <QDate>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QRegularExpression>

#include <cmath>
#include <limits>

#include "reportdata.h"

namespace Report {

namespace {

// Painting runs in hundredths of a millimetre so that font sizes, which
// QFont takes in whole pixels, keep three figures.
constexpr int kUnitsPerTenth = 10;
constexpr double kTenthsPerInch = 254.0;
constexpr double kPointsPerInch = 72.0;
constexpr int kFramePenTenths = 2;
constexpr int kTextPaddingTenths = 8;

// $V{variable} and $D{source.field}.
const QRegularExpression kExpression(QStringLiteral(R"(\$([VD])\{([^}]*)\})"));
const QString kPageVariable = QStringLiteral("$V{#PAGE}");
const QString kPageCountVariable = QStringLiteral("$V{#PAGE_COUNT}");

QString valueText(const QVariant &value)
{
    if (value.userType() == QMetaType::QDate)
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    return value.toString();
}

int units(int tenths)
{
    return tenths * kUnitsPerTenth;
}

QFont itemFont(const Item &item)
{
    QFont font(item.fontFamily);
    font.setPixelSize(qRound(item.fontPoints * kTenthsPerInch * kUnitsPerTenth / kPointsPerInch));
    font.setBold(item.bold);
    return font;
}

// Where a text item's text goes inside its frame, in units.
QRect textRect(const QRect &frameUnits)
{
    const int across = units(kTextPaddingTenths);
    const int down = units(kTextPaddingTenths) / 2;
    return frameUnits.adjusted(across, down, -across, -down);
}

int textFlags(const Item &item)
{
    return int(item.alignment) | Qt::TextWordWrap;
}

// The height in tenths a text item needs to show its whole text, wrapped
// in its width, padding included.
int neededHeight(const Item &item)
{
    const QRect inside = textRect(QRect(0, 0, units(item.rect.width()), units(item.rect.height())));
    const QRectF text = QFontMetricsF(itemFont(item))
                            .boundingRect(QRectF(0, 0, inside.width(), std::numeric_limits<int>::max()),
                                          textFlags(item), item.text);
    const double padding = units(item.rect.height()) - inside.height();
    return int(std::ceil((text.height() + padding) / kUnitsPerTenth));
}

QImage valueImage(const QVariant &value)
{
    if (value.userType() == QMetaType::QImage)
        return value.value<QImage>();
    if (value.userType() == QMetaType::QPixmap)
        return value.value<QPixmap>().toImage();
    return QImage();
}

class Layouter
{
public:
    explicit Layouter(DataManager *data) : m_data(data) {}

    QList<Sheet> run(const Template &report)
    {
        for (const Page &page : report.pages)
            layoutPage(page);
        return m_sheets;
    }

private:
    void layoutPage(const Page &page)
    {
        m_page = &page;
        startSheet();
        for (const Band &band : page.bands) {
            if (band.kind == Band::ReportHeader)
                placeInFlow(fill(band), band.height);
            else if (band.kind == Band::Data)
                layoutData(band);
        }
        finishSheet();
    }

    void startSheet()
    {
        m_sheets << Sheet{m_page->orientation, {}};
        m_y = m_page->marginTop;
        int footers = 0;
        for (const Band &band : m_page->bands) {
            if (band.kind == Band::PageHeader) {
                place(fill(band), m_y);
                m_y += band.height;
            } else if (band.kind == Band::PageFooter) {
                footers += band.height;
            }
        }
        m_top = m_y;
        m_bottom = m_page->height - m_page->marginBottom - footers;
    }

    void finishSheet()
    {
        int y = m_bottom;
        for (const Band &band : m_page->bands) {
            if (band.kind == Band::PageFooter) {
                place(fill(band), y);
                y += band.height;
            }
        }
    }

    // A band that does not fit goes on a new sheet, unless the sheet is
    // still empty: a band taller than a sheet is cut rather than repeated.
    void placeInFlow(const QList<PlacedItem> &items, int height)
    {
        if (m_y + height > m_bottom && m_y > m_top) {
            finishSheet();
            startSheet();
        }
        place(items, m_y);
        m_y += height;
    }

    // A row grows to show every cell's whole text (a surname may wrap, the
    // first name under it is not cut); the cells that reach the row's
    // bottom grow with it, so the frames stay one row. Its height.
    static int grow(QList<PlacedItem> &items, int height)
    {
        int grown = height;
        for (const PlacedItem &placed : qAsConst(items)) {
            if (placed.item.kind == Item::Text)
                grown = std::max(grown, placed.item.rect.y() + neededHeight(placed.item));
        }
        for (PlacedItem &placed : items) {
            QRect &rect = placed.item.rect;
            if (rect.y() + rect.height() == height)
                rect.setHeight(grown - rect.y());
        }
        return grown;
    }

    void layoutData(const Band &band)
    {
        CallbackSource *source = m_data->source(band.source);
        if (!source || source->ask(RequestKind::IsEmpty).toBool())
            return;
        const QVariant rowCount = source->ask(RequestKind::RowCount);
        const int limit = rowCount.isValid() ? rowCount.toInt() : std::numeric_limits<int>::max();
        if (!source->move(Move::First))
            return;
        for (int row = 0; row < limit && source->ask(RequestKind::HasNext).toBool(); ++row) {
            m_rows.insert(source, row);
            QList<PlacedItem> items = fill(band);
            const int height = grow(items, band.height);
            placeInFlow(items, height);
            if (!source->move(Move::Next))
                break;
        }
    }

    // The band's items with their data, placed in the band.
    QList<PlacedItem> fill(const Band &band)
    {
        QList<PlacedItem> items;
        for (const Item &item : band.items) {
            PlacedItem placed;
            placed.item = item;
            if (item.kind == Item::Text) {
                placed.item.text = resolve(item.text);
            } else if (CallbackSource *source = m_data->source(item.source)) {
                placed.image = valueImage(source->ask(RequestKind::ColumnData,
                                                      m_rows.value(source), item.field));
            }
            items << placed;
        }
        return items;
    }

    void place(QList<PlacedItem> items, int y)
    {
        for (PlacedItem &placed : items)
            placed.item.rect.translate(m_page->marginLeft, y);
        m_sheets.last().items << items;
    }

    QString resolve(const QString &text)
    {
        QString result;
        int last = 0;
        QRegularExpressionMatchIterator matches = kExpression.globalMatch(text);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            result += text.midRef(last, match.capturedStart() - last);
            last = match.capturedEnd();
            const QString name = match.captured(2);
            if (match.captured(1) == QLatin1String("V")) {
                // The page number and count are known only once every sheet is laid out.
                result += name.startsWith(QLatin1Char('#')) ? match.captured(0)
                                                            : valueText(m_data->variable(name));
            } else {
                result += valueText(fieldValue(name));
            }
        }
        result += text.midRef(last);
        return result;
    }

    // "source.field" in the source's current record; a field the source
    // does not list is not asked for.
    QVariant fieldValue(const QString &sourceAndField)
    {
        const int dot = sourceAndField.indexOf(QLatin1Char('.'));
        CallbackSource *source = dot > 0 ? m_data->source(sourceAndField.left(dot)) : nullptr;
        if (!source)
            return QVariant();
        const QString field = sourceAndField.mid(dot + 1);
        auto known = m_fields.find(source);
        if (known == m_fields.end())
            known = m_fields.insert(source, source->fieldNames());
        if (!known->isEmpty() && !known->contains(field))
            return QVariant();
        return source->ask(RequestKind::ColumnData, m_rows.value(source), field);
    }

    DataManager *m_data = nullptr;
    const Page *m_page = nullptr;
    QList<Sheet> m_sheets;
    int m_y = 0;
    int m_top = 0;
    int m_bottom = 0;
    QHash<CallbackSource *, int> m_rows; // a source's current record
    QHash<CallbackSource *, QStringList> m_fields;
};

QRect unitsRect(const QRect &tenths)
{
    return QRect(units(tenths.x()), units(tenths.y()), units(tenths.width()),
                 units(tenths.height()));
}

void paintItem(QPainter &painter, const PlacedItem &placed, int page, int pageCount)
{
    const Item &item = placed.item;
    const QRect rect = unitsRect(item.rect);
    if (item.kind == Item::Text) {
        painter.setFont(itemFont(item));
        painter.setClipRect(rect);
        painter.drawText(textRect(rect), textFlags(item), withPageNumbers(item.text, page, pageCount));
        painter.setClipping(false);
    } else if (!placed.image.isNull()) {
        const QSize size = placed.image.size().scaled(rect.size(), Qt::KeepAspectRatio);
        QRect target(QPoint(), size);
        target.moveCenter(rect.center());
        painter.drawImage(target, placed.image);
    }
    if (item.frame) {
        painter.setPen(QPen(Qt::black, units(kFramePenTenths)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect);
    }
}

void setSheetLayout(QPrinter *printer, QPageLayout::Orientation orientation)
{
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(orientation);
}

} // namespace

QList<Sheet> layoutReport(const Template &report, DataManager *data)
{
    return Layouter(data).run(report);
}

QString withPageNumbers(QString text, int page, int pageCount)
{
    return text.replace(kPageCountVariable, QString::number(pageCount))
        .replace(kPageVariable, QString::number(page));
}

bool paintSheets(QPrinter *printer, const QList<Sheet> &sheets)
{
    if (!printer || sheets.isEmpty())
        return false;
    printer->setFullPage(true);
    setSheetLayout(printer, sheets.first().orientation);
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    const double scale = printer->resolution() / (kTenthsPerInch * kUnitsPerTenth);
    for (int i = 0; i < sheets.size(); ++i) {
        if (i > 0) {
            if (sheets.at(i).orientation != sheets.at(i - 1).orientation)
                setSheetLayout(printer, sheets.at(i).orientation);
            if (!printer->newPage()) {
                painter.end();
                return false;
            }
        }
        painter.save();
        painter.scale(scale, scale);
        for (const PlacedItem &item : sheets.at(i).items)
            paintItem(painter, item, i + 1, sheets.size());
        painter.restore();
    }
    return painter.end() && printer->printerState() != QPrinter::Error;
}

} // namespace Report
