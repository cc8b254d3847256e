// The simulator's program as an operator drives it: commands piped to its
// standard input, one per line.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kTimeoutMs = 30000;
} // namespace

class TestSimulatorCli : public QObject
{
    Q_OBJECT

private slots:
    void longCommandsArriveWhole();
};

void TestSimulatorCli::longCommandsArriveWhole()
{
    QTemporaryDir dir;
    QProcess cli;
    cli.start(QStringLiteral(RANGE_SIMULATOR_CLI),
              {QStringLiteral("--com-dir"), dir.filePath(QStringLiteral("com")), QStringLiteral("--serial"),
               QStringLiteral("1")});
    QVERIFY2(cli.waitForStarted(kTimeoutMs), qPrintable(cli.errorString()));
    // 700 bytes of noise take 1400 hex digits, more than one read of stdin
    // gives; the last command has no newline before the input ends.
    QByteArray noise;
    for (int i = 0; i < 700; ++i)
        noise.append(char(i * 7 + 1));
    cli.write("noise 0 " + noise.toHex() + "\nfire 1 120 340 2 55\n");
    cli.write("quit");
    cli.closeWriteChannel();
    QVERIFY(cli.waitForFinished(kTimeoutMs));
    const QString output = QString::fromLocal8Bit(cli.readAllStandardOutput());
    QVERIFY2(!output.contains(QStringLiteral("unknown command")), qPrintable(output));
    QVERIFY2(output.contains(QString::fromLatin1(noise.toHex(' ').toUpper())), qPrintable(output));
    // The shot's answer: lane 1, shot 1, x 120, y 340, place 2, time 55.
    QVERIFY2(output.contains(QStringLiteral("01 0E A3 01 00 78 01 54 02 00 00 37")), qPrintable(output));
}

QTEST_GUILESS_MAIN(TestSimulatorCli)
#include "tst_simulatorcli.moc"
