// The program that tst_recovery kills: the real main window on the run
// folder the test hands over (RANGE_RECOVERY_RUN_FOLDER), against the test's
// range simulator. It opens the stored competition, goes to its relay and
// starts the match, says so on its standard output, and shoots until it is
// killed.

#include <QtTest>

#include <cstdio>

#include "roadtest.h"

class RecoveryProgram : public RoadTest
{
    Q_OBJECT

private slots:
    void init()
    {
        useRunFolder(qEnvironmentVariable("RANGE_RECOVERY_RUN_FOLDER"));
        RoadTest::init();
        shortenBusGaps();
    }

    void shootUntilKilled()
    {
        QVERIFY(click("pBContinue"));
        QVERIFY(clickRow("lw_Competitions", 0));
        QVERIFY(click("pBNext1"));
        QCOMPARE(page(), Page::Members);
        QVERIFY(click("pBNext"));
        QVERIFY(openCurrentRelay());
        QVERIFY(click("pBNext"));
        QVERIFY(startSighting());
        QVERIFY(startMatch());
        std::printf("RECOVERY: match started\n");
        std::fflush(stdout);
        // The test kills the program long before this.
        QTest::qWait(10 * kTimeoutMs);
        QFAIL("the program was not killed");
    }
};

QTEST_MAIN(RecoveryProgram)
#include "recoveryprogram.moc"
