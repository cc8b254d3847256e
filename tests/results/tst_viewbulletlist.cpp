#include "composerelay.h"
#include "resultsfixture.h"
#include "tcountry.h"
#include "tviewmemberplace.h"

#include <QtTest>

// A stored exercise read back over the viewer's own connection, from a
// database that the competition module wrote.
class TestViewBulletList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void competitionWrittenByTheModule();
    void seriesLayout_data();
    void seriesLayout();
    void scoredAgain_data();
    void scoredAgain();
    void storedRowsAsTheyAre();
    void nothingToLoad();

private:
    // Shot values in tenths, in stored order.
    static QList<int> valuesOf(const TViewMemberPlace *place);
    ResultsFixture &f() { return *m_fixture; }

    std::unique_ptr<ResultsFixture> m_fixture;
};

void TestViewBulletList::init()
{
    m_fixture = std::make_unique<ResultsFixture>();
    QVERIFY(m_fixture->isValid());
}

void TestViewBulletList::cleanup()
{
    m_fixture.reset();
}

QList<int> TestViewBulletList::valuesOf(const TViewMemberPlace *place)
{
    QList<int> values;
    for (const TBullet *shot : place->bullets())
        values << shot->range10();
    return values;
}

void TestViewBulletList::competitionWrittenByTheModule()
{
    // A pistol match: relay 1 A and B, relay 2 C and D, carried on to the
    // rapid-fire stage. D shoots and leaves; E joins later, on no relay.
    QVERIFY(f().newCompetition(8));
    const int a = f().addMember(3);
    const int b = f().addMember(1);
    const int c = f().addMember(2);
    const int d = f().addMember(4);
    QVERIFY(composeRelay(f().modul(), f().event(0), 1, {a, b}));
    QVERIFY(composeRelay(f().modul(), f().event(0), 2, {c, d}));
    QVERIFY(f().shoot(f().list(0), a, shotValues("3*100 2*105")));
    QVERIFY(f().shoot(f().list(0), b, shotValues("6*100")));
    QVERIFY(f().shoot(f().list(0), d, shotValues("5*109")));
    QVERIFY(f().shoot(f().list(1), a, shotValues("4*100")));
    QVERIFY(f().shoot(f().list(1), b, shotValues("100")));
    const int dShooter = f().modul()->members()->memberByMemberID(d)->id();
    QVERIFY(f().modul()->removeMember(d));
    const int e = f().addMember(5);
    const int eShooter = f().modul()->members()->memberByMemberID(e)->id();

    const std::unique_ptr<TViewBulletList> precision = f().storedList(0);
    QVERIFY(precision);
    QCOMPARE(precision->eventId(), f().event(0)->id());
    // B 60, A 50, then C and E with nothing, by start number.
    QCOMPARE(precision->placeCount(), 4);
    QList<int> order;
    for (int i = 0; i < precision->placeCount(); ++i)
        order << precision->placeAt(i)->memberId();
    QCOMPARE(order, (QList<int>{b, a, c, e}));
    QVERIFY(!precision->placeAt(4));
    QVERIFY(!precision->placeAt(-1));
    QVERIFY(!precision->placeByShooterId(dShooter) || dShooter == eShooter);

    // The running list ranks the members who shot the same way.
    TBulletList *running = f().list(0);
    QCOMPARE(running->placeAtRow(0, 0)->memberID(), b);
    QCOMPARE(running->placeAtRow(1, 0)->memberID(), a);

    const TViewMemberPlace *placeA = precision->placeAt(1);
    const TShooter *memberA = f().modul()->members()->memberByMemberID(a);
    QCOMPARE(placeA->shooterId(), memberA->id());
    QCOMPARE(precision->placeByShooterId(memberA->id()), placeA);
    QCOMPARE(placeA->startNumber(), 3);
    QCOMPARE(placeA->relayNumber(), 1);
    QCOMPARE(placeA->target(), 1);
    QCOMPARE(placeA->name(), memberA->name());
    QCOMPARE(placeA->family(), memberA->family());
    QCOMPARE(placeA->dateOfBirth(), memberA->dateOfBirth());
    QCOMPARE(placeA->gender(), memberA->gender());
    QCOMPARE(placeA->countryName(), QStringLiteral("RUS"));
    QVERIFY(!placeA->countryImage().isNull());
    QCOMPARE(placeA->teamName(), QStringLiteral("Dynamo"));
    QCOMPARE(placeA->teamCountry()->id(), ResultsData::kRussia);
    QCOMPARE(placeA->qualityName(), QStringLiteral("Master of sports"));
    QCOMPARE(placeA->qualityShortName(), QStringLiteral("ms"));

    // The shots as the running list scored and stored them.
    const TMemberPlace *runningA = running->placeByMemberId(a);
    QCOMPARE(placeA->bulletCount(), 5);
    for (int i = 0; i < 5; ++i) {
        const TBullet *shot = placeA->bullets().at(i);
        const TBullet *original = runningA->bulletAt(i + 1, TMemberPlace::kMatch);
        QCOMPARE(shot->id(), original->id());
        QCOMPARE(shot->shotID(), i + 1);
        QCOMPARE(shot->range10(), original->range10());
        QCOMPARE(shot->point(), original->point());
        QCOMPARE(shot->isControl(), original->isControl());
    }
    QCOMPARE(placeA->totalInt(), 50);
    QCOMPARE(placeA->totalTenths(), 51.0);
    QCOMPARE(placeA->markedCount(), 2);

    // C was on relay 2 without shooting; E on no relay; D's shots went with D,
    // also when E took over D's member key.
    const TViewMemberPlace *placeC = precision->placeAt(2);
    QCOMPARE(placeC->relayNumber(), 2);
    QCOMPARE(placeC->bulletCount(), 0);
    const TViewMemberPlace *placeE = precision->placeAt(3);
    QCOMPARE(placeE->relayNumber(), 0);
    QCOMPARE(placeE->target(), -1);
    QCOMPARE(placeE->bulletCount(), 0);
    QCOMPARE(precision->hash(), (QSet<int>{1, 2}));

    // Precision stages are laid out in series of 5.
    QCOMPARE(precision->seriesCount(), 6);
    QCOMPARE(precision->seriesSize(2), 5);
    QCOMPARE(precision->seriesFirstIndex(2), 5);
    QCOMPARE(precision->seriesSize(7), 0);
    QCOMPARE(placeA->seriesSumInt(1), 50);
    QCOMPARE(placeA->seriesMarked(1), 2);
    QVERIFY(placeA->bulletOfSeries(1, 4));
    QVERIFY(!placeA->bulletOfSeries(1, 5));
    QVERIFY(!placeA->bulletOfSeries(2, 0));
    // An exercise type without a layout leaves the list's as it is.
    TEvent other(1, 4, 1, 0, QStringLiteral("Other"), QString(), QString(), QString());
    layoutSeriesOfEvent(&other, precision.get());
    QCOMPARE(precision->seriesCount(), 6);

    // The rapid-fire stage: A 40, B 10; the relays were carried on.
    const std::unique_ptr<TViewBulletList> rapidFire = f().storedList(1);
    QVERIFY(rapidFire);
    QCOMPARE(rapidFire->placeAt(0)->memberId(), a);
    QCOMPARE(rapidFire->placeAt(0)->relayNumber(), 1);
    QCOMPARE(rapidFire->placeAt(1)->memberId(), b);
    QCOMPARE(valuesOf(rapidFire->placeAt(1)), QList<int>{100});
}

void TestViewBulletList::seriesLayout_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("shots");
    QTest::addColumn<int>("seriesCount");
    // Integer sums of series 1, 2, ... as the list lays them out.
    QTest::addColumn<QList<int>>("sums");
    QTest::addColumn<int>("total");

    // Type 6: MatchCount 45, so four series of 10; the last five shots (and
    // two more beyond the match) are in no series but in the total.
    QTest::newRow("45 shots in series of 10")
        << 6 << QString("40*100 7*90") << 4 << QList<int>{100, 100, 100, 100, 0} << 463;
    QTest::newRow("3 shots of a 10-shot series")
        << 1 << QString("3*100") << 1 << QList<int>{30, 0} << 30;
    QTest::newRow("shots beyond MatchCount count")
        << 1 << QString("12*100") << 1 << QList<int>{100} << 120;
    QTest::newRow("three positions in series of 10")
        << 11 << QString("15*100") << 6 << QList<int>{100, 50, 0} << 150;
    QTest::newRow("precision stage in series of 5")
        << 8 << QString("7*100") << 6 << QList<int>{50, 20, 0} << 70;
}

void TestViewBulletList::seriesLayout()
{
    QFETCH(int, type);
    QFETCH(QString, shots);
    QFETCH(int, seriesCount);
    QFETCH(QList<int>, sums);
    QFETCH(int, total);
    QVERIFY(f().newCompetition(type));
    QVERIFY(f().shoot(f().list(0), f().addMember(1), shotValues(shots)));

    const std::unique_ptr<TViewBulletList> list = f().storedList(0);
    QVERIFY(list);
    QCOMPARE(list->seriesCount(), seriesCount);
    const TViewMemberPlace *place = list->placeAt(0);
    for (int n = 1; n <= sums.size(); ++n)
        QCOMPARE(place->seriesSumInt(n), sums.at(n - 1));
    QCOMPARE(place->totalInt(), total);
    QCOMPARE(place->bulletCount(), shotValues(shots).size());
}

void TestViewBulletList::scoredAgain_data()
{
    QTest::addColumn<int>("type");
    // Points in tenths of a millimetre from the centre.
    QTest::addColumn<QList<QPoint>>("points");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("marked");

    const QList<QPoint> centreAndOut = {QPoint(0, 0), QPoint(20, 0), QPoint(60, 80)};
    // Face 8 with a 4.5 mm calibre: ten ring and ring width 2.5 mm (radius).
    // The centre is worth the most, 10.9; 2 mm out 11.0 - 2 / 2.5 = 10.2,
    // marked from ControlValue 10.2; 10 mm out is three rings out, 7.0.
    QTest::newRow("air rifle face") << 1 << centreAndOut << QList<int>{109, 102, 70} << 2;
    // Exercise parameters that name no face or leave no ten ring: every shot
    // is worth 0, as the shot record scores it; nothing divides by zero.
    QTest::newRow("\"TargetNum\" without a face") << 4 << centreAndOut << QList<int>{0, 0, 0} << 0;
    QTest::newRow("calibre that leaves no ten ring")
        << 5 << centreAndOut << QList<int>{0, 0, 0} << 0;
    QTest::newRow("no hit") << 1 << QList<QPoint>{QPoint(TBullet::kNoHit, TBullet::kNoHit)}
                            << QList<int>{0} << 0;
}

void TestViewBulletList::scoredAgain()
{
    QFETCH(int, type);
    QFETCH(QList<QPoint>, points);
    QFETCH(QList<int>, values);
    QFETCH(int, marked);
    QVERIFY(f().newCompetition(type));
    const int member = f().addMember(1);
    QVERIFY(f().shootAt(f().list(0), member, points));

    const std::unique_ptr<TViewBulletList> list = f().storedList(0);
    QVERIFY(list);
    QCOMPARE(valuesOf(list->placeAt(0)), values);
    QCOMPARE(list->placeAt(0)->markedCount(), marked);
    const TMemberPlace *running = f().list(0)->placeByMemberId(member);
    for (int i = 0; i < values.size(); ++i)
        QCOMPARE(running->bulletAt(i + 1, TMemberPlace::kMatch)->range10(), values.at(i));
}

void TestViewBulletList::storedRowsAsTheyAre()
{
    QVERIFY(f().newCompetition(1));
    const int a = f().addMember(1);
    const int b = f().addMember(2);
    QVERIFY(composeRelay(f().modul(), f().event(0), 1, {a, b}));
    QVERIFY(f().shoot(f().list(0), a, shotValues("100 100 100")));
    TdbAccessor *db = f().db();
    // A relay row without its number, a place code beyond the signed byte's
    // range, a shot without its number, and A entered twice.
    QVERIFY(db->execQuery(QStringLiteral("UPDATE trelays SET fRelayNum=NULL WHERE fMemberID=?"),
                          {b}));
    QVERIFY(db->execQuery(QStringLiteral("UPDATE tbullets SET fP=200 WHERE fNumber=1")));
    QVERIFY(db->execQuery(QStringLiteral("UPDATE tbullets SET fNumber=NULL WHERE fNumber=3")));
    const int aShooter = f().modul()->members()->memberByMemberID(a)->id();
    QVERIFY(db->execQuery(QStringLiteral("INSERT INTO tmembers (ID, fCompetitionID, fShooterID, "
                                         "fStartNumber) VALUES (?, ?, ?, ?)"),
                          {1000, f().competition()->id(), aShooter, 7}));

    QTest::ignoreMessage(QtDebugMsg, "Cannot load data: Shooter.fRelayNum");
    QTest::ignoreMessage(QtDebugMsg, "Cannot load data: tbullets");
    const std::unique_ptr<TViewBulletList> list = f().storedList(0);
    QVERIFY(list);
    QCOMPARE(list->placeCount(), 3);
    const TViewMemberPlace *placeA = list->placeAt(0);
    QCOMPARE(placeA->memberId(), a);
    QCOMPARE(list->placeByShooterId(aShooter), placeA); // the first of the two
    QCOMPARE(list->placeAt(2)->memberId(), 1000);
    QCOMPARE(list->placeAt(2)->relayNumber(), 0);
    QCOMPARE(list->placeAt(1)->relayNumber(), -1);
    QCOMPARE(list->hash(), (QSet<int>{1, -1}));

    // Shot 3 was skipped; shot 1's code is read as the byte -56, no valid
    // place, so the shot is no hit.
    QCOMPARE(placeA->bulletCount(), 2);
    const TBullet *first = placeA->bullets().at(0);
    QCOMPARE(int(qint8(first->positionCode())), -56);
    QCOMPARE(first->range10(), 0);
    QCOMPARE(placeA->totalTenths(), 10.0);
}

void TestViewBulletList::nothingToLoad()
{
    QVERIFY(f().newCompetition(1));
    const std::unique_ptr<TViewBulletList> empty = f().storedList(0);
    QVERIFY(empty);
    QCOMPARE(empty->placeCount(), 0);
    QVERIFY(!empty->placeAt(0));
    QVERIFY(!empty->placeByShooterId(1));
    QVERIFY(empty->hash().isEmpty());

    // Without a database nothing loads, also when the competition has members.
    QVERIFY(f().shoot(f().list(0), f().addMember(1), {100}));
    TViewBulletList detached(&f().countries(), f().competition()->id(), f().event(0)->id(),
                             nullptr, f().event(0)->targetType(), true, 450, 10.2);
    QVERIFY(detached.loadAll());
    QCOMPARE(detached.placeCount(), 0);
}

QTEST_MAIN(TestViewBulletList)
#include "tst_viewbulletlist.moc"
