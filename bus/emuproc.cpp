#include "emuproc.h"

#include "busframe.h"

#include <QMetaType>
#include <QtGlobal>

#include <algorithm>

namespace {

constexpr int kIdleTickMs = 10;
constexpr int kCopies = 3;
constexpr int kSetupPasses = 3;
constexpr int kFlushMs = 1000;
constexpr qint64 kNsPerMs = 1000000;
// A lost port is looked for again this often at the most, and never for
// more than a fifth of the time: the other converters' lanes wait meanwhile.
constexpr qint64 kRefindGapMs = 1000;
constexpr qint64 kRefindTimeShare = 5;
// A target takes the copies of one START within this as one.
constexpr qint64 kStartCopiesMs = 1000;

enum FirstLast { FirstLane = 0, MiddleLane = 1, LastLane = 2, OnlyLane = 3 };

// Terminal codes that no answer acknowledges: queued as three copies.
bool isRepeatedCode(int code)
{
    return code == BusCode::kTerminal35 || code == BusCode::kTerminalSeriesResult
           || code == BusCode::kTerminal40;
}

QString tcpHost()
{
    const QString configured = qEnvironmentVariable(EMUProc::kTcpHostVariable);
    return configured.isEmpty() ? QString::fromLatin1(EMUProc::kDefaultTcpHost) : configured;
}

int tcpPort()
{
    bool ok = false;
    const int configured = qEnvironmentVariableIntValue(EMUProc::kTcpPortVariable, &ok);
    return ok ? configured : socketClient::kDefaultPort;
}

} // namespace

EMUProc::EMUProc(int mode, int AddrStart, int AddrCol)
    : ownIo(std::make_unique<TargetIO>())
    , ownClock(std::make_unique<RealBusClock>())
    , line(ownIo.get())
    , clock(ownClock.get())
    , AddrStart(AddrStart)
    , AddrCol(AddrCol)
{
    qRegisterMetaType<schar>("schar");
    qRegisterMetaType<QList<int>>("QList<int>");
    ownIo->init(mode, false, tcpHost(), tcpPort(), BusAddress::kNetworkConverter);
    connectIo();
}

EMUProc::EMUProc(int mode, int AddrStart, int AddrCol, BusClock *clock)
    : EMUProc(mode, AddrStart, AddrCol)
{
    this->clock = clock;
}

EMUProc::EMUProc(BusLine *line, BusClock *clock, int AddrStart, int AddrCol)
    : line(line)
    , clock(clock)
    , AddrStart(AddrStart)
    , AddrCol(AddrCol)
{
}

EMUProc::~EMUProc()
{
    ports.clear(); // silently: nobody listens for lanes switched off at the end
    members.clear();
    commandQueue.clear();
    priorityQueue.clear();
}

void EMUProc::connectIo()
{
    if (!ownIo)
        return;
    TargetIO &io = *ownIo;
    connect(&io, &TargetIO::sig_Answer, this, &EMUProc::slot_emu_Answer);
    connect(&io, &TargetIO::sig_DataReaded, this, &EMUProc::slot_emu_Readed);
    connect(&io, &TargetIO::sig_DataWrited, this, &EMUProc::slot_emu_Wrote);
    connect(&io, &TargetIO::sig_Error, this, &EMUProc::slot_emu_Error);
    connect(&io, &TargetIO::sig_PortFounded, this, &EMUProc::slot_emu_Founded);
}

void EMUProc::disconnectIo()
{
    if (ownIo)
        disconnect(ownIo.get(), nullptr, this, nullptr);
}

void EMUProc::moveIoToThread()
{
    if (!ownIo)
        return;
    disconnectIo();
    ownIo->moveToThread(thread());
    ownIo->moveToWorkerThread();
    connectIo();
}

const EmuMember *EMUProc::findMember(int address) const
{
    return memberAt(address).get();
}

QList<QByteArray> EMUProc::priorityFrames() const
{
    QList<QByteArray> frames;
    for (const EmuCommand &command : priorityQueue)
        frames.append(command.frame);
    return frames;
}

QList<QByteArray> EMUProc::commandFrames() const
{
    QList<QByteArray> frames;
    for (const EmuCommand &command : commandQueue)
        frames.append(command.frame);
    return frames;
}

EMUProc::MemberPtr EMUProc::memberAt(int address) const
{
    for (const MemberPtr &member : members) {
        if (member->address == address)
            return member;
    }
    return nullptr;
}

int EMUProc::indexOf(const MemberPtr &member) const
{
    const auto it = std::find(members.begin(), members.end(), member);
    return it == members.end() ? -1 : static_cast<int>(it - members.begin());
}

// Slots called from the GUI thread --------------------------------------------

void EMUProc::stop()
{
    running = false;
}

void EMUProc::slot_emu_SendCommand(QByteArray command)
{
    if (command.size() < BusFrame::kHeaderBytes)
        return;
    const EmuCommand queued{command};
    if (isRepeatedCode(queued.code()) || BusAddress::isBroadcast(queued.address())) {
        busy = true;
        for (int copy = 0; copy < kCopies; ++copy)
            commandQueue.append(queued);
        busy = false;
        return;
    }
    if (const MemberPtr member = memberAt(queued.address()))
        member->addPending(command);
}

void EMUProc::slot_emu_GetBullet(int ta, int _num)
{
    if (const MemberPtr member = memberAt(ta))
        member->poll.want(_num);
}

void EMUProc::slot_emu_StopReadBullet()
{
    for (const MemberPtr &member : members)
        member->poll.want(-1);
}

void EMUProc::slot_view_AddMember(int _addr, int _startNum, QString _familyName, QString _name,
                                  int firstlast)
{
    if (firstlast == FirstLane || firstlast == OnlyLane) {
        busy = true;
        members.clear();
        busy = false;
    }
    if (_addr <= 0)
        return;
    busy = true;
    members.erase(std::remove_if(members.begin(), members.end(),
                                 [_addr](const MemberPtr &member) { return member->address == _addr; }),
                  members.end());
    members.push_back(std::make_shared<EmuMember>(_addr, _startNum, _familyName, _name));
    busy = false;
    if (firstlast == LastLane || firstlast == OnlyLane)
        slot_view_StartFinding();
}

void EMUProc::slot_view_StartFinding()
{
    for (const MemberPtr &member : members) {
        member->setTargetFound(false);
        member->setPcFound(false);
    }
    setState(TargetSearch);
}

void EMUProc::slot_emu_Readed(int PortID, int PortNum, QByteArray _answer)
{
    emit sig_DataReaded(PortID, PortNum, _answer, 0);
}

void EMUProc::slot_emu_Wrote(int PortID, int PortNum, QByteArray _answer)
{
    emit sig_DataWrote(PortID, PortNum, _answer);
}

void EMUProc::slot_emu_Error(int, int)
{
    // Port errors show up as silence: the liveness check handles them.
}

// States, set-up and port records ----------------------------------------------

void EMUProc::setState(int newState)
{
    const int previous = state;
    state = newState;
    if (newState != Serving) {
        // What went unanswered so far was the line's.
        for (const MemberPtr &member : members)
            member->wait.restart();
    }
    if (newState == TargetSearch)
        resetPortsAndTargets();
    if (newState != Serving)
        return;
    if (previous == TargetSearch)
        queueSetupFrames();
    for (int i = ports.size() - 1; i >= 0; --i) {
        if (!ports[i].isAlive())
            ports.removeAt(i);
    }
}

void EMUProc::queueSetupFrames()
{
    busy = true;
    for (int pass = 0; pass < kSetupPasses; ++pass) {
        for (int address = AddrStart; address < AddrStart + AddrCol; ++address) {
            if (memberAt(address))
                continue;
            // No port has heard from these addresses, so a checked write
            // would drop the switch-off on every port.
            EmuCommand off;
            off.frame = bytesOf({address, 0x06, BusCode::kTargetEnable, 0});
            off.checkAddress = false;
            priorityQueue.append(off);
        }
    }
    for (const MemberPtr &member : members) {
        member->addPending(member->targetEnableFrame(1));
        member->addPending(member->pcQueryFrame());
        member->addPending(member->startNumberFrame());
    }
    busy = false;
}

void EMUProc::resetPortsAndTargets()
{
    ports.clear();
    // A target search is a new relay's: every lane is reported off.
    for (const MemberPtr &member : members)
        setTargetEnabled(*member, false);
}

void EMUProc::setTargetEnabled(EmuMember &member, bool enabled)
{
    member.targetEnabled = enabled;
    emit sig_TargetEnabled(member.address, enabled);
}

void EMUProc::disableTargetsOfPort(int portId)
{
    for (const MemberPtr &member : members) {
        if (member->portId == portId && member->targetEnabled)
            setTargetEnabled(*member, false);
    }
}

void EMUProc::reportDeadPort(EmuPortState &record)
{
    // The loop finds a dead port at every pass until it answers again; the
    // screens and the log hear of its death and of its lanes going off once.
    disableTargetsOfPort(record.portId);
    if (record.lossReported)
        return;
    record.lossReported = true;
    emit sig_PortFounded(record.portId, -1, false, liveCount());
}

void EMUProc::checkPorts()
{
    for (EmuPortState &record : ports) {
        if (!record.isAlive())
            reportDeadPort(record);
    }
}

void EMUProc::servePorts()
{
    const qint64 nowMs = clock->msecsElapsed();
    QList<int> sought;
    for (EmuPortState &record : ports) {
        if (record.isAlive()) {
            if (!record.owed.isEmpty())
                sought.append(record.portId); // written below, once no search runs
            continue;
        }
        if (record.lostSinceMs < 0) {
            record.lostSinceMs = nowMs;
            record.lostTargets.clear();
            for (const MemberPtr &member : members) {
                if (member->portId == record.portId)
                    record.lostTargets.append(member->address);
            }
            record.nextRefindMs = nowMs;
        }
        reportDeadPort(record);
        if (!record.lostTold && nowMs - record.lostSinceMs >= kPortLostToldAfterMs) {
            record.lostTold = true;
            emit sig_PortLost(record.portId, true, record.lostTargets);
        }
        // The lanes read behind it are not heard, as a deaf target's once
        // its polls went unanswered that long: each may be switched off and
        // on before it is found again.
        if (nowMs - record.lostSinceMs >= LanePoll::kSilentAfterMs) {
            for (const MemberPtr &member : members) {
                if (member->portId == record.portId && member->poll.wanted() >= 1 && member->poll.unreached())
                    emit sig_TargetHeard(member->address, false);
            }
        }
        // Not between the copies of a command: a converter found again in
        // between would give its targets a START late, with the shots fired
        // at them meanwhile on the page it clears.
        if (nowMs >= record.nextRefindMs && commandQueue.isEmpty())
            sought.append(record.portId);
    }
    for (int portId : qAsConst(sought)) {
        // The search reports what it found through slot_emu_Founded, which
        // may change the records.
        const auto recordOf = [this, portId]() -> EmuPortState * {
            for (EmuPortState &record : ports) {
                if (record.portId == portId)
                    return &record;
            }
            return nullptr;
        };
        if (EmuPortState *record = recordOf(); record && !record->isAlive()) {
            const qint64 began = clock->msecsElapsed();
            line->refindPort(portId);
            const qint64 tookMs = clock->msecsElapsed() - began;
            if (EmuPortState *after = recordOf())
                after->nextRefindMs = clock->msecsElapsed() + std::max(kRefindGapMs, kRefindTimeShare * tookMs);
        }
        if (EmuPortState *record = recordOf(); record && record->isAlive() && !record->away)
            writeOwed(*record);
    }
}

void EMUProc::writeOwed(EmuPortState &record)
{
    const int portId = record.portId;
    const QList<EmuPortState::Owed> owed = std::exchange(record.owed, {});
    for (const EmuPortState::Owed &command : owed) {
        waitGap(gaps.commandMs);
        const bool written = line->writeTo(portId, command.command.frame, command.command.checkAddress);
        restartLastSend();
        if (!written)
            continue;
        // Given now: the converters still away are no longer owed it.
        for (EmuPortState &other : ports) {
            other.owed.erase(std::remove_if(other.owed.begin(), other.owed.end(),
                                            [&command](const EmuPortState::Owed &o) {
                                                return o.atMs == command.atMs && o.command.frame == command.command.frame;
                                            }),
                             other.owed.end());
        }
        startWritten(command.command, portId);
        reportWritten(command.command);
    }
}

bool EMUProc::isPortLost(int portId)
{
    for (EmuPortState &record : ports) {
        if (record.portId == portId)
            return record.away || !record.isAlive();
    }
    return false;
}

bool EMUProc::isPortDoubted(int portId) const
{
    for (const EmuPortState &record : ports) {
        if (record.portId == portId)
            return record.doubted();
    }
    return false;
}

bool EMUProc::touchPort(int portId, int comNum, bool alive, bool keepComNum)
{
    constexpr int kNoComNumAbove = 255;
    bool existed = false;
    bool changed = false;
    for (EmuPortState &record : ports) {
        if (record.portId != portId)
            continue;
        existed = true;
        if (record.isAlive() != alive)
            changed = true;
        if (alive) {
            const bool wasLost = record.lostSinceMs >= 0 || !record.isAlive();
            record.touch();
            if (!keepComNum && comNum < kNoComNumAbove)
                record.comNum = comNum;
            if (wasLost)
                portBack(record);
        } else {
            record.markDead();
            record.away = true;
            // A lane asked for shots may fire one meanwhile that is never
            // read, and give it as the next page's if it missed the next
            // START: only its page's first can pass for that (a later one
            // comes after the first, read, which tells an earlier page). One
            // not asked had its page read to the end.
            for (const MemberPtr &member : members) {
                if (member->portId == portId && member->poll.wanted() >= 1 && !member->pageShotRead)
                    member->unheardSinceAway = true;
            }
        }
    }
    if (existed)
        return changed;
    if (!alive)
        return false;
    EmuPortState record;
    record.activate(portId, EmuPortState::kDefaultTimeoutMs, clock);
    record.touch();
    record.comNum = comNum;
    ports.append(record);
    return true;
}

void EMUProc::portBack(EmuPortState &record)
{
    record.lostSinceMs = -1;
    // The silence of its lanes while it was away was the converter's.
    for (const MemberPtr &member : members) {
        if (member->portId == record.portId)
            member->wait.restart();
    }
    if (std::exchange(record.lostTold, false))
        emit sig_PortLost(record.portId, false, record.lostTargets);
}

void EMUProc::askedThrough(const EmuMember &member)
{
    for (EmuPortState &record : ports) {
        if (member.portId < 0 || record.portId == member.portId)
            record.asked();
    }
}

int EMUProc::liveCount()
{
    int count = 0;
    for (EmuPortState &record : ports) {
        if (record.isAlive())
            ++count;
    }
    return count;
}

int EMUProc::comNumOf(int portId) const
{
    for (const EmuPortState &record : ports) {
        if (record.portId == portId)
            return record.comNum;
    }
    return -1;
}

void EMUProc::slot_emu_Founded(int PortID, int portNum, bool _found)
{
    if (!touchPort(PortID, portNum, _found, false))
        return;
    for (EmuPortState &record : ports) {
        if (record.portId == PortID && !_found)
            record.lossReported = true;
    }
    emit sig_PortFounded(PortID, portNum, _found, liveCount());
}

// The loop -----------------------------------------------------------------------

void EMUProc::restartLastSend()
{
    lastSendNs = clock->nsecsElapsed();
}

int EMUProc::waitGap(int gapMs)
{
    // Before the first write the gap counts from now.
    const qint64 start = clock->nsecsElapsed();
    const qint64 deadline = (lastSendNs < 0 ? start : lastSendNs) + gapMs * kNsPerMs;
    for (qint64 now = start; now < deadline; now = clock->nsecsElapsed())
        clock->wait(static_cast<int>((deadline - now + kNsPerMs - 1) / kNsPerMs));
    const int waitedMs = static_cast<int>((clock->nsecsElapsed() - start) / kNsPerMs);
    if (waitedMs > 0)
        waited = waitedMs;
    return waitedMs;
}

void EMUProc::process()
{
    lastSendNs = -1;
    memberIndex = 0;
    waited = 1;
    while (running) {
        if (waited == 0)
            clock->wait(kIdleTickMs);
        waited = 0;
        if (busy || state == Idle)
            continue;
        if (state != Serving) {
            searchStep();
            continue;
        }
        // The port searches wait on the lines; a relay that arrives meanwhile
        // starts its own target search, which must end with its set-up frames.
        servePorts();
        if (busy || state != Serving)
            continue;
        if (!priorityQueue.isEmpty())
            writeFromQueue(priorityQueue, gaps.priorityMs, false);
        else if (!commandQueue.isEmpty())
            writeFromQueue(commandQueue, gaps.commandMs, true);
        else
            memberCycle();
    }
    closeBus();
    emit sig_finished();
}

void EMUProc::writeFromQueue(QList<EmuCommand> &queue, int gapMs, bool reportWrites)
{
    const EmuCommand command = queue.takeFirst();
    waitGap(gapMs);
    const bool written = writeCommand(command, reportWrites);
    restartLastSend();
    if (reportWrites && written)
        reportWritten(command);
}

void EMUProc::reportWritten(const EmuCommand &command)
{
    switch (command.code()) {
    case BusCode::kStop: emit sig_EventStoped(); break;
    case BusCode::kCluster: emit sig_ClasterSetted(); break;
    case BusCode::kStart: emit sig_EventStarted(); break;
    default: break;
    }
}

void EMUProc::memberCycle()
{
    if (members.empty())
        return;
    if (memberIndex < 0 || memberIndex >= static_cast<int>(members.size()))
        memberIndex = 0;
    while (memberIndex < static_cast<int>(members.size())) {
        const MemberPtr member = members[static_cast<size_t>(memberIndex)];
        // Behind a lost converter a lane hears nothing: it is not asked,
        // and its silence is not its own but the converter's.
        bool turnOver = isPortLost(member->portId);
        bool wrote = false;
        bool pendingBusy = false;
        if (!turnOver && !member->nextPending(&pendingBusy).frame.isEmpty()) {
            waitGap(gaps.priorityMs);
            // The lane may have left the relay, or its answer arrived, meanwhile.
            if (indexOf(member) < 0)
                return;
            const EmuCommand command = member->nextPending(&pendingBusy);
            if (pendingBusy)
                return;
            if (!command.frame.isEmpty()) {
                if (command.code() > BusCode::kLastTerminalCode) {
                    // Its turns go to a command its target answers, not to a
                    // poll: left unanswered as long, it tells the same silence.
                    if (member->poll.wanted() >= 1 && member->poll.pollDue(clock->msecsElapsed()))
                        emit sig_TargetHeard(member->address, false);
                    askTarget(*member);
                }
                EmuCommand toLane = command;
                // A target that does not answer may be back behind any converter.
                toLane.checkAddress = command.checkAddress && member->targetEnabled;
                writeCommand(toLane);
                if (isRepeatedCode(command.code()))
                    member->dropPending(command.code());
                else
                    askedThrough(*member);
                restartLastSend();
                wrote = true;
                turnOver = command.code() > BusCode::kFirstPendingAbove;
            }
        } else if (pendingBusy) {
            return;
        }
        // A target that has not answered its last ask is pinged where
        // nothing is polled (a break): an answer before the next START
        // tells it is back. So is one known to answer whose converter is
        // asked in vain for another lane: its answer tells the converter is
        // there. A ping holds back no queued START.
        const auto silent = [this, &member] {
            return commandQueue.isEmpty()
                && (!member->targetEnabled || member->poll.silent() || member->wait.waiting()
                    || isPortDoubted(member->portId));
        };
        if (!turnOver && (!member->readBulletFrame().isEmpty() || silent())) {
            waitGap(gaps.pollMs);
            if (indexOf(member) < 0)
                return;
            const QByteArray poll = member->readBulletFrame();
            if (!poll.isEmpty())
                writePoll(*member, poll);
            else if (silent())
                pingSilent(*member);
            wrote = true;
        }
        const int index = indexOf(member);
        if (index < 0)
            return; // the lane left during a wait; the next cycle goes on from here
        memberIndex = index + 1;
        if (memberIndex >= static_cast<int>(members.size())) {
            memberIndex = 0;
            return;
        }
        // The queues and the ports are looked at between two lanes' turns:
        // a command of the exercise waits for no round to end, and the loop
        // goes on without an idle tick.
        if (wrote)
            waited = std::max(waited, 1);
        if (busy || wrote)
            return;
    }
}

bool EMUProc::writeCommand(const EmuCommand &command, bool owed)
{
    const bool written = line->write(command.frame, command.checkAddress);
    if (owed && !written) {
        // A broadcast is owed to every converter away, a lane's command to
        // the one its lane was heard through. One that reached another
        // converter is not: its lanes taking a START late would lose the
        // shots fired at them since, which they keep as targets deaf
        // across it do.
        const int address = command.address();
        const MemberPtr member = memberAt(address);
        for (EmuPortState &record : ports) {
            if (record.away && (BusAddress::isBroadcast(address) || (member && member->portId == record.portId)))
                record.owed.append({command, clock->msecsElapsed()});
        }
    }
    if (written)
        startWritten(command, -1);
    return written;
}

void EMUProc::startWritten(const EmuCommand &command, int portId)
{
    if (command.code() != BusCode::kStart)
        return;
    const int address = command.address();
    for (const MemberPtr &member : members) {
        if (!BusAddress::isBroadcast(address) && member->address != address)
            continue;
        // Through every port found (portId < 0), it missed the lanes behind
        // one away: they were not heard across it.
        // A copy missed after one that reached it is the same START.
        const qint64 nowMs = clock->msecsElapsed();
        const bool away = portId < 0 && isPortAway(member->portId);
        if (!away && portId >= 0 && member->portId != portId)
            continue;
        // Written towards it, the START may have begun a new page.
        if (!away)
            member->pageShotRead = false;
        // Not heard since its converter was lost, found again or not, it
        // was not heard across it either: its page then is not known.
        if (away || member->unheardSinceAway) {
            const bool copyTaken = member->startReachedMs >= 0 && nowMs - member->startReachedMs < kStartCopiesMs;
            if (!copyTaken && member->poll.unreached())
                emit sig_TargetHeard(member->address, false);
            continue;
        }
        member->startReachedMs = nowMs;
        member->poll.startWritten();
    }
}

bool EMUProc::isPortAway(int portId) const
{
    for (const EmuPortState &record : ports) {
        if (record.portId == portId)
            return record.away;
    }
    return false;
}

void EMUProc::askTarget(EmuMember &member)
{
    // While its converter is lost, the silence is the converter's: told
    // by its port.
    if (isPortLost(member.portId)) {
        member.wait.restart();
        return;
    }
    if (state == TargetSearch || !member.wait.asked(clock->msecsElapsed()))
        return;
    emit sig_TargetMissing(member.address, true);
    if (member.targetEnabled)
        setTargetEnabled(member, false);
}

void EMUProc::writePoll(EmuMember &member, const QByteArray &poll)
{
    if (member.poll.pollDue(clock->msecsElapsed()))
        emit sig_TargetHeard(member.address, false);
    askTarget(member);
    emit sig_TargetAsked(member.address, member.poll.wanted());
    // The frame was built from the wanted number just now.
    if (line->write(poll, member.targetEnabled))
        member.poll.pollWritten();
    askedThrough(member);
    restartLastSend();
}

void EMUProc::writePing(EmuMember &member)
{
    askTarget(member);
    emit sig_TargetAsked(member.address, 0);
    // A ping asks for no shot: its answer says nothing of an earlier poll.
    if (line->write(member.pingFrame(), false))
        member.poll.pingWritten(clock->msecsElapsed());
}

void EMUProc::pingSilent(EmuMember &member)
{
    // In a break nothing else is asked: the target's silence is no sign of
    // a lost converter, so the port is not asked.
    writePing(member);
    restartLastSend();
}

void EMUProc::searchStep()
{
    constexpr int kNoPortPauseMs = 70;
    if (line->findMissing() == 0) {
        restartLastSend();
        clock->wait(kNoPortPauseMs);
        waited = kNoPortPauseMs;
        return;
    }
    const bool allEnabled = std::all_of(members.begin(), members.end(),
                                        [](const MemberPtr &member) { return member->targetEnabled; });
    if (allEnabled) {
        setState(Serving);
        return;
    }
    std::vector<MemberPtr> silent;
    for (const MemberPtr &member : members) {
        if (!member->targetEnabled)
            silent.push_back(member);
    }
    for (const MemberPtr &member : silent) {
        waitGap(gaps.pollMs);
        if (!running)
            return;
        // A lane that left the relay or answered during the wait needs no ping.
        if (indexOf(member) < 0 || member->targetEnabled)
            continue;
        writePing(*member);
        askedThrough(*member);
        restartLastSend();
    }
    checkPorts();
}

void EMUProc::closeBus()
{
    priorityQueue.clear();
    const QByteArray closing[] = {
        bytesOf({BusAddress::kAllTargets, 0x05, BusCode::kStop}),
        bytesOf({BusAddress::kAllTerminals, 0x05, BusCode::kTerminalStopAll}),
        bytesOf({BusAddress::kAllTargets, 0x06, BusCode::kCluster, 0}),
    };
    for (const QByteArray &frame : closing) {
        for (int copy = 0; copy < kCopies; ++copy)
            priorityQueue.append(EmuCommand{frame});
    }
    for (const MemberPtr &member : members)
        priorityQueue.append(EmuCommand{member->targetEnableFrame(0)});
    while (!priorityQueue.isEmpty()) {
        const EmuCommand command = priorityQueue.takeFirst();
        waitGap(BusAddress::isBroadcast(command.address()) ? gaps.commandMs : gaps.priorityMs);
        line->write(command.frame, command.checkAddress);
        restartLastSend();
    }
    // The thread ends right after sig_finished: the frames must be on the wire.
    line->flush(kFlushMs);
}
