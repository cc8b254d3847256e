#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

#include "exerciseclock.h"
#include "lanestart.h"

class TBullet;
class TBulletList;
class QTimerEvent;

// The bus master's place code type; the same alias is declared on its side.
using schar = signed char;

// A shot a lane holds undecided, as the operator is asked about it. Moments
// are ms since the START it was held at (the targets' clock), as far as we
// know it: the latest allows for the START having gone out up to
// LaneStart::kStartSlackMs before we read its confirmation.
struct HeldShot
{
    // The moments it can have been taken at, by one account of the page or
    // by every one together.
    struct Moments
    {
        LaneStart::Doubt::Page page = LaneStart::Doubt::Page::NoStart;
        qint64 fromMs = 0;
        qint64 toMs = 0;
        bool fromKnown = true; // false: no answer bounds it from below (to)
        bool toKnown = true;
    };
    int targetNumber = 0; // its number on the target's page
    QPoint point;         // as the target gave it
    int placeCode = 0;
    int timeTenths = 0;   // its own time on the target's count
    qint64 readMs = 0;    // when it was read
    qint64 fromMs = 0;    // the moments it can have been taken at, every account's together
    qint64 toMs = 0;
    bool fromKnown = true;
    bool toKnown = true;
    QVector<Moments> accounts; // by each account that fits, this START's first
    // The same answer, to the byte, was read before the START: at least
    // readBeforeMs before it went out (0 or more).
    bool readBefore = false;
    qint64 readBeforeMs = 0;
    int gapTenths = -1;   // own time since the page's shot before it; -1: not read
    int number = 0;       // its running number in the stage, counted from it on
    QString value;        // as the shot table would show it
    bool earlierPage = false; // of a page the target lost since
};

// A running exercise: it sits between the run screen and the bus master while
// one exercise of one relay is shot. It owns no screen and no port: it takes
// START and STOP from the run screen, the bus master's reports and its own
// clock, and answers with command frames (without CRC) for the bus master and
// with signals that drive the run screen. The kinds fill in the virtual
// operations; the clock, the shot path, the confirmations and every frame
// builder live here.
class MyEvent : public QObject
{
    Q_OBJECT

public:
    // Bus addresses of all targets and of all terminals.
    static constexpr int kAllTargets = 0xEA;
    static constexpr int kAllTerminals = 0x9F;
    // A target holds this many shots; its memory is reset after the last.
    static constexpr int kMaxTargetShotNumber = 255;

    // Stages of a place: its shots are sighting or match shots.
    enum Stage { StageSighting = 0, StageMatch = 1 };
    // Why a target's shot memory is reset.
    enum ResetReason { ResetMemoryFull = 0, ResetToSighting = 1, ResetToMatch = 2 };
    // Values of sig_view_ModeText and sig_view_BTNStartText.
    enum ModeLabel { ModeLabelNone = -1, ModeLabelSighting = 0, ModeLabelMatch = 1 };
    enum StartText { StartTextStart = -1, StartTextSighting = 0, StartTextMatch = 1 };

    MyEvent(int typeXMLID, int subType, QObject *parent = nullptr);
    ~MyEvent() override;

    // The time source of the exercise clock; not owned. nullptr gives the
    // object's own monotonic clock back. A hand-advanced clock also stands
    // for the time the targets count, unless setTargetClock names another.
    void setClock(ExerciseClock *clock);
    // The time the targets count their shots' own times in: real time, never
    // sped up; not owned. nullptr gives the object's own real clock back.
    void setTargetClock(ExerciseClock *clock);
    // Id of the running 100 ms clock timer, -1 when the clock is stopped.
    int clockTimerId() const { return timerId; }

    void setParams(int seriesPerStart, int seriesCount, int shotsPerSeries, int seriesShots,
                   int calibre);

    // Clock, in tenths of a second.
    void startEventTimer();
    void stopEventTimer();
    int elapsedTenths() const;
    void setElapsed(int tenths, bool force);
    int elapsed() const { return timeEvent; }
    void showTime(int aim);
    // showTime, once per whole second of the clock: on the first tick in a
    // second not shown yet, so that a late tick does not skip a second.
    void showWholeSecond(int aim);

    // Shot polling.
    void requestNextBullet(int target);
    void stopReadBullet();

    // Senders.
    void sendStartAll(int arm);
    void sendStopAll(int arm);
    void sendResetTarget(int target, int reason);
    void sendClasterAll(int m);
    void sendStart(int target, int arm);
    void sendStop(int target, int arm);
    void sendClaster(int target, int m);
    void sendBulletToPC(int target, int mode, int colbull);
    void sendEventTypeAll();
    void sendPCAll35();
    void sendPCAll31();
    void sendPC32(int target, int stage);
    void sendPCAll40(int m);
    void sendPC35(int target, int value);
    void sendPC40(int target, int m);
    void sendSeriesResultToPC(int member, int series, TBulletList *list);

    void setTargetStage(int target, int stage);

    void clearPositionNames();
    void appendPositionName(const QString &name);
    QString positionName(int i) const;

    bool isRunning() const { return running != 0; }
    int stageOfTarget(int target) const;

    // Virtual operations with their defaults, in the order the kinds know them.
    virtual QString timeText(bool forLabel);
    virtual bool isTargetDone(int target);
    virtual bool allTargetsDone();
    virtual void tick();
    virtual int onTimeEvent();
    virtual int nextBulletNumber(int target);
    virtual bool acceptBullet(int time);
    virtual void onAddBullet(int target, int number, QPoint point, qint8 place, int time,
                             int eventTime);
    // The target holds no shot of this number yet.
    void onNoBullet(int target, int number);
    virtual void onSetTime(int time);
    virtual void onEventStarted();
    virtual void onEventStopped();
    virtual void onBDReseted(int target, int reason);
    virtual void onSetMatchFromPC(int target, int mode);
    virtual void onClientBullets(int target, int mode, int colbull);
    virtual void onStartRequested(int member, int colbull);
    virtual void onStopRequested(int manageBullet);

    // Frame builders: each returns one frame without its CRC (the bus master
    // appends it), or an empty array when there is nothing to send.
    virtual QByteArray makeStartAllPacket();
    virtual QByteArray makeStopAllPacket();
    virtual QByteArray makeResetPacket(int t);
    virtual QByteArray makeClasterAllPacket0();
    virtual QByteArray makeClasterAllPacket2();
    virtual QByteArray makeClasterAllPacket1();
    virtual QByteArray makeStartPacket(int t);
    virtual QByteArray makeStopPacket(int t);
    virtual QByteArray makeClasterPacket0(int t);
    virtual QByteArray makeClasterPacket2(int t);
    virtual QByteArray makeClasterPacket1(int t);
    virtual QByteArray makeBulletPCPacket(int t, const TBullet *shot);
    virtual QByteArray makeEventTypeAllPacket();
    virtual QByteArray makePCAll31Packet();
    virtual QByteArray makePC32Packet(int t, int v);
    virtual QByteArray makePCAll40Packet0();
    virtual QByteArray makePCAll40Packet2();
    virtual QByteArray makePCAll40Packet1();
    virtual QByteArray makePCAll38Packet(const QString &text);
    virtual QByteArray makePC39Packet(int t, int first, int second, int third,
                                      const QString &text);
    virtual QByteArray makePCAll35Packet();
    virtual QByteArray makePC35Packet(int t, int v);
    virtual QByteArray makePC40Packet0(int t);
    virtual QByteArray makePC40Packet2(int t);
    virtual QByteArray makePC40Packet1(int t);
    virtual QByteArray makeSeriesResultPacket(int member, qint8 series, TBulletList *list);

    virtual void initEvent();

signals:
    void sig_emu_getBullet(int targetAddr, int Num);
    void sig_emu_stopReadBullet();
    void sig_emu_SendCommand(QByteArray command);
    void sig_view_TimeChange(QString timestr, int aim);
    void sig_view_EventFinished();
    void sig_view_BTNBackEnabled(bool Btn_enable);
    void sig_view_BTNStartEnabled(bool Btn_enable);
    void sig_view_BTNStartText(int Btn_mode);
    void sig_view_BTNStopEnabled(bool Btn_enable);
    void sig_view_BTNStopVisible(bool Btn_visible);
    void sig_view_BTNNextEnabled(bool Btn_enable);
    void sig_view_ModeText(int Mode_type);
    void sig_view_DelegateView(bool Delegate_view);
    // The target of the lane did not take the last start: what it answers is
    // read with care, but it may not be recording the shots of this start.
    // refuses: the time of the stage it still holds ran out; it takes no shot.
    void sig_view_TargetNotStarted(int target, bool refuses);
    // The target of the lane did not answer around the last start and its
    // shots cannot show whether it took it: they may be shots of an earlier
    // start. The operator decides (re-shoot or STOP).
    void sig_view_TargetStartInDoubt(int target);
    // The target did not take the last start: count shots stored for it were
    // shots of an earlier start, and are taken back.
    void sig_view_TargetShotsWithdrawn(int target, int count);
    // The lane's shots cannot tell yet whether its target took the last
    // start: they are not counted until one does.
    void sig_view_TargetShotsHeld(int target);
    // The target came back from a silence with another page of shots (it
    // was switched off): its new shots are read from its first. held: shots
    // of the lost page that were held, put to the operator's ruling.
    void sig_view_TargetPageLost(int target, int held);
    // The lane gave only shots just like those read before the START: no
    // new shot of it.
    void sig_view_TargetNoNewShots(int target);
    // A pistol series or window is over with count shots of the lane held:
    // they are passed over and flagged to be shot again with the shots it
    // lacks; repeats: they were all just like shots of the page before.
    void sig_view_TargetShotsFlagged(int target, int count, bool repeats);
    // The lane's shots cannot tell whether they were taken after the START
    // and it has shot its count with them (or STOP came): the operator rules
    // through slot_view_ruleShots. At STOP (atStop) the reading has stopped
    // and the ruling is awaited before the misses are filled in. Asked again
    // when what the lane holds changes; no shots: the question is void.
    void sig_view_ShotsInDoubt(int target, const QList<HeldShot> &shots, bool atStop);

public slots:
    void slot_emu_TargetFound(int ta, bool found);
    void slot_emu_PCFound(int ta, bool found);
    void slot_emu_AddBullet(int targetAddr, int number, QPoint point, schar place, int time,
                            int eventTime);
    void slot_emu_AddBullet(int targetAddr, int number, QPoint point, schar place, int time);
    void slot_emu_setTime(int _timeevent);
    void slot_emu_EventStarted();
    void slot_emu_EventStoped();
    void slot_emu_BDReseted(int targetAddr);
    // The bus master found the lane's polls unanswered (false) or heard it again.
    void slot_emu_TargetHeard(int targetAddr, bool heard);
    void slot_emu_TargetAnswered(int targetAddr);
    void slot_emu_TargetAsked(int targetAddr, int number);
    void slot_emu_ShotNotTaken(int targetAddr, int number, QPoint point, schar place, int time);
    // A poll found no shot of that number on the lane's target.
    void slot_emu_NoBullet(int targetAddr, int number);
    void slot_emu_ClasterSetted();
    void slot_emu_BDResetFromPC(int targetAddr, int mode);
    void slot_emu_ClientBullets(int targetAddr, int mode, int colbull);
    void slot_view_startEvent(int member, int colbull);
    void slot_view_stopEvent(int manageBullet);
    // The operator's ruling on the shots the lane was asked about: the
    // index of the first one taken after the START, or LaneStart::kNone.
    void slot_view_ruleShots(int target, int first);

protected:
    void timerEvent(QTimerEvent *event) override;

    // Whether the kind looks for targets that did not take a start of the
    // whole line (see LaneStart).
    virtual bool checksStartTaken() const { return false; }
    // A target that missed the last start holds a stage whose time ran out.
    virtual bool stageTimedOut() const { return false; }
    // Now, in ms on the clock the targets count their own time by.
    qint64 targetNowMs() const;
    // A START of the line was confirmed at startMs (on the targets' clock):
    // each lane's target began a new page, or is judged on whether it did.
    virtual void beginPages(qint64 startMs);
    // Carries out what the lane's start state made of an answer: the page
    // withdrawn or begun again, the word to the operator, the shots stored,
    // and the next poll.
    void act(int target, const LaneStart::Verdict &verdict);
    // The verdict's shots that the list lacks and the kind accepts.
    QVector<LaneShot> shotsToStore(int target, const LaneStart::Verdict &verdict);
    // Stores the shots after the page's last one; one the database refuses
    // stops the rest, which the lane is asked for again.
    void storeShots(int target, const QVector<LaneShot> &shots);
    // The lane's terminal shows what the page holds now, no shot taken back.
    void resendPage(int target);
    // Emits the signal that carries the word to the run screen.
    void tellOperator(int target, LaneStart::Word word, int withdrawn = 0);
    // Asks the operator about the shots the lane holds, once for each set of
    // them; false when it holds none.
    bool askRuling(int target, bool atStop);
    // A lane was asked about its shots and has not been answered.
    bool rulingAwaited() const;

    // Emits one frame to the bus master.
    void sendCommand(const QByteArray &frame);
    // Asks every target of the shot list, in row order, for its next shot.
    void requestAllTargets();
    // Targets of the shot list in row order, read before the rows move.
    QList<int> targets() const;
    // A start frame (code 0xA0): time allowed in seconds (0xFFFF no limit),
    // shots allowed (0xFF no limit) and the two closing bytes.
    static QByteArray startFrame(int address, int face, int timeSeconds, int shots, int byte8,
                                 int byte9);
    static constexpr int kNoLimitTime = 0xFFFF;
    static constexpr int kNoLimitShots = 0xFF;
    int targetFaceOfList() const;
    QByteArray baseStartFrame(int address) const;
    // The time source the clock reads, for the kinds' own timings.
    const ExerciseClock &exerciseClock() const { return *clock; }

    QStringList positionNames;
    int timeEvent = 0;            // tenths of a second
    bool readingBullets = false;
    int startPending = -1;
    // Last reason requested for any target; confirmations read the reason
    // kept on the target's place (pendingReset) instead.
    int resetReason = -1;
    int typeXMLID = 0;
    int subType = 0;
    // Not owned. The competition module deletes its shot lists when a
    // competition is opened or changed, which may happen while an exercise
    // is still wired: the exercise then goes on as one without a shot list.
    QPointer<TBulletList> bulletList;
    int mode = 0;
    int running = 0;
    bool pistolStage = false;
    int timerId = -1;
    // Whole second of the clock last shown by showWholeSecond; the clock's
    // start shows second 0.
    int shownSecond = 0;
    qint64 startTime = 0;         // clock reading in ms when the clock was last started
    int seriesPerStart = -1;
    int seriesCount = -1;
    int shotsPerSeries = 10;
    int seriesShots = 10;
    int calibre = 450;            // hundredths of a millimetre

private:
    QMap<int, QVector<int>> askedShots; // by target, the numbers the operator was asked about
    std::unique_ptr<ExerciseClock> ownClock;
    ExerciseClock *clock = nullptr;
    std::unique_ptr<ExerciseClock> ownTargetClock;
    ExerciseClock *targetClock = nullptr;
};
