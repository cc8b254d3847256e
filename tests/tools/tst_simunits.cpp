// The simulated hardware without any line: frames in, answers out.
#include "busframe.h"
#include "simconverter.h"
#include "simframe.h"

#include <QtTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// The answer of a converter with lanes 3 and 4 to one frame, without CRC.
QByteArray answerTo(SimConverter &converter, const QByteArray &frame, qint64 nowMs = 0)
{
    int lane = -1;
    return converter.handle(frame, nowMs, &lane);
}

SimConverter makeConverter()
{
    SimConverter converter(0);
    converter.addLane(3);
    converter.addLane(4);
    return converter;
}

const QByteArray kStartNoLimits = hex("EA0CA0FE03FFFFFF0100");
} // namespace

class TestSimUnits : public QObject
{
    Q_OBJECT

private slots:
    void crc_data();
    void crc();
    void takeFrame_data();
    void takeFrame();
    void answers_data();
    void answers();
    void shotAnswerLayout();
    void shotMemory();
    void decoyShots();
    void shotRefusal_data();
    void shotRefusal();
    void terminalShots();
    void matchRequest();
    void absentUnits();
};

void TestSimUnits::crc_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("crc");
    QTest::newRow("check value") << QByteArray("123456789") << 0x4B37;     // published CRC-16/MODBUS check
    QTest::newRow("stop all") << hex("EA05A1") << 0xDC92;                  // EA 05 A1 goes out as EA 05 A1 92 DC
    QTest::newRow("converter probe") << hex("00079FBBCC") << 0xFF67;       // 00 07 9F BB CC 67 FF
    QTest::newRow("empty range") << QByteArray() << 0xFFFF;                // the initial value, nothing processed
}

void TestSimUnits::crc()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, crc);
    QCOMPARE(int(SimFrame::crc16Modbus(bytes, 0, bytes.size())), crc);
    const QByteArray sent = SimFrame::withCrc(bytes);
    QCOMPARE(SimFrame::byteAt(sent, sent.size() - 2), crc & 0xFF); // low byte first
    QCOMPARE(SimFrame::byteAt(sent, sent.size() - 1), crc >> 8);
    // A frame followed by its own CRC checks to a remainder of 0.
    QCOMPARE(int(SimFrame::crc16Modbus(sent, 0, sent.size())), 0);
}

void TestSimUnits::takeFrame_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("skipped");
    QTest::addColumn<QByteArray>("left");
    const QByteArray stop = hex("EA05A192DC");
    const QByteArray probe = hex("00079FBBCC67FF");
    QTest::newRow("one frame") << stop << stop << QByteArray() << QByteArray();
    QTest::newRow("garbage in front") << hex("FF0011") + stop << stop << hex("FF0011") << QByteArray();
    QTest::newRow("broken CRC, then a frame") << hex("EA05A192DD") + probe << probe << hex("EA05A192DD") << QByteArray();
    QTest::newRow("two frames: the first is taken") << stop + probe << stop << QByteArray() << probe;
    QTest::newRow("incomplete frame waits") << probe.left(6) << QByteArray() << QByteArray() << probe.left(6);
    QTest::newRow("frame, then the start of the next") << stop + probe.left(3) << stop << QByteArray() << probe.left(3);
}

void TestSimUnits::takeFrame()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, skipped);
    QFETCH(QByteArray, left);
    QByteArray noise;
    QCOMPARE(SimFrame::takeFrame(buffer, &noise).toHex(' '), frame.toHex(' '));
    QCOMPARE(noise.toHex(' '), skipped.toHex(' '));
    QCOMPARE(buffer.toHex(' '), left.toHex(' '));
}

void TestSimUnits::answers_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("lane");
    // Probes: the search looks for c 07 9F AB AC, the second check for c 07 9E 7C c.
    QTest::newRow("converter probe") << hex("00079FBBCC") << hex("00079FABAC") << -1;
    QTest::newRow("converter check") << hex("00079E7CD4") << hex("00079E7C00") << -1;
    QTest::newRow("probe with other data") << hex("00079FBBCD") << QByteArray() << -1;
    QTest::newRow("probe for another converter") << hex("1F079FBBCC") << QByteArray() << -1;
    // Target codes: the answer repeats the code (and byte 3 where the master compares it).
    QTest::newRow("target on") << hex("0306AA01") << hex("0306AA01") << 3;
    QTest::newRow("target off") << hex("0306AA00") << hex("0306AA00") << 3;
    QTest::newRow("start one target") << hex("030CA0FE03FFFFFF0100") << hex("0305A0") << 3;
    QTest::newRow("stop one target") << hex("0305A1") << hex("0305A1") << 3;
    QTest::newRow("memory reset") << hex("0305A2") << hex("0305A2") << 3;
    QTest::newRow("cluster mode 2") << hex("0406A602") << hex("0406A602") << 4;
    QTest::newRow("presence ping: shot number 0") << hex("0309A300000000") << hex("030EA3000000000000000000") << 3;
    QTest::newRow("poll without shots") << hex("0309A305000000") << hex("030EA3000000000000000000") << 3;
    // Terminal codes.
    QTest::newRow("terminal query: found") << hex("03063400") << hex("03063401") << 3;
    QTest::newRow("start number") << hex("0306370C") << hex("0306370C") << 3;
    QTest::newRow("stage match, length 6") << hex("03063203") << hex("03063203") << 3;
    QTest::newRow("stage, length 7: answered with length 6") << hex("0307320000") << hex("03063200") << 3;
    QTest::newRow("series result") << hex("030A3901005F0302") << hex("030539") << 3;
    QTest::newRow("35 to one terminal: none awaited") << hex("03063502") << QByteArray() << -1;
    // Broadcasts and strangers.
    QTest::newRow("start all: no answer") << kStartNoLimits << QByteArray() << -1;
    QTest::newRow("stop all terminals: no answer") << hex("9F0531") << QByteArray() << -1;
    QTest::newRow("lane without unit") << hex("0709A300000000") << QByteArray() << -1;
    QTest::newRow("unknown code") << hex("0305B0") << QByteArray() << -1;
    QTest::newRow("short start frame") << hex("030CA0FE03") << QByteArray() << -1;
}

void TestSimUnits::answers()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, answer);
    QFETCH(int, lane);
    SimConverter converter = makeConverter();
    int answering = -2;
    QCOMPARE(converter.handle(frame, 0, &answering).toHex(' '), answer.toHex(' '));
    QCOMPARE(answering, lane);
    if (!answer.isEmpty()) // the length byte counts the frame and its CRC
        QCOMPARE(SimFrame::byteAt(answer, 1), answer.size() + SimFrame::kCrcSize);
}

void TestSimUnits::shotAnswerLayout()
{
    SimConverter converter = makeConverter();
    SimTargetUnit &target = converter.lane(3)->target;
    QCOMPARE(target.fire(1, 1, 0, 5, 0), 1);
    // x 300 goes out as 01 2C, place -1 as FF, time 291 tenths as 00 01 23.
    QCOMPARE(target.fire(300, 200, -1, 291, 0), 2);
    QCOMPARE(answerTo(converter, hex("0309A302000000")).toHex(' '), hex("030EA302012C00C8FF000123").toHex(' '));
    // A time past 24 bits is held at the largest value the answer carries.
    QCOMPARE(target.fire(0, 0, 0, 0x1234567, 0), 3);
    QCOMPARE(answerTo(converter, hex("0309A303000000")).toHex(' '), hex("030EA3030000000000FFFFFF").toHex(' '));
}

void TestSimUnits::shotMemory()
{
    SimConverter converter = makeConverter();
    SimTargetUnit &target = converter.lane(3)->target;
    QCOMPARE(target.fire(10, 20, 1, 7, 0), 1);
    QCOMPARE(target.fire(11, 21, 2, 8, 0), 2);
    QCOMPARE(SimFrame::byteAt(answerTo(converter, hex("0309A302000000")), 3), 2);

    // A start restarts the memory: numbers begin again at 1.
    answerTo(converter, kStartNoLimits, 1000);
    QCOMPARE(target.shots().size(), 0);
    QCOMPARE(target.fire(12, 22, 3, -1, 1500), 1);
    QCOMPARE(target.shots().at(0).timeTenths, 5); // counted from the start
    // The copies of that start (written three times) change nothing ...
    answerTo(converter, kStartNoLimits, 1100);
    answerTo(converter, kStartNoLimits, 1900);
    QCOMPARE(target.shots().size(), 1);
    QCOMPARE(target.startCount(), 1);
    // ... but the same start long after is a new one.
    answerTo(converter, kStartNoLimits, 1900 + SimTargetUnit::kStartCopyWindowMs + 1);
    QCOMPARE(target.startCount(), 2);
    QCOMPARE(target.shots().size(), 0);
    // A shorter window, as the line tests set it, makes it new sooner.
    target.setStartCopyWindowMs(100);
    answerTo(converter, kStartNoLimits, 3000);
    QCOMPARE(target.startCount(), 2);
    answerTo(converter, kStartNoLimits, 3101);
    QCOMPARE(target.startCount(), 3);

    // A reset empties the memory; a poll then finds no shot 1.
    QCOMPARE(target.fire(1, 1, 0, 1, 5000), 1);
    QCOMPARE(answerTo(converter, hex("0305A2")).toHex(), hex("0305A2").toHex());
    QCOMPARE(SimFrame::byteAt(answerTo(converter, hex("0309A301000000")), 3), 0);
    QCOMPARE(target.fire(1, 1, 0, 1, 5000), 1);
    // The other lane's target is untouched by an addressed reset.
    QCOMPARE(converter.lane(4)->target.fire(1, 1, 0, 1, 0), 1);
    answerTo(converter, hex("0305A2"));
    QCOMPARE(converter.lane(4)->target.shots().size(), 1);
}

void TestSimUnits::decoyShots()
{
    // A decoy shot lands where its answer holds a shorter window that checks
    // by the program's own frame check; the answer keeps its number, place
    // and time.
    SimConverter converter = makeConverter();
    SimTargetUnit &target = converter.lane(3)->target;
    for (int n = 1; n <= 6; ++n) {
        QCOMPARE(target.fire(quint16(150 * n), 40, 2, 11 * n, 0), n);
        QVERIFY(target.moveToDecoy(n));
        const QByteArray answer = frameWithCrc(answerTo(converter, hex("0309A3") + char(n) + hex("000000")));
        QCOMPARE(answer.mid(3, 1) + answer.mid(8, 4), bytesOf({n, 2, 0, 0, 11 * n}));
        int decoys = 0;
        for (int start = 1; start < answer.size(); ++start) {
            for (int end = start + BusFrame::kMinFrameBytes; end < answer.size(); ++end)
                decoys += frameChecks(answer, start, end - start) ? 1 : 0;
        }
        QVERIFY(decoys > 0);
    }
}

void TestSimUnits::shotRefusal_data()
{
    QTest::addColumn<QByteArray>("command"); // sent before the shots, empty for none
    QTest::addColumn<int>("shotsFired");
    QTest::addColumn<int>("timeTenths");
    QTest::addColumn<int>("accepted");
    QTest::newRow("free target: no limits") << QByteArray() << 20 << 99999 << 20;
    QTest::newRow("memory holds 255") << QByteArray() << 256 << 1 << SimTargetUnit::kMemorySize;
    QTest::newRow("shot limit 2") << hex("EA0CA0FE03FFFF020100") << 3 << 1 << 2;
    QTest::newRow("time limit 900 s: at 900.0 s") << hex("EA0CA0FE030384FF0100") << 1 << 9000 << 1;
    QTest::newRow("time limit 900 s: at 900.1 s") << hex("EA0CA0FE030384FF0100") << 1 << 9001 << 0;
    QTest::newRow("stopped") << hex("EA05A1") << 1 << 1 << 0;
    QTest::newRow("switched off") << hex("0306AA00") << 1 << 1 << 0;
}

void TestSimUnits::shotRefusal()
{
    QFETCH(QByteArray, command);
    QFETCH(int, shotsFired);
    QFETCH(int, timeTenths);
    QFETCH(int, accepted);
    SimConverter converter = makeConverter();
    if (!command.isEmpty())
        answerTo(converter, command);
    SimTargetUnit &target = converter.lane(3)->target;
    int taken = 0;
    for (int i = 0; i < shotsFired; ++i)
        taken += target.fire(5, 5, 1, timeTenths, 0) > 0 ? 1 : 0;
    QCOMPARE(taken, accepted);
}

void TestSimUnits::terminalShots()
{
    SimConverter converter = makeConverter();
    // Shot frames as the exercise builds them; byte 12 is the stage (1 match).
    const QByteArray shot1 = hex("030F330104D201F403000123") + QByteArray(1, 1);
    const QByteArray shot2 = hex("030F330204D201F403000124") + QByteArray(1, 1);
    const QByteArray shot4 = hex("030F330404D201F403000125") + QByteArray(1, 1);
    // The report: lane in byte 3, stage in byte 4, shots held in byte 5.
    QCOMPARE(answerTo(converter, shot1).toHex(' '), hex("0308330301" "01").toHex(' '));
    QCOMPARE(answerTo(converter, shot2).toHex(' '), hex("0308330301" "02").toHex(' '));
    QCOMPARE(answerTo(converter, shot2).toHex(' '), hex("0308330301" "02").toHex(' ')); // sent again: still 2
    QCOMPARE(answerTo(converter, shot4).toHex(' '), hex("0308330301" "02").toHex(' ')); // shot 3 missing
    // Entering the match again starts an empty page.
    answerTo(converter, hex("03063203"));
    QCOMPARE(converter.lane(3)->terminal.shots(SimTerminal::kMatch).size(), 0);
    QCOMPARE(converter.lane(3)->terminal.stage(), SimTerminal::kMatch);
    answerTo(converter, hex("03063202"));
    QCOMPARE(converter.lane(3)->terminal.stage(), SimTerminal::kSighting);
}

void TestSimUnits::matchRequest()
{
    SimConverter converter = makeConverter();
    SimLane *lane = converter.lane(3);
    lane->matchRequestMode = 1;
    // The target's own commands do not give the terminal the line.
    QCOMPARE(answerTo(converter, hex("0305A2")).toHex(' '), hex("0305A2").toHex(' '));
    // The next poll does: lane in byte 3, mode in byte 4, length byte 7.
    QCOMPARE(answerTo(converter, hex("0309A300000000")).toHex(' '), hex("0307320301").toHex(' '));
    QVERIFY(!lane->matchRequestMode);
    QCOMPARE(SimFrame::byteAt(answerTo(converter, hex("0309A300000000")), 2), 0xA3);
}

void TestSimUnits::absentUnits()
{
    SimConverter converter = makeConverter();
    SimLane *lane = converter.lane(3);
    lane->targetPresent = false;
    QVERIFY(answerTo(converter, hex("0309A300000000")).isEmpty());
    QVERIFY(answerTo(converter, hex("0305A2")).isEmpty());
    QCOMPARE(answerTo(converter, hex("03063400")).toHex(), hex("03063401").toHex()); // its terminal still answers
    lane->terminalPresent = false;
    lane->matchRequestMode = 0;
    QVERIFY(answerTo(converter, hex("03063400")).isEmpty());
    QVERIFY(lane->matchRequestMode); // waits for the terminal to come back
}

QTEST_MAIN(TestSimUnits)
#include "tst_simunits.moc"
