#pragma once

#include "simconverter.h"
#include "simtraffic.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QTimer;
class SimLine;

// One shot of a script: fired afterMs after the script was handed over.
struct ScriptedShot
{
    int afterMs = 0;
    quint16 x = 0; // tenths of a millimetre from the centre, magnitude
    quint16 y = 0;
    qint8 place = 0;
    int timeTenths = -1; // -1: the target's own count since its start
    bool decoy = false;  // moved a little to where its answer holds a decoy window
};

// A simulated shooter: shots scattered around the centre with a normal spread.
struct ShooterSettings
{
    int spreadTenthsMm = 100; // standard deviation of each coordinate
    int paceMs = 1000;        // time between two shots
    int shots = -1;           // -1: until stopped
    quint32 seed = 1;
    int decoyEvery = 0;       // every n-th shot is a decoy shot (see ScriptedShot); 0: none
    // How many times as fast as the targets' own the exercise clock runs (a
    // demonstration's RANGE_CLOCK_SPEED): the time limit of a START, in the
    // exercise's seconds, is over that much sooner.
    int clockSpeed = 1;
};

// A whole simulated range: converters on pseudo-terminals (linked as "COM1",
// "COM2", ... in a directory) or on a loopback TCP port, each with its lanes.
// Lives in one thread: every call must come from the thread the object lives
// in (SimulatorThread makes such calls from another thread).
class RangeSimulator : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultTrafficLimit = 200000; // a day-long run keeps its recent hours

    explicit RangeSimulator(QObject *parent = nullptr);
    ~RangeSimulator() override;

    // Folder for the "COM%1" links of the serial converters; made when missing.
    bool setComDirectory(const QString &path);
    QString comDirectory() const { return m_comDirectory; }

    // The targets' clocks move on by ms at once: a test that advances the
    // exercise clock by hand lets the time the targets count follow it.
    void skipAheadMs(qint64 ms) { m_aheadMs += ms; }
    // The time within which a target takes a start for a copy of its last
    // one, for every lane, also of converters added later.
    void setStartCopyWindowMs(qint64 ms);

    // Converters are numbered from 0 in the order they are added; the serial
    // ones get "COM1", "COM2", ... in that order. Returns the number, or -1
    // when the line could not be opened or a lane address is taken already.
    int addSerialConverter(const QList<int> &lanes, quint8 address = 0);
    // port 0 picks a free port (see tcpPort).
    int addTcpConverter(quint16 port, const QList<int> &lanes, quint8 address = 0);

    int converterCount() const { return static_cast<int>(m_converters.size()); }
    QString portName(int converter) const; // "COM1" or "TCP 127.0.0.1:8080"
    QString linkPath(int converter) const; // the "COM%1" link; empty for TCP
    QString endpoint(int converter) const; // pty slave path or "127.0.0.1:port"
    quint16 tcpPort(int converter) const;  // 0 for a serial converter
    int converterOfLane(int lane) const;   // -1 when no converter has the lane

    // The cable: unplugging closes the pty (the program's port fails) and
    // removes its "COM%1" link, or closes the TCP server and its connections;
    // plugging back opens a new pty behind the same "COM%1" link, or listens
    // on the same port again.
    bool unplug(int converter);
    bool replug(int converter);
    bool isPlugged(int converter) const;

    // Shots. Returns the number the target gave the shot, 0 when refused. A
    // decoy shot lands at the nearest point where the target's answer holds a
    // shorter window whose CRC checks too (SimFrame::hasDecoyWindow); the
    // target's shots() tell where.
    int fireShot(int lane, quint16 x, quint16 y, qint8 place, int timeTenths = -1, bool decoy = false);
    void scheduleShots(int lane, const QList<ScriptedShot> &shots);
    // A shooter fires at its pace; when its target takes a START with a
    // time and a shot limit (a pistol series or a rapid-fire window), it
    // fires that START's shots within its time, closer than its pace where
    // they would not fit, and keeps its pace again after the last.
    bool startShooter(int lane, const ShooterSettings &settings);
    void stopShooter(int lane);

    // Faults.
    void setTargetPresent(int lane, bool present);
    void setTerminalPresent(int lane, bool present);
    void setTargetHearing(int lane, bool hears); // see SimLane::targetHears
    // The lane's cable is loose from now until hearAgainMs after the next
    // start frame for its target, all of whose copies its target misses.
    void loosenAcrossNextStart(int lane, int hearAgainMs);
    // The lane's target misses the next start (every copy of it) while it
    // answers polls as before.
    void missNextStart(int lane);
    // The lane's target loses its power and gets it back at once: its shot
    // memory is empty and it counts from now, no exercise started. Shots
    // fired while it is away (setTargetPresent) are lost.
    void restartTarget(int lane);
    // The lane's last answer to a poll for shot `number` goes out once more,
    // a late copy from the line; false when the lane gave none.
    bool repeatShotAnswer(int lane, int number);
    void dropAnswers(int lane, int count);  // the lane's next count answers; -1 all, 0 none
    void breakAnswers(int lane, int count); // the next count answers go out with a broken CRC
    void setAnswerDelay(int lane, int ms);
    // The terminal asks for a mode change (0 sighting, 1 match) in its next answer.
    void requestMatch(int lane, int mode);
    // Raw bytes on the line towards the program, in one write.
    void injectBytes(int converter, const QByteArray &bytes);
    // A frame built without CRC, sent with its CRC.
    void injectFrame(int converter, const QByteArray &frame);

    // State of a lane's units, for checks; nullptr for an unknown lane.
    const SimLane *lane(int address) const;

    // Traffic log.
    QList<TrafficEntry> traffic() const { return m_traffic; }
    // Frames received with this address byte (0xEA and 0x9F for broadcasts).
    QList<QByteArray> framesReceived(int address) const;
    // How many frames with this command code came in, copies of a broadcast
    // included.
    int framesReceivedWithCode(int code) const;
    // Every shot fired on the lane so far, in order, where its target put it
    // (a decoy shot moved); a reset of the target does not take them back.
    QList<SimShot> shotsFired(int lane) const;
    void clearTraffic();
    // The log keeps that many recent entries (200,000 by default, hours of a
    // 10-lane line); a benchmark that weighs the program keeps fewer.
    void setTrafficLimit(int entries);

signals:
    void sig_traffic(const TrafficEntry &entry);

private:
    struct Converter
    {
        SimConverter logic;
        SimLine *line = nullptr; // child of the simulator
        int comNumber = -1;      // -1 for TCP
        int generation = 0;      // counts plug-ins; late answers of an old cable are dropped
        QHash<quintptr, QByteArray> buffers;
    };

    int addConverter(SimLine *line, const QList<int> &lanes, quint8 address, int comNumber);
    bool updateLink(int converter) const;
    void onBytes(int converter, quintptr client, const QByteArray &bytes);
    void answer(int converter, quintptr client, int laneAddress, const QByteArray &frame);
    // A start frame went down the converter's line: the loose cables that
    // wait for it are plugged in again after their time.
    void startPassed(int converter, int address);
    void log(TrafficEntry::Kind kind, int converter, int address, const QByteArray &bytes);
    SimLane *findLane(int address);
    void withLane(int address, const std::function<void(SimLane &)> &change);
    Converter *converterAt(int converter);
    const Converter *converterAt(int converter) const;
    qint64 nowMs() const { return m_clock.elapsed() + m_aheadMs; }

    QString m_comDirectory;
    std::vector<std::unique_ptr<Converter>> m_converters;
    QList<TrafficEntry> m_traffic;
    int m_trafficLimit = kDefaultTrafficLimit;
    // Kept as the log grows: a test asks for them every few milliseconds,
    // and a scan of a long log would keep the lanes from answering.
    QHash<int, int> m_receivedByCode;
    QHash<int, QList<SimShot>> m_shotsFired; // by lane
    QElapsedTimer m_clock;
    qint64 m_aheadMs = 0;
    qint64 m_startCopyWindowMs = SimTargetUnit::kStartCopyWindowMs;
    struct Shooter
    {
        QTimer *timer = nullptr; // child of the simulator
        QRandomGenerator random;
        ShooterSettings settings;
        int fired = 0;
        int seriesLeft = 0; // shots of the timed START it faces still to fire
    };
    void shooterTick(int lane);
    // The START counts of this converter's lanes that have a shooter.
    QHash<int, int> shooterStarts(int converter) const;
    void faceTimedStart(int lane);

    std::map<int, Shooter> m_shooters;
};
