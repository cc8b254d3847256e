#pragma once

#include <QThread>

class EMUProc;

// Puts the bus master on its worker thread and starts its loop, with its
// whole life wired in one place, in this order:
//  - the thread's start runs EMUProc::process;
//  - EMUProc::stop (a queued call from the owner's stop signal) writes the
//    closing frames, ends the loop and emits sig_finished;
//  - sig_finished quits the thread and deletes the bus master in it; an
//    owner's queued link to it is delivered after every report the bus
//    master emitted before (one posted-event queue per receiving thread);
//  - the thread's finished() deletes the thread object through the events of
//    the thread that made it.
// Both objects are made by the caller in its own thread; the connections that
// must hear the bus master's first reports are made before the call. Once the
// thread has finished neither object may be touched again.
void startBusMaster(EMUProc *bus, QThread *thread,
                    QThread::Priority priority = QThread::InheritPriority);
