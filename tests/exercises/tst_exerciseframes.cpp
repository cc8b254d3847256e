// The command frames an exercise hands to the bus master, byte for byte
// (before the CRC, which the bus master appends).

#include <QtTest>

#include "event_difficult_one.h"
#include "event_simple_one.h"
#include "eventharness.h"

using namespace eventtest;

namespace {

// The base exercise with the pistol stages' flag, which changes the start
// frames' flag byte and is the only case in which cluster frames go out.
class PistolFlagEvent : public MyEvent
{
public:
    PistolFlagEvent(TBulletList *list, bool pistol)
        : MyEvent(2, 1)
    {
        bulletList = list;
        pistolStage = pistol;
    }
};

} // namespace

class TestExerciseFrames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void builders_data();
    void builders();
    void startShotsByte_data();
    void startShotsByte();
    void senders_data();
    void senders();
    void shotFrame();
    void seriesResult_data();
    void seriesResult();
    void rifleStartFrames_data();
    void rifleStartFrames();

private:
    // Over a list on face 8 with the base's parameters (no series limit).
    std::unique_ptr<TBulletList> m_list;
    std::unique_ptr<MyEvent> m_event;
    std::unique_ptr<PistolFlagEvent> m_rifle;
    std::unique_ptr<PistolFlagEvent> m_pistol;
};

void TestExerciseFrames::initTestCase()
{
    m_list = makeList({3});
    m_event = std::make_unique<MyEvent>(1, 2);
    m_rifle = std::make_unique<PistolFlagEvent>(m_list.get(), false);
    m_pistol = std::make_unique<PistolFlagEvent>(m_list.get(), true);
}

void TestExerciseFrames::builders_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    MyEvent &event = *m_event;
    MyEvent &rifle = *m_rifle;
    MyEvent &pistol = *m_pistol;

    // Rows from the table of builders: address, length with CRC, code, data.
    QTest::newRow("start all, rifle flag 1") << rifle.makeStartAllPacket()
                                             << hex("EA0CA0FE08FFFFFF0100");
    QTest::newRow("start all, pistol flag 2") << pistol.makeStartAllPacket()
                                              << hex("EA0CA0FE08FFFFFF0200");
    QTest::newRow("start all without list: face 0") << event.makeStartAllPacket()
                                                    << hex("EA0CA0FE00FFFFFF0100");
    QTest::newRow("start lane 5") << rifle.makeStartPacket(5) << hex("050CA0FE08FFFFFF0100");
    QTest::newRow("stop all") << event.makeStopAllPacket() << hex("EA05A1");
    QTest::newRow("stop lane 5") << event.makeStopPacket(5) << hex("0505A1");
    QTest::newRow("reset lane 4") << event.makeResetPacket(4) << hex("0405A2");
    QTest::newRow("cluster all 0") << event.makeClasterAllPacket0() << hex("EA06A600");
    QTest::newRow("cluster all 1") << event.makeClasterAllPacket1() << hex("EA06A601");
    QTest::newRow("cluster all 2") << event.makeClasterAllPacket2() << hex("EA06A602");
    QTest::newRow("cluster lane 6, 0") << event.makeClasterPacket0(6) << hex("0606A600");
    QTest::newRow("cluster lane 6, 1") << event.makeClasterPacket1(6) << hex("0606A601");
    QTest::newRow("cluster lane 6, 2") << event.makeClasterPacket2(6) << hex("0606A602");
    QTest::newRow("exercise type 1, sub-type 2") << event.makeEventTypeAllPacket()
                                                 << hex("9F07360102");
    QTest::newRow("terminals stop") << event.makePCAll31Packet() << hex("9F0531");
    QTest::newRow("stage value 0") << event.makePC32Packet(7, 0) << hex("07073200 00");
    QTest::newRow("stage value 1") << event.makePC32Packet(7, 1) << hex("0707320001");
    QTest::newRow("stage value 2") << event.makePC32Packet(7, 2) << hex("07063202");
    QTest::newRow("stage value 3") << event.makePC32Packet(7, 3) << hex("07063203");
    QTest::newRow("stage value 4: nothing") << event.makePC32Packet(7, 4) << QByteArray();
    QTest::newRow("stage value -1 is 255: nothing") << event.makePC32Packet(7, -1)
                                                    << QByteArray();
    QTest::newRow("terminals 40, 0") << event.makePCAll40Packet0() << hex("9F064000");
    QTest::newRow("terminals 40, 1") << event.makePCAll40Packet1() << hex("9F064001");
    QTest::newRow("terminals 40, 2") << event.makePCAll40Packet2() << hex("9F064002");
    QTest::newRow("terminals 35") << event.makePCAll35Packet() << hex("9F063500");
    QTest::newRow("terminal 3, 35 value 7") << event.makePC35Packet(3, 7) << hex("03063507");
    QTest::newRow("terminal 3, 40 value 0") << event.makePC40Packet0(3) << hex("03064000");
    QTest::newRow("terminal 3, 40 value 1") << event.makePC40Packet1(3) << hex("03064001");
    QTest::newRow("terminal 3, 40 value 2") << event.makePC40Packet2(3) << hex("03064002");
    // len = characters + 5
    QTest::newRow("text HELLO") << event.makePCAll38Packet(QStringLiteral("HELLO"))
                                << hex("9F0A3848454C4C4F");
    QTest::newRow("text cut to 15") << event.makePCAll38Packet(QStringLiteral("ABCDEFGHIJKLMNOPQRST"))
                                    << hex("9F1438 4142434445464748494A4B4C4D4E4F");
    // Two bytes per letter in UTF-8; the length byte counts what is sent.
    QTest::newRow("text in Cyrillic") << event.makePCAll38Packet(QStringLiteral("ПУСК"))
                                      << hex("9F0D38 D09FD0A3D0A1D09A");
    // len = characters + 9: three numbers, the text and a closing 00.
    QTest::newRow("series text") << event.makePC39Packet(3, 1, 2, 3, QStringLiteral("AB"))
                                 << hex("030B39 010203 4142 00");
}

void TestExerciseFrames::builders()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TestExerciseFrames::startShotsByte_data()
{
    QTest::addColumn<int>("seriesPerStart");
    QTest::addColumn<int>("shotsPerSeries");
    QTest::addColumn<int>("shotsByte");

    QTest::newRow("1 series of 5") << 1 << 5 << 0x05;
    QTest::newRow("no limit") << -1 << 10 << 0xFF;
    QTest::newRow("30 of 10 is 300, 8 bits") << 30 << 10 << 0x2C;
}

void TestExerciseFrames::startShotsByte()
{
    QFETCH(int, seriesPerStart);
    QFETCH(int, shotsPerSeries);
    QFETCH(int, shotsByte);

    auto list = makeList({1});
    PistolFlagEvent event(list.get(), false);
    event.setParams(seriesPerStart, 6, shotsPerSeries, shotsPerSeries, 450);
    QCOMPARE(quint8(event.makeStartAllPacket().at(7)), quint8(shotsByte));
    QCOMPARE(quint8(event.makeStartPacket(4).at(7)), quint8(shotsByte));
}

void TestExerciseFrames::senders_data()
{
    QTest::addColumn<bool>("pistol");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QByteArrayList>("frames");

    // The senders' table: which builder each argument reaches.
    QTest::newRow("terminals 40, mode 1 is byte 02") << false << "PCAll40 1"
                                                     << QByteArrayList{hex("9F064002")};
    QTest::newRow("terminals 40, mode 2 is byte 01") << false << "PCAll40 2"
                                                     << QByteArrayList{hex("9F064001")};
    QTest::newRow("terminals 40, mode 3 sends nothing") << false << "PCAll40 3"
                                                        << QByteArrayList{};
    QTest::newRow("terminal 40, mode 1 is byte 02") << false << "PC40 1"
                                                    << QByteArrayList{hex("07064002")};
    QTest::newRow("stage 0 to terminal 7") << false << "PC32 0" << QByteArrayList{hex("07063202")};
    QTest::newRow("stage 1 to terminal 7") << false << "PC32 1" << QByteArrayList{hex("07063203")};
    QTest::newRow("stage 5 to terminal 7") << false << "PC32 5"
                                           << QByteArrayList{hex("0707320000")};
    QTest::newRow("cluster on a rifle exercise: nothing") << false << "ClasterAll 1"
                                                          << QByteArrayList{};
    QTest::newRow("cluster all 1, pistol") << true << "ClasterAll 1"
                                           << QByteArrayList{hex("EA06A601")};
    QTest::newRow("cluster all 2, pistol") << true << "ClasterAll 2"
                                           << QByteArrayList{hex("EA06A602")};
    QTest::newRow("cluster all 3, pistol: nothing") << true << "ClasterAll 3" << QByteArrayList{};
    QTest::newRow("cluster lane 7, 0, pistol") << true << "Claster 0"
                                               << QByteArrayList{hex("0706A600")};
    QTest::newRow("start all disarmed: nothing") << false << "StartAll -1" << QByteArrayList{};
    QTest::newRow("stop all disarmed: nothing") << false << "StopAll -1" << QByteArrayList{};
    QTest::newRow("reset lane 7, reason 0") << false << "Reset 0" << QByteArrayList{hex("0705A2")};
    QTest::newRow("reset with no reason only clears") << false << "Reset -1" << QByteArrayList{};
}

void TestExerciseFrames::senders()
{
    QFETCH(bool, pistol);
    QFETCH(QString, call);
    QFETCH(QByteArrayList, frames);

    auto list = makeList({7});
    PistolFlagEvent event(list.get(), pistol);
    BusRecorder bus(&event);
    const QStringList parts = call.split(' ');
    const QString name = parts.at(0);
    const int value = parts.at(1).toInt();
    if (name == "PCAll40")
        event.sendPCAll40(value);
    else if (name == "PC40")
        event.sendPC40(7, value);
    else if (name == "PC32")
        event.sendPC32(7, value);
    else if (name == "ClasterAll")
        event.sendClasterAll(value);
    else if (name == "Claster")
        event.sendClaster(7, value);
    else if (name == "StartAll")
        event.sendStartAll(value);
    else if (name == "StopAll")
        event.sendStopAll(value);
    else if (name == "Reset")
        event.sendResetTarget(7, value);
    else
        QFAIL("unknown sender");
    QCOMPARE(bus.takeFrames(), frames);
}

void TestExerciseFrames::shotFrame()
{
    // x 1234, y 500, place code 3, time 291, match, running number 4, lane 2.
    TBullet shot(0, 4, 1234, 500, 3, 291, targetTypeById(8), 450, 10.4, 0);
    shot.setStage(1);
    MyEvent event(1, 1);
    QCOMPARE(event.makeBulletPCPacket(2, &shot).toHex(' '),
             hex("020F3304 04D2 01F4 03 000123 01").toHex(' '));

    // A miss: both coordinates FFFF; the time keeps its low 24 bits.
    TBullet miss(0, 9, 0xFFFF, 0xFFFF, 0, 0x1234567, targetTypeById(8), 450, 10.4, 0);
    QCOMPARE(event.makeBulletPCPacket(2, &miss).toHex(' '),
             hex("020F3309 FFFF FFFF 00 234567 00").toHex(' '));
}

void TestExerciseFrames::seriesResult_data()
{
    QTest::addColumn<bool>("showTenths");
    QTest::addColumn<QList<int>>("ys");
    QTest::addColumn<QByteArray>("expected");

    // Row 8 at calibre 450: y 13 is 10.4 (marked), y 25 is 10.0, y 26 is 9.9,
    // y 86 is 7.5 and y 143 is 5.2 (the scoring table of the shot record).
    // 10.4 + 10.4 + 7 x 9.9 + 5.2 = 95.3 with 2 marked shots.
    QTest::newRow("tenths 95.3, 2 marked")
        << true << QList<int>{13, 13, 26, 26, 26, 26, 26, 26, 26, 143}
        << hex("030A3901005F0302");
    // Whole points 10 + 6 x 10 + 3 x 9 = 97 with 1 marked shot.
    QTest::newRow("whole points 97, 1 marked")
        << false << QList<int>{13, 25, 25, 25, 25, 25, 25, 26, 26, 26}
        << hex("030A390100610001");
    QTest::newRow("member without a place: nothing") << false << QList<int>{} << QByteArray();
}

void TestExerciseFrames::seriesResult()
{
    QFETCH(bool, showTenths);
    QFETCH(QList<int>, ys);
    QFETCH(QByteArray, expected);

    auto list = makeList({3}, showTenths);
    list->setStageAll(1);
    int number = 0;
    for (int y : ys)
        QVERIFY(list->addShotFromTarget(memberOn(3), ++number, 0, y, 1, 10, -1));
    PistolFlagEvent event(list.get(), true);
    BusRecorder bus(&event);
    const int member = ys.isEmpty() ? memberOn(9) : memberOn(3);
    event.sendSeriesResultToPC(member, 1, list.get());
    // An empty frame still goes to the bus master, which drops it.
    QCOMPARE(bus.takeFrames(), QByteArrayList{expected});
}

void TestExerciseFrames::rifleStartFrames_data()
{
    QTest::addColumn<int>("typeXMLID");
    QTest::addColumn<int>("matchCount");
    QTest::addColumn<QByteArray>("sighting");
    QTest::addColumn<QByteArray>("match");

    // Face 8, sighting 900 s = 03 84 with no shot limit; the match has no time
    // limit and, in one position, the match count as its shot limit.
    QTest::newRow("one position, 60 shots") << 1 << 60 << hex("EA0CA0FE0803 84FF0001")
                                            << hex("EA0CA0FE08FFFF3C0001");
    QTest::newRow("one position, 300 shots: low byte") << 1 << 300
                                                       << hex("EA0CA0FE080384FF0001")
                                                       << hex("EA0CA0FE08FFFF2C0001");
    QTest::newRow("three positions, 60 shots: FF") << 6 << 60 << hex("EA0CA0FE080384FF0001")
                                                   << hex("EA0CA0FE08FFFFFF0001");
}

void TestExerciseFrames::rifleStartFrames()
{
    QFETCH(int, typeXMLID);
    QFETCH(int, matchCount);
    QFETCH(QByteArray, sighting);
    QFETCH(QByteArray, match);

    ManualClock clock;
    auto event = makeEvent(typeXMLID, matchCount);
    auto list = makeList({1});
    std::unique_ptr<MyEvent> exercise;
    if (typeXMLID == 1)
        exercise = std::make_unique<EVENT_SIMPLE_ONE>(list.get(), event.get());
    else
        exercise = std::make_unique<EVENT_DIFFICULT_ONE>(list.get(), event.get());
    exercise->setClock(&clock);
    BusRecorder bus(exercise.get());

    exercise->slot_view_startEvent(-1, -1);
    QCOMPARE(bus.takeFrames(), QByteArrayList{sighting});
    confirmStart(exercise.get());
    tickAt(exercise.get(), clock, 900 * 1000);
    bus.clear();
    exercise->slot_view_startEvent(-1, -1);
    QCOMPARE(bus.takeFrames(), QByteArrayList{match});
}

QTEST_MAIN(TestExerciseFrames)
#include "tst_exerciseframes.moc"
