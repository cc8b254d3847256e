#include "tbullet.h"
#include "ttargettype.h"

#include <QtTest>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

namespace {

constexpr double kControl = 10.4;

std::unique_ptr<TBullet> shot(int targetId, int calibre, int x, int y, quint8 code = 0)
{
    return std::make_unique<TBullet>(0, 1, x, y, code, 0, targetTypeById(targetId), calibre,
                                     kControl, 0);
}

} // namespace

class TstTBullet : public QObject
{
    Q_OBJECT

private slots:
    void value_data();
    void value();
    void unscoredShot_data();
    void unscoredShot();
    void controlMark_data();
    void controlMark();
    void fine_data();
    void fine();
    void timeText_data();
    void timeText();
    void order();
    void targetTypeLookup_data();
    void targetTypeLookup();
};

void TstTBullet::value_data()
{
    QTest::addColumn<int>("targetId");
    QTest::addColumn<int>("calibre");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("range10");

    // Row 8 at calibre 450: R0 = 25 + 225 = 250, W = 250; D = 10 * distance.
    QTest::newRow("row 8, centre") << 8 << 450 << 0 << 0 << 109; // D 0 gives 110, capped
    QTest::newRow("row 8, 10.4") << 8 << 450 << 0 << 13 << 104; // 110 - ceil(5.2)
    QTest::newRow("row 8, on R0") << 8 << 450 << 0 << 25 << 100; // D = R0
    QTest::newRow("row 8, just past R0") << 8 << 450 << 0 << 26 << 99; // 100 - ceil(0.4)
    QTest::newRow("row 8, on R0 off axis") << 8 << 450 << 7 << 24 << 100; // 7,24,25 triangle
    QTest::newRow("row 8, diagonal") << 8 << 450 << 18 << 18 << 99; // D = floor(254.56)
    QTest::newRow("row 8, on R(8)") << 8 << 450 << 0 << 225 << 20; // D 2250 = 250 + 8 * 250
    QTest::newRow("row 8, past R(8)") << 8 << 450 << 0 << 226 << 19;
    QTest::newRow("row 8, on R(9)") << 8 << 450 << 0 << 250 << 10;
    QTest::newRow("row 8, past R(9)") << 8 << 450 << 0 << 251 << 0;
    QTest::newRow("row 8, 16-bit x") << 8 << 450 << 0xFFFF << 0 << 0; // D 655350, far out
    // Row 9 at 450: R0 = 575 + 225 = 800, W = 800.
    QTest::newRow("row 9, 3-4-5") << 9 << 450 << 30 << 40 << 103; // 110 - ceil(6.25)
    QTest::newRow("row 9, ring 9") << 9 << 450 << 100 << 0 << 97; // 100 - ceil(2.5)
    // Row 7 at 560 (50 m rifle): R0 = 520 + 280 = 800, W = 800.
    QTest::newRow("row 7 cal 560, on R0") << 7 << 560 << 80 << 0 << 100;
    QTest::newRow("row 7 cal 560, past R0") << 7 << 560 << 81 << 0 << 99;
    // Row 6 at 450: R0 395 below W 415.
    QTest::newRow("row 6, inside R0") << 6 << 450 << 0 << 39 << 100; // 110 - ceil(9.87)
    QTest::newRow("row 6, first ring") << 6 << 450 << 0 << 40 << 99; // 100 - ceil(5/41.5)
    // Row 5 prints six rings but scores ten: R0 5225, W 4000.
    QTest::newRow("row 5, ring 4") << 5 << 450 << 0 << 2600 << 48; // 50 - ceil(1.94)
    QTest::newRow("row 5, on R(9)") << 5 << 450 << 0 << 4122 << 10; // D 41220 <= 41225
    QTest::newRow("row 5, past R(9)") << 5 << 450 << 0 << 4123 << 0;
    // Row 3 at 450: R0 5225, W 5000.
    QTest::newRow("row 3, 3-4-5") << 3 << 450 << 300 << 400 << 100; // 110 - ceil(9.57)
    QTest::newRow("row 3, last ring") << 3 << 450 << 3000 << 4000 << 10; // 20 - ceil(9.55)
    // Row 4 at 560 (25 m precision): R0 = 2500 + 280 = 2780, W = 2500.
    QTest::newRow("row 4 cal 560, on R0") << 4 << 560 << 0 << 278 << 100;
    QTest::newRow("row 4 cal 560, past R0") << 4 << 560 << 0 << 279 << 99; // 100 - ceil(0.04)
    // Row 0 at 450: R0 2975, W 2500.
    QTest::newRow("row 0, first ring") << 0 << 450 << 0 << 298 << 99; // 100 - ceil(0.02)
    // x^2 + y^2 = 4294975362 exceeds 32 bits; R0 = 5000 + 650000, D = 655359.
    QTest::newRow("row 3, sum beyond 32 bits") << 3 << 1300000 << 46341 << 46341 << 99;
    // Largest 16-bit pair, D = 926799 within R0 = 1000025.
    QTest::newRow("row 8, 16-bit pair, huge calibre") << 8 << 2000000 << 0xFFFE << 0xFFFE << 100;
    // R0 = 25 - 24 = 1 still scores: D 10 lies in ring 9.
    QTest::newRow("row 8, R0 of 1") << 8 << -49 << 0 << 1 << 99;
    // R0 = 25 - 25 = 0 would divide by zero: such a face scores nothing.
    QTest::newRow("row 8, R0 of 0") << 8 << -50 << 0 << 0 << 0;
    QTest::newRow("row 8, R0 negative") << 8 << -1000 << 0 << 5 << 0;
    // Coordinates outside the bus range must not overflow.
    QTest::newRow("int extremes") << 3 << INT_MAX << INT_MIN << INT_MAX << 0;
    QTest::newRow("no such row") << 1 << 450 << 0 << 0 << 0; // unscored, see unscoredShot
}

void TstTBullet::value()
{
    QFETCH(int, targetId);
    QFETCH(int, calibre);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, range10);

    const auto bullet = shot(targetId, calibre, x, y);
    QCOMPARE(qRound(bullet->range() * 10), range10);
    QCOMPARE(bullet->score(), range10 / 10);
    QCOMPARE(bullet->point(), QPoint(x, y)); // a hit keeps its coordinates
}

void TstTBullet::unscoredShot_data()
{
    QTest::addColumn<int>("targetId");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("code");
    QTest::addColumn<QPoint>("point");

    const QPoint noHit(TBullet::kNoHit, TBullet::kNoHit);
    QTest::newRow("code 9") << 8 << 0 << 0 << 9 << noHit;
    QTest::newRow("code sent as -1") << 8 << 3 << 4 << 255 << noHit;
    QTest::newRow("no-hit marker") << 8 << 0xFFFF << 0xFFFF << 0 << noHit;
    QTest::newRow("no-hit marker, bad code") << 8 << 0xFFFF << 0xFFFF << 200 << noHit;
    // The marker needs both coordinates; a missing face keeps the shot as reported.
    QTest::newRow("face row 1") << 1 << 0 << 0 << 0 << QPoint(0, 0);
    QTest::newRow("face row 2") << 2 << 10 << 20 << 8 << QPoint(10, 20);
    QTest::newRow("unknown face, no hit") << 42 << 0xFFFF << 0xFFFF << 0 << noHit;
}

void TstTBullet::unscoredShot()
{
    QFETCH(int, targetId);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, code);
    QFETCH(QPoint, point);

    const auto bullet = shot(targetId, 450, x, y, static_cast<quint8>(code));
    QCOMPARE(bullet->range(), 0.0);
    QCOMPARE(bullet->score(), 0);
    QVERIFY(!bullet->isControl());
    QCOMPARE(bullet->point(), point);
    QCOMPARE(bullet->positionCode(), uint(code));
}

void TstTBullet::controlMark_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<double>("controlValue");
    QTest::addColumn<bool>("isControl");

    // Row 8 at 450: y 13 gives 104, y 16 gives 103, y 26 gives 99, y 30 gives 98.
    QTest::newRow("104 at 10.4") << 13 << 10.4 << true;
    QTest::newRow("103 at 10.4") << 16 << 10.4 << false;
    QTest::newRow("99 at 9.9") << 26 << 9.9 << true;
    QTest::newRow("98 at 9.9") << 30 << 9.9 << false;
    QTest::newRow("109 at 10.9") << 0 << 10.9 << true;
    QTest::newRow("threshold rounds: 98 at 9.84") << 30 << 9.84 << true; // round(98.4) = 98
}

void TstTBullet::controlMark()
{
    QFETCH(int, y);
    QFETCH(double, controlValue);
    QFETCH(bool, isControl);

    const TBullet bullet(0, 1, 0, y, 0, 0, targetTypeById(8), 450, controlValue, 0);
    QCOMPARE(bullet.isControl(), isControl);
}

void TstTBullet::fine_data()
{
    QTest::addColumn<int>("builtWith");
    QTest::addColumn<QList<int>>("setFineCalls");
    QTest::addColumn<int>("fine");
    QTest::addColumn<bool>("isFine");

    QTest::newRow("built 0") << 0 << QList<int>() << 0 << false;
    QTest::newRow("built 1 flags") << 1 << QList<int>() << 1 << true;
    QTest::newRow("built 2 does not flag") << 2 << QList<int>() << 2 << false;
    QTest::newRow("built negative") << -3 << QList<int>() << 0 << false;
    QTest::newRow("flagged, set 0 clears") << 1 << QList<int>{0} << 0 << false;
    QTest::newRow("flagged, set 3 keeps") << 1 << QList<int>{3} << 3 << true;
    QTest::newRow("flagged, set -2 clears") << 1 << QList<int>{-2} << 0 << false;
    QTest::newRow("unflagged, set 1 stays unflagged") << 0 << QList<int>{1} << 1 << false;
    QTest::newRow("cleared then set") << 1 << QList<int>{0, 5} << 5 << false;
}

void TstTBullet::fine()
{
    QFETCH(int, builtWith);
    QFETCH(QList<int>, setFineCalls);
    QFETCH(int, fine);
    QFETCH(bool, isFine);

    TBullet bullet(0, 1, 0, 0, 0, 0, targetTypeById(8), 450, kControl, builtWith);
    for (int value : setFineCalls)
        bullet.setFine(value);
    QCOMPARE(bullet.fine(), fine);
    QCOMPARE(bullet.isFine(), isFine);
}

void TstTBullet::timeText_data()
{
    QTest::addColumn<int>("time");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0 << "00:00.0";
    QTest::newRow("tenths only") << 9 << "00:00.9";
    QTest::newRow("1234 tenths") << 1234 << "02:03.4"; // 2 min, 3 s, 4 tenths
    QTest::newRow("last tenth of a minute") << 599 << "00:59.9";
    QTest::newRow("an hour") << 36000 << "60:00.0";
    QTest::newRow("three-digit minutes") << 60005 << "100:00.5";
}

void TstTBullet::timeText()
{
    QFETCH(int, time);
    QFETCH(QString, text);

    const TBullet bullet(0, 1, 0, 0, 0, time, targetTypeById(8), 450, kControl, 0);
    QCOMPARE(bullet.timeText(), text);
}

void TstTBullet::order()
{
    struct Key { int stage; int reset; int shotID; };
    // Expected order: match first, then the latest restart, then the latest shot.
    const std::vector<Key> expected = {
        {1, 2, 1}, {1, 1, 7}, {1, 1, 3}, {1, 0, 9}, {0, 3, 1}, {0, 0, 2}, {0, 0, 1},
    };
    std::vector<std::unique_ptr<TBullet>> owned;
    std::vector<const TBullet *> shots;
    for (const Key &key : expected) {
        owned.push_back(std::make_unique<TBullet>(key.reset, key.shotID, 0, 0, 0, 0,
                                                  targetTypeById(8), 450, kControl, 0));
        owned.back()->setStage(key.stage);
        // Renumbering for display must not move a shot.
        owned.back()->setNumber(100 - key.shotID);
        shots.push_back(owned.back().get());
    }
    std::vector<const TBullet *> sorted(shots.rbegin(), shots.rend());
    std::rotate(sorted.begin(), sorted.begin() + 3, sorted.end());
    std::sort(sorted.begin(), sorted.end(), compareBulletOrder);
    QCOMPARE(sorted, shots);

    for (const TBullet *bullet : shots)
        QVERIFY(!compareBulletOrder(bullet, bullet));
}

void TstTBullet::targetTypeLookup_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("exists");

    // The table's rows are 0 and 3 to 9; the value rows above check their sizes.
    for (int id : {0, 3, 4, 5, 6, 7, 8, 9})
        QTest::addRow("%d", id) << id << true;
    for (int id : {1, 2, 10, -1})
        QTest::addRow("%d absent", id) << id << false;
}

void TstTBullet::targetTypeLookup()
{
    QFETCH(int, id);
    QFETCH(bool, exists);

    const TTargetType *row = targetTypeById(id);
    QCOMPARE(row != nullptr, exists);
    if (row)
        QCOMPARE(row->ID, id);
}

QTEST_GUILESS_MAIN(TstTBullet)
#include "tst_tbullet.moc"
