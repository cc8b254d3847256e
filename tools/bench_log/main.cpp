// GUI-thread time that the bus log window takes per frame of bus traffic, in
// the two states the operator leaves it in: hidden (it records all the same)
// and shown over the main window's pages, repainted as the event loop does at
// the traffic's pace.
//
//   range_bench_log [--frames N] [--rate FRAMES_PER_SECOND] [--grab FILE]
//
// The frames are a full range's traffic as the bus master reports it: a
// written poll, the chunk the port delivered and the answer frame found in
// it, on the five ports in turn. --rate is the traffic of a full range (five
// converters busy), 300 frames a second by default; the share of one GUI core
// that the log takes at that rate is printed. Shown, the window is repainted
// after each 16 ms worth of frames. --grab saves a picture of the shown
// window with its last rows (run under xvfb-run for the real window system).
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>

#include "appstyle.h"
#include "formlog.h"

namespace {

constexpr int kPorts = FormLog::kPortCount;
constexpr int kRepaintMs = 16;

struct Frame
{
    int direct = 0;
    int port = 1;
    QByteArray bytes;
    int answer = 0;
};

// The three reports of one poll of target `address` on `port`.
QList<Frame> pollReports(int port, int address, int shot)
{
    const QByteArray poll = QByteArray::fromHex("0a06210000") + char(address);
    QByteArray answer = QByteArray::fromHex("0a0f2100");
    answer += char(address);
    answer += char(shot);
    answer += QByteArray::fromHex("01f40203050000a1b2");
    return {Frame{0, port, poll, 0}, Frame{1, port, answer, 0}, Frame{1, port, answer, 1}};
}

struct Figures
{
    double meanUs = 0;
    double worstUs = 0;
};

// Feeds `count` frames; with `repaintEvery` above 0 the window is repainted
// after each that many frames, as the event loop would.
Figures feed(FormLog &log, int count, int repaintEvery)
{
    QList<Frame> traffic;
    for (int address = 1; traffic.size() < 3 * kPorts * 10; ++address)
        traffic += pollReports(1 + address % kPorts, address, address % 60);
    QElapsedTimer total;
    QElapsedTimer one;
    qint64 worstNs = 0;
    total.start();
    for (int i = 0; i < count; ++i) {
        const Frame &frame = traffic.at(i % traffic.size());
        one.start();
        QMetaObject::invokeMethod(&log, "slot_addReport", Qt::DirectConnection,
                                  Q_ARG(int, frame.direct), Q_ARG(int, frame.port),
                                  Q_ARG(int, 2 + frame.port), Q_ARG(QByteArray, frame.bytes),
                                  Q_ARG(int, frame.answer));
        // The updates the rows asked for are painted as the event loop paints them.
        if (repaintEvery > 0 && (i + 1) % repaintEvery == 0)
            QCoreApplication::processEvents();
        worstNs = std::max(worstNs, one.nsecsElapsed());
    }
    Figures figures;
    figures.meanUs = total.nsecsElapsed() / 1000.0 / count;
    figures.worstUs = worstNs / 1000.0;
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("GUI time per frame in the bus log window"));
    parser.addHelpOption();
    const QCommandLineOption framesOption(QStringLiteral("frames"),
                                          QStringLiteral("Frames fed in each state."),
                                          QStringLiteral("N"), QStringLiteral("100000"));
    const QCommandLineOption rateOption(QStringLiteral("rate"),
                                        QStringLiteral("Frames a second of a full range."),
                                        QStringLiteral("FRAMES_PER_SECOND"),
                                        QStringLiteral("300"));
    const QCommandLineOption grabOption(QStringLiteral("grab"),
                                        QStringLiteral("Picture of the shown window."),
                                        QStringLiteral("FILE"));
    parser.addOptions({framesOption, rateOption, grabOption});
    parser.process(app);
    const int frames = std::max(1, parser.value(framesOption).toInt());
    const int rate = std::max(1, parser.value(rateOption).toInt());

    // The style sheet's pictures are found under styles/ of the current folder.
    QDir::setCurrent(QStringLiteral(RANGE_SOURCE_DIR) + QStringLiteral("/data"));
    applyApplicationStyle(app);
    QWidget mainWindow;
    mainWindow.resize(1280, 800);
    auto *log = new FormLog(&mainWindow); // child of mainWindow
    for (int port = 1; port <= kPorts; ++port)
        log->setPortState(port, 2 + port, port != kPorts);
    mainWindow.show();
    log->hide();
    QCoreApplication::processEvents();

    const Figures hidden = feed(*log, frames, 0);
    log->show();
    log->raise();
    QCoreApplication::processEvents();
    const int perRepaint = std::max(1, rate * kRepaintMs / 1000);
    const Figures shown = feed(*log, frames, perRepaint);
    const int rows = log->findChild<QTreeWidget *>(QStringLiteral("TW_Report"))->topLevelItemCount();

    std::printf("frames per state: %d, rows held at the end: %d (limit %d)\n", frames, rows,
                FormLog::kMaxRows);
    std::printf("hidden: %.2f us per frame, worst %.1f us\n", hidden.meanUs, hidden.worstUs);
    std::printf("shown, repainted every %d frames: %.2f us per frame, worst %.1f us\n",
                perRepaint, shown.meanUs, shown.worstUs);
    std::printf("share of the GUI thread at %d frames/s: hidden %.2f %%, shown %.2f %%\n", rate,
                hidden.meanUs * rate / 1e4, shown.meanUs * rate / 1e4);
    if (parser.isSet(grabOption))
        log->grab().save(parser.value(grabOption), "PNG");
    return rows <= FormLog::kMaxRows ? 0 : 1;
}
