#pragma once

#include "dialogheldshots.h"
#include "myevent.h"
#include "searchblink.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QVector>
#include <QWidget>

class EventWiring;
class QTimerEvent;
class TBulletList;
class TbtnDelegate;
class TPracticeDelegate;
class TPracticeModul;
class TUserModul;
class Ui_FormExecuteEvent;

// The page on which one exercise is run: what is shot, the bus state, the
// exercise's mode and clock, its shot and series tables, START and STOP. It
// keeps no shots and no time of its own: the running exercise drives it
// through the slot_myEvent_ slots and fills the shot list the tables show;
// the page answers only with sig_startEvent and sig_stopEvent.
//
// Two variants, chosen by setMode each time the page is entered: 0 the relay
// being shot of the current competition, 1 the practice. Its words on the
// lanes and converters are built in formexecuteeventwords.cpp.
class FormExecuteEvent : public QWidget
{
    Q_OBJECT

public:
    // Neither module is owned.
    FormExecuteEvent(TUserModul *userModul, TPracticeModul *practiceModul,
                     QWidget *parent = nullptr);
    ~FormExecuteEvent() override;

    void setMode(int variant);
    // Number of converters found on the bus.
    void setNetState(int count);
    // A target or terminal of the practice answered or fell silent.
    void checkTargets();
    // The bus has waited for the lane's target for seconds (missing), or
    // heard it again: the operator is told which one, and its shooter, on
    // the page, where the word stands while it is true.
    void setTargetMissing(int target, bool missing);
    // The bus has lost a converter for seconds (lost), or found it again:
    // told on the page with the lanes behind it.
    void setPortLost(int port, bool lost, const QList<int> &targets);
    // The exercise was unwired: the tables let go of its shot list, which
    // its module may delete from now on.
    void dropShotList();

signals:
    void sig_startEvent(int _addr, int colbull);
    void sig_stopEvent(int _manage);
    // The operator's ruling on a lane's shots held: the index of the first
    // one taken after the START, or LaneStart::kNone.
    void sig_ruleShots(int target, int first);
    void sig_Back();
    void sig_Next();
    void sig_Print();

private slots:
    void slot_myEvent_TimeChange(QString timestr, int aim);
    void slot_myEvent_EventFinished();
    void slot_myEvent_BTNBackEnabled(bool Btn_enable);
    void slot_myEvent_BTNStartEnabled(bool Btn_enable);
    void slot_myEvent_BTNStartText(int Btn_mode);
    void slot_myEvent_BTNStopEnabled(bool Btn_enable);
    void slot_myEvent_BTNStopVisible(bool Btn_visible);
    void slot_myEvent_BTNNextEnabled(bool Btn_enable);
    void slot_myEvent_ModeText(int Mode_type);
    void slot_myEvent_DelegateView(bool Delegate_view);
    void slot_myEvent_TargetNotStarted(int target, bool refuses);
    void slot_myEvent_TargetStartInDoubt(int target);
    void slot_myEvent_TargetShotsWithdrawn(int target, int count);
    void slot_myEvent_TargetShotsHeld(int target);
    void slot_myEvent_TargetPageLost(int target, int held);
    void slot_myEvent_TargetNoNewShots(int target);
    void slot_myEvent_TargetShotsFlagged(int target, int count, bool repeats);
    void slot_myEvent_ShotsInDoubt(int target, const QList<HeldShot> &shots, bool atStop);
    void delegatClicked(int _row);

    void on_pbStart_clicked();
    void on_pbStop_clicked();
    void on_pbBack_clicked();
    void on_pBNext_clicked();
    void on_pb_Print_clicked();
    void on_pushButton_clicked();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    // The exercise's connections reach the private slots.
    friend class EventWiring;

    // Search states of the practice variant.
    enum SearchState { TargetsFound = 0, SearchConverter = 1, SearchTargets = 2 };

    void setupViewCompetition();
    void setupViewPractice();
    // Both tables show the list and its series; the buttons as on entering.
    void showList(TBulletList *list);
    void setButtonsForEntry(bool printVisible);
    // The practice's converter and target search on the page (on) or not.
    void setSearchDisplay(bool on);
    void setSearchState(int state);
    void startBlink();
    void stopBlink();
    void showStartCaption();
    // The lanes' words are looked at again as the list changes.
    void watchList(TBulletList *list);
    // The shot list the tables show; null when they show none.
    TBulletList *shownList() const;
    void showShootOffButtons(TBulletList *list);
    void removeShootOffButtons();
    // What keeps a word on the page: the bus's words stand until a newer
    // one of the same target or converter, or a while after it answers
    // again; the exercise's words on a lane while what they say of the
    // lane's shot list stays so.
    enum class Truth {
        Bus,
        WhileMissed,  // the lane still proven to have missed the START told of
        WhileHeld,    // shots of that START still held
        UntilStart,   // up to the lane's next START
        WhileFlagged  // shots of its current series flagged to be shot again
    };
    // A word on a lane's target, under a title that names what is known,
    // replacing the lane's earlier word of the exercise.
    void sayLaneWord(int target, Truth truth, const QString &title, const QString &text);
    // The page's words on the bus: one a target (port -1) or a converter
    // (target -1, with the lanes behind it), replacing that one's earlier
    // word; a word that it answers again is withdrawn after a while.
    void sayBusWord(int port, int target, bool back, const QString &text,
                    const QList<int> &lanes = {});
    void withdrawTargetWords();
    // Withdraws the lanes' words that are no longer so (soon, once for a
    // burst of changes in the shot list).
    void recheckLaneWords();
    void showBusWords();
    // What a lane that missed a START means for the relay or the stage.
    QString whatFollows(int target, bool refuses = false) const;
    // "Мишень N (shooter, стартовый номер S)", as far as the shown list knows.
    QString targetAndShooter(int target) const;
    // What becomes of shots held that cannot tell yet.
    QString whatBecomesOfHeld() const;
    // A word that the lane did not take the START, with what follows.
    void sayMissedWord(int target, const QString &text, bool refuses);
    // A word on shots held (text's %1: the target), with what becomes of them.
    void sayHeldWord(int target, const QString &title, const QString &text);
    // Closes the rulings still open (the exercise is over or gone).
    void closeRulings();

    Ui_FormExecuteEvent *ui = nullptr; // owned
    TUserModul *userModul = nullptr;
    TPracticeModul *practiceModul = nullptr;
    int m_mode = 0;
    TbtnDelegate *m_shootOffDelegate = nullptr; // child of the page
    TPracticeDelegate *m_shotDelegate = nullptr; // child of the page
    int m_converterCount = 0;
    int m_searchState = SearchConverter;
    QString m_startCaption;
    bool m_timeOnStartButton = true;
    // A lane's series that its target did not start is re-shot in the break.
    bool m_reshotInBreak = false;
    // The ruling open for each lane, one at most: asked again, it shows the
    // new list.
    QMap<int, QPointer<DialogHeldShots>> m_rulings;
    struct BusWord
    {
        int port = -1;
        int target = -1;
        bool back = false;
        QString text;
        QList<int> lanes; // of a converter
        int serial = 0; // which word a withdrawal timer was set for
        Truth truth = Truth::Bus;
        qint64 startMs = -1; // the lane's START it was told of
        bool seenTrue = false; // what keeps it has been seen so in the list
    };
    // Whether what keeps the lane's word is still so in the shown list.
    bool stillTrue(BusWord &word) const;
    QList<BusWord> m_busWords;
    int m_busWordSerial = 0;
    bool m_recheckQueued = false;
    // The shown list's changes that may make a lane's word untrue.
    QList<QMetaObject::Connection> m_listWatch;
    int m_blinkTimerId = -1;
    int m_blinkPeriodMs = 50;
    SearchBlink m_blink; // opacity of the search line
    bool m_searchDisplayOn = false;
    // While shoot-off buttons are open: the sum column they cover and the
    // target of each row when they were opened, since a button reports the
    // row it was made for even after the rows were re-ordered.
    int m_shootOffColumn = -1;
    QVector<int> m_shootOffTargets;
};
