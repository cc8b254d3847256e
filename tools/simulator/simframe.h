#pragma once

#include <QByteArray>
#include <QtGlobal>

// The range bus frame as the hardware side sees it: address, length (counting
// the two CRC bytes), code, data, CRC-16/MODBUS low byte first. Kept apart from
// the program's own bus code on purpose, so that each checks the other.
namespace SimFrame {

constexpr quint8 kAllTargets = 0xEA;
constexpr quint8 kAllTerminals = 0x9F;
constexpr int kCrcSize = 2;
constexpr int kMinFrameSize = 5;  // address, length, code and the CRC
constexpr int kMaxFrameSize = 64; // longer length bytes are taken for noise

constexpr quint8 kCodeConverterProbe = 0x9F;
constexpr quint8 kCodeConverterCheck = 0x9E;
constexpr quint8 kCodeStart = 0xA0;
constexpr quint8 kCodeStop = 0xA1;
constexpr quint8 kCodeReset = 0xA2;
constexpr quint8 kCodePoll = 0xA3;
constexpr quint8 kCodeCluster = 0xA6;
constexpr quint8 kCodeTargetOnOff = 0xAA;
constexpr quint8 kCodeTerminalsStop = 0x31;
constexpr quint8 kCodeTerminalStage = 0x32;
constexpr quint8 kCodeTerminalShot = 0x33;
constexpr quint8 kCodeTerminalQuery = 0x34;
constexpr quint8 kCodeTerminal35 = 0x35;
constexpr quint8 kCodeExerciseType = 0x36;
constexpr quint8 kCodeStartNumber = 0x37;
constexpr quint8 kCodeSeriesResult = 0x39;
constexpr quint8 kCodeTerminal40 = 0x40;

// Bit-by-bit CRC-16/MODBUS (reflected 0xA001, start 0xFFFF, no final XOR) over
// length bytes from start; 0xFFFF for an empty range.
quint16 crc16Modbus(const QByteArray &bytes, int start, int length);

// The frame followed by its CRC, low byte first.
QByteArray withCrc(const QByteArray &frame);

// True when the last two bytes are the CRC of the bytes before them.
bool crcMatches(const QByteArray &frameWithCrc);

// Whether a shorter window inside the frame, away from both its ends, has a
// CRC that checks too: a decoy for a frame search that takes the first
// window that checks.
bool hasDecoyWindow(const QByteArray &frameWithCrc);

// The first three bytes of a frame.
QByteArray header(int address, int length, quint8 code);

// Byte i as an unsigned value, 0 past the end.
int byteAt(const QByteArray &bytes, int i);

// Cuts the first complete frame out of a receive buffer: a frame is a run of
// bytes whose length byte gives its size and whose CRC checks. Bytes in front
// of it are noise; they are removed and handed back in *skipped. Returns the
// frame with its CRC, or an empty array when no complete frame is there yet
// (the buffer is then left alone, apart from trimming it to kMaxFrameSize
// bytes so that noise cannot pile up).
QByteArray takeFrame(QByteArray &buffer, QByteArray *skipped);

} // namespace SimFrame
