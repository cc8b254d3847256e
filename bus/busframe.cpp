#include "busframe.h"

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

int trailingFrameEnd(const QByteArray &buffer, int start, int end)
{
    // A window that checks still checks with zero bytes appended (the CRC
    // register stays 0), and any frame whose CRC has a high byte of 0 contains
    // such a window one byte short of its end. The length byte tells them apart:
    // while it promises more bytes and the bytes after the window are zeros,
    // those zeros belong to the frame.
    const int declaredEnd = start + frameByte(buffer, start + 1);
    if (declaredEnd <= end)
        return end;
    int next = end;
    while (next < declaredEnd && next < buffer.size() && buffer.at(next) == '\0')
        ++next;
    if (next == declaredEnd)
        return declaredEnd;
    if (next == buffer.size())
        return -1; // the rest of the frame may still be on its way
    return end;
}

QList<QByteArray> extractFrames(QByteArray &buffer)
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
        const size_t count = running.size();
        // A frame counts its length in one byte: longer windows are never frames.
        const size_t oldest = count > size_t(BusFrame::kMaxFrameBytes) ? count - BusFrame::kMaxFrameBytes : 0;
        const size_t shortest = count >= size_t(BusFrame::kMinFrameBytes) ? count - BusFrame::kMinFrameBytes : 0;
        int found = -1;
        for (size_t i = oldest; i < count; ++i) {
            running[i] = crcStep(running[i], byte);
            if (found < 0 && running[i] == 0 && i <= shortest && count >= size_t(BusFrame::kMinFrameBytes))
                found = from + static_cast<int>(i); // the lowest start is the longest window
        }
        if (found >= 0) {
            const int frameEnd = trailingFrameEnd(buffer, found, end + 1);
            if (frameEnd < 0)
                break;
            frames.append(buffer.mid(found, frameEnd - found));
            from = frameEnd;
            end = frameEnd - 1;
            running.clear();
        }
    }
    if (from > 0)
        buffer.remove(0, from);
    return frames;
}

QList<QByteArray> receiveBytes(QByteArray &buffer, const QByteArray &bytes)
{
    if (buffer.size() > BusFrame::kBufferLimit)
        buffer.remove(0, buffer.size() - (BusFrame::kMaxFrameBytes - 1));
    buffer.append(bytes);
    return extractFrames(buffer);
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
