#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <initializer_list>

// Frame of the range bus: address, length (CRC included), code, data, then the
// CRC-16/MODBUS low byte and high byte. Frames are built and queued without
// their CRC; the port appends it when it writes.

namespace BusAddress {
constexpr quint8 kAllTargets = 0xEA;
constexpr quint8 kAllTerminals = 0x9F;
constexpr quint8 kSerialConverter = 0;
constexpr quint8 kNetworkConverter = 31; // until a converter search sets 0
} // namespace BusAddress

namespace BusCode {
constexpr quint8 kConverterProbe = 0x9F;
constexpr quint8 kConverterCheck = 0x9E;
constexpr quint8 kStart = 0xA0;
constexpr quint8 kStop = 0xA1;
constexpr quint8 kResetMemory = 0xA2;
constexpr quint8 kReadBullet = 0xA3;
constexpr quint8 kTargetAck = 0xA5;
constexpr quint8 kCluster = 0xA6;
constexpr quint8 kTargetEnable = 0xAA;
constexpr quint8 kTerminalStopAll = 0x31;
constexpr quint8 kTerminalStage = 0x32;
constexpr quint8 kTerminalBullet = 0x33;
constexpr quint8 kTerminalQuery = 0x34;
constexpr quint8 kTerminal35 = 0x35;
constexpr quint8 kTerminalEventType = 0x36;
constexpr quint8 kTerminalStartNumber = 0x37;
constexpr quint8 kTerminal38 = 0x38;
constexpr quint8 kTerminalSeriesResult = 0x39;
constexpr quint8 kTerminal40 = 0x40;

// Codes above this one concern a lane's target unit, the others its terminal.
constexpr quint8 kLastTerminalCode = 0x9E;
// Pending commands with codes above this one come first in a lane's list and
// end its turn without a poll.
constexpr quint8 kFirstPendingAbove = 99;
} // namespace BusCode

namespace BusFrame {
constexpr int kCrcBytes = 2;
constexpr int kMinFrameBytes = 5; // address, length, code and the CRC
constexpr int kHeaderBytes = 3;
// Received bytes kept while no frame completes; a protocol frame counts its
// own length in one byte, so only the newest 254 bytes can still start one.
constexpr int kBufferLimit = 799;
constexpr int kMaxFrameBytes = 255;
} // namespace BusFrame

// CRC-16/MODBUS (reflected 0xA001, initial 0xFFFF, no final XOR) over
// `length` bytes from `start`; 0xFFFF for an empty range.
quint16 crc16Modbus(const QByteArray &data, int start, int length);

// The frame followed by its CRC, low byte first: the bytes put on the wire.
QByteArray frameWithCrc(const QByteArray &frame);

// Whether the window's last two bytes are the CRC of the bytes before them;
// a window outside the buffer or shorter than a frame never checks.
bool frameChecks(const QByteArray &buffer, int start, int length);

// Cuts every frame out of the buffer, oldest first. A frame is any window of
// 5 to 255 bytes whose CRC checks; the window that ends first wins, the
// longest among those ending at the same byte, taking with it the zero bytes
// after it that its length byte counts (see trailingFrameEnd). Bytes before a
// frame can no longer begin one and are dropped with it; bytes after the last
// frame stay for the next read.
QList<QByteArray> extractFrames(QByteArray &buffer);

// Where the frame whose checking window is [start, end) really ends. Zero
// bytes appended to a checking window keep it checking, so a window that
// checks may be a frame cut one or more zero bytes short: when its length byte
// counts further and the bytes up to there are zeros, the frame ends there;
// -1 while those bytes may still arrive (all bytes after the window are zeros
// and too few); otherwise `end`.
int trailingFrameEnd(const QByteArray &buffer, int start, int end);

// Appends newly read bytes to a receive buffer, trimming an overfull buffer
// to the bytes that may still begin a frame, then cuts its frames.
QList<QByteArray> receiveBytes(QByteArray &buffer, const QByteArray &bytes);

// Big-endian helpers over received frames; bytes past the end read as 0.
int frameByte(const QByteArray &frame, int index);

// A frame (or any byte string) from byte values, e.g. bytesOf({0xEA, 0x05, 0xA1}).
QByteArray bytesOf(std::initializer_list<int> values);
