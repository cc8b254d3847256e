// Start-up of the program: the time from launching the process to the welcome
// page shown with the event loop idle, and the resident memory then.
//
//   range_bench_startup [--runs N] [--grab FILE]
//
// Each run is a process of its own, started in a run folder made from the
// source tree's data/ (the first run creates the databases, the later ones
// find them) with an empty serial-port folder, and built as the program's
// main() builds it. The child reports when its window is painted and its
// event loop is about to wait; it then closes the window the way the
// operator does, through the orderly shutdown. --grab saves the welcome page
// of the first run as a PNG (run under xvfb-run for the real window system).
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>

#include "appstyle.h"
#include "mainwindow.h"
#include "benchprocess.h"
#include "testdatadir.h"

namespace {

const QString kChildOption = QStringLiteral("child");
const QByteArray kReadyLine = "idle";

// The watcher of the child: the window has been painted and the loop is
// about to wait for the next event.
class IdleWatch : public QObject
{
public:
    IdleWatch(MainWindow *window, QString grabFile)
        : m_window(window)
        , m_grabFile(std::move(grabFile))
    {
        window->installEventFilter(this);
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                this, &IdleWatch::onAboutToBlock);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint)
            m_painted = true;
        return false;
    }

private:
    void onAboutToBlock()
    {
        if (m_reported || !m_painted)
            return;
        m_reported = true;
        std::printf("%s %lld\n", kReadyLine.constData(), static_cast<long long>(residentKb()));
        std::fflush(stdout);
        if (!m_grabFile.isEmpty())
            m_window->grab().save(m_grabFile, "PNG");
        // Out of the dispatcher's signal before the shutdown's own waits.
        QMetaObject::invokeMethod(m_window, &QWidget::close, Qt::QueuedConnection);
    }

    MainWindow *m_window;
    QString m_grabFile;
    bool m_painted = false;
    bool m_reported = false;
};

int runChild(QApplication &app, const QString &grabFile)
{
    applyApplicationStyle(app);
    MainWindow window(nullptr);
    QObject::connect(&window, &MainWindow::sig_quit, &app, &QApplication::quit);
    IdleWatch watch(&window, grabFile);
    window.showOnScreen();
    return app.exec();
}

struct Sample
{
    double startMs = 0;
    qint64 residentKb = 0;
};

bool runOnce(const QString &runFolder, const QString &grabFile, Sample *sample)
{
    QProcess child;
    child.setWorkingDirectory(runFolder);
    QStringList arguments{QStringLiteral("--") + kChildOption};
    if (!grabFile.isEmpty())
        arguments << QStringLiteral("--grab") << QFileInfo(grabFile).absoluteFilePath();
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), arguments);
    QByteArray line;
    while (!line.startsWith(kReadyLine)) {
        if (!child.waitForReadyRead(60000))
            return false;
        if (child.canReadLine())
            line = child.readLine();
    }
    sample->startMs = clock.nsecsElapsed() / 1e6;
    sample->residentKb = line.mid(kReadyLine.size()).trimmed().toLongLong();
    return child.waitForFinished(60000) && child.exitCode() == 0;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times the program's start-up to its idle welcome page and reports its resident memory then."));
    parser.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Runs (default 10)."),
                                        QStringLiteral("n"), QStringLiteral("10"));
    const QCommandLineOption grabOption(QStringLiteral("grab"),
                                        QStringLiteral("Save the welcome page of the first run."),
                                        QStringLiteral("file"));
    const QCommandLineOption childOption(kChildOption);
    parser.addOptions({runsOption, grabOption, childOption});
    parser.process(app);
    if (parser.isSet(childOption))
        return runChild(app, parser.value(grabOption));

    QTemporaryDir runFolder;
    const QString source = QStringLiteral(RANGE_SOURCE_DIR) + QStringLiteral("/data");
    if (!runFolder.isValid() || !copyDirectoryRecursively(source, runFolder.path())
        || !QDir(runFolder.path()).mkpath(QStringLiteral("com"))) {
        std::fprintf(stderr, "cannot make the run folder\n");
        return 1;
    }
    // No serial port of this machine is probed.
    qputenv("RANGE_COM_DIR", runFolder.filePath(QStringLiteral("com")).toLocal8Bit());

    const int runs = qMax(1, parser.value(runsOption).toInt());
    QVector<double> later;
    qint64 worstResident = 0;
    QVector<double> residents;
    for (int run = 0; run < runs; ++run) {
        Sample sample;
        if (!runOnce(runFolder.path(), run == 0 ? parser.value(grabOption) : QString(), &sample)) {
            std::fprintf(stderr, "run %d failed\n", run + 1);
            return 1;
        }
        std::printf("run %2d: %7.1f ms to the idle welcome page, %lld kB resident%s\n", run + 1,
                    sample.startMs, static_cast<long long>(sample.residentKb),
                    run == 0 ? " (databases created)" : "");
        if (run > 0)
            later << sample.startMs;
        residents << double(sample.residentKb);
        worstResident = qMax(worstResident, sample.residentKb);
    }
    if (!later.isEmpty()) {
        std::printf("start with existing databases: median %.1f ms, worst %.1f ms over %d runs\n",
                    median(later), *std::max_element(later.begin(), later.end()), int(later.size()));
    }
    std::printf("resident memory at idle: median %.0f kB, worst %lld kB\n", median(residents),
                static_cast<long long>(worstResident));
    return 0;
}
