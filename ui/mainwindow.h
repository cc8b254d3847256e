#pragma once

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QSqlError>
#include <QString>

#include <array>

class DialogCheckMemberColBull;
class DialogPracticeShooter;
class DialogPracticeshooterlist;
class DialogRelay;
class DialogShooter;
class DialogShooterList;
class DialogStartNumChange;
class EMUProc;
class EventWiring;
class FormCompetitionTotal;
class FormCompetitions;
class FormCurrentRelay;
class FormEventTotal;
class FormExecuteEvent;
class FormLog;
class FormMembers;
class FormPracticeSetting;
class FormRelays;
class FormVIEW;
class FormWellcome;
class MyEvent;
class QCloseEvent;
class QShortcut;
class QStackedWidget;
class QThread;
class TBulletList;
class TEvent;
class TPracticeModul;
class TPrintData;
class TRelay;
class TUserModul;
class TViewModul;
struct LineTarget;

namespace Ui {
class MainWindow;
}

// The root of the program: it owns the modules, the bus master on its worker
// thread, the page stack and the dialogs for the whole run, decides which page
// shows (pages only ask, through their signals), and shuts everything down in
// order when it is closed.
//
// The work is split by subject into files of its own, one header:
//   mainwindow.cpp          construction and shutdown
//   mainwindowflow.cpp      page flow
//   mainwindowevent.cpp     exercise wiring
//   mainwindowrelays.cpp    relay advance
//   mainwindowbus.cpp       bus status and log relay
//   mainwindowpractice.cpp  practice flow
//   mainwindowtotals.cpp    total pages and printing
//   mainwindowviewer.cpp    results viewer
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The pages of the stack, in stack order. A page that is not built into
    // the program yet has no place; the others keep their order.
    enum class Page {
        Welcome,
        Competitions,
        Members,
        Relays,
        CurrentRelay,
        Run,
        EventTotal,
        CompetitionTotal,
        Practice,
        Viewer
    };
    Q_ENUM(Page)

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Shows the window maximised over its screen, as the program starts.
    void showOnScreen();

    // Makes the page current; false, changing nothing, for a page the window
    // does not have.
    bool showPage(Page page);
    Page currentPage() const;
    bool hasPage(Page page) const;

signals:
    void stopAll();
    void sig_quit();
    void sig_log(int direct, int portID, int portNum, QByteArray data, int answerFound);
    void sig_logenable(bool enabled);
    void sig_Event_StopEvent();
    void sig_findTargets();
    void sig_AddTarget(int _addr, int _startNum, QString _familyName, QString _name,
                       int firstlast);

private slots:
    void emitquit();
    // Page flow.
    void slot_setCompetitionsWidget(int mode);
    void slot_setCompetitionsWidget();
    void slot_setWellComeWidget();
    void slot_setMemersWidget();
    void slot_setRelaysBackWidget();
    void slot_setRelaysWidget();
    void slot_shooterChanged(int _sourse);
    void slot_setExecutableEvent();
    void slot_setCurrentRelayWidgetBACK();
    void slot_setRelayFinished();
    void slot_continueCompetition();
    void slot_finishCompetition();
    // Practice flow.
    void slot_addShooterToPractice();
    void slot_ChangeShooterPractice(int id);
    // Relay advance.
    void slot_setCurrentRelayWidget();
    // Bus status and log relay.
    void slot_emu_PortFounded(int id, int comNum, bool found, int colFound);
    void slot_emu_TargetEnabled(int ta, bool enabled);
    void slot_emu_PCEnabled(int ta, bool enabled);
    void slot_emu_TargetMissing(int ta, bool missing);
    void slot_emu_PortLost(int id, bool lost, QList<int> targets);
    void slot_emu_DataReaded(int portID, int portNum, QByteArray data, int answerfount);
    void slot_emu_DataWrote(int portID, int portNum, QByteArray data);
    void showhidelog();
    void slot_logs();
    // Total pages and printing.
    void slot_PrintEvent();
    void slot_PrintCompetition();
    // Storage: what the modules tell of their files (StorageWord): refused
    // writes that wait, and stored again; a file removed or replaced while
    // open, written again or not.
    void slot_storage(int word, const QString &file, const QSqlError &failure,
                      const QString &keptAside);
    // Shutdown.
    void on_closeBTN_clicked();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    static constexpr int kPageCount = static_cast<int>(Page::Viewer) + 1;
    // The bus master gets this long to write its closing frames when the
    // window goes without the shutdown having run.
    static constexpr int kBusStopTimeoutMs = 10000;
    // Queued reports of the bus master still arrive meanwhile.
    static constexpr int kCloseDelayMs = 500;
    // workMode values; -1 until the welcome page's first choice.
    static constexpr int kModeCompetition = 0;
    static constexpr int kModePractice = 1;
    static constexpr int kModeViewer = 2;

    // Construction and shutdown.
    void readSettings();
    // The reference lists and style pictures that the run folder lacks or
    // that cannot be read, told in one box once the window runs.
    void warnUnreadableFiles();
    // A warning shown once the window's event loop runs, after those before it.
    void warnOnceRunning(const QString &title, const QString &text);
    void tellStartupBoxes();
    void createBus();
    void createPages();
    void addPage(Page page, QWidget *widget);
    void connectPages();
    void closeApplication();
    void stopBusAtOnce();
    // The bus master has written its closing frames and every report it
    // emitted before has been handled.
    void onBusFinished();
    void onWorkerFinished();
    void connectBusReports();
    // Page flow.
    void onShotCountCheckEnded();
    // Relay advance.
    void setCurrentRelayWidget();
    void setCurrentRelay(TRelay *relay);
    void fillCurrentRelayView(TBulletList *list, TRelay *relay, bool registerTargets);
    void finishRelay();
    void continueWithNextStage();
    void nextStageOrTotal(TEvent *event);
    // The run relay and its exercise, or null after the warning that says
    // which of the two is missing.
    TRelay *runRelayWithEvent();
    // Bus log.
    void createLog();
    // Bus status: a target's or a terminal's answer reaches the line's model.
    void relayLaneAnswer(int ta, bool enabled, bool terminal);
    // Exercise wiring.
    void createEventWiring();
    // true when the exercise's type has an exercise object, now wired.
    bool connectEvent(TEvent *event, TBulletList *list, TBulletList *prevStage);
    void disconnectEvent();
    void clearTargets();
    // Practice flow.
    void connectPracticePages();
    // A database that could not be opened or made while the modules were
    // built is told to the operator once the window runs.
    void warnStartupStorageErrors();
    void clearLeftovers();
    // Boxes for each change of shotStorage until the operator has heard the
    // latest, and for each file lost.
    void tellShotStorage();
    void preparePracticeEvent();
    void leavePracticeRun();
    void showPracticeResult();
    void restartPractice();
    // The targets of a line in its order, the bus master's list replaced by
    // them; a line without members leaves the list as it was.
    void registerLine(const QList<LineTarget> &line);
    // Total pages and printing.
    void createTotalsPages();
    void showEventTotal(TEvent *event);
    void showCompetitionTotal();
    void printReport(int relay);
    void releaseHiddenTotals();
    // Results viewer.
    void createViewerPage();
    void showViewer();

    Ui::MainWindow *ui = nullptr;
    bool logsEnabled = true;
    TUserModul *userModul = nullptr;
    TPracticeModul *practiceModul = nullptr;
    int workMode = -1;
    MyEvent *currentEvent = nullptr; // owned by eventWiring; deleted only by disconnectEvent
    EventWiring *eventWiring = nullptr; // child of the window
    QThread *workerThread = nullptr; // deletes itself once finished
    EMUProc *emu = nullptr;          // lives in workerThread; deletes itself there
    QStackedWidget *pages = nullptr;
    FormWellcome *formWellcome = nullptr;
    FormPracticeSetting *formPracticeSetting = nullptr;
    DialogPracticeshooterlist *dialogPracticeshooterlist = nullptr;
    DialogPracticeShooter *dialogPracticeShooter = nullptr;
    FormExecuteEvent *formExecuteEvent = nullptr;
    FormRelays *formRelays = nullptr;
    FormCurrentRelay *formCurrentRelay = nullptr;
    DialogRelay *dialogRelay = nullptr;
    DialogCheckMemberColBull *dialogCheckMemberColBull = nullptr;
    FormCompetitions *formCompetitions = nullptr;
    FormMembers *formMembers = nullptr;
    DialogShooter *dialogShooter = nullptr;
    DialogShooterList *dialogShooterList = nullptr;
    DialogStartNumChange *dialogStartNumChange = nullptr;
    FormEventTotal *formEventTotal = nullptr;
    FormCompetitionTotal *formCompetitionTotal = nullptr;
    TPrintData *printData = nullptr; // one of parentless
    TViewModul *viewModul = nullptr; // one of parentless
    FormVIEW *formVIEW = nullptr;
    FormLog *formLog = nullptr;       // child of the window
    QShortcut *logShortcut = nullptr; // child of the window
    int addrStart = 1;
    int addrCol = 10;

    // The widget of each page, null for a page the program does not have.
    std::array<QWidget *, kPageCount> pageWidgets{};
    // Modules and dialogs have no parent; the destructor deletes them, last
    // made first, after the pages that refer to them.
    QList<QObject *> parentless;
    bool closing = false;
    // Start-up warnings (title, text) not yet closed by the operator, the
    // one shown first.
    QList<QPair<QString, QString>> startupBoxes;
    // What the operator has heard about the storing of match shots.
    struct FileTold
    {
        int waiting = 0;       // the module's latest word: what waits (StorageWaitFlags)
        QSqlError failure;     // and its cause
        int told = 0;          // what the boxes said waits
    };
    struct ShotStorage
    {
        QMap<QString, FileTold> files; // by the file's path as shown
        QList<QPair<QString, QString>> news; // files written again: title, text, not shown yet
        bool telling = false;  // a box is queued or open
    } shotStorage;
    // Next on the competitions page came while the shot-count check of the
    // opened competition waited for the operator.
    bool pageWaitsForCheck = false;

    friend class MainWindowTest;
};
