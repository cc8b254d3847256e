#include "busframe.h"
#include "comport.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The search window by window, slow but plain: at the first end where a
// window checks, the one whose length byte counts it, else the longest; the
// frames announced around it; else, once it can be told, the checking window
// around it that ends latest.
QList<QByteArray> literalSearch(QByteArray &buffer, bool lineTurned)
{
    const int n = buffer.size();
    const auto counts = [&buffer](int start, int end) { return frameByte(buffer, start + 1) == end - start; };
    QList<QByteArray> frames;
    int from = 0;
    for (int end = from + BusFrame::kMinFrameBytes; end <= n; ++end) {
        int chosen = -1;
        for (int pass = 0; pass < 2 && chosen < 0; ++pass) {
            for (int start = qMax(from, end - BusFrame::kMaxFrameBytes); start <= end - BusFrame::kMinFrameBytes; ++start) {
                if (frameChecks(buffer, start, end - start) && (pass == 1 || counts(start, end))) {
                    chosen = start;
                    break;
                }
            }
        }
        if (chosen < 0)
            continue;
        int frameStart = -1;
        int frameEnd = -1;
        for (int start = from; start <= chosen && frameStart < 0; ++start) {
            const int announced = start + frameByte(buffer, start + 1);
            if (announced > end && announced <= n && frameChecks(buffer, start, announced - start)) {
                frameStart = start;
                frameEnd = announced;
            }
        }
        if (frameStart < 0 && chosen == from && counts(chosen, end)) {
            frameStart = chosen;
            frameEnd = end;
        }
        if (frameStart < 0) {
            if (!lineTurned && chosen + BusFrame::kMaxFrameBytes > n)
                break;
            frameStart = chosen;
            frameEnd = end;
            for (int last = n; last > end && frameEnd == end; --last) {
                for (int start = qMax(from, last - BusFrame::kMaxFrameBytes); start <= chosen; ++start) {
                    if (frameChecks(buffer, start, last - start)) {
                        frameStart = start;
                        frameEnd = last;
                        break;
                    }
                }
            }
        }
        frames.append(buffer.mid(frameStart, frameEnd - frameStart));
        from = frameEnd;
        end = from + BusFrame::kMinFrameBytes - 1;
    }
    buffer.remove(0, from);
    return frames;
}

QByteArray noise(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = static_cast<char>(random.bounded(256));
    return bytes;
}

// A shot answer of lane `lane` for shot `number`, as a target sends it.
QByteArray shotAnswer(int lane, int number)
{
    return frameWithCrc(bytesOf({lane, 0x0E, 0xA3, number, 0x01, 0x2C, 0x00, 0x64, 0x03, 0x00, 0x01, 0x23}));
}

// An answer as a unit may give one: a shot with random data, or a short
// acknowledgement with a data byte or none.
QByteArray randomAnswer(QRandomGenerator &random)
{
    const int sizes[] = {5, 6, 7, 14, 14, 14};
    const int size = sizes[random.bounded(6)];
    QByteArray frame = bytesOf({random.bounded(1, 255), size, size == 14 ? 0xA3 : random.bounded(0x31, 0xAB)});
    while (frame.size() < size - BusFrame::kCrcBytes)
        frame.append(char(random.bounded(256)));
    return frameWithCrc(frame);
}

// Whether some shorter window that ends before the frame does checks too.
bool hasInnerCheckingWindow(const QByteArray &frame)
{
    for (int end = BusFrame::kMinFrameBytes; end < frame.size(); ++end) {
        for (int start = 0; start <= end - BusFrame::kMinFrameBytes; ++start) {
            if (frameChecks(frame, start, end - start))
                return true;
        }
    }
    return false;
}

} // namespace

class TestBusFrame : public QObject
{
    Q_OBJECT

private slots:
    void crc_data();
    void crc();
    void frameWithCrcOnTheWire_data();
    void frameWithCrcOnTheWire();
    void windowCheck_data();
    void windowCheck();
    void extract_data();
    void extract();
    void extractMatchesLiteralSearch();
    void innerCheckingWindow_data();
    void innerCheckingWindow();
    void randomAnswersInRandomReads();
    void wrongLengthBytesWaitForTheTurn();
    void framesSplitOverReads();
    void zeroEndedFramesSplitOverReads();
    void noiseBetweenAnswersLosesNoFrame();
    void falseFramesInNoise();
    void overfullBufferKeepsItsNewestBytes();
    void comNumberFromName_data();
    void comNumberFromName();
};

void TestBusFrame::crc_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("crc");

    QTest::newRow("check value") << QByteArray("123456789") << 0 << 9 << 0x4B37; // published CRC-16/MODBUS check
    QTest::newRow("stop all") << hex("EA05A1") << 0 << 3 << 0xDC92;             // sent as EA 05 A1 92 DC
    QTest::newRow("converter probe") << hex("00079FBBCC") << 0 << 5 << 0xFF67;  // sent as ... 67 FF
    QTest::newRow("empty range") << hex("EA05A1") << 1 << 0 << 0xFFFF;          // initial value, nothing processed
    QTest::newRow("range inside") << hex("FFEA05A1FF") << 1 << 3 << 0xDC92;     // same bytes as "stop all"
    QTest::newRow("frame and its crc") << hex("EA05A192DC") << 0 << 5 << 0x0000; // remainder of a checked frame
}

void TestBusFrame::crc()
{
    QFETCH(QByteArray, data);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(int, crc);
    QCOMPARE(int(crc16Modbus(data, start, length)), crc);
}

void TestBusFrame::frameWithCrcOnTheWire_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("stop all") << hex("EA05A1") << hex("EA05A192DC");
    QTest::newRow("serial converter probe") << hex("00079FBBCC") << hex("00079FBBCC67FF");
}

void TestBusFrame::frameWithCrcOnTheWire()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, wire);
    QCOMPARE(frameWithCrc(frame), wire);
}

void TestBusFrame::windowCheck_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("checks");

    const QByteArray stop = hex("EA05A192DC");
    QTest::newRow("whole frame") << stop << 0 << 5 << true;
    QTest::newRow("starts before the buffer") << stop << -1 << 5 << false;
    QTest::newRow("longer than the buffer") << stop << 1 << 5 << false;
    QTest::newRow("one crc byte wrong") << hex("EA05A192DD") << 0 << 5 << false;
    // The length byte says 9 but the frame has 5 bytes: only the CRC counts.
    QTest::newRow("length byte disagrees") << frameWithCrc(hex("EA09A1")) << 0 << 5 << true;
}

void TestBusFrame::windowCheck()
{
    QFETCH(QByteArray, buffer);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(bool, checks);
    QCOMPARE(frameChecks(buffer, start, length), checks);
}

void TestBusFrame::extract_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<bool>("lineTurned"); // the master wrote after these bytes
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<QByteArray>("rest");

    const QByteArray probeAnswer = frameWithCrc(hex("00079FABAC"));
    const QByteArray first = shotAnswer(3, 1);
    const QByteArray second = shotAnswer(4, 2);

    QTest::newRow("converter answer") << probeAnswer << false << QList<QByteArray>{probeAnswer} << QByteArray();
    QTest::newRow("four bytes") << hex("EA05A192") << true << QList<QByteArray>{} << hex("EA05A192");
    // Both frames of one read, the older first (the former search took the newer only).
    QTest::newRow("two frames in one read")
        << first + second << false << QList<QByteArray>{first, second} << QByteArray();
    QTest::newRow("frame and the start of the next")
        << first + second.left(6) << false << QList<QByteArray>{first} << second.left(6);
    // Bytes in front of a frame may be the head of a longer one: the frame
    // waits for the line to turn; the bytes in front are dropped with it.
    QTest::newRow("garbage in front") << hex("0102") + first << false << QList<QByteArray>{}
                                      << hex("0102") + first;
    QTest::newRow("garbage in front, line turned")
        << hex("0102") + first << true << QList<QByteArray>{first} << QByteArray();
    QTest::newRow("broken frame before a good one, line turned")
        << first.left(9) + second << true << QList<QByteArray>{second} << QByteArray();
    QTest::newRow("corrupted crc") << first.left(13) + char(0x00) << true << QList<QByteArray>{}
                                   << first.left(13) + char(0x00);
    // Recognised by the CRC alone, once no longer frame can enclose it.
    const QByteArray shortLength = frameWithCrc(hex("0503A2"));
    QTest::newRow("length byte counts too few")
        << shortLength << false << QList<QByteArray>{} << shortLength;
    QTest::newRow("length byte counts too few, line turned")
        << shortLength << true << QList<QByteArray>{shortLength} << QByteArray();
    // One that counts more holds the line no longer than its 255 bytes.
    const QByteArray longLength = frameWithCrc(hex("05FFA2"));
    QTest::newRow("length byte counts more, then a frame")
        << longLength + first << false << QList<QByteArray>{} << longLength + first;
    QTest::newRow("length byte counts more, then a frame, line turned")
        << longLength + first << true << QList<QByteArray>{longLength, first} << QByteArray();
    const QByteArray filler(BusFrame::kMaxFrameBytes, char(0x11)); // forms no frame
    QTest::newRow("length byte counts more, then its 255 bytes")
        << longLength + filler << false << QList<QByteArray>{longLength} << filler;

    // A shot answer whose CRC has the high byte 0: its first 13 bytes check too
    // (any checking window still checks with a zero byte appended).
    const QByteArray zeroHigh = hex("010EA301011D006B040000007E00");
    QTest::newRow("crc high byte zero, whole")
        << zeroHigh << false << QList<QByteArray>{zeroHigh} << QByteArray();
    QTest::newRow("crc high byte zero, last byte still to come")
        << zeroHigh.left(13) << false << QList<QByteArray>{} << zeroHigh.left(13);
    QTest::newRow("crc high byte zero, then the next answer")
        << zeroHigh + second << false << QList<QByteArray>{zeroHigh, second} << QByteArray();
    // A converter answer (address 0) right after a frame that counts itself right.
    const QByteArray probeAnswerAfter = first + probeAnswer;
    QTest::newRow("frame followed by a frame from address 0")
        << probeAnswerAfter << false << QList<QByteArray>{first, probeAnswer} << QByteArray();
}

void TestBusFrame::extract()
{
    QFETCH(QByteArray, buffer);
    QFETCH(bool, lineTurned);
    QFETCH(QList<QByteArray>, frames);
    QFETCH(QByteArray, rest);
    QCOMPARE(extractFrames(buffer, lineTurned), frames);
    QCOMPARE(buffer, rest);
}

void TestBusFrame::extractMatchesLiteralSearch()
{
    // Noise with frames, and noise alone, before and after the line turns:
    // the running CRC must find what the window-by-window search finds.
    for (quint32 seed = 1; seed <= 40; ++seed) {
        // Mostly short buffers, and one past the longest possible frame.
        QByteArray buffer = noise(seed == 40 ? 600 : 60 + int(seed) * 3, seed);
        if (seed % 2 == 0)
            buffer.insert(int(seed) % 50, shotAnswer(int(seed), int(seed)));
        buffer.append(shotAnswer(2, 7).left(int(seed) % 14));
        for (bool lineTurned : {false, true}) {
            QByteArray fast = buffer;
            QByteArray literal = buffer;
            QCOMPARE(extractFrames(fast, lineTurned), literalSearch(literal, lineTurned));
            QCOMPARE(fast, literal);
        }
    }
}

void TestBusFrame::innerCheckingWindow_data()
{
    QTest::addColumn<QByteArray>("answer");
    // Shot answers met by trying random shots, each with a shorter window
    // [start, end) inside it whose CRC checks.
    QTest::newRow("lane 7 shot 35, window [6, 12)") << hex("070EA32303E709B4050040CE099D");
    QTest::newRow("lane 3 shot 8, window [6, 12)") << hex("030EA308040203A008000782E78B");
    QTest::newRow("lane 8 shot 48, window [4, 12)") << hex("080EA330038603780300095B53B2");
    QTest::newRow("lane 1 shot 32, window [7, 12)") << hex("010EA320021F03910200214D894E");
    QTest::newRow("lane 7 shot 22, window [2, 12)") << hex("070EA316031203290500174BD526");
    QTest::newRow("lane 9 shot 46, window [2, 8)") << hex("090EA32E00670383040019DB760A");
    QTest::newRow("lane 10 shot 35, window [3, 8)") << hex("0A0EA323019601F405001B2E3EAF");
    QTest::newRow("lane 2 shot 50, window [6, 12)") << hex("020EA332018300250100107F61DE");
    // Here the shot number, read as the window's length byte, counts it.
    QTest::newRow("lane 9 shot 6, window [2, 8) counted") << hex("090EA30602B10375050016283243");
    QTest::newRow("lane 2 shot 6, window [2, 8) counted") << hex("020EA30600B903D302001FF0D0E6");
}

void TestBusFrame::innerCheckingWindow()
{
    QFETCH(QByteArray, answer);
    QVERIFY(frameChecks(answer, 0, answer.size()));
    QVERIFY(hasInnerCheckingWindow(answer));
    const QByteArray next = shotAnswer(2, 1);

    // Whole in one read, followed by another answer, and after one.
    for (const QList<QByteArray> &sent : {QList<QByteArray>{answer}, QList<QByteArray>{answer, next},
                                          QList<QByteArray>{next, answer}}) {
        QByteArray buffer = sent.size() == 1 ? answer : sent.first() + sent.last();
        QCOMPARE(extractFrames(buffer), sent);
        QVERIFY(buffer.isEmpty());
    }
    // Split at every byte over two reads, and one byte per read.
    const QByteArray stream = answer + next;
    for (int cut = 1; cut < stream.size(); ++cut) {
        FrameReader reader;
        QList<QByteArray> frames = reader.receive(stream.left(cut));
        frames += reader.receive(stream.mid(cut));
        QCOMPARE(frames, (QList<QByteArray>{answer, next}));
        QVERIFY(reader.bytes().isEmpty());
    }
    FrameReader reader;
    QList<QByteArray> frames;
    for (char byte : stream)
        frames += reader.receive(QByteArray(1, byte));
    QCOMPARE(frames, (QList<QByteArray>{answer, next}));
}

void TestBusFrame::randomAnswersInRandomReads()
{
    // Each answer comes out whole, once and in order, however the reads cut
    // the stream, also the answers with a shorter checking window inside.
    QRandomGenerator random(14);
    QList<QByteArray> sent;
    QByteArray stream;
    int withInnerWindow = 0;
    for (int i = 0; i < 20000; ++i) {
        sent.append(randomAnswer(random));
        withInnerWindow += hasInnerCheckingWindow(sent.last()) ? 1 : 0;
        stream += sent.last();
    }
    QVERIFY2(withInnerWindow >= 20, qPrintable(QString::number(withInnerWindow)));
    FrameReader reader;
    QList<QByteArray> received;
    for (int at = 0; at < stream.size();) {
        const int size = random.bounded(1, 40);
        received += reader.receive(stream.mid(at, size));
        at += size;
    }
    QCOMPARE(received.size(), sent.size());
    QCOMPARE(received, sent);
}

void TestBusFrame::wrongLengthBytesWaitForTheTurn()
{
    // A unit that counts its frames wrongly answers one frame per write; the
    // frame comes out whole when the master writes again, with or without a
    // shorter checking window inside.
    QRandomGenerator random(15);
    FrameReader reader;
    QList<QByteArray> sent;
    QList<QByteArray> received;
    int withInnerWindow = 0;
    for (int i = 0; i < 5000; ++i) {
        QByteArray frame = randomAnswer(random).chopped(BusFrame::kCrcBytes);
        frame[1] = char((frame.size() + BusFrame::kCrcBytes + random.bounded(1, 255)) % 256);
        sent.append(frameWithCrc(frame));
        withInnerWindow += hasInnerCheckingWindow(sent.last()) ? 1 : 0;
        const int cut = random.bounded(1, sent.last().size());
        received += reader.receive(sent.last().left(cut));
        received += reader.receive(sent.last().mid(cut));
        received += reader.lineTurned();
    }
    QVERIFY2(withInnerWindow >= 2, qPrintable(QString::number(withInnerWindow)));
    QCOMPARE(received, sent);
}

void TestBusFrame::zeroEndedFramesSplitOverReads()
{
    // Every split of answers whose CRC ends in a zero byte, read by read.
    const QByteArray zeroHigh = hex("010EA301011D006B040000007E00");
    QVERIFY(frameChecks(zeroHigh, 0, 13)); // the window one byte short checks too
    const QByteArray stream = zeroHigh + shotAnswer(2, 1) + zeroHigh;
    for (int cut = 1; cut < stream.size(); ++cut) {
        FrameReader reader;
        QList<QByteArray> frames = reader.receive(stream.left(cut));
        frames += reader.receive(stream.mid(cut));
        QCOMPARE(frames, (QList<QByteArray>{zeroHigh, shotAnswer(2, 1), zeroHigh}));
        QVERIFY(reader.bytes().isEmpty());
    }
}

void TestBusFrame::framesSplitOverReads()
{
    const QByteArray stream = shotAnswer(1, 1) + shotAnswer(2, 1) + shotAnswer(1, 2);
    FrameReader reader;
    QList<QByteArray> frames;
    for (int at = 0; at < stream.size(); at += 5)
        frames += reader.receive(stream.mid(at, 5));
    QCOMPARE(frames, (QList<QByteArray>{shotAnswer(1, 1), shotAnswer(2, 1), shotAnswer(1, 2)}));
    QVERIFY(reader.bytes().isEmpty());
}

void TestBusFrame::noiseBetweenAnswersLosesNoFrame()
{
    // Noise is whatever forms no checking window: a window checks by chance
    // once in 65536, so the seed is one whose noise makes none with its
    // neighbours. The master writes between two answers.
    QList<QByteArray> sent;
    FrameReader reader;
    QList<QByteArray> received;
    for (int i = 1; i <= 30; ++i) {
        QByteArray bytes = noise(i % 7 * 3, quint32(i) + 500); // 0 to 18 bytes of line noise
        if (i % 5 == 0)
            bytes += shotAnswer(i, i).left(8); // an answer cut off midway
        sent.append(shotAnswer(i % 10 + 1, i));
        bytes += sent.last();
        for (int at = 0; at < bytes.size(); at += 11) // reads cut anywhere
            received += reader.receive(bytes.mid(at, 11));
        received += reader.lineTurned();
    }
    QCOMPARE(received, sent);
}

void TestBusFrame::falseFramesInNoise()
{
    // Noise makes a frame only where a window checks by chance: at most once
    // in 65536 of the windows the search may take (5 to 255 bytes long).
    const int size = 1 << 16;
    const QByteArray line = noise(size, 65536);
    FrameReader reader;
    int frames = 0;
    for (int at = 0; at < size; at += 64) {
        frames += reader.receive(line.mid(at, 64)).size();
        if (at % 1024 == 0)
            frames += reader.lineTurned().size();
    }
    frames += reader.lineTurned().size();
    qint64 windows = 0;
    for (int end = BusFrame::kMinFrameBytes; end <= size; ++end)
        windows += qMin(end, BusFrame::kMaxFrameBytes) - BusFrame::kMinFrameBytes + 1;
    QVERIFY2(qint64(frames) * 65536 <= windows, qPrintable(QStringLiteral("%1 in %2").arg(frames).arg(windows)));
}

void TestBusFrame::overfullBufferKeepsItsNewestBytes()
{
    // A line held low: zero bytes never complete a frame, since the CRC
    // register never reaches 0 from 0xFFFF on zeros.
    QByteArray zeros(BusFrame::kBufferLimit + 1, '\0');
    QVERIFY(extractFrames(zeros, true).isEmpty());
    FrameReader reader;
    QVERIFY(reader.receive(zeros).isEmpty());
    const QByteArray answer = shotAnswer(5, 9);
    // The noise reaches the limit with the first half of an answer behind it.
    QVERIFY(reader.receive(answer.left(7)).isEmpty());
    QVERIFY(reader.bytes().size() < BusFrame::kMaxFrameBytes + answer.size());
    QList<QByteArray> frames = reader.receive(answer.mid(7));
    frames += reader.lineTurned();
    QCOMPARE(frames, QList<QByteArray>{answer});
}

void TestBusFrame::comNumberFromName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::newRow("COM7") << "COM7" << 7;
    QTest::newRow("COM12") << "COM12" << 12;
    QTest::newRow("no COM") << "ttyUSB0" << -1;
    QTest::newRow("COM and no number") << "COMx" << -1;
}

void TestBusFrame::comNumberFromName()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    QCOMPARE(COMPort::parseComNumber(name), number);
}

QTEST_MAIN(TestBusFrame)
#include "tst_busframe.moc"
