// The bus master's records, queues and answer decoding, without a bus: the
// answers are handed in as the port set would hand them.

#include "busrecorder.h"

#include "busframe.h"
#include "emuproc.h"
#include "emurecords.h"

#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray answer(const char *text)
{
    return frameWithCrc(hex(text));
}

constexpr int kLane = 3;
constexpr int kPort = 2;
constexpr int kCom = 7;
const QString kPortFirstSeen = QStringLiteral("PortFounded(2,7,1,1)");

// Time that moves only when waited on.
class HandClock : public BusClock
{
public:
    qint64 nsecsElapsed() const override { return m_nowNs; }
    void wait(int ms) override { m_nowNs += ms * qint64(1000000); }

private:
    qint64 m_nowNs = 0;
};

} // namespace

class TestEmuProc : public QObject
{
    Q_OBJECT

private slots:
    void memberFrames_data();
    void memberFrames();
    void pendingOrder();
    void portLiveness_data();
    void portLiveness();
    void queueing_data();
    void queueing();
    void memberList();
    void answers_data();
    void answers();
    void portRecords();
    void silenceToldAgainAfterABreak();
};

void TestEmuProc::memberFrames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    EmuMember member(7, 300, QStringLiteral("Петров"), QStringLiteral("Иван"));
    QTest::newRow("ping") << member.pingFrame() << hex("0709A300000000");
    QTest::newRow("no shot wanted: no poll") << member.readBulletFrame() << QByteArray();
    member.poll.want(258); // the target counts to 255: low byte only
    QTest::newRow("poll for shot 258") << member.readBulletFrame() << hex("0709A302000000");
    QTest::newRow("target on") << member.targetEnableFrame(1) << hex("0706AA01");
    QTest::newRow("target off") << member.targetEnableFrame(0) << hex("0706AA00");
    QTest::newRow("terminal query") << member.pcQueryFrame() << hex("07063400");
    QTest::newRow("start number 300") << member.startNumberFrame() << hex("0706372C"); // 300 & 0xFF
}

void TestEmuProc::memberFrames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame, expected);
}

void TestEmuProc::pendingOrder()
{
    EmuMember member(3, 1, QString(), QString());
    member.addPending(hex("03063400"));
    member.addPending(hex("03063711"));
    member.addPending(hex("0306AA01"));
    member.addPending(hex("0305A2"));
    member.addPending(hex("030F33"));
    member.addPending(hex("0306A601")); // a newer target command goes first
    member.addPending(hex("03063712")); // replaces the older 37, goes last
    member.addPending(hex("03"));       // too short to be a command

    QList<QByteArray> frames;
    for (const EmuCommand &command : qAsConst(member.pending))
        frames.append(command.frame);
    QCOMPARE(frames, (QList<QByteArray>{hex("0306A601"), hex("0305A2"), hex("0306AA01"),
                                        hex("03063400"), hex("030F33"), hex("03063712")}));

    bool busy = true;
    QCOMPARE(member.nextPending(&busy).frame, hex("0306A601"));
    QVERIFY(!busy);
    member.pendingBusy = true;
    QVERIFY(member.nextPending(&busy).frame.isEmpty());
    QVERIFY(busy);
}

void TestEmuProc::portLiveness_data()
{
    // Nothing behind the port answers from 0 on (its cable is out). The bus
    // master asks it with a poll every 200 ms, stops in a break, asks again.
    QTest::addColumn<int>("polledMs");
    QTest::addColumn<int>("breakMs");
    QTest::addColumn<int>("polledAgainMs");
    QTest::addColumn<int>("lostAtMs"); // -1: never
    const int timeout = EmuPortState::kDefaultTimeoutMs;
    // Lost at the first poll past its timeout.
    QTest::newRow("polled past its timeout") << timeout + 1000 << 0 << 0 << 30200;
    // Counted from the first poll, the break's silence would make it lost,
    // in the break or at the poll that ends it.
    QTest::newRow("polled 5 s, a long break") << 5000 << timeout + 10000 << 0 << -1;
    // A pause longer than the timeout starts the count again: 20 s asked.
    QTest::newRow("polled 20 s, a long break, polled 20 s") << 20000 << timeout + 5000 << 20000 << -1;
    // A shorter pause adds at most EmuPortState::kAskGapMs (5 s): asked
    // 9.8 + 5 + 10 s in all; and 19.8 + 5 s, then lost 5.4 s after the break.
    QTest::newRow("polled 10 s, a short break, polled 10 s") << 10000 << 25000 << 10000 << -1;
    QTest::newRow("polled 20 s, a short break, polled 10 s") << 20000 << 25000 << 10000 << 50400;
}

void TestEmuProc::portLiveness()
{
    QFETCH(int, polledMs);
    QFETCH(int, breakMs);
    QFETCH(int, polledAgainMs);
    constexpr int kPollMs = 200;
    constexpr int kLoopMs = 10; // the bus master looks at its ports this often
    EmuPortState record;
    QVERIFY(record.isAlive()); // not yet activated
    HandClock clock;
    record.activate(4, EmuPortState::kDefaultTimeoutMs, &clock);
    record.touch();
    const int breakEndMs = polledMs + breakMs;
    int lostAtMs = -1;
    for (int t = 0; t <= breakEndMs + polledAgainMs && lostAtMs < 0; t += kLoopMs, clock.wait(kLoopMs)) {
        if ((t < polledMs || t >= breakEndMs) && t % kPollMs == 0)
            record.asked();
        if (!record.isAlive())
            lostAtMs = t;
    }
    QTEST(lostAtMs, "lostAtMs");
    record.touch();
    QVERIFY(record.isAlive());
    record.markDead();
    QVERIFY(!record.isAlive());
}

void TestEmuProc::queueing_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QList<QByteArray>>("queued");
    QTest::addColumn<QList<QByteArray>>("pending");

    const QByteArray startAll = hex("EA0CA0FE01FFFF0A0100");
    QTest::newRow("start all: three copies") << startAll
                                             << QList<QByteArray>{startAll, startAll, startAll}
                                             << QList<QByteArray>{};
    const QByteArray terminals = hex("9F064002");
    QTest::newRow("all terminals: three copies")
        << terminals << QList<QByteArray>{terminals, terminals, terminals} << QList<QByteArray>{};
    const QByteArray addressed35 = hex("03063501");
    QTest::newRow("addressed 35: three copies")
        << addressed35 << QList<QByteArray>{addressed35, addressed35, addressed35} << QList<QByteArray>{};
    QTest::newRow("reset of a lane: pending") << hex("0305A2") << QList<QByteArray>{}
                                              << QList<QByteArray>{hex("0305A2")};
    QTest::newRow("lane without member: dropped") << hex("0905A2") << QList<QByteArray>{}
                                                  << QList<QByteArray>{};
    QTest::newRow("two bytes: dropped") << hex("EA05") << QList<QByteArray>{} << QList<QByteArray>{};
}

void TestEmuProc::queueing()
{
    QFETCH(QByteArray, command);
    QFETCH(QList<QByteArray>, queued);
    QFETCH(QList<QByteArray>, pending);

    EMUProc bus(0, 1, 10);
    bus.slot_view_AddMember(kLane, 5, QStringLiteral("Сидоров"), QStringLiteral("Олег"), 0);
    bus.slot_emu_SendCommand(command);
    QCOMPARE(bus.commandFrames(), queued);
    QList<QByteArray> frames;
    for (const EmuCommand &each : bus.findMember(kLane)->pending)
        frames.append(each.frame);
    QCOMPARE(frames, pending);
    QVERIFY(bus.priorityFrames().isEmpty());
}

void TestEmuProc::memberList()
{
    EMUProc bus(0, 1, 10);
    BusRecorder recorder(&bus);
    bus.slot_view_AddMember(1, 11, QStringLiteral("А"), QStringLiteral("Б"), 0);
    bus.slot_view_AddMember(2, 12, QStringLiteral("В"), QStringLiteral("Г"), 1);
    bus.slot_view_AddMember(2, 22, QStringLiteral("Д"), QStringLiteral("Е"), 1);
    QCOMPARE(bus.findMember(2)->startNumber, 22); // the later lane 2 replaced the earlier
    QCOMPARE(bus.getState(), int(EMUProc::Idle));
    bus.slot_emu_GetBullet(1, 4);
    QCOMPARE(bus.findMember(1)->poll.wanted(), 4);
    bus.slot_emu_StopReadBullet();
    QCOMPARE(bus.findMember(1)->poll.wanted(), -1);

    bus.slot_view_AddMember(5, 15, QStringLiteral("Ж"), QStringLiteral("З"), 2);
    QCOMPARE(bus.getState(), int(EMUProc::TargetSearch));
    // The search starts with every lane's target reported off.
    QCOMPARE(recorder.lines, (QStringList{"TargetEnabled(1,0)", "TargetEnabled(2,0)", "TargetEnabled(5,0)"}));

    bus.slot_view_AddMember(-1, -1, QString(), QString(), 0);
    QVERIFY(!bus.findMember(1) && !bus.findMember(2) && !bus.findMember(5));
    bus.slot_view_AddMember(6, 16, QStringLiteral("И"), QStringLiteral("К"), 3);
    QVERIFY(!bus.findMember(1));
    QVERIFY(bus.findMember(6));
}

void TestEmuProc::answers_data()
{
    QTest::addColumn<bool>("searching");
    QTest::addColumn<int>("wanted");
    QTest::addColumn<QByteArray>("pendingCommand");
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QStringList>("signals_");
    QTest::addColumn<int>("wantedAfter");
    QTest::addColumn<int>("pendingAfter");

    const QString on = QStringLiteral("TargetEnabled(3,1)");
    const QString pc = QStringLiteral("PCEnabled(3,1)");
    // Shot 5 at x = 01 2C (300), y = 00 64 (100), place FF (-1), time 00 01 23 (291).
    const QByteArray shot5 = answer("030EA305012C0064FF000123");
    const QString bullet5 = QStringLiteral("AddBullet(3,5,300,100,-1,291,291)");

    QTest::newRow("no shot yet, while searching") << true << -1 << QByteArray()
        << answer("030EA3000000000000000000") << QStringList{kPortFirstSeen, on} << -1 << 0;
    // Only the shot asked for is reported; any other answer is a late copy
    // or an answer to an earlier poll, and the lane is polled on.
    QTest::newRow("shot while searching") << true << 5 << QByteArray() << shot5
        << QStringList{kPortFirstSeen, on, bullet5} << 0 << 0;
    QTest::newRow("shot not asked for while searching") << true << -1 << QByteArray() << shot5
        << QStringList{kPortFirstSeen, on} << -1 << 0;
    QTest::newRow("the shot waited for stops the polls") << false << 5 << QByteArray() << shot5
        << QStringList{kPortFirstSeen, bullet5} << 0 << 0;
    QTest::newRow("a later shot keeps polling") << false << 4 << QByteArray() << shot5
        << QStringList{kPortFirstSeen} << 4 << 0;
    QTest::newRow("an older shot keeps polling") << false << 7 << QByteArray() << shot5
        << QStringList{kPortFirstSeen} << 7 << 0;
    // Thirteen bytes would take the time's last byte from the CRC.
    QTest::newRow("13-byte shot answer") << false << 5 << QByteArray()
        << answer("030DA305012C0064FF0001") << QStringList{kPortFirstSeen} << 5 << 0;
    QTest::newRow("12-byte shot answer") << false << 5 << QByteArray()
        << answer("030CA305012C0064FF00") << QStringList{kPortFirstSeen} << 5 << 0;
    QTest::newRow("answer of a lane without member") << false << 5 << QByteArray()
        << answer("090EA305012C0064FF000123") << QStringList{kPortFirstSeen} << 5 << 0;
    QTest::newRow("AA 00 leaves AA 01 pending") << false << -1 << hex("0306AA01")
        << answer("0306AA00") << QStringList{kPortFirstSeen, on} << -1 << 1;
    QTest::newRow("AA 01 acknowledges") << false << -1 << hex("0306AA01")
        << answer("0306AA01") << QStringList{kPortFirstSeen, on} << -1 << 0;
    QTest::newRow("A5 acknowledges AA") << false << -1 << hex("0306AA01")
        << answer("0305A5") << QStringList{kPortFirstSeen, on} << -1 << 0;
    QTest::newRow("34 with 0 still reports the terminal") << false << -1 << hex("03063400")
        << answer("03063400") << QStringList{kPortFirstSeen, pc} << -1 << 0;
    QTest::newRow("terminal reports its shots") << false << -1 << hex("030F33040102")
        << answer("010833030104") << QStringList{kPortFirstSeen, pc, "PCWroteBullet(3,1,4)"} << -1 << 0;
    QTest::newRow("shot report of a lane without member") << false << -1 << QByteArray()
        << answer("030833090104") << QStringList{kPortFirstSeen} << -1 << 0;
    QTest::newRow("terminal asks for the match") << false << -1 << QByteArray()
        << answer("0107320301") << QStringList{kPortFirstSeen, "setMatchFromPC(3,1)", pc} << -1 << 0;
    QTest::newRow("terminal asks for mode 2") << false << -1 << QByteArray()
        << answer("0107320302") << QStringList{kPortFirstSeen, pc} << -1 << 0;
    QTest::newRow("terminal acknowledges its stage") << false << -1 << hex("03063202")
        << answer("03063202") << QStringList{kPortFirstSeen, pc} << -1 << 0;
    QTest::newRow("series result acknowledged") << false << -1 << hex("030A3901005F0302")
        << answer("03063900") << QStringList{kPortFirstSeen, pc} << -1 << 0;
    QTest::newRow("start confirmed") << false << -1 << hex("030CA0FE01FFFF0A0100")
        << answer("0305A0") << QStringList{kPortFirstSeen, on, "EventStarted"} << -1 << 0;
    QTest::newRow("reset confirmed") << false << -1 << hex("0305A2")
        << answer("0305A2") << QStringList{kPortFirstSeen, on, "BDReseted(3)"} << -1 << 0;
    QTest::newRow("cluster confirmed") << false << -1 << hex("0306A601")
        << answer("0306A601") << QStringList{kPortFirstSeen, on, "ClasterSetted"} << -1 << 0;
    QTest::newRow("unknown code") << false << -1 << QByteArray()
        << answer("030550") << QStringList{kPortFirstSeen} << -1 << 0;
}

void TestEmuProc::answers()
{
    QFETCH(bool, searching);
    QFETCH(int, wanted);
    QFETCH(QByteArray, pendingCommand);
    QFETCH(QByteArray, received);
    QFETCH(QStringList, signals_);
    QFETCH(int, wantedAfter);
    QFETCH(int, pendingAfter);

    EMUProc bus(0, 1, 10);
    bus.slot_view_AddMember(kLane, 17, QStringLiteral("Иванов"), QStringLiteral("Пётр"),
                            searching ? 3 : 0);
    bus.slot_emu_GetBullet(kLane, wanted);
    if (!pendingCommand.isEmpty())
        bus.slot_emu_SendCommand(pendingCommand);
    BusRecorder recorder(&bus);
    bus.slot_emu_Answer(kPort, kCom, received);

    QCOMPARE(recorder.lines, signals_);
    const EmuMember *member = bus.findMember(kLane);
    QCOMPARE(member->poll.wanted(), wantedAfter);
    QCOMPARE(member->pending.size(), pendingAfter);
}

void TestEmuProc::portRecords()
{
    EMUProc bus(0, 1, 10);
    BusRecorder recorder(&bus, true);
    const QByteArray stray = answer("090550");
    bus.slot_emu_Answer(2, 7, stray);
    bus.slot_emu_Answer(2, 7, stray); // the same port again: nothing new
    bus.slot_emu_Answer(1, 4, stray);
    bus.slot_emu_Founded(3, -1, false); // a failed search of a port never seen
    bus.slot_emu_Founded(3, 5, true);
    bus.slot_emu_Founded(3, -1, false);

    const auto logged = [&stray](int id, int com) {
        return QStringLiteral("DataReaded(%1,%2,%3,1)").arg(id).arg(com)
            .arg(QString::fromLatin1(stray.toHex(' ').toUpper()));
    };
    QCOMPARE(recorder.lines, (QStringList{logged(2, 7), "PortFounded(2,7,1,1)", logged(2, 7),
                                          logged(1, 4), "PortFounded(1,4,1,2)",
                                          "PortFounded(3,5,1,3)", "PortFounded(3,-1,0,2)"}));
}

void TestEmuProc::silenceToldAgainAfterABreak()
{
    // Silent once three polls over a second went unanswered; after a break
    // without polls, told again once the polls since (its pings among them)
    // go unanswered as long.
    LanePoll poll;
    poll.want(1);
    QCOMPARE(QVector<bool>({poll.pollDue(0), poll.pollDue(500), poll.pollDue(1000), poll.pollDue(1500)}),
             QVector<bool>({false, false, true, false}));
    poll.want(-1);
    poll.want(1);
    QCOMPARE(QVector<bool>({poll.pollDue(60000), poll.pollDue(60500), poll.pollDue(61000)}),
             QVector<bool>({false, false, true}));
    QVERIFY(poll.heard());
    // Deaf since the break's pings, it is silent at the first poll after it.
    poll.want(-1);
    poll.pingWritten(70000);
    poll.pingWritten(70600);
    poll.want(1);
    QVERIFY(poll.pollDue(71200));
}

QTEST_MAIN(TestEmuProc)
#include "tst_emuproc.moc"
