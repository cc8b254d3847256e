// Opening a stored competition of 100 members and 4 exercises of 60 match
// shots from the competitions page of the real main window, shown offscreen
// on a copy of the default data in a temporary folder:
//   1. the click on the competition's row, which opens it without members;
//   2. the click on "ДАЛЕЕ >>" until the next page shows: the members, the
//      relays, the four shot lists and who has done which exercise are loaded.
// Twice: with 60 stored shots a member in every exercise (24000 shots; every
// member has shot, so the main window shows the relays page in place of the
// members page), and for the same members before any shot (the members page).
// Usage: bench_opencompetition [runs, default 10]

#include "appstyle.h"
#include "benchreport.h"
#include "benchshots.h"
#include "mainwindow.h"
#include "tcompetition.h"
#include "tdbaccessor.h"
#include "testdatadir.h"
#include "tevent.h"
#include "tmembers.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tusermodul.h"
#include "warnings.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMetaEnum>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kMembers = 100;
constexpr int kEvents = 4;
constexpr int kShotsPerEvent = 60;
constexpr int kBenchType = 90;
constexpr int kCountry = 2;
constexpr int kCompIdRole = Qt::UserRole + 1;

// A type of four exercises of 60 match shots, added to the copied type list.
const QByteArray kBenchTypeXml =
    R"(  <CompetitionType ID="90" NameEng="Bench 4x60" NameRus="Bench 4x60" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
    <Event Final="0" Num="2" TypeID="1" SubType="1"/>
    <Event Final="0" Num="3" TypeID="1" SubType="1"/>
    <Event Final="0" Num="4" TypeID="1" SubType="1"/>
  </CompetitionType>
</CompetititonList>)";

using BenchReport::report;

bool addBenchType()
{
    QFile file(QStringLiteral("ServerDatas/Events/CompetitionsType.xml"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray xml = file.readAll();
    file.close();
    const int end = xml.lastIndexOf("</CompetititonList>");
    if (end < 0 || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    xml.replace(end, xml.size() - end, kBenchTypeXml);
    return file.write(xml) == xml.size();
}

// The IDs of the competition's exercises and members, as stored.
struct Stored
{
    int competitionID = -1;
    QList<int> eventIDs;
    QList<int> memberIDs;
};

bool storeCompetition(TUserModul *modul, const QString &name, const QList<int> &shooterIDs,
                      Stored *stored)
{
    if (!modul->newCompetition(kCountry, kBenchType, false, QDate(2020, 2, 15), QTime(9, 30),
                               name))
        return false;
    const TCompetition *competition = modul->currentCompetition();
    stored->competitionID = competition->id();
    for (const TEvent *event = competition->event(0); event; event = competition->eventAfter(event))
        stored->eventIDs.append(event->id());
    for (int i = 0; i < shooterIDs.size(); ++i) {
        if (!modul->addMember(modul->shooters()->shooterByID(shooterIDs.at(i)), i + 1))
            return false;
    }
    for (const TShooter *member = modul->members()->memberAt(0); member;
         member = modul->members()->nextMember(member))
        stored->memberIDs.append(member->memberID());
    return stored->eventIDs.size() == kEvents && stored->memberIDs.size() == kMembers;
}

// 60 match shots of every member in every exercise, in one transaction.
bool storeShots(const Stored &stored)
{
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(TdbAccessor::databasePath());
        ok = db.open() && db.transaction();
        QSqlQuery query(db);
        ok = ok && BenchShots::prepareMatchShot(query);
        for (int eventID : stored.eventIDs) {
            for (int memberID : stored.memberIDs) {
                for (int number = 1; ok && number <= kShotsPerEvent; ++number) {
                    const QPoint at((number * 37 + memberID) % 400, (number * 91 + memberID) % 400);
                    ok = BenchShots::insertMatchShot(query, eventID, memberID, number, at);
                }
            }
        }
        ok = ok && db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

bool prepareData(Stored *withShots, Stored *withoutShots)
{
    TUserModul modul;
    QList<int> shooterIDs;
    for (int i = 0; i < kMembers; ++i) {
        const int id = modul.addShooter(QStringLiteral("Name %1").arg(i),
                                        QStringLiteral("Family %1").arg(i), QDate(1990, 1, 1),
                                        i % 2, kCountry, 0, 0);
        if (id < 0)
            return false;
        shooterIDs.append(id);
    }
    return storeCompetition(&modul, QStringLiteral("With shots"), shooterIDs, withShots)
        && storeCompetition(&modul, QStringLiteral("Without shots"), shooterIDs, withoutShots)
        && storeShots(*withShots) && !modul.hasError();
}

template <class T>
T *visible(const MainWindow &window, const QString &objectName)
{
    for (T *widget : window.findChildren<T *>(objectName)) {
        if (widget->isVisible())
            return widget;
    }
    return nullptr;
}

bool clickButton(const MainWindow &window, const QString &objectName)
{
    QPushButton *button = visible<QPushButton>(window, objectName);
    if (!button || !button->isEnabled())
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

bool clickCompetition(const MainWindow &window, int competitionID)
{
    QAbstractItemView *list = visible<QAbstractItemView>(window, QStringLiteral("lw_Competitions"));
    if (!list || !list->model())
        return false;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        if (index.data(kCompIdRole).toInt() == competitionID) {
            list->scrollTo(index);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(index).center());
            return true;
        }
    }
    return false;
}

QString pageName(MainWindow::Page page)
{
    return QString::fromLatin1(
        QMetaEnum::fromType<MainWindow::Page>().valueToKey(static_cast<int>(page)));
}

bool benchOpen(MainWindow &window, const Stored &stored, const QString &what, int runs)
{
    std::vector<qint64> selectNs;
    std::vector<qint64> nextNs;
    QElapsedTimer timer;
    MainWindow::Page shown = MainWindow::Page::Welcome;
    for (int run = 0; run < runs; ++run) {
        window.showPage(MainWindow::Page::Welcome);
        if (!clickButton(window, QStringLiteral("pBContinue")))
            return false;
        timer.start();
        if (!clickCompetition(window, stored.competitionID))
            return false;
        selectNs.push_back(timer.nsecsElapsed());
        timer.start();
        if (!clickButton(window, QStringLiteral("pBNext1")))
            return false;
        nextNs.push_back(timer.nsecsElapsed());
        shown = window.currentPage();
        if (!Warnings::shown().isEmpty())
            return false;
    }
    const BenchReport::Spread select = BenchReport::spreadOf(selectNs);
    const BenchReport::Spread next = BenchReport::spreadOf(nextNs);
    report(QStringLiteral("%1: row click median %2 ms; Next until the window stands on page %3: "
                          "median %4 ms, p90 %5 ms, max %6 ms (%7 runs)")
               .arg(what)
               .arg(select.median, 0, 'f', 2)
               .arg(pageName(shown))
               .arg(next.median, 0, 'f', 1)
               .arg(next.p90, 0, 'f', 1)
               .arg(next.max, 0, 'f', 1)
               .arg(runs));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = BenchReport::arguments(
        app,
        QStringLiteral("Times opening a stored competition of 100 members and 4 exercises of "
                       "60 shots on the competitions page of the main window, with and without "
                       "its shots."),
        {{QStringLiteral("runs"), QStringLiteral("Runs of each timing (default 10).")}});
    const int runs = args.isEmpty() ? 10 : std::max(1, args.first().toInt());
    applyApplicationStyle(app);

    TestDataDir runFolder;
    // No serial port is probed: the bus master looks in an empty folder.
    const QString comDir = runFolder.filePath(QStringLiteral("com"));
    // The style sheet takes its pictures from loose files, as the program does.
    const bool styled =
        copyDirectoryRecursively(QStringLiteral(RANGE_SOURCE_DIR) + QStringLiteral("/data/styles"),
                                 runFolder.filePath(QStringLiteral("styles")));
    if (!runFolder.isValid() || !styled || !QDir().mkpath(comDir) || !addBenchType()) {
        std::fprintf(stderr, "cannot prepare the run folder\n");
        return 1;
    }
    qputenv("RANGE_COM_DIR", comDir.toLocal8Bit());

    Stored withShots;
    Stored withoutShots;
    QElapsedTimer timer;
    timer.start();
    if (!prepareData(&withShots, &withoutShots)) {
        std::fprintf(stderr, "cannot store the competitions\n");
        return 1;
    }
    report(QStringLiteral("stored 2 competitions of %1 members x %2 exercises, %3 shots (%4 s)")
               .arg(kMembers)
               .arg(kEvents)
               .arg(kMembers * kEvents * kShotsPerEvent)
               .arg(timer.elapsed() / 1000.0, 0, 'f', 1));

    // Question boxes would stop the run; every one is recorded instead.
    Warnings::setTestMode(true);
    MainWindow window;
    window.show();
    const bool ok = benchOpen(window, withShots, QStringLiteral("60 shots a member"), runs)
        && benchOpen(window, withoutShots, QStringLiteral("no shots"), runs);
    if (!ok)
        std::fprintf(stderr, "the competitions page did not open the competition\n");

    QObject::connect(&window, &MainWindow::sig_quit, &app, &QApplication::quit);
    clickButton(window, QStringLiteral("closeBTN"));
    app.exec();
    return ok ? 0 : 1;
}
