#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QtGlobal>

// What the bus master writes its frames through. The program's is the port
// set (TargetIO), whose answers reach the bus master as queued signals; a
// model of the line gives its own and hands the answers to
// EMUProc::slot_emu_Answer itself.
class BusLine
{
public:
    virtual ~BusLine() = default;
    // False when the frame reached no converter.
    virtual bool write(const QByteArray &frame, bool check) = 0;
    // The same through one port only: a converter found again is given
    // what the others were given while it was away.
    virtual bool writeTo(int portId, const QByteArray &frame, bool check) = 0;
    virtual int refindPort(int portId) = 0;
    // The converters found, after looking for the missing ones.
    virtual int findMissing() = 0;
    virtual void flush(int timeoutMs) = 0;
};

// The time the bus master keeps its gaps by, and its waits. The program's
// is real time with the waits in local event loops (queued calls and
// answers are delivered meanwhile); a model of the line runs its own events
// in a wait, on its simulated clock, so the bus master's loop runs there as
// it runs on the range.
class BusClock
{
public:
    virtual ~BusClock() = default;
    virtual qint64 nsecsElapsed() const = 0;
    // The same in whole milliseconds, the unit the lanes and ports count in.
    qint64 msecsElapsed() const { return nsecsElapsed() / 1000000; }
    virtual void wait(int ms) = 0;
};

class RealBusClock : public BusClock
{
public:
    RealBusClock() { m_timer.start(); }
    qint64 nsecsElapsed() const override { return m_timer.nsecsElapsed(); }
    void wait(int ms) override;

private:
    QElapsedTimer m_timer;
};
