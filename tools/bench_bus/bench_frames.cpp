// Frame search speed over a full receive buffer: 800 bytes of noise with one
// shot answer at its end, searched as a read and when the line turns, and
// the same bytes arriving in reads of 16 bytes.
#include "benchreport.h"
#include "busframe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cstdio>

namespace {

constexpr int kBufferBytes = 800;
constexpr int kReadBytes = 16;

QByteArray noisyBuffer(const QByteArray &frame, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray buffer(kBufferBytes - frame.size(), '\0');
    for (char &byte : buffer)
        byte = char(random.bounded(256));
    return buffer + frame;
}

// Milliseconds per call of search over a fresh copy of buffer, and its frames.
template <class Search>
double timePerCall(int rounds, Search search, QList<QByteArray> *frames)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < rounds; ++i)
        *frames = search();
    return clock.nsecsElapsed() / 1e6 / rounds;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = BenchReport::arguments(
        app, QStringLiteral("Times the bus frame search over 800 bytes of noise ending in a shot answer."),
        {{QStringLiteral("seeds"), QStringLiteral("Noise buffers to time (default 5).")},
         {QStringLiteral("rounds"), QStringLiteral("Searches per buffer (default 200).")}});
    const int seeds = args.size() > 0 ? qMax(1, args.at(0).toInt()) : 5;
    const int rounds = args.size() > 1 ? qMax(1, args.at(1).toInt()) : 200;

    const QByteArray frame = frameWithCrc(bytesOf({3, 0x0E, 0xA3, 5, 1, 0x2C, 0, 0x64, 0xFF, 0, 1, 0x23}));
    double worst = 0;
    for (quint32 seed = 1; seed <= quint32(seeds); ++seed) {
        const QByteArray buffer = noisyBuffer(frame, seed);
        QList<QByteArray> asRead;
        const double readMs = timePerCall(rounds, [&] { QByteArray copy = buffer; return extractFrames(copy); }, &asRead);
        QList<QByteArray> atTurn;
        const double turnMs = timePerCall(rounds, [&] {
            QByteArray copy = buffer;
            QList<QByteArray> frames = extractFrames(copy);
            return frames + extractFrames(copy, true);
        }, &atTurn);
        QList<QByteArray> inReads;
        const double readsMs = timePerCall(rounds, [&] {
            FrameReader reader;
            QList<QByteArray> frames;
            for (int at = 0; at < buffer.size(); at += kReadBytes)
                frames += reader.receive(buffer.mid(at, kReadBytes));
            return frames + reader.lineTurned();
        }, &inReads);
        const int reads = (buffer.size() + kReadBytes - 1) / kReadBytes;
        worst = qMax(worst, turnMs);
        std::printf("seed %u: as one read %.3f ms (%d frames); then the turn %.3f ms together (%d frames, last is "
                    "the answer: %d); in %d reads of %d bytes and the turn %.3f ms, %.3f ms a read (same frames: %d)\n",
                    seed, readMs, int(asRead.size()), turnMs, int(atTurn.size()),
                    int(!atTurn.isEmpty() && atTurn.last() == frame), reads, kReadBytes, readsMs, readsMs / reads,
                    int(inReads == atTurn));
    }
    std::printf("slowest search of the whole buffer, read and turn together: %.3f ms\n", worst);
    return 0;
}
