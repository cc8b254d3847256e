// The program's window as the operator meets it: what it reads and makes at
// start, where the welcome page's choices and the page moves lead, and how it
// closes the range line when it goes.

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include "busframe.h"
#include "mainwindowtest.h"
#include "simulatorthread.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tmembers.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tusermodul.h"

namespace {

constexpr int kCountryRussia = 2;
constexpr int kRifle60 = 1; // competition type of one exercise

} // namespace

class TestMainWindow : public MainWindowTest
{
    Q_OBJECT

private slots:
    void startsOnTheWelcomePage();
    void readsTheClientRange_data();
    void readsTheClientRange();
    void makesTheDatabaseFolder();
    void welcomeChoices_data();
    void welcomeChoices();
    void nextToMembersNeedsACompetition();
    void backFromRelays();
    void backFromTheRunScreen_data();
    void backFromTheRunScreen();
    void finishCompetitionEmptiesTheLine();
    void shutdown_data();
    void shutdown();

private:
    // The page a move leads to, while the window may not have it yet.
    Page landing(Page target, Page stays) const
    {
        return window()->hasPage(target) ? target : stays;
    }
    bool writeConfig(const QByteArray &content)
    {
        return runFolder().writeFile(QStringLiteral("ServerDatas/Config.ini"), content);
    }
    // A competition whose only member has shot its first exercise.
    void openCompetitionWithAShot();
};

void TestMainWindow::startsOnTheWelcomePage()
{
    QCOMPARE(page(), Page::Welcome);
    QCOMPARE(workMode(), -1);
    QVERIFY(workerThread() && workerThread()->isRunning());
    QCOMPARE(window()->windowTitle(), QStringLiteral("MainWindow"));
    QVERIFY(widget<QWidget>(QStringLiteral("closeBTN"))->isVisible());
}

void TestMainWindow::readsTheClientRange_data()
{
    QTest::addColumn<bool>("writeFile");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("expectedStart");
    QTest::addColumn<int>("expectedCount");

    QTest::newRow("no file: the defaults") << false << QByteArray() << 1 << 10;
    QTest::newRow("both keys") << true << QByteArray("[SET_CLIENTS]\nAddrStart=5\nAddrCol=3\n")
                               << 5 << 3;
    QTest::newRow("another group only: the defaults")
        << true << QByteArray("[OTHER]\nAddrStart=5\nAddrCol=3\n") << 1 << 10;
    QTest::newRow("one key missing") << true << QByteArray("[SET_CLIENTS]\nAddrCol=4\n") << 1 << 4;
}

void TestMainWindow::readsTheClientRange()
{
    QFETCH(bool, writeFile);
    QFETCH(QByteArray, content);
    QFETCH(int, expectedStart);
    QFETCH(int, expectedCount);

    const QString config = runFolder().filePath(QStringLiteral("ServerDatas/Config.ini"));
    if (writeFile)
        QVERIFY(writeConfig(content));
    else
        QVERIFY(QFile::remove(config));
    QVERIFY(reopenWindow());
    QCOMPARE(addrStart(), expectedStart);
    QCOMPARE(addrCol(), expectedCount);
    // Only read.
    QCOMPARE(QFile::exists(config), writeFile);
}

void TestMainWindow::makesTheDatabaseFolder()
{
    QDir dataBase(runFolder().filePath(QStringLiteral("ServerDatas/DataBase")));
    QVERIFY(shutDown());
    QVERIFY(dataBase.removeRecursively());
    QVERIFY(reopenWindow());
    QVERIFY(dataBase.exists());
    QVERIFY(QFile::exists(dataBase.filePath(QStringLiteral("competitions.sqlite"))));

    // Without "ServerDatas" nothing is made; the module cannot open its
    // database and says so.
    QVERIFY(shutDown());
    QVERIFY(QDir(runFolder().filePath(QStringLiteral("ServerDatas"))).removeRecursively());
    QVERIFY(reopenWindow());
    QVERIFY(!QDir(runFolder().filePath(QStringLiteral("ServerDatas"))).exists());
    QVERIFY(!takeStorageErrors().isEmpty());
}

void TestMainWindow::welcomeChoices_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("expectedWorkMode");
    QTest::addColumn<Page>("expectedPage");

    QTest::newRow("new competition") << "pbNEW" << 0 << Page::Competitions;
    QTest::newRow("continue a competition") << "pBContinue" << 0 << Page::Competitions;
    QTest::newRow("practice") << "pushButton" << 1 << Page::Practice;
    QTest::newRow("view results") << "pBView" << 2 << Page::Viewer;
}

void TestMainWindow::welcomeChoices()
{
    QFETCH(QString, button);
    QFETCH(int, expectedWorkMode);
    QFETCH(Page, expectedPage);

    QVERIFY(click(button));
    QCOMPARE(workMode(), expectedWorkMode);
    QCOMPARE(page(), landing(expectedPage, Page::Welcome));

    // The way back to the welcome page keeps the mode; a new choice changes it.
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setWellComeWidget"));
    QCOMPARE(page(), Page::Welcome);
    QCOMPARE(workMode(), expectedWorkMode);
    QVERIFY(click(expectedWorkMode == 2 ? "pbNEW" : "pBView"));
    QCOMPARE(workMode(), expectedWorkMode == 2 ? 0 : 2);

    // A mode the welcome page does not have changes nothing.
    const Page before = page();
    const int modeBefore = workMode();
    for (int mode : {4, -1}) {
        QVERIFY(QMetaObject::invokeMethod(window(), "slot_setCompetitionsWidget", Q_ARG(int, mode)));
        QCOMPARE(page(), before);
        QCOMPARE(workMode(), modeBefore);
    }
}

void TestMainWindow::nextToMembersNeedsACompetition()
{
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setMemersWidget"));
    const Warnings::Shown box = takeWarning();
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.title, QStringLiteral("Упражнение не выбрано!"));
    QCOMPARE(box.text, QStringLiteral("Выберите упражнение"));
    QCOMPARE(page(), Page::Welcome);

    QVERIFY(userModul()->newCompetition(kCountryRussia, kRifle60, false, QStringLiteral("Кубок")));
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setMemersWidget"));
    QCOMPARE(page(), landing(Page::Members, Page::Welcome));

    // Once somebody has shot, the members are fixed: straight to the relays.
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setWellComeWidget"));
    openCompetitionWithAShot();
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setMemersWidget"));
    QCOMPARE(page(), landing(Page::Relays, Page::Welcome));
}

void TestMainWindow::backFromRelays()
{
    QVERIFY(userModul()->newCompetition(kCountryRussia, kRifle60, false, QStringLiteral("Кубок")));
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setRelaysBackWidget"));
    QCOMPARE(page(), landing(Page::Members, Page::Welcome));
    QCOMPARE(workMode(), -1);

    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setWellComeWidget"));
    openCompetitionWithAShot();
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setRelaysBackWidget"));
    QCOMPARE(page(), landing(Page::Competitions, Page::Welcome));
}

void TestMainWindow::backFromTheRunScreen_data()
{
    QTest::addColumn<QString>("welcomeButton");
    QTest::addColumn<Page>("expectedPage");

    QTest::newRow("competition: current relay") << "pbNEW" << Page::CurrentRelay;
    QTest::newRow("practice: practice setting") << "pushButton" << Page::Practice;
    QTest::newRow("viewer: nothing happens") << "pBView" << Page::Viewer;
}

void TestMainWindow::backFromTheRunScreen()
{
    QFETCH(QString, welcomeButton);
    QFETCH(Page, expectedPage);

    QVERIFY(click(welcomeButton));
    const Page chosen = page();
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setExecutableEvent"));
    const Page run = page();
    QCOMPARE(run, landing(Page::Run, chosen));
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setCurrentRelayWidgetBACK"));
    QCOMPARE(page(), expectedPage == Page::Viewer ? run : landing(expectedPage, run));
}

void TestMainWindow::finishCompetitionEmptiesTheLine()
{
    QSignalSpy added(window(), &MainWindow::sig_AddTarget);
    QVERIFY(click(QStringLiteral("pbNEW")));
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_finishCompetition"));
    QCOMPARE(page(), Page::Welcome);
    QCOMPARE(workMode(), 0);
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.first(), (QList<QVariant>{-1, -1, QString(), QString(), 0}));
}

void TestMainWindow::shutdown_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("the X button") << "X";
    QTest::newRow("the window system's close") << "close";
    QTest::newRow("asked twice") << "twice";
}

void TestMainWindow::shutdown()
{
    QFETCH(QString, how);

    QVERIFY(startSimulator({1, 2}));
    // A relay on the line sets the search going; once the converter answered,
    // its port is open for the closing frames.
    emit window()->sig_AddTarget(1, 1, QStringLiteral("Петров"), QStringLiteral("Иван"), 0);
    emit window()->sig_AddTarget(2, 2, QStringLiteral("Сидоров"), QStringLiteral("Пётр"), 2);
    auto answered = [this] {
        const QList<TrafficEntry> traffic =
            simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
        return std::any_of(traffic.begin(), traffic.end(),
                           [](const TrafficEntry &e) { return e.kind == TrafficEntry::Sent; });
    };
    QTRY_VERIFY_WITH_TIMEOUT(answered(), kTimeoutMs);
    simulator()->call([](RangeSimulator &sim) { sim.clearTraffic(); });

    QPointer<QThread> thread = workerThread();
    QSignalSpy quit(window(), &MainWindow::sig_quit);
    QSignalSpy stopAll(window(), &MainWindow::stopAll);
    if (how == QLatin1String("X")) {
        QVERIFY(click(QStringLiteral("closeBTN")));
    } else {
        // The window stays until the line is closed.
        QVERIFY(!window()->close());
        QVERIFY(window()->isVisible());
        if (how == QLatin1String("twice"))
            QVERIFY(!window()->close());
    }
    QTRY_VERIFY_WITH_TIMEOUT(thread.isNull(), kTimeoutMs);
    QCOMPARE(stopAll.count(), 1);
    QCOMPARE(quit.count(), 1);
    QVERIFY(!workerThread());
    QVERIFY(!bus());

    const QList<TrafficEntry> traffic =
        simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
    auto received = [&traffic](int address, int code) {
        return std::count_if(traffic.begin(), traffic.end(), [=](const TrafficEntry &e) {
            return e.kind == TrafficEntry::Received && e.address == address && e.code == code;
        });
    };
    QVERIFY(received(BusAddress::kAllTargets, BusCode::kStop) > 0);
    QVERIFY(received(BusAddress::kAllTerminals, BusCode::kTerminalStopAll) > 0);

    // Now the window may go.
    QVERIFY(window()->close());
}

void TestMainWindow::openCompetitionWithAShot()
{
    QVERIFY(userModul()->newCompetition(kCountryRussia, kRifle60, false, QStringLiteral("Кубок")));
    const int shooterID = userModul()->addShooter(QStringLiteral("Иван"), QStringLiteral("Петров"),
                                                  QDate(1990, 1, 1), 0, kCountryRussia, 0, 0);
    QVERIFY(shooterID > 0);
    QVERIFY(userModul()->addMember(userModul()->shooters()->shooterByID(shooterID), 1));
    TShooter *member = userModul()->members()->memberByShooterID(shooterID);
    QVERIFY(member);
    TEvent *event = userModul()->currentCompetition()->event(0);
    QVERIFY(event);
    QVERIFY(userModul()->setMemberEventDone(event, member->memberID(), true));
    QVERIFY(userModul()->members()->hasAnyEventDone());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
