// Frame search over 800 bytes of noise with one frame at its end.
#include "busframe.h"
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <cstdio>

static QList<QByteArray> literal(QByteArray &buffer, int maxWindow)
{
    QList<QByteArray> frames;
    int from = 0;
    for (int end = from + 5; end <= buffer.size(); ++end) {
        for (int start = qMax(from, end - maxWindow); start <= end - 5; ++start) {
            if (frameChecks(buffer, start, end - start)) {
                frames.append(buffer.mid(start, end - start));
                from = end;
                end = from + 4;
                break;
            }
        }
    }
    buffer.remove(0, from);
    return frames;
}

int main()
{
    const QByteArray frame = frameWithCrc(bytesOf({3, 0x0E, 0xA3, 5, 1, 0x2C, 0, 0x64, 0xFF, 0, 1, 0x23}));
    for (quint32 seed : {1u, 2u, 3u}) {
        QRandomGenerator random(seed);
        QByteArray buffer(800 - frame.size(), '\0');
        for (char &b : buffer) b = char(random.bounded(256));
        buffer += frame;
        QByteArray a = buffer, b = buffer, c = buffer;
        QElapsedTimer t; t.start();
        const auto lit = literal(a, 1 << 20);
        const qint64 litNs = t.nsecsElapsed();
        const auto litCapped = literal(c, 255);
        t.restart();
        const int rounds = 200;
        QList<QByteArray> fast;
        for (int i = 0; i < rounds; ++i) { QByteArray copy = b; fast = extractFrames(copy); }
        const qint64 fastNs = t.nsecsElapsed() / rounds;
        std::printf("seed %u: literal %.1f ms (%d frames, last is ours: %d), ours %.3f ms (%d frames, last is ours: %d), same as capped literal: %d\n",
                    seed, litNs / 1e6, int(lit.size()), lit.isEmpty() ? 0 : int(lit.last() == frame),
                    fastNs / 1e6, int(fast.size()), fast.isEmpty() ? 0 : int(fast.last() == frame), int(fast == litCapped));
    }
}
