// The program that tst_recovery kills: the real main window on the run
// folder the test hands over (RANGE_RECOVERY_RUN_FOLDER), against the test's
// range simulator. It opens the stored competition, goes to its relay and
// starts the match, says so on its standard output, and shoots until it is
// killed; or (clearUntilKilled) it answers the question about the
// unfinished exercise with "clear", says so once the operator is told that
// the delete waits, and waits to be killed; or (waitUntilKilled) it says
// that it runs and does nothing more.

#include <QtTest>

#include <algorithm>
#include <cstdio>

#include "roadtest.h"
#include "serialportdirectory.h"

class RecoveryProgram : public RoadTest
{
    Q_OBJECT

private slots:
    void init()
    {
        useRunFolder(qEnvironmentVariable("RANGE_RECOVERY_RUN_FOLDER"));
        RoadTest::init();
        shortenBusGaps();
        if (QByteArray(QTest::currentTestFunction()) == "clearUntilKilled") {
            // Killed with no line: its bus searches a folder of no converter,
            // and the range is left to the program started after it.
            const QString noLine = runFolder().filePath("no-line");
            QVERIFY(QDir().mkpath(noLine));
            qputenv(SerialPortDirectory::kEnvironmentVariable, noLine.toLocal8Bit());
            QVERIFY(reopenWindow());
        }
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

    void waitUntilKilled()
    {
        std::printf("RECOVERY: running\n");
        std::fflush(stdout);
        QTest::qWait(10 * kTimeoutMs);
        QFAIL("the program was not killed");
    }

    void clearUntilKilled()
    {
        QVERIFY(click("pBContinue"));
        QVERIFY(clickRow("lw_Competitions", 0));
        QVERIFY(click("pBNext1"));
        QVERIFY(click("pbClear"));
        const auto told = [] {
            const QList<Warnings::Shown> shown = Warnings::shown();
            return std::any_of(shown.cbegin(), shown.cend(), [](const Warnings::Shown &box) {
                return box.title == QStringLiteral("Выстрелы участника не удалены!");
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(told(), kTimeoutMs);
        std::printf("RECOVERY: reset waits\n");
        std::fflush(stdout);
        QTest::qWait(10 * kTimeoutMs);
        QFAIL("the program was not killed");
    }
};

QTEST_MAIN(RecoveryProgram)
#include "recoveryprogram.moc"
