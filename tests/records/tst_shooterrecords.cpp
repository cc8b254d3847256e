#include "tquality.h"
#include "tshooter.h"

#include <QtTest>

class TestShooterRecords : public QObject
{
    Q_OBJECT

private slots:
    void newShooter();
    void doneMask_data();
    void doneMask();
    void allEventsDone_data();
    void allEventsDone();
    void finalFlags();
    void gender_data();
    void gender();
    void sameData();
    void marksAndSql();
    void orders();
    void qualityShortName();
};

void TestShooterRecords::newShooter()
{
    const TShooter s;
    QCOMPARE(s.id(), -1);
    QCOMPARE(s.dateOfBirth(), QDate::currentDate());
    QCOMPARE(s.finalState(), -1);
    QVERIFY(!s.isEventDone(0));
    QVERIFY(!s.isTargetEnabled());
    QVERIFY(!s.isPCEnabled());
    QCOMPARE(s.teamID(), -1);
    QCOMPARE(s.target(), -1);
}

void TestShooterRecords::doneMask_data()
{
    QTest::addColumn<QList<int>>("setDone");
    QTest::addColumn<int>("asked");
    QTest::addColumn<bool>("expected");

    // Bit n-1 stands for exercise n; n < 1 asks whether any bit is set.
    QTest::newRow("set 3, ask 3") << QList<int>{3} << 3 << true;
    QTest::newRow("set 3, ask 2") << QList<int>{3} << 2 << false;
    QTest::newRow("set 3, ask 0 (any)") << QList<int>{3} << 0 << true;
    QTest::newRow("set 0 changes nothing") << QList<int>{0} << 0 << false;
    QTest::newRow("32 uses the highest bit") << QList<int>{32} << 32 << true;
    QTest::newRow("32 does not touch 1") << QList<int>{32} << 1 << false;
    // Past the mask's width nothing is stored and nothing wraps onto bit 0.
    QTest::newRow("33 is not stored") << QList<int>{33} << 33 << false;
    QTest::newRow("33 does not wrap to 1") << QList<int>{33} << 1 << false;
    QTest::newRow("33 leaves the mask empty") << QList<int>{33} << 0 << false;
    QTest::newRow("64 does not wrap to 1") << QList<int>{64} << 1 << false;
}

void TestShooterRecords::doneMask()
{
    QFETCH(QList<int>, setDone);
    QFETCH(int, asked);
    QFETCH(bool, expected);
    TShooter s;
    for (int n : setDone)
        s.setEventDone(n, true);
    QCOMPARE(s.isEventDone(asked), expected);
}

void TestShooterRecords::allEventsDone_data()
{
    QTest::addColumn<int>("doneUpTo");
    QTest::addColumn<int>("inFinal"); // -1 not, 0 in it, 1 shot it
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("withFinal");
    QTest::addColumn<bool>("expected");

    QTest::newRow("1..3 done, ask 3") << 3 << -1 << 3 << false << true;
    QTest::newRow("1..2 done, ask 3") << 2 << -1 << 3 << false << false;
    QTest::newRow("ask 0 in final, not shot") << 0 << 0 << 0 << true << false;
    QTest::newRow("ask 0 in final, shot") << 0 << 1 << 0 << true << true;
    QTest::newRow("ask 0 not in final") << 0 << -1 << 0 << true << true;
    QTest::newRow("final ignored without withFinal") << 3 << 0 << 3 << false << true;
    QTest::newRow("all 32") << 32 << -1 << 32 << false << true;
    QTest::newRow("33 can never be done") << 40 << -1 << 33 << false << false;
}

void TestShooterRecords::allEventsDone()
{
    QFETCH(int, doneUpTo);
    QFETCH(int, inFinal);
    QFETCH(int, count);
    QFETCH(bool, withFinal);
    QFETCH(bool, expected);
    TShooter s;
    s.setEventsDoneUpTo(doneUpTo);
    if (inFinal >= 0)
        s.setFinalDone(inFinal == 1);
    QCOMPARE(s.isAllEventsDone(count, withFinal), expected);
}

void TestShooterRecords::finalFlags()
{
    TShooter s;
    s.setFinalDone(false); // admits the member to the final
    QCOMPARE(s.finalState(), 0);
    s.setFinalDone(true);
    QCOMPARE(s.finalState(), 1);
    s.setInFinal(false);
    QCOMPARE(s.finalState(), -1);
    s.setInFinal(true); // finalDone was cleared with the admission
    QCOMPARE(s.finalState(), 0);

    s.setFinalDone(true);
    s.setEventDone(2, true);
    s.clearEventsDone();
    QVERIFY(!s.isEventDone(0));
    QCOMPARE(s.finalState(), 0);
}

void TestShooterRecords::gender_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("stored");
    QTest::newRow("5 is 1") << 5 << 1;
    QTest::newRow("1 is 1") << 1 << 1;
    QTest::newRow("0 is 0") << 0 << 0;
    QTest::newRow("-1 is 0") << -1 << 0;
}

void TestShooterRecords::gender()
{
    QFETCH(int, given);
    QFETCH(int, stored);
    TShooter s;
    s.setGender(given);
    QCOMPARE(s.gender(), stored);
}

void TestShooterRecords::sameData()
{
    TShooter s;
    const QDate born(1990, 5, 17);
    s.setNames(QStringLiteral("Ivan"), QStringLiteral("Petrov"));
    s.setDateOfBirth(born);
    s.setGender(1);
    s.setCountryXMLID(2);
    s.setTeamID(3);
    s.setQualityID(4);
    s.setMemberID(99);
    QVERIFY(s.sameData(QStringLiteral("Ivan"), QStringLiteral("Petrov"), born, 1, 2, 3, 4, false));
    QVERIFY(!s.sameData(QStringLiteral("Ivan"), QStringLiteral("Petrov"), born.addDays(1), 1, 2, 3, 4, false));
    QVERIFY(!s.sameData(QStringLiteral("ivan"), QStringLiteral("Petrov"), born, 1, 2, 3, 4, false));
    QVERIFY(!s.sameData(QStringLiteral("Ivan"), QStringLiteral("Petrov"), born, 1, 2, 3, 4, true));
}

void TestShooterRecords::marksAndSql()
{
    TShooter s;
    QCOMPARE(s.errorStartNumMark(), QStringLiteral(" "));
    s.setErrorStartNum(true);
    QCOMPARE(s.errorStartNumMark(), QStringLiteral("!"));
    s.setErrorTargetAddr(true);
    QCOMPARE(s.errorTargetAddrMark(), QStringLiteral("!"));
    s.setDateOfBirth(QDate(2001, 2, 3));
    QCOMPARE(s.dateOfBirthSql(), QStringLiteral("2001-02-03 00:00:00"));
    s.setTargetEnabled(true);
    s.setPCEnabled(true);
    s.clearEnabledFlags();
    QVERIFY(!s.isTargetEnabled() && !s.isPCEnabled());
}

void TestShooterRecords::orders()
{
    TShooter a;
    TShooter b;
    a.setStartNumber(3);
    b.setStartNumber(7);
    a.setSortKey(9);
    b.setSortKey(1);
    QVERIFY(TShooter::lessByStartNumber(&a, &b));
    QVERIFY(!TShooter::lessByStartNumber(&b, &a));
    QVERIFY(TShooter::lessBySortKey(&b, &a));
    QVERIFY(!TShooter::lessBySortKey(&a, &a));
}

void TestShooterRecords::qualityShortName()
{
    // Short names are shown in capitals, Cyrillic ones too.
    const TQuality q(1, QStringLiteral("Мастер спорта"), QStringLiteral("мс"));
    QCOMPARE(q.shortName(), QStringLiteral("МС"));
}

QTEST_MAIN(TestShooterRecords)
#include "tst_shooterrecords.moc"
