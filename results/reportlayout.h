#pragma once

#include <QImage>
#include <QList>
#include <QPageLayout>

#include "reporttemplate.h"

class QPrinter;

// Inside the report engine: a template filled with its data becomes sheets of
// placed items, which are then painted on a printer.
namespace Report {

class DataManager;

struct PlacedItem
{
    Item item;    // rect on the sheet; text with the data filled in
    QImage image; // of an image item
};

struct Sheet
{
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QList<PlacedItem> items;
};

// Fills the template: variables and fields are asked for while the bands are
// laid out; the page number and count stay "$V{#PAGE}" and
// "$V{#PAGE_COUNT}" until painting.
QList<Sheet> layoutReport(const Template &report, DataManager *data);

// False when the printer cannot be painted on or refuses a page.
bool paintSheets(QPrinter *printer, const QList<Sheet> &sheets);

// A text as printed on sheet `page` (from 1) of `pageCount`.
QString withPageNumbers(QString text, int page, int pageCount);

} // namespace Report
