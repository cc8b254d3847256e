#include "prepareprint.h"

#include <QStringList>

#include "createmyevent.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tmemberplace.h"
#include "tmembers.h"
#include "totalssource.h"
#include "tprintdata.h"
#include "tshooter.h"
#include "tusermodul.h"

namespace {

// The report counts series of ten match shots.
constexpr int kSeriesSize = 10;

struct ReportLayout
{
    const char *templateFile;
    int columnCount;
    int seriesCount;
};

constexpr ReportLayout kReport40{":/report/report/report_simple40.lrxml", 11, 4};
constexpr ReportLayout kReport60{":/report/report/report_simple60.lrxml", 13, 6};
constexpr int kMatchCount40 = 40;
constexpr int kMatchCount60 = 60;

// "0" until the series is complete.
QString seriesCell(const TMemberPlace *place, int k, bool tenths)
{
    bool complete = false;
    const int marked = place->seriesMarked(k, kSeriesSize, &complete);
    if (!complete)
        return QStringLiteral("0");
    if (tenths)
        return totalsTenthsCell(qRound(place->seriesSumTenths(k, kSeriesSize) * 10.0), marked);
    return totalsCell(place->seriesSumInt(k, kSeriesSize), marked);
}

QString totalCell(const TMemberPlace *place, bool tenths)
{
    if (tenths)
        return totalsTenthsCell(qRound(place->matchTotalTenths() * 10.0), place->markedTotal());
    return totalsCell(place->matchTotalInt(), place->markedTotal());
}

} // namespace

bool preparePrint(TPrintData *printData, TUserModul *module, TEvent *event, int relay)
{
    if (!printData || !module)
        return false;
    const TCompetition *competition = module->currentCompetition();
    if (!competition || !event)
        return false;
    TBulletList *list = module->bulletList(event->id());
    if (!list || event->typeXMLID() != kEventSimpleOne)
        return false;
    ReportLayout layout{};
    if (event->matchCount() == kMatchCount40)
        layout = kReport40;
    else if (event->matchCount() == kMatchCount60)
        layout = kReport60;
    else
        return false;

    printData->setReport(QString::fromLatin1(layout.templateFile), layout.columnCount);
    printData->setCompetitionName(competition->name());
    printData->setCompetitionType(event->nameRus());
    printData->setCompetitionDate(competition->startDate());
    printData->setRelay(relay);
    return fillPrintRows(printData, list, module, layout.seriesCount);
}

bool fillPrintRows(TPrintData *printData, TBulletList *list, TUserModul *module, int seriesCount)
{
    if (!printData || !list)
        return false;
    const bool tenths = list->showTenths();
    int number = 1;
    for (const TMemberPlace *place = list->firstPlace(); place; place = list->nextPlace(place)) {
        const TShooter *member =
            module ? module->members()->memberByMemberID(place->memberID()) : nullptr;
        // A member removed from the competition keeps its place's shots but
        // has no name, year or qualification left to print.
        QStringList row{QString::number(number)};
        if (member) {
            row << member->family() << member->name()
                << member->dateOfBirth().toString(QStringLiteral("yyyy"))
                << module->qualityShortName(member->qualityID());
        } else {
            row << QString() << QString() << QString() << QString();
        }
        row << QString::number(place->startNumber());
        for (int k = 1; k <= seriesCount; ++k)
            row << seriesCell(place, k, tenths);
        row << totalCell(place, tenths);
        printData->addRow(row);
        ++number;
    }
    return true;
}
