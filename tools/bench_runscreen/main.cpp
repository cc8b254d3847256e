// Shots for a line of 100 lanes arrive on the run page while both of its
// tables are on screen: each shot goes into the shot list the page shows
// (scored, stored when it is a match shot), and the page is brought up to
// date and painted before the next one. Reports the cost per shot, median
// and worst, of the model update and of the views' share, for sighting shots
// (kept in memory) and match shots (stored as they arrive).
//   bench_runscreen [match shots per lane, default 20]
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise or a
// display is there (xvfb-run).

#include <QAbstractItemView>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "formexecuteevent.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tmembers.h"
#include "trelay.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tusermodul.h"

namespace {

constexpr int kLanes = 100;
constexpr int kSightingShots = 5;
constexpr int kShotColumns = 10;
constexpr int kSeries = 6;
constexpr int kCountry = 2;

const char *const kEventsType = R"(<?xml version="1.0" encoding="UTF-8"?>
<EventsList>
  <EventType ID="1" NameEng="SimpleOne" NameRus="Series">
    <SubType SubNum="1" SubNameEng="10m Air Rifle 60 Shots" SubNameRus="R60" MatchCount="60"
             TargetNum="8" ControlValue="10.2" VIew10="1" OldID="0" Calibre="450"/>
  </EventType>
</EventsList>
)";

const char *const kCompetitionTypes = R"(<?xml version="1.0" encoding="UTF-8"?>
<CompetititonList>
  <CompetitionType ID="1" NameEng="Air Rifle" NameRus="AR" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
  </CompetitionType>
</CompetititonList>
)";

void report(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

bool writeFile(const QString &path, const char *text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) > 0;
}

// A competition of 100 members in one relay on lanes 1 to 100, that relay
// being shot; the shot list of its exercise with a place per member.
TBulletList *prepareLine(TUserModul &modul)
{
    if (!modul.newCompetition(kCountry, 1, false, QStringLiteral("Bench")))
        return nullptr;
    TEvent *event = modul.currentCompetition()->event(0);
    if (!event || !modul.beginEditRelay(event, 1))
        return nullptr;
    for (int lane = 1; lane <= kLanes; ++lane) {
        const int shooterID = modul.addShooter(QStringLiteral("Name%1").arg(lane),
                                               QStringLiteral("Family%1").arg(lane),
                                               QDate(1990, 1, 1), 0, kCountry, 0, 0);
        if (!modul.addMember(modul.shooters()->shooterByID(shooterID), lane))
            return nullptr;
        const TShooter *member = modul.members()->memberByShooterID(shooterID);
        if (!member || !modul.placeMember(member->memberID(), lane, false, false))
            return nullptr;
    }
    int errorInfo = -1;
    int relayInfo = -1;
    if (!modul.commitEditRelay(false) || !modul.firstUnfinishedRelay(&errorInfo, &relayInfo)
        || !modul.prepareRunRelay())
        return nullptr;
    const TRelay *relay = modul.currentRunRelay(nullptr, nullptr);
    TBulletList *list = modul.bulletList(event->id());
    if (!relay || !list)
        return nullptr;
    list->reload();
    for (int i = 0; i < relay->memberCount(); ++i) {
        const TShooter *member = relay->memberAt(i);
        list->addPlace(member->memberID(), relay->targetOfMember(member->memberID()),
                       member->family() + QLatin1Char(' ') + member->name(),
                       member->startNumber(), QImage(), QStringLiteral("RUS"),
                       QStringLiteral("Team"), QStringLiteral("MS"));
    }
    // As the one-position exercise lays the list out.
    list->setShotColumns(kShotColumns);
    list->setSeriesSize(kSeries);
    return list;
}

// Counts the paints of a table's viewport.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

struct Spread
{
    double median = 0.0;
    double max = 0.0;
};

Spread spreadOf(std::vector<qint64> samples)
{
    std::sort(samples.begin(), samples.end());
    return {samples.at(samples.size() / 2) / 1e6, samples.back() / 1e6};
}

struct Phase
{
    std::vector<qint64> model;
    std::vector<qint64> views;
    std::vector<qint64> total;
    // Totals of the shots that left the rows in their order, and of those
    // that moved rows (a view then lays out and repaints all it shows).
    std::vector<qint64> steady;
    std::vector<qint64> resorted;
    int shots = 0;
    int paintedShots = 0;
    int resortedShots = 0;
};

// Runs the event loop until it has nothing left to do: posted events,
// delayed layouts and column fits, the repaint.
void settle()
{
    QAbstractEventDispatcher *dispatcher = QCoreApplication::eventDispatcher();
    for (int rounds = 0; rounds < 100; ++rounds) {
        QCoreApplication::sendPostedEvents();
        if (!dispatcher->processEvents(QEventLoop::AllEvents))
            return;
    }
}

// Every lane fires `count` shots in turn, as a line does.
bool shoot(TBulletList &list, int stage, int count, PaintCounter &counter, Phase &phase)
{
    int resorts = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&list, &QAbstractItemModel::layoutChanged, [&resorts] { ++resorts; });
    QElapsedTimer timer;
    list.setStageAll(stage);
    for (int k = 0; k < count; ++k) {
        for (int lane = 1; lane <= kLanes; ++lane) {
            const int memberID = list.memberIdOfTarget(lane);
            const int number = list.lastBulletNumberOfTarget(lane, stage) + 1;
            const int seed = lane * 131 + number * 17;
            const int paintsBefore = counter.paints;
            const int sortsBefore = resorts;
            timer.start();
            if (!list.addShotFromTarget(memberID, number, seed % 300, (seed * 7) % 300, 1,
                                        number * 40, 0)) {
                QObject::disconnect(counting);
                return false;
            }
            const qint64 model = timer.nsecsElapsed();
            // What the event loop does before the next shot arrives: the
            // views' layouts and the repaint of what changed.
            settle();
            const qint64 total = timer.nsecsElapsed();
            phase.model.push_back(model);
            phase.views.push_back(total - model);
            phase.total.push_back(total);
            ++phase.shots;
            if (counter.paints > paintsBefore)
                ++phase.paintedShots;
            if (resorts > sortsBefore) {
                ++phase.resortedShots;
                phase.resorted.push_back(total);
            } else {
                phase.steady.push_back(total);
            }
        }
    }
    QObject::disconnect(counting);
    return true;
}

void reportPhase(const char *name, const Phase &phase)
{
    const Spread model = spreadOf(phase.model);
    const Spread views = spreadOf(phase.views);
    const Spread total = spreadOf(phase.total);
    report(QStringLiteral("%1: %2 shots (%3 repainted the shot table, %4 re-sorted the rows); "
                          "per shot median %5 ms, worst %6 ms; model %7 / %8 ms, views %9 / %10 ms "
                          "(median / worst)")
               .arg(QLatin1String(name))
               .arg(phase.shots)
               .arg(phase.paintedShots)
               .arg(phase.resortedShots)
               .arg(total.median, 0, 'f', 3)
               .arg(total.max, 0, 'f', 3)
               .arg(model.median, 0, 'f', 3)
               .arg(model.max, 0, 'f', 3)
               .arg(views.median, 0, 'f', 3)
               .arg(views.max, 0, 'f', 3));
    for (const auto &part : {std::make_pair("rows kept their order", &phase.steady),
                             std::make_pair("rows re-sorted", &phase.resorted)}) {
        if (part.second->empty())
            continue;
        const Spread spread = spreadOf(*part.second);
        report(QStringLiteral("    %1: %2 shots, median %3 ms, worst %4 ms")
                   .arg(QLatin1String(part.first))
                   .arg(part.second->size())
                   .arg(spread.median, 0, 'f', 3)
                   .arg(spread.max, 0, 'f', 3));
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int matchShots = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;

    QTemporaryDir runFolder;
    if (!runFolder.isValid() || !QDir::setCurrent(runFolder.path())
        || !QDir().mkpath(QStringLiteral("ServerDatas/DataBase"))
        || !QDir().mkpath(QStringLiteral("ServerDatas/DataBase"))
        || !writeFile(QStringLiteral("ServerDatas/Events/EventsType.xml"), kEventsType)
        || !writeFile(QStringLiteral("ServerDatas/Events/CompetitionsType.xml"),
                      kCompetitionTypes)) {
        report(QStringLiteral("cannot make the run folder"));
        return 1;
    }

    TUserModul modul;
    TBulletList *list = prepareLine(modul);
    if (!list) {
        report(QStringLiteral("cannot prepare the line"));
        return 1;
    }
    FormExecuteEvent page(&modul, nullptr);
    page.resize(1920, 1080);
    page.setMode(0);
    page.show();
    PaintCounter counter;
    page.findChild<QTableView *>(QStringLiteral("tv_bullets"))->viewport()->installEventFilter(&counter);
    QCoreApplication::processEvents();

    Phase sighting;
    Phase match;
    if (!shoot(*list, 0, kSightingShots, counter, sighting)
        || !shoot(*list, 1, matchShots, counter, match)) {
        report(QStringLiteral("a shot was refused"));
        return 1;
    }
    report(QStringLiteral("run page, %1 lanes, window 1920 x 1080, platform %2")
               .arg(kLanes)
               .arg(QGuiApplication::platformName()));
    reportPhase("sighting shots", sighting);
    reportPhase("match shots", match);
    return 0;
}
