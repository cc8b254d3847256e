#pragma once

#include "busline.h"
#include "lanepoll.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>

// One command frame for the bus, kept without its CRC.
struct EmuCommand
{
    QByteArray frame;
    // Off only for frames that must reach addresses no port has heard from yet.
    bool checkAddress = true;

    int address() const; // -1 for an empty frame
    int code() const;    // 0 for a frame under 3 bytes
    int byteAt(int index) const; // -1 past the end
};

// One lane of the relay on the line: its target unit and terminal share the
// lane address. Pending commands wait for the answer that acknowledges them.
struct EmuMember
{
    EmuMember(int laneAddress, int memberStartNumber, const QString &memberFamilyName,
              const QString &memberName);

    int address = 0;
    int portId = -1;
    bool targetFound = false;
    bool pcFound = false;
    bool targetEnabled = false;
    bool pcEnabled = false;
    int startNumber = 0;
    QString familyName;
    QString name;
    LanePoll poll; // which answers to its polls for shots count
    LaneWait wait; // how long its target has not answered, for the operator
    qint64 startReachedMs = -1; // the last START written towards it, on the bus clock
    bool pageShotRead = false; // a shot was read since a START was last written towards it
    // Its converter was lost while its shots were asked for, none read since
    // that START, and it has not told its page (a shot or "no shot") since.
    bool unheardSinceAway = false;
    bool pendingBusy = false;
    QList<EmuCommand> pending;

    void setTargetFound(bool value);
    void setPcFound(bool value);

    QByteArray pingFrame() const;
    QByteArray readBulletFrame() const;
    QByteArray targetEnableFrame(int on) const;
    QByteArray pcQueryFrame() const;
    QByteArray startNumberFrame() const;

    // At most one pending command per code; target codes (above 99) first,
    // the newest of them first, terminal codes after them in arrival order.
    void addPending(const QByteArray &frame);
    // The command to write at this lane's turn; empty when none. *isBusy is set
    // (and nothing given) while the pending list is being changed.
    EmuCommand nextPending(bool *isBusy) const;
    // Removes the first pending command that the answer acknowledges: same
    // address and code, and the same byte at each index given (-1: none).
    bool ackPending(const QByteArray &answer, int index1 = -1, int index2 = -1, int index3 = -1);
    // Drops the pending command of that code, acknowledged by its writing.
    void dropPending(int code);
};

// Liveness of one port that answered or found its converter. Silence proves
// a converter dead only while it is asked: in a break the bus master writes
// nothing a unit answers, and a line left quiet there is not a lost one.
struct EmuPortState
{
    static constexpr int kDefaultTimeoutMs = 30000;
    // The most that the time between two asks adds to the silence. A poll
    // turn of 20 lanes (4 s) passes between two asks of a port that serves
    // one of them; a longer gap while the bus keeps asking only slows the
    // count, and a pause in a break adds no more than this.
    static constexpr int kAskGapMs = 5000;

    int portId = -1;
    bool active = false;
    bool alive = false;
    int timeoutMs = kDefaultTimeoutMs;
    int comNum = -1;
    // The time asks are counted on: a caller's clock (it outlives the
    // record), or real time since activate() when none is given.
    const BusClock *clock = nullptr;
    QElapsedTimer realTime;
    // Since the last answer that a unit behind the port gave: how long the
    // port was asked, and when (on that time) it was asked last, -1 if not
    // since.
    qint64 askedMs = 0;
    qint64 lastAskMs = -1;
    bool lossReported = false; // its death was reported; a touch clears it
    // The port set has no converter on it: nothing written reaches its lanes.
    bool away = false;
    // Since its death (on the bus master's clock; -1 while alive), the lanes
    // behind it then, and whether that was told.
    qint64 lostSinceMs = -1;
    QList<int> lostTargets;
    bool lostTold = false;
    qint64 nextRefindMs = 0; // a lost port is looked for again from then on
    // Commands of the exercise that reached no converter while it was
    // away, in order, each with the time it was written (its name among
    // the ports' lists): they go out through the first one found again.
    struct Owed
    {
        EmuCommand command;
        qint64 atMs = 0;
    };
    QList<Owed> owed;

    void activate(int id, int timeout, const BusClock *busClock = nullptr);
    // A unit behind the port answered, or its converter was found: alive,
    // and nothing asked since.
    void touch();
    // A frame that a unit answers was written towards the port: the time
    // since the ask before it is added, up to kAskGapMs (the first ask
    // since an answer adds nothing). After a pause in asking longer than the
    // timeout the count starts again from nothing.
    void asked();
    // Inactive records always count as alive; an active one dies once the
    // time it was asked, as asked() sums it, passes its timeout, and stays
    // dead until touched. Only an ask adds time: silence after the last
    // one kills no port.
    bool isAlive();
    void markDead() { alive = false; }
    // Alive, and asked for a third of its timeout without an answer: a unit
    // behind it known to answer is asked, so that one silent target alone
    // does not make it lost.
    bool doubted() const { return active && alive && askedMs * kDoubtedAtPart >= timeoutMs; }
    static constexpr int kDoubtedAtPart = 3;
};
