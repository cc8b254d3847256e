#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

// One line of the simulator's traffic log.
struct TrafficEntry
{
    enum Kind {
        Received, // a frame from the program (CRC checked)
        Sent,     // an answer written to the program
        Noise,    // bytes from the program that made no frame (broken CRC, garbage)
        Injected, // bytes a test wrote on the line (noise, hand-made answers)
        Shot      // a shot the target recorded (bytes: the poll answer for it)
    };

    qint64 timeUs = 0;  // since the simulator was made
    Kind kind = Received;
    int converter = -1; // index of the converter
    int address = -1;   // frame address; the answering lane for answers and shots
    int code = -1;      // frame code, -1 for noise
    QByteArray bytes;

    // "  12.345678 in   COM1  lane   3  A3  03 09 A3 01 00 00 00 8A 3C"
    QString toText(const QString &portName) const;
};

Q_DECLARE_METATYPE(TrafficEntry)
