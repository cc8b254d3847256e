#include "tdbaccessor.h"
#include "testdatadir.h"

#include <QProcess>
#include <QtTest>

class TestShotDurability : public QObject
{
    Q_OBJECT

private slots:
    void killedWriterKeepsEveryStoredShot();
};

// A shot whose insert has returned must be in the file however the program
// ends. The writer reports each key after its insert returned; it is killed
// (SIGKILL) in the middle of its work, and every reported shot must be there.
void TestShotDurability::killedWriterKeepsEveryStoredShot()
{
    constexpr int kShotsBeforeKill = 300;
    TestDataDir dir(TestDataDir::Empty);
    QVERIFY(dir.isValid());

    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(QStringLiteral(SHOT_WRITER_PATH), {dir.path()});
    QVERIFY2(writer.waitForStarted(), qPrintable(writer.errorString()));
    QByteArray output;
    auto reported = [&] {
        output += writer.readAllStandardOutput();
        return output.count('\n');
    };
    QTRY_VERIFY_WITH_TIMEOUT(reported() >= kShotsBeforeKill || writer.state() != QProcess::Running,
                             120000);
    QCOMPARE(writer.state(), QProcess::Running); // it was killed, it did not stop
    writer.kill();
    QVERIFY(writer.waitForFinished(30000));
    output += writer.readAllStandardOutput();

    // Only lines that were written whole count as reported.
    QList<QByteArray> lines = output.split('\n');
    lines.removeLast();
    QVERIFY(lines.size() >= kShotsBeforeKill);

    TdbAccessor db(QStringLiteral("check"));
    QVERIFY(!db.isError());
    db.execSelect(QStringLiteral("PRAGMA integrity_check"));
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("integrity_check")).toString(), QStringLiteral("ok"));
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(lines.at(i).toInt(), i + 1); // keys handed out without a gap
    QVERIFY(db.getMaxBulletID() >= lines.size());
    db.selectEventBullets(1);
    int stored = 0;
    while (db.next())
        ++stored;
    QVERIFY2(stored >= lines.size(),
             qPrintable(QStringLiteral("%1 stored, %2 reported").arg(stored).arg(lines.size())));
}

QTEST_MAIN(TestShotDurability)
#include "tst_shotdurability.moc"
