#include "busframe.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr quint16 kCrcPolynomial = 0xA001; // 0x8005 reflected
constexpr quint16 kCrcInitial = 0xFFFF;

constexpr std::array<quint16, 256> makeCrcTable()
{
    std::array<quint16, 256> table{};
    for (int value = 0; value < 256; ++value) {
        quint16 crc = static_cast<quint16>(value);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<quint16>((crc >> 1) ^ kCrcPolynomial)
                            : static_cast<quint16>(crc >> 1);
        table[static_cast<size_t>(value)] = crc;
    }
    return table;
}

constexpr std::array<quint16, 256> kCrcTable = makeCrcTable();

inline quint16 crcStep(quint16 crc, char byte)
{
    return static_cast<quint16>(
        (crc >> 8) ^ kCrcTable[static_cast<size_t>((crc ^ static_cast<quint8>(byte)) & 0xFF)]);
}

} // namespace

quint16 crc16Modbus(const QByteArray &data, int start, int length)
{
    quint16 crc = kCrcInitial;
    if (start < 0 || length <= 0 || start + length > data.size())
        return crc;
    for (int i = start; i < start + length; ++i)
        crc = crcStep(crc, data.at(i));
    return crc;
}

QByteArray frameWithCrc(const QByteArray &frame)
{
    const quint16 crc = crc16Modbus(frame, 0, frame.size());
    QByteArray bytes = frame;
    bytes.append(static_cast<char>(crc & 0xFF));
    bytes.append(static_cast<char>(crc >> 8));
    return bytes;
}

bool frameChecks(const QByteArray &buffer, int start, int length)
{
    if (start < 0 || length < BusFrame::kMinFrameBytes || start + length > buffer.size())
        return false;
    const quint16 crc = crc16Modbus(buffer, start, length - BusFrame::kCrcBytes);
    const int low = static_cast<quint8>(buffer.at(start + length - 2));
    const int high = static_cast<quint8>(buffer.at(start + length - 1));
    return crc == (low | (high << 8));
}

namespace {

// A window [start, end) of the buffer; start -1 for none.
struct Window
{
    int start = -1;
    int end = -1;
};

// What the search knows when a window checks: the buffer, the first byte not
// yet taken, and the CRC register of the bytes from each start up to the
// window's end (registerAt(from + i) = running[i]), so that a longer window
// costs only the bytes past that end.
struct SearchState
{
    const QByteArray &buffer;
    int from;
    const std::vector<quint16> &running;

    quint16 registerAt(int start) const { return running[static_cast<size_t>(start - from)]; }
};

// The checking window around w that ends latest, the longest of those, among
// windows starting from `first` and ending by `limit`.
Window outermostWindow(const SearchState &search, int first, int limit, Window w)
{
    Window best = w;
    for (int start = std::max(first, w.end - BusFrame::kMaxFrameBytes); start <= w.start; ++start) {
        quint16 crc = search.registerAt(start);
        const int last = std::min(limit, start + BusFrame::kMaxFrameBytes);
        for (int i = w.end; i < last; ++i) {
            crc = crcStep(crc, search.buffer.at(i));
            if (crc == 0 && i + 1 > best.end)
                best = {start, i + 1};
        }
    }
    return best;
}

// The frame that the checking window w belongs to, w itself or one around
// it; none while bytes that may change the answer can still come.
Window frameOf(const SearchState &search, bool lineTurned, Window w)
{
    const QByteArray &buffer = search.buffer;
    const int size = buffer.size();
    // A window that checks inside a longer frame ends before it: a length
    // byte in front of w (or its own) that announces a frame past w tells.
    for (int start = std::max(search.from, w.end - BusFrame::kMaxFrameBytes); start <= w.start; ++start) {
        const int announcedEnd = start + frameByte(buffer, start + 1);
        // One still on its way leaves w in doubt, which waits below.
        if (announcedEnd <= w.end || announcedEnd > size)
            continue;
        quint16 crc = search.registerAt(start);
        for (int i = w.end; i < announcedEnd; ++i)
            crc = crcStep(crc, buffer.at(i));
        if (crc == 0)
            return {start, announcedEnd};
    }
    if (w.start == search.from && frameByte(buffer, w.start + 1) == w.end - w.start)
        return w;
    // Bytes in front of w, or a length byte that disagrees: w may lie inside
    // a frame whose length byte is wrong. That is known once the longest
    // frame could have ended, or once the line has turned.
    if (!lineTurned && w.start + BusFrame::kMaxFrameBytes > size)
        return {};
    return outermostWindow(search, search.from, size, w);
}

} // namespace

QList<QByteArray> extractFrames(QByteArray &buffer, bool lineTurned)
{
    // A frame followed by its own CRC leaves a remainder of 0, so one running
    // CRC per start position finds every checking window in O(n^2) steps.
    QList<QByteArray> frames;
    std::vector<quint16> running; // running[i]: CRC of the bytes from start `from + i`
    running.reserve(static_cast<size_t>(buffer.size()));
    int from = 0; // first byte not yet part of a frame or dropped
    for (int end = 0; end < buffer.size(); ++end) {
        running.push_back(kCrcInitial);
        const char byte = buffer.at(end);
        const int count = static_cast<int>(running.size());
        // A frame counts its length in one byte: longer windows are never frames.
        const int oldest = std::max(0, count - BusFrame::kMaxFrameBytes);
        const int shortest = count - BusFrame::kMinFrameBytes;
        int longest = -1; // starts of the checking windows that end here
        int counted = -1; // the one whose length byte counts it
        for (int i = oldest; i < count; ++i) {
            const size_t at = static_cast<size_t>(i);
            running[at] = crcStep(running[at], byte);
            if (running[at] != 0 || i > shortest)
                continue;
            const int start = from + i;
            if (longest < 0)
                longest = start;
            if (counted < 0 && frameByte(buffer, start + 1) == end + 1 - start)
                counted = start;
        }
        if (longest < 0)
            continue;
        const Window frame = frameOf({buffer, from, running}, lineTurned,
                                     {counted >= 0 ? counted : longest, end + 1});
        if (frame.start < 0)
            break;
        frames.append(buffer.mid(frame.start, frame.end - frame.start));
        from = frame.end;
        end = frame.end - 1;
        running.clear();
    }
    if (from > 0)
        buffer.remove(0, from);
    return frames;
}

QList<QByteArray> FrameReader::receive(const QByteArray &bytes)
{
    if (buffer.size() > BusFrame::kBufferLimit)
        buffer.remove(0, buffer.size() - (BusFrame::kMaxFrameBytes - 1));
    buffer.append(bytes);
    return extractFrames(buffer);
}

QList<QByteArray> FrameReader::lineTurned()
{
    const QList<QByteArray> frames = extractFrames(buffer, true);
    // What is left begins no frame: the unit's next answer comes after the
    // master's write, and bytes in front of it must not reach into it.
    buffer.clear();
    return frames;
}

void FrameReader::clear()
{
    buffer.clear();
}

int frameByte(const QByteArray &frame, int index)
{
    if (index < 0 || index >= frame.size())
        return 0;
    return static_cast<quint8>(frame.at(index));
}

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray bytes;
    bytes.reserve(static_cast<int>(values.size()));
    for (int value : values)
        bytes.append(static_cast<char>(value));
    return bytes;
}
