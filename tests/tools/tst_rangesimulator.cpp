// The simulator over its lines, as the program meets it: a serial port opened
// through a "COM%1" link, and a TCP connection to the loopback converter.
#include "simframe.h"
#include "simulatorthread.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kWaitMs = 3000;
constexpr int kSilenceMs = 300; // longer than any answer takes without a delay

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// Writes a frame with its CRC and collects `count` bytes of answer.
QByteArray exchange(QIODevice &device, const QByteArray &frame, int count)
{
    device.readAll();
    device.write(SimFrame::withCrc(frame));
    QByteArray received;
    // A short answer is returned as it is; the caller compares it.
    const bool complete = QTest::qWaitFor(
        [&] {
            received += device.readAll();
            return received.size() >= count;
        },
        kWaitMs);
    Q_UNUSED(complete)
    return received;
}

// Waits a while and returns whatever arrived.
QByteArray collect(QIODevice &device, int ms)
{
    QTest::qWait(ms);
    return device.readAll();
}

// True when nothing answers the frame.
bool unanswered(QIODevice &device, const QByteArray &frame)
{
    device.readAll();
    device.write(SimFrame::withCrc(frame));
    return collect(device, kSilenceMs).isEmpty();
}

bool openPort(QSerialPort &port, const QString &path)
{
    port.setPortName(path);
    port.setBaudRate(QSerialPort::Baud19200);
    return port.open(QIODevice::ReadWrite);
}
} // namespace

class TestRangeSimulator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void serialProbesAndLinks();
    void pollsOverSerial_data();
    void pollsOverSerial();
    void tcpConverter();
    void scriptedAndSimulatedShots();
    void shootersFaceTimedStarts();
    void recordsTraffic();
    void noiseBothWays();
    void answerFaults();
    void unplugAndReplug();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatorThread> m_sim;
    QString m_com1;
};

void TestRangeSimulator::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_sim = std::make_unique<SimulatorThread>();
    const QString dir = m_dir->filePath(QStringLiteral("com"));
    QVERIFY(m_sim->call([&](RangeSimulator &s) { return s.setComDirectory(dir); }));
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({3, 4}); }), 0);
    m_com1 = m_sim->call([](RangeSimulator &s) { return s.linkPath(0); });
}

void TestRangeSimulator::cleanup()
{
    m_sim.reset();
    m_dir.reset();
}

void TestRangeSimulator::serialProbesAndLinks()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({5}); }), 1);
    const QStringList links = QDir(m_dir->filePath(QStringLiteral("com"))).entryList(QDir::System | QDir::Files);
    QCOMPARE(links, QStringList({QStringLiteral("COM1"), QStringLiteral("COM2")}));
    QCOMPARE(QFileInfo(m_com1).symLinkTarget(), m_sim->call([](RangeSimulator &s) { return s.endpoint(0); }));

    QSerialPort port;
    QVERIFY2(openPort(port, m_com1), qPrintable(port.errorString()));
    // The search expects 00 07 9F AB AC, the second check 00 07 9E 7C 00, each with its CRC.
    QCOMPARE(exchange(port, hex("00079FBBCC"), 7).toHex(' '), hex("00079FABAC6A17").toHex(' '));
    QCOMPARE(exchange(port, hex("00079E7CD4"), 7).toHex(' '), hex("00079E7C00645A").toHex(' '));
    // A lane of the other converter is not on this bus.
    QVERIFY(unanswered(port, hex("0509A300000000")));
}

void TestRangeSimulator::pollsOverSerial_data()
{
    QTest::addColumn<int>("wanted");
    QTest::addColumn<QByteArray>("answer");
    // Shots fired: 1 at (1, 1), 2 at (300, 200) place -1 time 291.
    QTest::newRow("shot 2") << 2 << hex("030EA302012C00C8FF0001230680"); // CRC 06 80 by CRC-16/MODBUS
    QTest::newRow("shot 3: none yet") << 3 << hex("030EA3000000000000000000A263");
    QTest::newRow("ping") << 0 << hex("030EA3000000000000000000A263");
}

void TestRangeSimulator::pollsOverSerial()
{
    QFETCH(int, wanted);
    QFETCH(QByteArray, answer);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.fireShot(3, 1, 1, 0, 5); }), 1);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.fireShot(3, 300, 200, -1, 291); }), 2);
    QSerialPort port;
    QVERIFY2(openPort(port, m_com1), qPrintable(port.errorString()));
    QByteArray poll = hex("0309A300000000");
    poll[3] = static_cast<char>(wanted);
    QCOMPARE(exchange(port, poll, answer.size()).toHex(' '), answer.toHex(' '));
}

void TestRangeSimulator::tcpConverter()
{
    const int converter = m_sim->call([](RangeSimulator &s) { return s.addTcpConverter(0, {11}); });
    QCOMPARE(converter, 1);
    const quint16 port = m_sim->call([converter](RangeSimulator &s) { return s.tcpPort(converter); });
    QVERIFY(port > 0);
    QVERIFY(m_sim->call([](RangeSimulator &s) { return s.linkPath(1); }).isEmpty());

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(socket.waitForConnected(kWaitMs));
    QCOMPARE(exchange(socket, hex("00079FBBCC"), 7).toHex(' '), hex("00079FABAC6A17").toHex(' '));
    // The TCP client probes with its own address before a search sets it to 0.
    QVERIFY(unanswered(socket, hex("1F079FBBCC")));
    m_sim->call([](RangeSimulator &s) { s.fireShot(11, 10, 20, 1, 30); });
    const QByteArray shot = exchange(socket, hex("0B09A301000000"), 14);
    QCOMPARE(shot.left(12).toHex(' '), hex("0B0EA301000A001401 00001E").toHex(' '));
    QVERIFY(SimFrame::crcMatches(shot));
    // Lanes of the serial converter are not reached over TCP.
    QVERIFY(unanswered(socket, hex("0309A300000000")));

    // Unplugged: the connection drops and the port refuses; plugged back: the same port.
    QVERIFY(m_sim->call([converter](RangeSimulator &s) { return s.unplug(converter); }));
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, kWaitMs);
    QTcpSocket refused;
    refused.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(!refused.waitForConnected(kWaitMs));
    QVERIFY(m_sim->call([converter](RangeSimulator &s) { return s.replug(converter); }));
    QTcpSocket again;
    again.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(again.waitForConnected(kWaitMs));
    QCOMPARE(exchange(again, hex("00079FBBCC"), 7).toHex(' '), hex("00079FABAC6A17").toHex(' '));
}

void TestRangeSimulator::scriptedAndSimulatedShots()
{
    QElapsedTimer clock;
    clock.start();
    ScriptedShot late;
    late.afterMs = 200;
    late.x = 77;
    late.timeTenths = 12;
    m_sim->call([late](RangeSimulator &s) { s.scheduleShots(3, {ScriptedShot(), late}); });
    QTRY_COMPARE_WITH_TIMEOUT(m_sim->call([](RangeSimulator &s) { return s.lane(3)->target.shots().size(); }), 2,
                              kWaitMs);
    QVERIFY(clock.elapsed() >= 200);
    const SimShot second = m_sim->call([](RangeSimulator &s) { return s.lane(3)->target.shots().at(1); });
    QCOMPARE(int(second.x), 77);
    QCOMPARE(second.timeTenths, 12);

    // A shooter with a spread of 5 mm fires its 20 shots and stops.
    ShooterSettings settings;
    settings.spreadTenthsMm = 50;
    settings.paceMs = 5;
    settings.shots = 20;
    QVERIFY(m_sim->call([settings](RangeSimulator &s) { return s.startShooter(4, settings); }));
    QTRY_COMPARE_WITH_TIMEOUT(m_sim->call([](RangeSimulator &s) { return s.lane(4)->target.shots().size(); }), 20,
                              kWaitMs);
    QTest::qWait(50);
    const QVector<SimShot> shots = m_sim->call([](RangeSimulator &s) { return s.lane(4)->target.shots(); });
    QCOMPARE(shots.size(), 20);
    for (const SimShot &shot : shots) {
        QVERIFY(shot.x <= 6 * settings.spreadTenthsMm && shot.y <= 6 * settings.spreadTenthsMm); // six sigma
        QVERIFY(shot.place >= 0 && shot.place <= 8);
    }
}

void TestRangeSimulator::shootersFaceTimedStarts()
{
    // Lane 3 takes a START of 5 shots in 3 s, 1.5 s at x2, lane 4 one without limits.
    ShooterSettings settings;
    settings.paceMs = 60000;
    settings.clockSpeed = 2;
    QSerialPort port;
    QVERIFY(m_sim->call([settings](RangeSimulator &s) { return s.startShooter(3, settings) && s.startShooter(4, settings); })
            && openPort(port, m_com1));
    QCOMPARE(exchange(port, hex("040CA0FE01FFFFFF0100"), 5).size() + exchange(port, hex("030CA0FE010003050201"), 5).size(), 10);
    QTRY_COMPARE_WITH_TIMEOUT(m_sim->call([](RangeSimulator &s) { return s.lane(3)->target.shots().size(); }), 5, kWaitMs);
    QVERIFY(m_sim->call([](RangeSimulator &s) { return s.lane(3)->target.shots().last().timeTenths <= 15
                                                      && s.lane(4)->target.shots().isEmpty(); }));
}

void TestRangeSimulator::recordsTraffic()
{
    QSignalSpy logged(m_sim.get(), &SimulatorThread::trafficLogged);
    QSerialPort port;
    QVERIFY2(openPort(port, m_com1), qPrintable(port.errorString()));
    const QList<QByteArray> written = {hex("0306AA01"), hex("03063400"), hex("0306370C")};
    for (const QByteArray &frame : written)
        QCOMPARE(exchange(port, frame, 6).size(), 6);
    port.write(SimFrame::withCrc(hex("EA05A1"))); // broadcast: recorded, not answered
    QTRY_COMPARE_WITH_TIMEOUT(m_sim->call([](RangeSimulator &s) { return s.framesReceived(0xEA).size(); }), 1, kWaitMs);

    const QList<QByteArray> lane3 = m_sim->call([](RangeSimulator &s) { return s.framesReceived(3); });
    QCOMPARE(lane3.size(), written.size());
    for (int i = 0; i < written.size(); ++i)
        QCOMPARE(lane3.at(i).toHex(' '), SimFrame::withCrc(written.at(i)).toHex(' '));

    const QList<TrafficEntry> traffic = m_sim->call([](RangeSimulator &s) { return s.traffic(); });
    QCOMPARE(traffic.size(), 7); // three frames, three answers, one broadcast
    for (int i = 1; i < traffic.size(); ++i)
        QVERIFY(traffic.at(i).timeUs >= traffic.at(i - 1).timeUs);
    QCOMPARE(traffic.at(1).kind, TrafficEntry::Sent);
    QCOMPARE(traffic.at(1).bytes.toHex(), SimFrame::withCrc(hex("0306AA01")).toHex());
    QCOMPARE(traffic.at(1).code, 0xAA);
    QTRY_COMPARE_WITH_TIMEOUT(logged.size(), traffic.size(), kWaitMs);
    QCOMPARE(logged.at(6).at(0).value<TrafficEntry>().address, 0xEA);
}

void TestRangeSimulator::noiseBothWays()
{
    QSerialPort port;
    QVERIFY2(openPort(port, m_com1), qPrintable(port.errorString()));
    // From the program: garbage and a broken frame in front of a good one.
    const QByteArray noise = hex("0A0D11FF") + hex("EA05A192DD");
    port.write(noise + SimFrame::withCrc(hex("0305A2")));
    QByteArray answer;
    QVERIFY(QTest::qWaitFor([&] { return (answer += port.readAll()).size() >= 5; }, kWaitMs));
    QCOMPARE(answer.toHex(' '), hex("0305A20329").toHex(' '));
    const QList<TrafficEntry> traffic = m_sim->call([](RangeSimulator &s) { return s.traffic(); });
    QCOMPARE(traffic.at(0).kind, TrafficEntry::Noise);
    QCOMPARE(traffic.at(0).bytes.toHex(' '), noise.toHex(' '));

    // Towards the program: injected bytes arrive as written, between answers.
    m_sim->call([](RangeSimulator &s) { s.injectBytes(0, hex("00FF0A0D")); });
    m_sim->call([](RangeSimulator &s) { s.injectFrame(0, hex("0306A501")); }); // an answer of the target's own
    QByteArray injected;
    QVERIFY(QTest::qWaitFor([&] { return (injected += port.readAll()).size() >= 10; }, kWaitMs));
    QCOMPARE(injected.toHex(' '), (hex("00FF0A0D") + SimFrame::withCrc(hex("0306A501"))).toHex(' '));
}

void TestRangeSimulator::answerFaults()
{
    QSerialPort port;
    QVERIFY2(openPort(port, m_com1), qPrintable(port.errorString()));
    const QByteArray ping = hex("0309A300000000");

    // Dropped: the frame is heard, the next answer comes again.
    m_sim->call([](RangeSimulator &s) { s.dropAnswers(3, 1); });
    QVERIFY(unanswered(port, ping));
    QCOMPARE(exchange(port, ping, 14).size(), 14);

    // Broken: the right bytes with a CRC that does not check.
    m_sim->call([](RangeSimulator &s) { s.breakAnswers(3, 1); });
    const QByteArray broken = exchange(port, ping, 14);
    QCOMPARE(broken.size(), 14);
    QVERIFY(!SimFrame::crcMatches(broken));
    QVERIFY(SimFrame::crcMatches(exchange(port, ping, 14)));

    // Delayed.
    m_sim->call([](RangeSimulator &s) { s.setAnswerDelay(3, 150); });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(exchange(port, ping, 14).size(), 14);
    QVERIFY(clock.elapsed() >= 150);
    m_sim->call([](RangeSimulator &s) { s.setAnswerDelay(3, 0); });

    // The target gone: no answer, while the terminal of the lane still answers.
    m_sim->call([](RangeSimulator &s) { s.setTargetPresent(3, false); });
    QVERIFY(unanswered(port, ping));
    QCOMPARE(exchange(port, hex("03063400"), 6).toHex(' '), SimFrame::withCrc(hex("03063401")).toHex(' '));

    // The terminal's request for match takes the answer of the lane's next terminal frame.
    m_sim->call([](RangeSimulator &s) { s.requestMatch(3, 1); });
    QCOMPARE(exchange(port, hex("03063400"), 7).toHex(' '), hex("030732030101 8B").toHex(' '));
}

void TestRangeSimulator::unplugAndReplug()
{
    QSerialPort port;
    QVERIFY2(openPort(port, m_com1), qPrintable(port.errorString()));
    QCOMPARE(exchange(port, hex("00079FBBCC"), 7).size(), 7);

    QVERIFY(m_sim->call([](RangeSimulator &s) { return s.unplug(0); }));
    QVERIFY(!m_sim->call([](RangeSimulator &s) { return s.isPlugged(0); }));
    QVERIFY(!QFileInfo(m_com1).isSymLink());
    // A hung-up pseudo-terminal reads as end of file and refuses writes.
    QTRY_VERIFY_WITH_TIMEOUT(port.error() != QSerialPort::NoError, kWaitMs);
    port.close();

    QVERIFY(m_sim->call([](RangeSimulator &s) { return s.replug(0); }));
    const QString after = QFileInfo(m_com1).symLinkTarget();
    QCOMPARE(after, m_sim->call([](RangeSimulator &s) { return s.endpoint(0); }));
    QVERIFY(QFileInfo::exists(after));
    QSerialPort again;
    QVERIFY2(openPort(again, m_com1), qPrintable(again.errorString()));
    QCOMPARE(exchange(again, hex("00079FBBCC"), 7).toHex(' '), hex("00079FABAC6A17").toHex(' '));
    // The lanes kept their state over the unplugging.
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.fireShot(3, 1, 1, 0, 1); }), 1);
}

QTEST_MAIN(TestRangeSimulator)
#include "tst_rangesimulator.moc"
