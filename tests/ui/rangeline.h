#pragma once

// A whole range line without screens, for the line tests: the range
// simulator with its lanes on pseudo-terminals, the bus master on its worker
// thread as the main window builds it, a temporary data folder with the
// competitions database, the run screen's stand-in and the exercise wiring.
// A test that includes this header also includes "moc_rangeline.cpp".

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QtTest>

#include <memory>

#include "busframe.h"
#include "busthread.h"
#include "emuproc.h"
#include "eventwiring.h"
#include "fakerunscreen.h"
#include "simulatorthread.h"
#include "tbullet.h"
#include "tbulletlist.h"
#include "tdbaccessor.h"
#include "testdatadir.h"
#include "ttargettype.h"

// One stored match row as it should be: a fired shot, or a miss flagged for
// re-shooting.
struct ExpectedRow
{
    bool miss = false;
    int x = 0;
    int y = 0;
    int place = 0;
};

class RangeLine : public QObject
{
    Q_OBJECT

public:
    // Long enough for the bus master to find a converter and its targets.
    static constexpr int kTimeoutMs = 60000;

    // Fine of a miss that is to be shot again.
    static constexpr int kFlaggedFine = 1;

    // The line tests look at what is written and stored, not at when: the
    // bus master keeps a tenth of the range's gaps to the simulator.
    static constexpr BusGaps kGaps{5, 7, 20};
    // The three copies of a broadcast start reach a target within a few bus
    // gaps; a start later than this is a new one. Shorter than the range's
    // second, so that the tests need not wait that long between two starts.
    static constexpr qint64 kStartCopyWindowMs = 150;

    // Member keys of the line tests.
    static int memberOn(int lane) { return lane * kMembersPerLane; }

    explicit RangeLine(const QList<int> &lanes)
        : m_lanes(lanes)
    {
    }

    ~RangeLine() override
    {
        stop();
        qunsetenv("RANGE_COM_DIR");
    }

    // Builds everything; false when the data folder or the simulator's
    // converter could not be made.
    bool start(const QString &connectionName)
    {
        m_data = std::make_unique<TestDataDir>();
        if (!m_data->isValid())
            return false;
        const QString comDir = m_data->filePath(QStringLiteral("com"));
        m_simulator = std::make_unique<SimulatorThread>();
        if (!m_simulator->call([&](RangeSimulator &sim) { return sim.setComDirectory(comDir); }))
            return false;
        m_simulator->call([](RangeSimulator &sim) { sim.setStartCopyWindowMs(kStartCopyWindowMs); });
        if (m_simulator->call([&](RangeSimulator &sim) { return sim.addSerialConverter(m_lanes); })
            != 0)
            return false;
        qputenv("RANGE_COM_DIR", comDir.toLocal8Bit());

        // As the main window builds it.
        m_thread = new QThread;
        m_bus = new EMUProc(0, 1, 10);
        m_bus->setGaps(kGaps);
        connect(this, &RangeLine::stopAll, m_bus, &EMUProc::stop);
        connect(this, &RangeLine::sig_AddTarget, m_bus, &EMUProc::slot_view_AddMember);
        connect(m_bus, &EMUProc::sig_TargetEnabled, this,
                [this](int lane, bool found) { m_found[lane].target = found; });
        connect(m_bus, &EMUProc::sig_PCEnabled, this,
                [this](int lane, bool found) { m_found[lane].terminal = found; });
        connect(m_bus, &EMUProc::sig_PortFounded, this,
                [this](int, int, bool, int alive) { m_portsAlive = alive; });
        startBusMaster(m_bus, m_thread);

        m_db = std::make_unique<TdbAccessor>(connectionName);
        m_screen = std::make_unique<FakeRunScreen>();
        m_wiring = std::make_unique<EventWiring>(m_bus, m_screen.get());
        return true;
    }

    // As the main window stops: the exercise is unwired, then the bus master
    // is told to stop; the thread object deletes itself through this
    // thread's event loop, which must keep running meanwhile.
    bool stop()
    {
        m_wiring.reset();
        bool finished = true;
        if (m_thread) {
            emit stopAll();
            finished = QTest::qWaitFor([this] { return m_thread.isNull(); }, kTimeoutMs);
        }
        m_db.reset();
        m_simulator.reset();
        m_screen.reset();
        m_data.reset();
        return finished;
    }

    // The exercise for the record over its shot list, wired as the main
    // window wires it, on a run screen set up for it; nullptr for a type
    // without one. The screen's record of calls starts anew with it.
    MyEvent *connectEvent(TEvent *event, TBulletList *list, TBulletList *prevStage)
    {
        m_screen->calls.clear();
        MyEvent *exercise = m_wiring->connectEvent(event, list, prevStage);
        m_screen->setUp();
        return exercise;
    }

    // Exercises are wired to this run screen (not owned, to outlive the
    // line) instead of the stand-in, which then goes unused.
    template <class Screen>
    void useRunScreen(Screen *screen)
    {
        m_wiring = std::make_unique<EventWiring>(m_bus.data(), screen);
    }

    // Unwires and deletes the running exercise, if any.
    void unwire()
    {
        if (m_wiring)
            m_wiring->disconnectEvent();
    }

    // Puts the lanes on the line as the main window does for a relay and
    // waits until the bus master found every lane's target and terminal. The
    // line then serves them for every exercise that follows.
    bool putLanesOnTheLine()
    {
        m_found.clear();
        for (int i = 0; i < m_lanes.size(); ++i) {
            emit sig_AddTarget(m_lanes.at(i), m_lanes.at(i), QStringLiteral("Family"),
                               QStringLiteral("Name"),
                               EventWiring::targetPosition(i == 0, i == m_lanes.size() - 1));
        }
        return QTest::qWaitFor(
            [this] {
                for (int lane : qAsConst(m_lanes)) {
                    if (!m_found.value(lane).target || !m_found.value(lane).terminal)
                        return false;
                }
                return true;
            },
            kTimeoutMs);
    }

    // The competition shot list of a stored exercise, one place per lane of
    // the line, scoring on the given face with the calibre (hundredths of a
    // millimetre) and control value.
    std::unique_ptr<TBulletList> makeList(int eventID, int face, bool showTenths, int calibre,
                                          double controlValue) const
    {
        auto list = std::make_unique<TBulletList>(eventID, m_db.get(), targetTypeById(face),
                                                  showTenths, calibre, controlValue);
        for (int lane : m_lanes) {
            list->addPlace(memberOn(lane), lane, QStringLiteral("Shooter %1").arg(lane), lane,
                           QImage(), QString(), QString(), QString());
        }
        return list;
    }

    // Every stored row of the exercise is the expected row of its member's
    // lane at its number, with the value its coordinates give; each lane has
    // all its rows and no more.
    void checkStoredShots(int eventID, const QMap<int, QList<ExpectedRow>> &rowsOfLane, int face,
                          int calibre, double controlValue)
    {
        int expectedRows = 0;
        for (const QList<ExpectedRow> &rows : rowsOfLane)
            expectedRows += rows.size();
        m_db->selectEventBullets(eventID);
        int storedRows = 0;
        QMap<int, int> rowsOfMember;
        for (bool more = !m_db->first(); more; more = m_db->next()) {
            ++storedRows;
            const int member = m_db->value(QStringLiteral("fMemberID")).toInt();
            const int number = m_db->value(QStringLiteral("fNumber")).toInt();
            const QList<ExpectedRow> rows = rowsOfLane.value(member / kMembersPerLane);
            QVERIFY2(number >= 1 && number <= rows.size(),
                     qPrintable(QStringLiteral("member %1 shot %2").arg(member).arg(number)));
            const ExpectedRow &row = rows.at(number - 1);
            const int x = row.miss ? TBullet::kNoHit : row.x;
            const int y = row.miss ? TBullet::kNoHit : row.y;
            QCOMPARE(m_db->value(QStringLiteral("fX")).toInt(), x);
            QCOMPARE(m_db->value(QStringLiteral("fY")).toInt(), y);
            QCOMPARE(m_db->value(QStringLiteral("fFine")).toInt(), row.miss ? kFlaggedFine : 0);
            const TBullet value(0, number, x, y, quint8(row.miss ? 0 : row.place), 0,
                                targetTypeById(face), calibre, controlValue, 0);
            QCOMPARE(m_db->value(QStringLiteral("fRange10")).toDouble(), value.range());
            if (!row.miss)
                QCOMPARE(m_db->value(QStringLiteral("fP")).toInt(), row.place);
            ++rowsOfMember[member];
        }
        QCOMPARE(storedRows, expectedRows);
        for (int lane : m_lanes)
            QCOMPARE(rowsOfMember.value(memberOn(lane)), rowsOfLane.value(lane).size());
    }

    // Shots the lane's target holds now.
    int targetShotCount(int lane)
    {
        return m_simulator->call([lane](RangeSimulator &sim) { return sim.lane(lane)->target.shots().size(); });
    }
    // Shots fired on the lane so far, and those from the from-th on as their
    // stored rows should read: a decoy shot lands where the target says. Read
    // from the simulator's log, which a reset of the target, soon after its
    // last shot of a position, does not clear.
    int firedShotCount(int lane) { return firedRows(lane, 0).size(); }
    QList<ExpectedRow> firedRows(int lane, int from)
    {
        const QList<SimShot> fired =
            m_simulator->call([lane](RangeSimulator &sim) { return sim.shotsFired(lane); });
        QList<ExpectedRow> rows;
        for (const SimShot &shot : fired)
            rows << ExpectedRow{false, shot.x, shot.y, shot.place};
        return rows.mid(from);
    }

    // Start frames (code A0) the simulator has taken in so far, copies
    // included. A shot is fired only once every copy of a start is in: the
    // simulator may stall on a decoy shot, and a copy it takes in later than
    // the start-copy window would restart the target.
    int startFramesReceived()
    {
        constexpr int kStartCode = 0xA0;
        return m_simulator->call([](RangeSimulator &sim) { return sim.framesReceivedWithCode(kStartCode); });
    }

    // How often the lane's target was polled for that shot number.
    int pollsFor(int lane, int number)
    {
        const QByteArray poll =
            frameWithCrc(bytesOf({lane, 0x09, BusCode::kReadBullet, number, 0, 0, 0}));
        return m_simulator->call([lane](RangeSimulator &s) { return s.framesReceived(lane); })
            .count(poll);
    }

    const QList<int> &lanes() const { return m_lanes; }
    const TestDataDir &data() const { return *m_data; }
    EMUProc *bus() const { return m_bus; }
    // Converters answering, as the bus master last reported.
    int portsAlive() const { return m_portsAlive; }
    SimulatorThread &simulator() { return *m_simulator; }
    TdbAccessor &db() { return *m_db; }
    FakeRunScreen &screen() { return *m_screen; }

signals:
    // The main window's signals to the bus master.
    void sig_AddTarget(int target, int startNumber, QString familyName, QString name,
                       int firstlast);
    void stopAll();

private:
    static constexpr int kMembersPerLane = 10;

    struct Found
    {
        bool target = false;
        bool terminal = false;
    };

    QList<int> m_lanes;
    QMap<int, Found> m_found; // by lane, as the bus master last reported it
    int m_portsAlive = 0;
    std::unique_ptr<TestDataDir> m_data;
    std::unique_ptr<SimulatorThread> m_simulator;
    QPointer<QThread> m_thread; // deletes itself once finished
    QPointer<EMUProc> m_bus;     // deletes itself when its loop has ended
    std::unique_ptr<TdbAccessor> m_db;
    std::unique_ptr<FakeRunScreen> m_screen;
    std::unique_ptr<EventWiring> m_wiring;
};
