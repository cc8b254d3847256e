#include <QRandomGenerator>
#include <QtTest>

#include <memory>

#include "shotfixtures.h"
#include "tmemberplace.h"

using namespace shotfixtures;

namespace {

constexpr int kMemberID = 7;
constexpr int kTarget = 3;

std::unique_ptr<TMemberPlace> newPlace(bool showTenths = false)
{
    return std::make_unique<TMemberPlace>(kMemberID, showTenths, kTarget, QStringLiteral("Ivanov"),
                                          TBulletParams(1, face(), kCalibre, kControlValue));
}

// A shot worth `tenths`, numbered by the target as shotID (0: the next one).
TBullet *shoot(TMemberPlace &place, int tenths, int shotID = 0, int fine = 0)
{
    if (shotID == 0)
        shotID = place.lastBulletNumber(place.stage()) + 1;
    return place.addBullet(shotID, 0, yForTenths(tenths), 1, 0, fine, false);
}

// Match shots 1..count, shot i worth ((i - 1) % 10) + 1 whole points.
void shootMatch(TMemberPlace &place, int count)
{
    place.setStage(TMemberPlace::kMatch, false);
    for (int i = 1; i <= count; ++i)
        shoot(place, (((i - 1) % 10) + 1) * 10);
}

// bulletAt as its definition reads: the first shot in list order.
TBullet *firstWithNumber(const TMemberPlace &place, int number, int stage)
{
    for (TBullet *shot : place.shots()) {
        if (shot->number() == number && shot->stage() == stage)
            return shot;
    }
    return nullptr;
}

} // namespace

class TestMemberPlace : public QObject
{
    Q_OBJECT

private slots:
    void numbering();
    void total_data();
    void total();
    void currentSeries_data();
    void currentSeries();
    void numberedSeries();
    void stageSwitch();
    void lastBulletNumber_data();
    void lastBulletNumber();
    void repeatsAfterMemoryReset();
    void nextBulletWalksEveryShot();
    void removeShot();
    void flaggedShots();
    void lookupsFollowListOrder();
};

void TestMemberPlace::numbering()
{
    auto place = newPlace();
    shootMatch(*place, 3);
    // The target's shot 7 becomes the place's fourth match shot.
    TBullet *shot = place->addBullet(7, 0, 0, 1, 0, 0, false);
    QCOMPARE(shot->number(), 4);
    QCOMPARE(shot->shotID(), 7);
    QCOMPARE(shot->memberID(), kMemberID);
    QCOMPARE(shot->stage(), int(TMemberPlace::kMatch));
    QCOMPARE(place->shotCountOfStage(TMemberPlace::kMatch), 4);

    // Only stages 0 and 1 are counted; a shot of any other stage is number 0.
    place->setStage(2, false);
    QCOMPARE(place->addBullet(1, 0, 0, 1, 0, 0, false)->number(), 0);
    QCOMPARE(place->shotCountOfStage(TMemberPlace::kMatch), 4);
    QCOMPARE(place->countMatchShots(-1), 4);
}

void TestMemberPlace::total_data()
{
    QTest::addColumn<bool>("showTenths");
    QTest::addColumn<QList<int>>("tenths");
    QTest::addColumn<double>("total");
    QTest::addColumn<int>("totalInt");

    // Edge cases of the member place: the total grows by range with "VIew10", by score without.
    QTest::newRow("10.4 in tenths") << true << QList<int>{104} << 10.4 << 10;
    QTest::newRow("10.4 in points") << false << QList<int>{104} << 10.0 << 10;
    // 9 x 10.0 + 5.9 = 95.9, truncated toward zero.
    QTest::newRow("95.9 truncates to 95")
        << true << QList<int>{100, 100, 100, 100, 100, 100, 100, 100, 100, 59} << 95.9 << 95;
    // The same shots in whole points: 9 x 10 + 5.
    QTest::newRow("95.9 in points is 95")
        << false << QList<int>{100, 100, 100, 100, 100, 100, 100, 100, 100, 59} << 95.0 << 95;
    // Tenths kept exact: ten shots of 9.6 make 96.0, not 95.99...
    QTest::newRow("ten times 9.6 is 96")
        << true << QList<int>{96, 96, 96, 96, 96, 96, 96, 96, 96, 96} << 96.0 << 96;
}

void TestMemberPlace::total()
{
    QFETCH(bool, showTenths);
    QFETCH(QList<int>, tenths);
    auto place = newPlace(showTenths);
    shoot(*place, 109); // a sighting shot never counts
    place->setStage(TMemberPlace::kMatch, false);
    for (int value : tenths)
        shoot(*place, value);
    QTEST(place->total(), "total");
    QTEST(place->totalInt(), "totalInt");
}

void TestMemberPlace::currentSeries_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("shots");
    QTest::addColumn<int>("firstNumber"); // number of the series' first shot, 0 none
    QTest::addColumn<int>("held");
    QTest::addColumn<int>("sum");
    QTest::addColumn<bool>("complete");

    // Shot i is worth ((i - 1) % 10) + 1 points.
    QTest::newRow("10 of 10: shots 1-10, complete") << 10 << 10 << 1 << 10 << 55 << true;
    QTest::newRow("11th opens a new series") << 10 << 11 << 11 << 1 << 1 << false;
    QTest::newRow("25 of size 10: shots 21-25") << 10 << 25 << 21 << 5 << 15 << false;
    // An empty place holds no series: with size 1 it must not read as complete.
    QTest::newRow("empty, size 1") << 1 << 0 << 0 << 0 << 0 << false;
    QTest::newRow("empty, size 10") << 10 << 0 << 0 << 0 << 0 << false;
}

void TestMemberPlace::currentSeries()
{
    QFETCH(int, size);
    QFETCH(int, shots);
    QFETCH(int, firstNumber);
    QFETCH(int, held);
    QFETCH(bool, complete);
    auto place = newPlace();
    shootMatch(*place, shots);

    const TBullet *first = place->currentSeriesBullet(1, size);
    QCOMPARE(first ? first->number() : 0, firstNumber);
    int counted = 0;
    while (place->currentSeriesBullet(counted + 1, size))
        ++counted;
    QCOMPARE(counted, held);
    QVERIFY(!place->currentSeriesBullet(0, size));

    bool reported = !complete; // must be overwritten
    QTEST(place->currentSeriesSumInt(size, &reported), "sum");
    QCOMPARE(reported, complete);
}

void TestMemberPlace::numberedSeries()
{
    auto place = newPlace();
    shootMatch(*place, 25);
    // Shots 22 and 24 of the third series become 10.5, marked against 10.4.
    place->removeShot(place->bulletAt(25, 1));
    place->removeShot(place->bulletAt(24, 1));
    place->removeShot(place->bulletAt(23, 1));
    place->removeShot(place->bulletAt(22, 1));
    shoot(*place, 105);
    shoot(*place, 30);
    shoot(*place, 105);
    shoot(*place, 50);

    bool complete = true;
    // Series 3 holds shots 21 to 25: 1 + 10 + 3 + 10 + 5.
    QCOMPARE(place->seriesSumInt(3, 10, &complete), 29);
    QVERIFY(!complete);
    QCOMPARE(place->seriesSumTenths(3, 10), 29.0 + 0.5 + 0.5);
    QCOMPARE(place->seriesMarked(3, 10), 2);
    QCOMPARE(place->seriesSumInt(1, 10, &complete), 55);
    QVERIFY(complete);
    // Series 0 is the current series.
    QCOMPARE(place->seriesSumInt(0, 10), place->currentSeriesSumInt(10));
    QCOMPARE(place->seriesMarked(0, 10), place->currentSeriesMarked(10));
    QCOMPARE(place->seriesMarked(0, 10), 2);
    QCOMPARE(place->matchSeriesCount(10), 2);
    QCOMPARE(place->matchTotalInt(), 55 + 55 + 29);
    QCOMPARE(place->markedTotal(), 2);

    // Back in sighting the current series is the sighting's; numbered series stay match series.
    place->setStage(TMemberPlace::kSighting, true);
    shoot(*place, 80);
    QCOMPARE(place->seriesSumInt(0, 10), 8);
    QCOMPARE(place->seriesSumInt(1, 10), 55);
    QCOMPARE(place->seriesSumInt(1, 0), 0); // a size below 1 yields nothing
}

void TestMemberPlace::stageSwitch()
{
    auto place = newPlace();
    shoot(*place, 100);
    shoot(*place, 100);
    place->setTerminalCursor(2);
    QCOMPARE(place->countSightingShots(), 2);

    place->setStage(TMemberPlace::kMatch, true);
    QCOMPARE(place->countSightingShots(), 0);
    QCOMPARE(place->shotCountOfStage(TMemberPlace::kSighting), 0);
    QVERIFY(!place->showArrows()); // empty until the first match shot
    QCOMPARE(place->nextTerminalShot(), 1);
    QCOMPARE(place->resetCounter(), 1);
    shoot(*place, 90);
    QVERIFY(place->showArrows());

    // Going back keeps the match shots; the next sighting shot is number 1.
    place->setStage(TMemberPlace::kSighting, false);
    QCOMPARE(place->resetCounter(), 1);
    QCOMPARE(place->countMatchShots(-1), 1);
    QCOMPARE(shoot(*place, 90)->number(), 1);
}

void TestMemberPlace::lastBulletNumber_data()
{
    QTest::addColumn<QList<int>>("before"); // shot IDs before a memory reset
    QTest::addColumn<QList<int>>("after");  // shot IDs after it
    QTest::addColumn<int>("expected");

    // Edge cases of the member place.
    QTest::newRow("empty place") << QList<int>{} << QList<int>{} << 0;
    QTest::newRow("shots 1 to 12") << QList<int>{} << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12} << 12;
    // A full page is asked no further until the target's memory is reset.
    QTest::newRow("shot 255 arrived") << QList<int>{} << QList<int>{253, 254, 255} << 255;
    QTest::newRow("older counter not counted") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}
                                               << QList<int>{1, 2, 3} << 3;
}

void TestMemberPlace::lastBulletNumber()
{
    QFETCH(QList<int>, before);
    QFETCH(QList<int>, after);
    auto place = newPlace();
    for (int shotID : before)
        shoot(*place, 90, shotID);
    place->incResetCounter();
    for (int shotID : after)
        shoot(*place, 90, shotID);
    QTEST(place->lastBulletNumber(TMemberPlace::kSighting), "expected");
    QCOMPARE(place->lastBulletNumber(TMemberPlace::kMatch), 0);
}

void TestMemberPlace::repeatsAfterMemoryReset()
{
    auto place = newPlace();
    shoot(*place, 90, 5);
    QVERIFY(place->hasShot(5));
    QVERIFY(!place->hasShot(6));
    // After a memory reset the target's numbers start again: shot 5 is new.
    place->incResetCounter();
    QVERIFY(!place->hasShot(5));
    // In the match stage a sighting shot's number is no repeat either.
    auto other = newPlace();
    shoot(*other, 90, 5);
    other->setStage(2, false);
    QVERIFY(!other->hasShot(5));
}

void TestMemberPlace::nextBulletWalksEveryShot()
{
    auto place = newPlace();
    shootMatch(*place, 4); // all unsaved: every ID is -1
    QSet<const TBullet *> seen;
    for (const TBullet *shot = place->firstBullet(); shot; shot = place->nextBullet(shot))
        seen.insert(shot);
    QCOMPARE(seen.size(), 4);
    QCOMPARE(place->bulletById(-1), place->firstBullet());
}

void TestMemberPlace::removeShot()
{
    auto place = newPlace();
    place->setStage(TMemberPlace::kMatch, false);
    TBullet *nine = shoot(*place, 90);
    shoot(*place, 100);
    QCOMPARE(place->totalInt(), 19);

    // Edge case of the member place: removing a 9 from 19 leaves 10.
    place->removeShot(nine);
    QCOMPARE(place->totalInt(), 10);
    QCOMPARE(place->shotCountOfStage(TMemberPlace::kMatch), 1);

    // A sighting shot never entered the match total, so removing it keeps it.
    place->setStage(TMemberPlace::kSighting, false);
    TBullet *sighting = shoot(*place, 100);
    place->removeShot(sighting);
    QCOMPARE(place->totalInt(), 10);
    QCOMPARE(place->countSightingShots(), 0);
}

void TestMemberPlace::flaggedShots()
{
    auto place = newPlace();
    place->setStage(TMemberPlace::kMatch, false);
    // Series of 5: fine 1 flags a shot, fine 2 does not.
    for (int fine : {0, 1, 0, 2, 1, 0, 1})
        shoot(*place, 90, 0, fine);
    // The current series of 5 is shots 6 and 7.
    QCOMPARE(place->countFlagged(5), 1);
    QCOMPARE(place->firstFlagged(5)->number(), 7);
    QCOMPARE(place->countFineInSeries(0, 5), 1);
    QCOMPARE(place->countMatchShots(1), 3);
    QCOMPARE(place->countMatchShots(-1), 7);

    place->clearFlags();
    QCOMPARE(place->countFlagged(5), 0);
    QVERIFY(!place->firstFlagged(5));
    QCOMPARE(place->countMatchShots(0), 7);
}

void TestMemberPlace::lookupsFollowListOrder()
{
    // bulletAt and the counts are kept in an index so that a repaint does not
    // walk the shots; random edits must leave them as their definitions say.
    QRandomGenerator random(20240607);
    auto place = newPlace();
    for (int step = 0; step < 2000; ++step) {
        const QList<TBullet *> &shots = place->shots();
        switch (random.bounded(6)) {
        case 0:
        case 1:
            shoot(*place, 90, int(random.bounded(1, 30)), 0);
            break;
        case 2:
            place->addBullet(int(random.bounded(1, 30)), 0, 0, 1, 0, 0, true);
            break;
        case 3:
            if (!shots.isEmpty())
                place->removeShot(shots.at(int(random.bounded(shots.size()))));
            break;
        case 4:
            if (!shots.isEmpty())
                place->renumberShot(shots.at(int(random.bounded(shots.size()))),
                                    int(random.bounded(1, 12)));
            break;
        default:
            place->setStage(int(random.bounded(2)), random.bounded(2) == 1);
            break;
        }
        for (int stage : {0, 1}) {
            int count = 0;
            for (const TBullet *shot : shots)
                count += shot->stage() == stage ? 1 : 0;
            QCOMPARE(place->shotCountOfStage(stage), count);
            for (int number = 0; number <= 40; ++number)
                QCOMPARE(place->bulletAt(number, stage), firstWithNumber(*place, number, stage));
        }
    }
}

QTEST_MAIN(TestMemberPlace)
#include "tst_tmemberplace.moc"
