#include "reporttemplate.h"

#include <QFile>
#include <QXmlStreamReader>

namespace Report {

namespace {

int intAttribute(const QXmlStreamAttributes &attributes, const QString &name, int fallback)
{
    bool ok = false;
    const int value = attributes.value(name).toInt(&ok);
    return ok ? value : fallback;
}

bool boolAttribute(const QXmlStreamAttributes &attributes, const QString &name)
{
    const QStringRef value = attributes.value(name);
    return value == QLatin1String("1") || value == QLatin1String("true");
}

// "left top", "right", "center"... Unnamed directions are centred.
Qt::Alignment alignmentOf(const QString &text)
{
    Qt::Alignment horizontal = Qt::AlignHCenter;
    Qt::Alignment vertical = Qt::AlignVCenter;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word == QLatin1String("left"))
            horizontal = Qt::AlignLeft;
        else if (word == QLatin1String("right"))
            horizontal = Qt::AlignRight;
        else if (word == QLatin1String("top"))
            vertical = Qt::AlignTop;
        else if (word == QLatin1String("bottom"))
            vertical = Qt::AlignBottom;
    }
    return horizontal | vertical;
}

class TemplateReader
{
public:
    explicit TemplateReader(QIODevice *device) : m_xml(device) {}

    bool read(Template *result, QString *error)
    {
        if (!m_xml.readNextStartElement() || m_xml.name() != QLatin1String("report")) {
            *error = QStringLiteral("no <report> element");
            return false;
        }
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("page"))
                result->pages << readPage();
            else
                m_xml.skipCurrentElement();
        }
        if (m_xml.hasError()) {
            *error = QStringLiteral("line %1: %2").arg(m_xml.lineNumber()).arg(m_xml.errorString());
            return false;
        }
        if (result->pages.isEmpty()) {
            *error = QStringLiteral("no page");
            return false;
        }
        return true;
    }

private:
    Page readPage()
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        Page page;
        const bool landscape = attributes.value(QLatin1String("orientation"))
                               == QLatin1String("landscape");
        page.orientation = landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
        page.width = landscape ? kA4LongSide : kA4ShortSide;
        page.height = landscape ? kA4ShortSide : kA4LongSide;
        const int margin = intAttribute(attributes, QStringLiteral("margin"), 0);
        page.marginLeft = intAttribute(attributes, QStringLiteral("left"), margin);
        page.marginTop = intAttribute(attributes, QStringLiteral("top"), margin);
        page.marginRight = intAttribute(attributes, QStringLiteral("right"), margin);
        page.marginBottom = intAttribute(attributes, QStringLiteral("bottom"), margin);
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("band"))
                page.bands << readBand();
            else
                m_xml.skipCurrentElement();
        }
        return page;
    }

    Band readBand()
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        Band band;
        const QStringRef kind = attributes.value(QLatin1String("kind"));
        if (kind == QLatin1String("data"))
            band.kind = Band::Data;
        else if (kind == QLatin1String("pageHeader"))
            band.kind = Band::PageHeader;
        else if (kind == QLatin1String("pageFooter"))
            band.kind = Band::PageFooter;
        band.height = intAttribute(attributes, QStringLiteral("height"), 0);
        band.source = attributes.value(QLatin1String("source")).toString();
        int nextX = 0;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("text") || m_xml.name() == QLatin1String("image")) {
                Item item = readItem(band, nextX);
                nextX = item.rect.x() + item.rect.width();
                band.items << item;
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return band;
    }

    Item readItem(const Band &band, int nextX)
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        Item item;
        item.kind = m_xml.name() == QLatin1String("image") ? Item::Image : Item::Text;
        const int y = intAttribute(attributes, QStringLiteral("y"), 0);
        item.rect = QRect(intAttribute(attributes, QStringLiteral("x"), nextX), y,
                          intAttribute(attributes, QStringLiteral("width"), 0),
                          intAttribute(attributes, QStringLiteral("height"), band.height - y));
        item.source = attributes.value(QLatin1String("source")).toString();
        item.field = attributes.value(QLatin1String("field")).toString();
        if (attributes.hasAttribute(QLatin1String("font")))
            item.fontFamily = attributes.value(QLatin1String("font")).toString();
        item.fontPoints = intAttribute(attributes, QStringLiteral("size"), item.fontPoints);
        item.bold = boolAttribute(attributes, QStringLiteral("bold"));
        if (attributes.hasAttribute(QLatin1String("align")))
            item.alignment = alignmentOf(attributes.value(QLatin1String("align")).toString());
        item.frame = boolAttribute(attributes, QStringLiteral("frame"));
        item.text = readItemText();
        return item;
    }

    // Plain content, trimmed, or its <line> children one per line.
    QString readItemText()
    {
        QString plain;
        QStringList lines;
        while (!m_xml.atEnd()) {
            const QXmlStreamReader::TokenType token = m_xml.readNext();
            if (token == QXmlStreamReader::Characters)
                plain += m_xml.text();
            else if (token == QXmlStreamReader::StartElement && m_xml.name() == QLatin1String("line"))
                lines << m_xml.readElementText();
            else if (token == QXmlStreamReader::StartElement)
                m_xml.skipCurrentElement();
            else if (token == QXmlStreamReader::EndElement)
                break;
        }
        return lines.isEmpty() ? plain.trimmed() : lines.join(QLatin1Char('\n'));
    }

    QXmlStreamReader m_xml;
};

} // namespace

bool readTemplate(const QString &fileName, Template *result, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    Template read;
    if (!TemplateReader(&file).read(&read, error))
        return false;
    *result = read;
    return true;
}

} // namespace Report
