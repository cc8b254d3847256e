#pragma once

// Base class of the tests that drive the real main window as an operator
// does. Before each test function it makes a fresh run folder (a copy of
// data/ServerDatas, made the current directory; the bus master looks for its
// converters in an empty "com" folder in it), applies the program's style
// sheet and shows a new MainWindow as the program does (maximised over the
// screen, offscreen unless a test runs on a display). Message boxes are not shown:
// each is recorded and answered (Warnings' test mode), and a test takes the
// ones it expects. After each test function the window is shut down as its
// "X" button does it, and the test fails when a box or a storage error
// (errorSQL) occurred that the test did not take.
//
//   class TestWelcome : public MainWindowTest
//   {
//       Q_OBJECT
//   private slots:
//       void newCompetition()
//       {
//           QVERIFY(click("pbNEW"));
//           QCOMPARE(workMode(), 0);
//       }
//   };
//
// A test class that needs an init() or cleanup() of its own calls
// MainWindowTest::init() / cleanup() from it.

#include <QList>
#include <QStringList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

#include "busgaps.h"

#include "mainwindow.h"
#include "runfolderlock.h"
#include "storedrows.h"
#include "testdatadir.h"
#include "warnings.h"

class EMUProc;
class MyEvent;
class QSignalSpy;
class QThread;
class SimulatorThread;
class TBulletList;
class TdbAccessor;
class TEvent;
class TPracticeModul;
class TUserModul;
class TViewModul;
struct LineTarget;

class MainWindowTest : public QObject
{
    Q_OBJECT

public:
    using Page = MainWindow::Page;

    // Generous bound for anything that waits on the bus master or the
    // simulator (the converter search, the shutdown).
    static constexpr int kTimeoutMs = 60000;

    MainWindowTest();
    ~MainWindowTest() override;

protected slots:
    void init();
    void cleanup();

protected:
    MainWindow *window() const { return m_window; }
    TestDataDir &runFolder() const { return *m_runFolder; }
    Page page() const { return m_window->currentPage(); }

    // Clicks the one visible widget of that objectName (the current page's,
    // a shown dialog's); false, with the reason in the log, when there is
    // none, more than one, or it is disabled.
    bool click(const QString &objectName);

    // The widget of that objectName and class in the window or a top-level
    // window of its own (the dialogs): the visible one when several share the
    // name; null when there is none.
    template <class T = QWidget>
    T *widget(const QString &objectName) const
    {
        return qobject_cast<T *>(findWidget(objectName, &T::staticMetaObject));
    }

    // The widget of that objectName and class on a page of the window,
    // shown or not; null when the page has none.
    template <class T = QWidget>
    T *onPage(Page page, const QString &objectName) const
    {
        QWidget *pageWidget = pageWidgetOf(page);
        return pageWidget ? pageWidget->findChild<T *>(objectName) : nullptr;
    }

    // Clicks (twice: also double-clicks) that row of the visible item view of
    // that name; false when there is no such view or row.
    bool clickRow(const QString &view, int row, bool twice = false);
    // The view's row whose role holds that value; -1 when none.
    int rowOf(const QString &view, int role, int value) const;
    // The display texts of that column of the view, top to bottom.
    QStringList column(const QString &view, int column) const;

    // The competitions database as the window left it (StoredRows).
    Rows rows(const QString &statement, const QVariantList &values = {});
    bool exec(const QString &statement, const QVariantList &values = {});

    // The oldest message box not taken yet (empty title and text when there
    // is none), and all of them.
    Warnings::Shown takeWarning();
    QList<Warnings::Shown> takeWarnings();
    // Takes the oldest box not taken yet; false, with both in the log, when
    // it is not this one.
    bool expectBox(const QString &title, const QString &text);
    // Storage errors reported since the last take (errorSQL codes, oldest first).
    QList<int> takeStorageErrors();
    // Another database connection whose errors count as the window's (a
    // module that opens its own).
    void watchStorageErrors(TdbAccessor *db);
    void watchStorageErrors(TPracticeModul *module);

    // What the window holds.
    TUserModul *userModul() const;
    TPracticeModul *practiceModul() const;
    TViewModul *viewModul() const;
    int workMode() const;
    int addrStart() const;
    int addrCol() const;
    QThread *workerThread() const;
    EMUProc *bus() const;

    // The window's exercise wiring, as its relay advance and practice flow
    // use it: the running exercise the window holds (null when none), one
    // made for an exercise record, or one handed over (the window owns it
    // from then on), for tests of what becomes of it.
    MyEvent *currentEvent() const;
    bool connectEvent(TEvent *event, TBulletList *list, TBulletList *prevStage);
    void holdEvent(MyEvent *event);
    void disconnectEvent();
    void registerLine(const QList<LineTarget> &line);

    // Shuts the window down as "X" does (closeBTN) and waits until its worker
    // thread has finished and gone; false when it did not in time. The
    // window itself stays until reopenWindow or cleanup.
    bool shutDown();
    // Deletes the window at once, without its shutdown, as when the
    // application's event loop ends some other way; init's next window or
    // reopenWindow builds a new one.
    void destroyWindow() { closeWindow(); }
    // Shuts the window down and builds a new one on the run folder as the
    // test has left it (a changed Config.ini, a stored competition). False,
    // with no window, when the start is refused as the program's is: the
    // run folder is held by another program that runs with it.
    bool reopenWindow();
    // The relay advance's moves to the total pages, which the window makes
    // after the last relay of a stage or of the competition.
    void showEventTotal(TEvent *event);
    void showCompetitionTotal();

    // The competitions database read-only for every handle that opens it
    // from now on, or writable again for new handles, as SQLite opens a
    // file the program's user may not write (mode 444 bars no root, and the
    // tests run as root): a header that asks for a newer writer than SQLite
    // makes it treat the file as read-only, and a handle stays so once it
    // has read it. The fixture's own connection is closed first; false
    // unless the log holds nothing the file lacks (no handle wrote since
    // the last one was closed, or since the file became read-only).
    bool setDatabaseReadOnly(bool readOnly);
    // The file's mode set to 444 or 644 (felt by an ordinary user only); the
    // fixture's own connection closed first, to hold no handle the program
    // would not, and opened again by its next statement.
    bool setDatabaseWritable(bool writable);

    // The next init() works in this folder, as another process left it,
    // instead of a fresh one; the folder stays after the test.
    void useRunFolder(const QString &path) { m_givenRunFolder = path; }

    // Screenshots of what the operator sees at a step of a road: when the
    // environment names a folder (RANGE_SCREENSHOT_DIR, as
    // scripts/screenshots.sh does), the window (or that dialog) is saved there
    // as "<test class>-<name>.png"; otherwise nothing happens.
    static constexpr const char *kScreenshotVariable = "RANGE_SCREENSHOT_DIR";
    static QString screenshotFolder();
    void sight(const QString &name, QWidget *shown = nullptr);

    // Every window opened from now on (and the open one) gets these gaps
    // between its bus master's writes, as the line tests shorten them.
    void setBusGaps(const BusGaps &gaps);

    // Puts the range simulator on the "com" folder with one serial converter
    // for these lanes, and reopens the window so that its bus master finds it.
    bool startSimulator(const QList<int> &lanes);
    // The bus master and the simulator wait no longer than the line tests
    // let them: a tenth of the range's gaps between two writes, and a short
    // time within which a target takes a start for a copy of the last one.
    // For tests that look at what is written and stored, not at when.
    void shortenLineWaits();
    SimulatorThread *simulator() const { return m_simulator.get(); }

private:
    QWidget *pageWidgetOf(Page page) const;
    QWidget *findWidget(const QString &objectName, const QMetaObject *type) const;
    bool openWindow();
    void closeWindow();

    QString m_givenRunFolder;
    std::optional<BusGaps> m_busGaps;
    std::unique_ptr<TestDataDir> m_runFolder;
    std::unique_ptr<StoredRows> m_stored;
    std::unique_ptr<SimulatorThread> m_simulator;
    std::unique_ptr<RunFolderLock> m_runFolderLock; // held while a window is open
    MainWindow *m_window = nullptr; // owned
    QList<QSignalSpy *> m_errorSpies; // owned
    QList<int> m_storageErrors;       // from the spies of windows already gone
    int m_warningsTaken = 0;
    bool m_shutdownFailed = false;
};
