// The program's window as the operator meets it: what it reads and makes at
// start, where the welcome page's choices and the page moves lead, and how it
// closes the range line when it goes.

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QSqlError>
#include <QSqlDatabase>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <sys/mount.h>

#include "busframe.h"
#include "createmyevent.h"
#include "emuproc.h"
#include "formwellcome.h"
#include "myevent.h"
#include "mainwindowtest.h"
#include "simulatorthread.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tpracticemodul.h"
#include "tevent.h"
#include "tmembers.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tusermodul.h"
#include "tviewmodul.h"

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
    void saysWhyTheDatabaseCannotBeMade();
    void brokenFilesToldAtStart_data();
    void brokenFilesToldAtStart();
    void copyLeftByARewriteToldAtStart();
    void unlistedTypesStayListedButDoNotRun_data();
    void unlistedTypesStayListedButDoNotRun();
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
    // The run folder with that file (or folder) written, or removed when
    // content is null, and the window opened on it again.
    bool breakFile(const QString &file, const QByteArray &content)
    {
        const QString path = runFolder().filePath(file);
        const bool broken = content.isNull() ? QFile::remove(path) || QDir(path).removeRecursively()
                                             : runFolder().writeFile(file, content);
        return shutDown() && broken && reopenWindow();
    }
    // A competition whose only member has shot its first exercise.
    void openCompetitionWithAShot();
    // The one-position exercise of a new competition, wired to the bus
    // master as the run screen's exercise is, and started.
    MyEvent *startExercise();
};

void TestMainWindow::startsOnTheWelcomePage()
{
    QCOMPARE(page(), Page::Welcome);
    QCOMPARE(workMode(), -1);
    QVERIFY(workerThread() && workerThread()->isRunning());
    QCOMPARE(window()->windowTitle(), QStringLiteral("MainWindow"));
    QVERIFY(widget<QWidget>(QStringLiteral("closeBTN"))->isVisible());
    // Shown as the program shows it, the window covers the screen, also
    // where no window manager maximises it (tst_mainwindow_barex).
    QTRY_COMPARE(window()->frameGeometry(), QGuiApplication::primaryScreen()->availableGeometry());
}

void TestMainWindow::readsTheClientRange_data()
{
    QTest::addColumn<bool>("writeFile");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("expectedStart");
    QTest::addColumn<int>("expectedCount");
    QTest::addColumn<bool>("refused");

    QTest::newRow("no file: the defaults") << false << QByteArray() << 1 << 10 << false;
    QTest::newRow("both keys") << true << QByteArray("[SET_CLIENTS]\nAddrStart=5\nAddrCol=3\n")
                               << 5 << 3 << false;
    QTest::newRow("another group only: the defaults")
        << true << QByteArray("[OTHER]\nAddrStart=5\nAddrCol=3\n") << 1 << 10 << false;
    QTest::newRow("one key missing") << true << QByteArray("[SET_CLIENTS]\nAddrCol=4\n") << 1 << 4
                                     << false;
    QTest::newRow("up to the last byte")
        << true << QByteArray("[SET_CLIENTS]\nAddrStart=246\nAddrCol=10\n") << 246 << 10 << false;
    // 256-259 would go out as 0-3.
    QTest::newRow("past the last byte")
        << true << QByteArray("[SET_CLIENTS]\nAddrStart=250\nAddrCol=10\n") << 1 << 10 << true;
    QTest::newRow("over all terminals (0x9F) and all targets (0xEA)")
        << true << QByteArray("[SET_CLIENTS]\nAddrCol=300\n") << 1 << 10 << true;
}

void TestMainWindow::readsTheClientRange()
{
    QFETCH(bool, writeFile);
    QFETCH(QByteArray, content);
    QFETCH(int, expectedStart);
    QFETCH(int, expectedCount);
    QFETCH(bool, refused);

    const QString config = runFolder().filePath(QStringLiteral("ServerDatas/Config.ini"));
    if (writeFile)
        QVERIFY(writeConfig(content));
    else
        QVERIFY(QFile::remove(config));
    QVERIFY(reopenWindow());
    QCOMPARE(addrStart(), expectedStart);
    QCOMPARE(addrCol(), expectedCount);
    if (refused)
        QCOMPARE(takeWarning().title, QStringLiteral("Неверный диапазон адресов!"));
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
    // Each box holds the window's events while the operator reads it.
    Warnings::setModalLoops(true);
    QVERIFY(reopenWindow());
    QVERIFY(!QDir(runFolder().filePath(QStringLiteral("ServerDatas"))).exists());
    QVERIFY(!takeStorageErrors().isEmpty());
    // The operator hears of both databases once the window runs.
    QTRY_VERIFY_WITH_TIMEOUT(!Warnings::shown().isEmpty(), kTimeoutMs);
    const Warnings::Shown box = takeWarning();
    QCOMPARE(box.title, QStringLiteral("Ошибка Базы Данных!"));
    QVERIFY2(box.text.contains(QStringLiteral("competitions.sqlite"))
                 && box.text.contains(QStringLiteral("shooters.sqlite")),
             qPrintable(box.text));
    // And of the lists, which were in there too, once that box is closed,
    // naming each list and where the lists come from.
    QTRY_COMPARE_WITH_TIMEOUT(Warnings::shown().size(), 2, kTimeoutMs);
    const Warnings::Shown lists = takeWarning();
    QCOMPARE(lists.title, QStringLiteral("Файлы программы не прочитаны!"));
    QCOMPARE(box.over, 0);
    QCOMPARE(lists.over, 0);
    // They belong in the run folder, not in the developer's source tree.
    const QStringList told = {
        QStringLiteral("Список упражнений ServerDatas/Events/EventsType.xml: файл не найден"),
        QStringLiteral("Список стран ServerDatas/Countries/CountyList.xml: файл не найден"),
        QStringLiteral("запущена программа (%1)").arg(QDir::currentPath()),
        QStringLiteral("поставляются вместе с программой")};
    for (const QString &words : told)
        QVERIFY2(lists.text.contains(words), qPrintable(lists.text));
    Warnings::setModalLoops(false);

    // A practice roster file that holds only part of its tables is kept for
    // whoever needs its rows, and the operator is told at start.
    QVERIFY(shutDown());
    QVERIFY(QDir(runFolder().path()).mkpath(QStringLiteral("ServerDatas/DataBase")));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("partial"));
        db.setDatabaseName(dataBase.filePath(QStringLiteral("shooters.sqlite")));
        QVERIFY(db.open());
        QVERIFY(db.exec(QStringLiteral("CREATE TABLE TTeam (ID INTEGER PRIMARY KEY, fName TEXT)")).lastError().type()
                == QSqlError::NoError);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("partial"));
    const int shownBefore = Warnings::shown().size();
    QVERIFY(reopenWindow());
    // The lists are still gone, and told after the database.
    QTRY_COMPARE_WITH_TIMEOUT(Warnings::shown().size(), shownBefore + 2, kTimeoutMs);
    const Warnings::Shown practiceBox = takeWarning();
    QCOMPARE(takeWarning().title, QStringLiteral("Файлы программы не прочитаны!"));
    QVERIFY2(practiceBox.text.contains(QStringLiteral("shooters.sqlite"))
                 && !practiceBox.text.contains(QStringLiteral("competitions.sqlite")),
             qPrintable(practiceBox.text));
    QVERIFY(!takeStorageErrors().isEmpty());
}

void TestMainWindow::saysWhyTheDatabaseCannotBeMade()
{
    const QString folder = runFolder().filePath(QStringLiteral("ServerDatas/DataBase"));
    const QString roster = QDir(folder).filePath(QStringLiteral("shooters.sqlite"));
    // Root, whom file modes do not stop, is stopped by the immutable attribute.
    const auto writable = [](const QString &path, bool canWrite) {
        QProcess::execute(QStringLiteral("chattr"), {canWrite ? QStringLiteral("-i") : QStringLiteral("+i"), path});
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner
                                        | (canWrite ? QFile::WriteOwner : QFile::Permissions()));
    };
    QVERIFY(shutDown());
    QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(folder));
    const auto restore = qScopeGuard([&] {
        writable(folder, true);
        if (QFile::exists(roster))
            writable(roster, true);
    });
    writable(folder, false);
    if (QFile(QDir(folder).filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly))
        QSKIP("this user may write in the folder");

    QVERIFY(reopenWindow());
    QVERIFY(!takeStorageErrors().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!Warnings::shown().isEmpty(), kTimeoutMs);
    const Warnings::Shown box = takeWarning();
    QCOMPARE(box.title, QStringLiteral("Ошибка Базы Данных!"));
    const QString cause = QStringLiteral("competitions.sqlite: Не могу открыть Базу Данных: "
                                         "файл не открывается и не создаётся: нет права записи");
    const QString remedy = QStringLiteral("Разрешите запись в папку ServerDatas/DataBase");
    QVERIFY2(box.text.contains(cause) && box.text.contains(remedy), qPrintable(box.text));
    // The file is made only at start: here a restart is the way.
    QVERIFY2(box.text.contains(QStringLiteral("перезапустите")), qPrintable(box.text));

    // A new competition, filled in all the same, is refused with the same
    // cause and remedy.
    QVERIFY(click(QStringLiteral("pbNEW")));
    QVERIFY(clickRow(QStringLiteral("lw_Competitions"), 0));
    QVERIFY(click(QStringLiteral("pBNext1")));
    const Warnings::Shown refused = takeWarning();
    QCOMPARE(refused.title, QStringLiteral("Ошибка базы данных!"));
    QVERIFY2(refused.text.contains(cause) && refused.text.contains(remedy),
             qPrintable(refused.text));
    QCOMPARE(page(), Page::Competitions);
    takeStorageErrors();

    // A practice roster that reads but cannot be written is told at start
    // as well, in the same words.
    QVERIFY(shutDown());
    writable(folder, true);
    QVERIFY(reopenWindow() && shutDown());
    writable(roster, false);
    const int shownBefore = Warnings::shown().size();
    QVERIFY(reopenWindow());
    QTRY_VERIFY_WITH_TIMEOUT(Warnings::shown().size() > shownBefore, kTimeoutMs);
    const Warnings::Shown practice = takeWarning();
    QCOMPARE(practice.title, QStringLiteral("Ошибка Базы Данных!"));
    QVERIFY2(practice.text.contains(QStringLiteral("shooters.sqlite: "))
                 && practice.text.contains(QStringLiteral("нет права записи"))
                 && practice.text.contains(remedy)
                 && practice.text.contains(QStringLiteral("перезапускать её не нужно"))
                 && !practice.text.contains(QStringLiteral("competitions.sqlite")),
             qPrintable(practice.text));
    QVERIFY(!takeStorageErrors().isEmpty());
    // As the box says: once the file may be written, a new shooter is kept.
    writable(roster, true);
    QVERIFY(practiceModul()->addShooter(QStringLiteral("Иван"), QStringLiteral("Петров"),
                                        QDate(2001, 5, 4), 0, 0, 0, 0, 0, false)
            >= 0);

    // A full disk (a small tmpfs over the folder, filled) is told as one,
    // with no database file yet.
    QVERIFY(shutDown());
    QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(folder));
    const QByteArray mountPoint = QFile::encodeName(folder);
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=256k") != 0)
        QSKIP("a full disk is played on a small tmpfs, which this user may not mount");
    // The window lets its files go before they go with the disk.
    const auto unmount = qScopeGuard([this, &mountPoint] {
        shutDown();
        destroyWindow();
        ::umount2(mountPoint.constData(), MNT_DETACH);
    });
    const QString filler = QDir(folder).filePath(QStringLiteral("filler"));
    const auto fillDisk = [&filler] {
        QFile file(filler);
        const QByteArray block(4096, '\0');
        if (!file.open(QIODevice::Append))
            return false;
        while (file.write(block) == block.size() && file.flush()) {
        }
        return true;
    };
    QVERIFY(fillDisk());
    const QString full = QStringLiteral("на диске нет места");
    // The window reopened on the full disk tells it in its first box, each
    // file on its own line, and what the program does once there is room.
    const auto reopenedToldFull = [&](const QStringList &files, const QString &then) {
        const int before = Warnings::shown().size();
        if (!reopenWindow()
            || !QTest::qWaitFor([before] { return Warnings::shown().size() > before; }, kTimeoutMs))
            return false;
        const Warnings::Shown box = takeWarning();
        for (const QString &file : files) {
            const QString line = box.text.section(file + QStringLiteral(": "), 1).section('\n', 0, 0);
            if (!line.contains(full))
                return false;
        }
        return box.text.contains(QStringLiteral("Освободите место на диске"))
            && !box.text.contains(QStringLiteral("нет права записи")) && box.text.contains(then);
    };
    // The files are made only at start.
    QVERIFY(reopenedToldFull({QStringLiteral("competitions.sqlite"), QStringLiteral("shooters.sqlite")},
                             QStringLiteral("перезапустите программу")));
    QVERIFY(!takeStorageErrors().isEmpty());

    // With the files there, the stored competitions stay listed while the
    // disk is full, and one opens to be looked at.
    QVERIFY(shutDown());
    QVERIFY(QFile::remove(filler));
    QVERIFY(reopenWindow());
    QVERIFY(userModul()->newCompetition(kCountryRussia, kRifle60, false, QStringLiteral("Кубок")));
    const int stored = userModul()->currentCompetition()->id();
    QVERIFY(shutDown());
    destroyWindow();
    QVERIFY(fillDisk());
    QVERIFY(reopenedToldFull({QStringLiteral("competitions.sqlite")},
                             QStringLiteral("перезапускать её не нужно")));
    takeStorageErrors();
    QVERIFY(click(QStringLiteral("pBContinue")));
    const int row = rowOf(QStringLiteral("lw_Competitions"), TCompetitionList::CompIdRole, stored);
    QVERIFY(row >= 0);
    QVERIFY(clickRow(QStringLiteral("lw_Competitions"), row) && click(QStringLiteral("pBNext1")));
    QCOMPARE(page(), Page::Members);
}

void TestMainWindow::brokenFilesToldAtStart_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content"); // null: the file or folder removed
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "ServerDatas/Events/CompetitionsType.xml" << QByteArray()
                             << "файл не найден";
    QTest::newRow("empty") << "ServerDatas/Events/EventsType.xml" << QByteArray("") << "файл пуст";
    QTest::newRow("malformed") << "ServerDatas/Events/EventsTypeForPractice.xml"
                               << QByteArray("<EventsList><T>") << "ошибка XML в строке 1, позиция";
    QTest::newRow("another root") << "ServerDatas/Countries/CountyList.xml"
                                  << QByteArray("<CountryList/>") << "корневой элемент";
    QTest::newRow("no style pictures") << "styles" << QByteArray() << "нет рисунков";
}

void TestMainWindow::brokenFilesToldAtStart()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QVERIFY(breakFile(file, content));
    QTRY_VERIFY_WITH_TIMEOUT(!Warnings::shown().isEmpty(), kTimeoutMs);
    const QList<Warnings::Shown> boxes = takeWarnings();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Файлы программы не прочитаны!"));
    QVERIFY2(boxes.first().text.contains(file + QStringLiteral(": ") + reason),
             qPrintable(boxes.first().text));
}

void TestMainWindow::copyLeftByARewriteToldAtStart()
{
    // A power cut before the copy of a rewrite was put at the path: it is
    // kept aside, never opened, and the operator is told its name.
    const QString copy = QStringLiteral("ServerDatas/DataBase/competitions.sqlite.rewrite");
    QVERIFY(breakFile(copy, QByteArray("a copy of other data")));
    QTRY_VERIFY_WITH_TIMEOUT(!Warnings::shown().isEmpty(), kTimeoutMs);
    const QList<Warnings::Shown> boxes = takeWarnings();
    QCOMPARE(boxes.size(), 1);
    const QStringList found = QDir(runFolder().filePath(QStringLiteral("ServerDatas/DataBase")))
                                  .entryList({QStringLiteral("competitions.sqlite.found-*")});
    QCOMPARE(found.size(), 1);
    QVERIFY2(boxes.first().text.contains(found.first()), qPrintable(boxes.first().text));
    QVERIFY(!QFile::exists(runFolder().filePath(copy)));
}

void TestMainWindow::unlistedTypesStayListedButDoNotRun_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content"); // null: the file removed
    // What the refusal names: the missing entry, its list and why it lacks it.
    QTest::addColumn<QStringList>("named");
    QTest::addColumn<bool>("toldAtStart");
    // Without its type the competition's weapon is unknown: it shows under either.
    QTest::addColumn<bool>("weaponUnknown");
    QTest::newRow("competition types gone")
        << "ServerDatas/Events/CompetitionsType.xml" << QByteArray()
        << QStringList{"Соревнование «Кубок» нельзя",
                       "тип соревнования 1 — список типов соревнований "
                       "ServerDatas/Events/CompetitionsType.xml: файл не найден"}
        << true << true;
    QTest::newRow("exercise list gone")
        << "ServerDatas/Events/EventsType.xml" << QByteArray()
        << QStringList{"Соревнование «Кубок» (Пневматическая винтовка, 10 м, 60 выстрелов) нельзя",
                       "упражнение 1 — список упражнений "
                       "ServerDatas/Events/EventsType.xml: файл не найден"}
        << true << false;
    // Every parameter would be a default: 10 shots, another target.
    QFile events(TestDataDir::defaultDataPath() + QStringLiteral("/Events/EventsType.xml"));
    QVERIFY(events.open(QIODevice::ReadOnly));
    QTest::newRow("exercise sub-type gone")
        << "ServerDatas/Events/EventsType.xml"
        << events.readAll().replace("SubNum=\"1\" SubNameEng=\"10m Air Rifle 60",
                                    "SubNum=\"99\" SubNameEng=\"10m Air Rifle 60")
        << QStringList{"упражнение 1 — список упражнений "
                       "ServerDatas/Events/EventsType.xml: в нём нет этого упражнения (тип 1, подтип 1)"}
        << false << false;
}

void TestMainWindow::unlistedTypesStayListedButDoNotRun()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, named);
    QFETCH(bool, toldAtStart);
    QFETCH(bool, weaponUnknown);
    QVERIFY(userModul()->newCompetition(kCountryRussia, kRifle60, false, QStringLiteral("Кубок")));
    const int id = userModul()->currentCompetition()->id();
    QVERIFY(breakFile(file, content));
    if (toldAtStart) {
        QTRY_VERIFY_WITH_TIMEOUT(!Warnings::shown().isEmpty(), kTimeoutMs);
        QCOMPARE(takeWarning().title, QStringLiteral("Файлы программы не прочитаны!"));
    }

    const QString list = QStringLiteral("lw_Competitions");
    QVERIFY(click(QStringLiteral("pBContinue")));
    const int row = rowOf(list, TCompetitionList::CompIdRole, id);
    QVERIFY(row >= 0);
    QVERIFY(click(QStringLiteral("cBWeaponRifle"))); // pistols only
    QCOMPARE(rowOf(list, TCompetitionList::CompIdRole, id) >= 0, weaponUnknown);
    QVERIFY(click(QStringLiteral("cBWeaponRifle")));
    QVERIFY(clickRow(list, row) && click(QStringLiteral("pBNext1")));
    const Warnings::Shown refused = takeWarning();
    QCOMPARE(refused.title, QStringLiteral("Тип не найден в справочнике!"));
    // And where the lists belong and come from.
    named << QStringLiteral("запущена программа (%1)").arg(QDir::currentPath())
          << QStringLiteral("поставляются вместе с программой");
    for (const QString &words : named)
        QVERIFY2(refused.text.contains(words), qPrintable(refused.text));
    QCOMPARE(page(), Page::Competitions);

    // Its results stay in sight.
    QVERIFY(click(QStringLiteral("pbBack1")) && click(QStringLiteral("pBView")));
    QVERIFY(click(QStringLiteral("rbfin0")));
    QVERIFY(clickRow(QStringLiteral("lw_comp_NOTfinished"), 0));
    QCOMPARE(viewModul()->competition()->id(), id);
    // Without a score for an exercise the list lacks, which the viewer says.
    if (file.endsWith(QLatin1String("/EventsType.xml")))
        QCOMPARE(takeWarning().title, QStringLiteral("Результаты не подсчитаны!"));
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

    auto *welcome = widget<FormWellcome>(QStringLiteral("FormWellcome"));
    QVERIFY(welcome);
    QSignalSpy chosen(welcome, &FormWellcome::sig_setCompetition);
    QVERIFY(click(button));
    QCOMPARE(workMode(), expectedWorkMode);
    QCOMPARE(page(), landing(expectedPage, Page::Welcome));
    QCOMPARE(chosen.count(), 1);
    // The page asks again on a second click; with the page shown, once more.
    if (page() == Page::Welcome) {
        QVERIFY(click(button));
        QCOMPARE(chosen.count(), 2);
        QCOMPARE(chosen.at(1).at(0).toInt(), chosen.at(0).at(0).toInt());
    }

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
    QTest::newRow("the X button while an exercise runs") << "exercise";
    QTest::newRow("the window destroyed without closing") << "destroyed";
}

void TestMainWindow::shutdown()
{
    QFETCH(QString, how);

    QVERIFY(startSimulator({1, 2}));
    // A relay on the line sets the search going; both lanes answer before
    // the program closes.
    QSet<int> answering;
    connect(bus(), &EMUProc::sig_TargetEnabled, this, [&answering](int lane, bool enabled) {
        if (enabled)
            answering.insert(lane);
    });
    emit window()->sig_AddTarget(1, 1, QStringLiteral("Петров"), QStringLiteral("Иван"), 0);
    emit window()->sig_AddTarget(2, 2, QStringLiteral("Сидоров"), QStringLiteral("Пётр"), 2);
    QTRY_COMPARE_WITH_TIMEOUT(answering, (QSet<int>{1, 2}), kTimeoutMs);
    simulator()->call([](RangeSimulator &sim) { sim.clearTraffic(); });

    QPointer<MyEvent> exercise;
    if (how == QLatin1String("exercise")) {
        exercise = startExercise();
        QVERIFY(exercise);
    }
    // When the bus master is told to stop, the exercise asks it for nothing
    // more, so that no command of its follows the closing frames; but it
    // stays for the answers still on their way.
    bool exerciseAtStop = false;
    bool exerciseCommandsAtStop = false;
    connect(window(), &MainWindow::stopAll, this, [&] {
        exerciseAtStop = !exercise.isNull();
        exerciseCommandsAtStop =
            exercise
            && QObject::disconnect(exercise.data(), &MyEvent::sig_emu_SendCommand, bus(),
                                   &EMUProc::slot_emu_SendCommand);
    });

    QPointer<QThread> thread = workerThread();
    QSignalSpy quit(window(), &MainWindow::sig_quit);
    QSignalSpy stopAll(window(), &MainWindow::stopAll);
    if (how == QLatin1String("X") || how == QLatin1String("exercise")) {
        QVERIFY(click(QStringLiteral("closeBTN")));
    } else if (how == QLatin1String("destroyed")) {
        // The line is closed and the thread gone before the window is.
        destroyWindow();
        QVERIFY(thread.isNull());
    } else {
        // The window stays until the line is closed.
        QVERIFY(!window()->close());
        QVERIFY(window()->isVisible());
        if (how == QLatin1String("twice"))
            QVERIFY(!window()->close());
    }
    if (window()) {
        QTRY_VERIFY_WITH_TIMEOUT(thread.isNull(), kTimeoutMs);
        QCOMPARE(stopAll.count(), 1);
        QCOMPARE(quit.count(), 1);
        QCOMPARE(exerciseAtStop, how == QLatin1String("exercise"));
        QVERIFY(!exerciseCommandsAtStop);
        QVERIFY(exercise.isNull());
        QVERIFY(!workerThread());
        QVERIFY(!bus());
    }

    // The closing frames reach the converter: the stop to the targets and to
    // the terminals, and last an idle frame to each lane of the relay.
    auto closed = [this] {
        QList<TrafficEntry> frames;
        const QList<TrafficEntry> traffic =
            simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
        for (const TrafficEntry &e : traffic) {
            if (e.kind == TrafficEntry::Received)
                frames.append(e);
        }
        auto at = [&frames](int address, int code) {
            return std::find_if(frames.begin(), frames.end(), [=](const TrafficEntry &e) {
                return e.address == address && e.code == code;
            });
        };
        const auto stop = at(BusAddress::kAllTargets, BusCode::kStop);
        const auto terminals = at(BusAddress::kAllTerminals, BusCode::kTerminalStopAll);
        const int count = frames.size();
        return stop != frames.end() && terminals != frames.end() && terminals > stop && count >= 2
            && frames.at(count - 2).code == BusCode::kTargetEnable
            && frames.at(count - 1).code == BusCode::kTargetEnable
            && QSet<int>{frames.at(count - 2).address, frames.at(count - 1).address}
                   == QSet<int>{1, 2};
    };
    QTRY_VERIFY_WITH_TIMEOUT(closed(), kTimeoutMs);

    // Now the window may go.
    QVERIFY(!window() || window()->close());
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

MyEvent *TestMainWindow::startExercise()
{
    if (!userModul()->newCompetition(kCountryRussia, kRifle60, false, QStringLiteral("Кубок")))
        return nullptr;
    TEvent *event = userModul()->currentCompetition()->event(0);
    TBulletList *list = event ? userModul()->bulletList(event->id()) : nullptr;
    MyEvent *exercise = list ? createMyEvent(list, event, nullptr) : nullptr;
    if (!exercise)
        return nullptr;
    // Wired by the window to the bus master both ways.
    holdEvent(exercise);
    QSignalSpy commands(exercise, &MyEvent::sig_emu_SendCommand);
    exercise->initEvent();
    exercise->slot_view_startEvent(-1, -1);
    return commands.isEmpty() ? nullptr : exercise;
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
