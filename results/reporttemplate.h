#pragma once

#include <QList>
#include <QPageLayout>
#include <QRect>
#include <QString>

// A report template of our engine, read from its XML file:
//
//   <report>
//     <page orientation="landscape" margin="50">
//       <band kind="reportHeader" height="280">
//         <text x="0" y="0" width="2870" height="60" size="12" align="left">Чемпионат $V{Name}</text>
//       </band>
//       <band kind="data" source="list1" height="120">
//         <text width="70" frame="1">$D{list1.Value1}</text>
//         <text width="600" align="left top" frame="1"><line>$D{list1.Value2}</line>...</text>
//       </band>
//       <band kind="pageFooter" height="100"> ... <image source="pixmap1" field="Picture" .../>
//     </page>
//   </report>
//
// Every page is A4; lengths are tenths of a millimetre. Each <page> starts on
// a new sheet and may run over several. Bands stack from the top in their
// order: a "reportHeader" band once, a "data" band once per record of its
// source, continuing on a new sheet when the sheet is full; "pageHeader" and
// "pageFooter" bands go on every sheet of their page. Item positions are
// relative to their band; an item of a data band without x follows the one
// before it, so a row of cells is given by widths alone, and its height
// defaults to the band's. Texts mix fixed text with $V{variable} and
// $D{source.field}; <line> children stand on lines of their own.
namespace Report {

struct Item
{
    enum Kind { Text, Image };

    Kind kind = Text;
    QRect rect; // tenths of a millimetre, relative to the band
    QString text;
    QString source; // an image's data source
    QString field;  // and the field it reads
    QString fontFamily = QStringLiteral("Arial");
    int fontPoints = 10;
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignCenter;
    bool frame = false;
};

struct Band
{
    enum Kind { ReportHeader, PageHeader, PageFooter, Data };

    Kind kind = ReportHeader;
    int height = 0;
    QString source; // data bands
    QList<Item> items;
};

struct Page
{
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    int width = 0;  // of the sheet, after the orientation
    int height = 0;
    int marginLeft = 0;
    int marginTop = 0;
    int marginRight = 0;
    int marginBottom = 0;
    QList<Band> bands;
};

struct Template
{
    QList<Page> pages;
};

// A4 in tenths of a millimetre.
constexpr int kA4ShortSide = 2100;
constexpr int kA4LongSide = 2970;

// Reads a template; false, with the reason in *error, when the file cannot
// be read or is no template of ours.
bool readTemplate(const QString &fileName, Template *result, QString *error);

} // namespace Report
