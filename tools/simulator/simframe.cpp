#include "simframe.h"

namespace SimFrame {

namespace {
constexpr quint16 kCrcStart = 0xFFFF;
constexpr quint16 kCrcPolynomial = 0xA001; // 0x8005 reflected
} // namespace

quint16 crc16Modbus(const QByteArray &bytes, int start, int length)
{
    quint16 crc = kCrcStart;
    for (int i = start; i < start + length; ++i) {
        crc ^= static_cast<quint8>(bytes.at(i));
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<quint16>((crc >> 1) ^ kCrcPolynomial) : static_cast<quint16>(crc >> 1);
    }
    return crc;
}

QByteArray withCrc(const QByteArray &frame)
{
    const quint16 crc = crc16Modbus(frame, 0, frame.size());
    QByteArray bytes = frame;
    bytes.append(static_cast<char>(crc & 0xFF));
    bytes.append(static_cast<char>(crc >> 8));
    return bytes;
}

bool crcMatches(const QByteArray &frameWithCrc)
{
    const int n = frameWithCrc.size();
    if (n < kCrcSize + 1)
        return false;
    const quint16 crc = crc16Modbus(frameWithCrc, 0, n - kCrcSize);
    return byteAt(frameWithCrc, n - 2) == (crc & 0xFF) && byteAt(frameWithCrc, n - 1) == (crc >> 8);
}

bool hasDecoyWindow(const QByteArray &frameWithCrc)
{
    // A window followed by its own CRC leaves a remainder of 0.
    for (int start = 1; start < frameWithCrc.size(); ++start) {
        for (int end = start + kMinFrameSize; end < frameWithCrc.size(); ++end) {
            if (crc16Modbus(frameWithCrc, start, end - start) == 0)
                return true;
        }
    }
    return false;
}

QByteArray header(int address, int length, quint8 code)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(address));
    bytes.append(static_cast<char>(length));
    bytes.append(static_cast<char>(code));
    return bytes;
}

int byteAt(const QByteArray &bytes, int i)
{
    return (i >= 0 && i < bytes.size()) ? static_cast<quint8>(bytes.at(i)) : 0;
}

QByteArray takeFrame(QByteArray &buffer, QByteArray *skipped)
{
    for (int start = 0; start + kMinFrameSize <= buffer.size(); ++start) {
        const int length = byteAt(buffer, start + 1);
        if (length < kMinFrameSize || length > kMaxFrameSize || start + length > buffer.size())
            continue;
        const QByteArray candidate = buffer.mid(start, length);
        if (!crcMatches(candidate))
            continue;
        if (skipped)
            *skipped = buffer.left(start);
        buffer.remove(0, start + length);
        return candidate;
    }
    if (skipped)
        skipped->clear();
    // A frame that has not completed within the longest frame size never will.
    if (buffer.size() > kMaxFrameSize) {
        if (skipped)
            *skipped = buffer.left(buffer.size() - kMaxFrameSize);
        buffer.remove(0, buffer.size() - kMaxFrameSize);
    }
    return {};
}

} // namespace SimFrame
