#include "busframe.h"
#include "comport.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The search window by window: the first end position at which some window
// of at most 255 bytes checks, the longest window there. Slow but plain.
QList<QByteArray> literalSearch(QByteArray &buffer)
{
    QList<QByteArray> frames;
    int from = 0;
    for (int end = from + BusFrame::kMinFrameBytes; end <= buffer.size(); ++end) {
        for (int start = qMax(from, end - BusFrame::kMaxFrameBytes);
             start <= end - BusFrame::kMinFrameBytes; ++start) {
            if (frameChecks(buffer, start, end - start)) {
                const int frameEnd = trailingFrameEnd(buffer, start, end);
                if (frameEnd < 0) {
                    buffer.remove(0, from);
                    return frames;
                }
                frames.append(buffer.mid(start, frameEnd - start));
                from = frameEnd;
                end = from + BusFrame::kMinFrameBytes - 1;
                break;
            }
        }
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
    void framesSplitOverReads();
    void zeroEndedFramesSplitOverReads();
    void noiseBetweenAnswersLosesNoFrame();
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
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<QByteArray>("rest");

    const QByteArray probeAnswer = frameWithCrc(hex("00079FABAC"));
    const QByteArray first = shotAnswer(3, 1);
    const QByteArray second = shotAnswer(4, 2);

    QTest::newRow("converter answer") << probeAnswer << QList<QByteArray>{probeAnswer} << QByteArray();
    QTest::newRow("four bytes") << hex("EA05A192") << QList<QByteArray>{} << hex("EA05A192");
    // Both frames of one read, the older first (the former search took the newer only).
    QTest::newRow("two frames in one read")
        << first + second << QList<QByteArray>{first, second} << QByteArray();
    // Bytes before the first frame can never complete a frame: dropped with it.
    QTest::newRow("garbage in front") << hex("0102") + first << QList<QByteArray>{first} << QByteArray();
    QTest::newRow("frame and the start of the next")
        << first + second.left(6) << QList<QByteArray>{first} << second.left(6);
    QTest::newRow("broken frame before a good one")
        << first.left(9) + second << QList<QByteArray>{second} << QByteArray();
    QTest::newRow("corrupted crc") << first.left(13) + char(0x00) << QList<QByteArray>{}
                                   << first.left(13) + char(0x00);
    // Recognised by the CRC alone: a length byte that counts too few is no obstacle.
    const QByteArray shortLength = frameWithCrc(hex("0503A2"));
    QTest::newRow("length byte counts too few") << shortLength << QList<QByteArray>{shortLength} << QByteArray();
    // One that counts more is taken as soon as a byte other than zero follows.
    const QByteArray longLength = frameWithCrc(hex("05FFA2"));
    QTest::newRow("length byte counts more, then other bytes")
        << longLength + first << QList<QByteArray>{longLength, first} << QByteArray();

    // A shot answer whose CRC has the high byte 0: its first 13 bytes check too
    // (any checking window still checks with a zero byte appended).
    const QByteArray zeroHigh = hex("010EA301011D006B040000007E00");
    QTest::newRow("crc high byte zero, whole")
        << zeroHigh << QList<QByteArray>{zeroHigh} << QByteArray();
    QTest::newRow("crc high byte zero, last byte still to come")
        << zeroHigh.left(13) << QList<QByteArray>{} << zeroHigh.left(13);
    QTest::newRow("crc high byte zero, then the next answer")
        << zeroHigh + second << QList<QByteArray>{zeroHigh, second} << QByteArray();
    // A converter answer (address 0) right after a frame that counts itself right.
    const QByteArray probeAnswerAfter = first + probeAnswer;
    QTest::newRow("frame followed by a frame from address 0")
        << probeAnswerAfter << QList<QByteArray>{first, probeAnswer} << QByteArray();
}

void TestBusFrame::extract()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QList<QByteArray>, frames);
    QFETCH(QByteArray, rest);
    QCOMPARE(extractFrames(buffer), frames);
    QCOMPARE(buffer, rest);
}

void TestBusFrame::extractMatchesLiteralSearch()
{
    // Noise with frames, and noise alone: the running CRC must find exactly
    // the windows that the window-by-window check finds.
    for (quint32 seed = 1; seed <= 40; ++seed) {
        // Mostly short buffers, and one past the longest possible frame.
        QByteArray buffer = noise(seed == 40 ? 600 : 60 + int(seed) * 3, seed);
        if (seed % 2 == 0)
            buffer.insert(int(seed) % 50, shotAnswer(int(seed), int(seed)));
        buffer.append(shotAnswer(2, 7).left(int(seed) % 14));
        QByteArray fast = buffer;
        QByteArray literal = buffer;
        QCOMPARE(extractFrames(fast), literalSearch(literal));
        QCOMPARE(fast, literal);
    }
}

void TestBusFrame::zeroEndedFramesSplitOverReads()
{
    // Every split of answers whose CRC ends in a zero byte, read by read.
    const QByteArray zeroHigh = hex("010EA301011D006B040000007E00");
    QVERIFY(frameChecks(zeroHigh, 0, 13)); // the window one byte short checks too
    const QByteArray stream = zeroHigh + shotAnswer(2, 1) + zeroHigh;
    for (int cut = 1; cut < stream.size(); ++cut) {
        QByteArray buffer;
        QList<QByteArray> frames = receiveBytes(buffer, stream.left(cut));
        frames += receiveBytes(buffer, stream.mid(cut));
        QCOMPARE(frames, (QList<QByteArray>{zeroHigh, shotAnswer(2, 1), zeroHigh}));
        QVERIFY(buffer.isEmpty());
    }
}

void TestBusFrame::framesSplitOverReads()
{
    const QByteArray stream = shotAnswer(1, 1) + shotAnswer(2, 1) + shotAnswer(1, 2);
    QByteArray buffer;
    QList<QByteArray> frames;
    for (int at = 0; at < stream.size(); at += 5)
        frames += receiveBytes(buffer, stream.mid(at, 5));
    QCOMPARE(frames, (QList<QByteArray>{shotAnswer(1, 1), shotAnswer(2, 1), shotAnswer(1, 2)}));
    QVERIFY(buffer.isEmpty());
}

void TestBusFrame::noiseBetweenAnswersLosesNoFrame()
{
    // Noise is whatever forms no checking window: a window checks by chance
    // once in 65536, so the seed is one whose noise makes none with its
    // neighbours (seed 0 happens to, eating the last answer).
    QList<QByteArray> sent;
    QByteArray stream;
    for (int i = 1; i <= 30; ++i) {
        stream += noise(i % 7 * 3, quint32(i) + 500); // 0 to 18 bytes of line noise
        if (i % 5 == 0)
            stream += shotAnswer(i, i).left(8); // an answer cut off midway
        sent.append(shotAnswer(i % 10 + 1, i));
        stream += sent.last();
    }
    QByteArray buffer;
    QList<QByteArray> received;
    for (int at = 0; at < stream.size(); at += 11) // reads cut anywhere
        received += receiveBytes(buffer, stream.mid(at, 11));
    QCOMPARE(received, sent);
}

void TestBusFrame::overfullBufferKeepsItsNewestBytes()
{
    // A line held low: zero bytes never complete a frame, since the CRC
    // register never reaches 0 from 0xFFFF on zeros.
    QByteArray buffer(BusFrame::kBufferLimit + 1, '\0');
    QVERIFY(extractFrames(buffer).isEmpty());
    QCOMPARE(buffer.size(), 800);
    const QByteArray answer = shotAnswer(5, 9);
    // The noise reaches the limit with the first half of an answer behind it.
    QVERIFY(receiveBytes(buffer, answer.left(7)).isEmpty());
    QVERIFY(buffer.size() < BusFrame::kMaxFrameBytes + answer.size());
    QCOMPARE(receiveBytes(buffer, answer.mid(7)), QList<QByteArray>{answer});
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
