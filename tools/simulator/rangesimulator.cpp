#include "rangesimulator.h"

#include "simframe.h"
#include "simline.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <QtMath>

#include <algorithm>

namespace {
constexpr qint64 kNsPerUs = 1000;
constexpr int kMaxCoordinate = 0xFFFE; // 0xFFFF in both coordinates means "no hit"
constexpr int kOctants = 8;
constexpr double kDegreesPerOctant = 45.0;
constexpr qint64 kMsPerSecond = 1000;

// Place code of a hit: 0 in the very centre, else 1 to 8 by the octant the
// hit lies in, counted counter-clockwise from the right.
qint8 placeOfHit(double x, double y)
{
    if (qFuzzyIsNull(x) && qFuzzyIsNull(y))
        return 0;
    double degrees = qRadiansToDegrees(qAtan2(y, x));
    if (degrees < 0)
        degrees += 360.0;
    return static_cast<qint8>(1 + qMin(kOctants - 1, static_cast<int>(degrees / kDegreesPerOctant)));
}

quint16 magnitude(double value)
{
    return static_cast<quint16>(qMin<double>(kMaxCoordinate, qAbs(qRound(value))));
}
} // namespace

RangeSimulator::RangeSimulator(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<TrafficEntry>();
    m_clock.start();
}

RangeSimulator::~RangeSimulator()
{
    for (int i = 0; i < converterCount(); ++i) {
        const QString link = linkPath(i);
        if (!link.isEmpty())
            QFile::remove(link);
    }
}

bool RangeSimulator::setComDirectory(const QString &path)
{
    if (!QDir().mkpath(path))
        return false;
    m_comDirectory = QDir(path).absolutePath();
    for (int i = 0; i < converterCount(); ++i)
        updateLink(i);
    return true;
}

void RangeSimulator::setStartCopyWindowMs(qint64 ms)
{
    m_startCopyWindowMs = ms;
    for (const auto &converter : m_converters) {
        for (int lane : converter->logic.laneAddresses())
            converter->logic.lane(lane)->target.setStartCopyWindowMs(ms);
    }
}

int RangeSimulator::addSerialConverter(const QList<int> &lanes, quint8 address)
{
    int comNumber = 1;
    for (const auto &converter : m_converters) {
        if (converter->comNumber >= comNumber)
            comNumber = converter->comNumber + 1;
    }
    return addConverter(new SimPtyLine(this), lanes, address, comNumber);
}

int RangeSimulator::addTcpConverter(quint16 port, const QList<int> &lanes, quint8 address)
{
    return addConverter(new SimTcpLine(port, this), lanes, address, -1);
}

int RangeSimulator::addConverter(SimLine *line, const QList<int> &lanes, quint8 address, int comNumber)
{
    for (int lane : lanes) {
        if (lanes.count(lane) > 1 || converterOfLane(lane) >= 0 || lane < 1 || lane > 0xFF) {
            delete line;
            return -1;
        }
    }
    if (!line->plug()) {
        delete line;
        return -1;
    }
    auto converter = std::make_unique<Converter>();
    converter->logic = SimConverter(address);
    for (int lane : lanes) {
        converter->logic.addLane(lane);
        converter->logic.lane(lane)->target.setStartCopyWindowMs(m_startCopyWindowMs);
    }
    converter->line = line;
    converter->comNumber = comNumber;
    const int index = converterCount();
    m_converters.push_back(std::move(converter));
    connect(line, &SimLine::bytesReceived, this,
            [this, index](quintptr client, const QByteArray &bytes) { onBytes(index, client, bytes); });
    updateLink(index);
    return index;
}

bool RangeSimulator::updateLink(int converter) const
{
    const QString link = linkPath(converter);
    if (link.isEmpty())
        return false;
    QFile::remove(link);
    return QFile::link(m_converters.at(static_cast<size_t>(converter))->line->endpoint(), link);
}

QString RangeSimulator::portName(int converter) const
{
    const Converter *c = converterAt(converter);
    if (!c)
        return {};
    return c->comNumber > 0 ? QStringLiteral("COM%1").arg(c->comNumber)
                            : QStringLiteral("TCP %1").arg(c->line->endpoint());
}

QString RangeSimulator::linkPath(int converter) const
{
    const Converter *c = converterAt(converter);
    if (!c || c->comNumber < 1 || m_comDirectory.isEmpty())
        return {};
    return QDir(m_comDirectory).filePath(QStringLiteral("COM%1").arg(c->comNumber));
}

QString RangeSimulator::endpoint(int converter) const
{
    const Converter *c = converterAt(converter);
    return c ? c->line->endpoint() : QString();
}

quint16 RangeSimulator::tcpPort(int converter) const
{
    const Converter *c = converterAt(converter);
    const auto *tcp = c ? qobject_cast<SimTcpLine *>(c->line) : nullptr;
    return tcp ? tcp->port() : 0;
}

int RangeSimulator::converterOfLane(int lane) const
{
    for (int i = 0; i < converterCount(); ++i) {
        if (m_converters.at(static_cast<size_t>(i))->logic.lane(lane))
            return i;
    }
    return -1;
}

bool RangeSimulator::unplug(int converter)
{
    Converter *c = converterAt(converter);
    if (!c)
        return false;
    c->line->unplug();
    // The device is gone, as a pulled USB converter's is, until it is plugged back.
    const QString link = linkPath(converter);
    if (!link.isEmpty())
        QFile::remove(link);
    c->buffers.clear();
    ++c->generation;
    return true;
}

bool RangeSimulator::replug(int converter)
{
    Converter *c = converterAt(converter);
    if (!c || !c->line->plug())
        return false;
    ++c->generation;
    updateLink(converter);
    return true;
}

bool RangeSimulator::isPlugged(int converter) const
{
    const Converter *c = converterAt(converter);
    return c && c->line->isPlugged();
}

int RangeSimulator::fireShot(int lane, quint16 x, quint16 y, qint8 place, int timeTenths, bool decoy)
{
    SimLane *l = findLane(lane);
    if (!l || !l->targetPresent)
        return 0;
    const int number = l->target.fire(x, y, place, timeTenths, nowMs());
    if (number > 0 && decoy)
        l->target.moveToDecoy(number);
    if (number > 0)
        log(TrafficEntry::Shot, converterOfLane(lane), lane, l->target.shotAnswer(number));
    return number;
}

void RangeSimulator::scheduleShots(int lane, const QList<ScriptedShot> &shots)
{
    for (const ScriptedShot &shot : shots) {
        QTimer::singleShot(qMax(0, shot.afterMs), this,
                           [this, lane, shot] { fireShot(lane, shot.x, shot.y, shot.place, shot.timeTenths, shot.decoy); });
    }
}

bool RangeSimulator::startShooter(int lane, const ShooterSettings &settings)
{
    if (!findLane(lane) || settings.paceMs < 1)
        return false;
    stopShooter(lane);
    Shooter &shooter = m_shooters[lane];
    shooter.settings = settings;
    shooter.random.seed(settings.seed);
    shooter.timer = new QTimer(this);
    connect(shooter.timer, &QTimer::timeout, this, [this, lane] { shooterTick(lane); });
    shooter.timer->start(settings.paceMs);
    return true;
}

void RangeSimulator::stopShooter(int lane)
{
    const auto it = m_shooters.find(lane);
    if (it == m_shooters.end())
        return;
    delete it->second.timer;
    m_shooters.erase(it);
}

void RangeSimulator::shooterTick(int lane)
{
    Shooter &shooter = m_shooters.at(lane);
    // Box-Muller: two independent normal deviates from two uniform ones.
    const double u1 = 1.0 - shooter.random.generateDouble();
    const double u2 = shooter.random.generateDouble();
    const double radius = qSqrt(-2.0 * qLn(u1)) * shooter.settings.spreadTenthsMm;
    const double x = radius * qCos(2.0 * M_PI * u2);
    const double y = radius * qSin(2.0 * M_PI * u2);
    ++shooter.fired;
    const int decoyEvery = shooter.settings.decoyEvery;
    fireShot(lane, magnitude(x), magnitude(y), placeOfHit(x, y), -1,
             decoyEvery > 0 && shooter.fired % decoyEvery == 0);
    if (shooter.seriesLeft > 0 && --shooter.seriesLeft == 0)
        shooter.timer->start(shooter.settings.paceMs);
    if (shooter.settings.shots >= 0 && shooter.fired >= shooter.settings.shots)
        stopShooter(lane);
}

QHash<int, int> RangeSimulator::shooterStarts(int converter) const
{
    QHash<int, int> starts;
    const Converter *c = converterAt(converter);
    for (const auto &shooter : m_shooters) {
        if (const SimLane *l = c ? c->logic.lane(shooter.first) : nullptr)
            starts.insert(shooter.first, l->target.startCount());
    }
    return starts;
}

void RangeSimulator::faceTimedStart(int lane)
{
    const auto it = m_shooters.find(lane);
    const SimLane *l = findLane(lane);
    if (it == m_shooters.end() || !l)
        return;
    const SimTargetUnit &target = l->target;
    const int shots = target.shotLimit();
    if (target.timeLimitSeconds() == SimTargetUnit::kNoTimeLimit
        || shots == SimTargetUnit::kNoShotLimit || shots == 0)
        return;
    // The shots spaced evenly over the time at most, the last before its end.
    Shooter &shooter = it->second;
    const qint64 windowMs =
        target.timeLimitSeconds() * kMsPerSecond / std::max(1, shooter.settings.clockSpeed);
    shooter.seriesLeft = shots;
    shooter.timer->start(int(std::clamp<qint64>(windowMs / (shots + 1), 1, shooter.settings.paceMs)));
}

void RangeSimulator::setTargetPresent(int lane, bool present)
{
    withLane(lane, [&](SimLane &l) { l.targetPresent = present; });
}

void RangeSimulator::setTargetHearing(int lane, bool hears)
{
    withLane(lane, [&](SimLane &l) { l.targetHears = hears; });
}

void RangeSimulator::loosenAcrossNextStart(int lane, int hearAgainMs)
{
    withLane(lane, [&](SimLane &l) {
        l.targetHears = false;
        l.hearAfterNextStartMs = qMax(0, hearAgainMs);
    });
}

void RangeSimulator::missNextStart(int lane)
{
    withLane(lane, [](SimLane &l) { l.missNextStart = true; });
}

void RangeSimulator::restartTarget(int lane)
{
    withLane(lane, [this](SimLane &l) { l.target.powerUp(nowMs()); });
}

void RangeSimulator::startPassed(int converter, int address)
{
    SimConverter &logic = converterAt(converter)->logic;
    for (int laneAddress : logic.laneAddresses()) {
        SimLane *l = logic.lane(laneAddress);
        if (l->hearAfterNextStartMs < 0 || (address != SimFrame::kAllTargets && address != laneAddress))
            continue;
        QTimer::singleShot(l->hearAfterNextStartMs, this,
                           [this, laneAddress] { setTargetHearing(laneAddress, true); });
        l->hearAfterNextStartMs = -1;
    }
}

bool RangeSimulator::repeatShotAnswer(int lane, int number)
{
    for (auto it = m_traffic.crbegin(); it != m_traffic.crend(); ++it) {
        if (it->kind != TrafficEntry::Sent || it->address != lane || it->code != SimFrame::kCodePoll
            || SimFrame::byteAt(it->bytes, 3) != number)
            continue;
        const TrafficEntry copy = *it;
        log(TrafficEntry::Sent, copy.converter, lane, copy.bytes);
        converterAt(copy.converter)->line->send(0, copy.bytes);
        return true;
    }
    return false;
}

void RangeSimulator::setTerminalPresent(int lane, bool present)
{
    withLane(lane, [&](SimLane &l) { l.terminalPresent = present; });
}

void RangeSimulator::dropAnswers(int lane, int count)
{
    withLane(lane, [&](SimLane &l) { l.answersToDrop = count; });
}

void RangeSimulator::breakAnswers(int lane, int count)
{
    withLane(lane, [&](SimLane &l) { l.answersToBreak = count; });
}

void RangeSimulator::setAnswerDelay(int lane, int ms)
{
    withLane(lane, [&](SimLane &l) { l.answerDelayMs = qMax(0, ms); });
}

void RangeSimulator::requestMatch(int lane, int mode)
{
    withLane(lane, [&](SimLane &l) { l.matchRequestMode = mode; });
}

void RangeSimulator::injectBytes(int converter, const QByteArray &bytes)
{
    Converter *c = converterAt(converter);
    if (!c || bytes.isEmpty())
        return;
    log(TrafficEntry::Injected, converter, -1, bytes);
    c->line->send(0, bytes);
}

void RangeSimulator::injectFrame(int converter, const QByteArray &frame)
{
    injectBytes(converter, SimFrame::withCrc(frame));
}

const SimLane *RangeSimulator::lane(int address) const
{
    const int converter = converterOfLane(address);
    return converter < 0 ? nullptr : m_converters.at(static_cast<size_t>(converter))->logic.lane(address);
}

QList<QByteArray> RangeSimulator::framesReceived(int address) const
{
    QList<QByteArray> frames;
    for (const TrafficEntry &entry : m_traffic) {
        if (entry.kind == TrafficEntry::Received && entry.address == address)
            frames.append(entry.bytes);
    }
    return frames;
}

int RangeSimulator::framesReceivedWithCode(int code) const
{
    return m_receivedByCode.value(code);
}

QList<SimShot> RangeSimulator::shotsFired(int lane) const
{
    return m_shotsFired.value(lane);
}

void RangeSimulator::clearTraffic()
{
    m_traffic.clear();
    m_receivedByCode.clear();
    m_shotsFired.clear();
}

void RangeSimulator::onBytes(int converter, quintptr client, const QByteArray &bytes)
{
    Converter *c = converterAt(converter);
    QByteArray &buffer = c->buffers[client];
    buffer.append(bytes);
    for (;;) {
        QByteArray skipped;
        const QByteArray frame = SimFrame::takeFrame(buffer, &skipped);
        if (!skipped.isEmpty())
            log(TrafficEntry::Noise, converter, -1, skipped);
        if (frame.isEmpty())
            break;
        log(TrafficEntry::Received, converter, SimFrame::byteAt(frame, 0), frame);
        const bool start = SimFrame::byteAt(frame, 2) == SimFrame::kCodeStart;
        const QHash<int, int> startsBefore = start ? shooterStarts(converter) : QHash<int, int>();
        int laneAddress = -1;
        const QByteArray reply = c->logic.handle(frame.left(frame.size() - SimFrame::kCrcSize), nowMs(), &laneAddress);
        if (!reply.isEmpty())
            answer(converter, client, laneAddress, reply);
        if (start)
            startPassed(converter, SimFrame::byteAt(frame, 0));
        // Only a START the target took (not a copy, not one it missed).
        for (auto it = startsBefore.cbegin(); it != startsBefore.cend(); ++it) {
            if (c->logic.lane(it.key())->target.startCount() != it.value())
                faceTimedStart(it.key());
        }
    }
}

void RangeSimulator::answer(int converter, quintptr client, int laneAddress, const QByteArray &frame)
{
    Converter *c = converterAt(converter);
    QByteArray bytes = SimFrame::withCrc(frame);
    int delayMs = 0;
    if (SimLane *l = c->logic.lane(laneAddress)) {
        if (l->answersToDrop != 0) {
            if (l->answersToDrop > 0)
                --l->answersToDrop;
            return;
        }
        if (l->answersToBreak > 0) {
            --l->answersToBreak;
            bytes[bytes.size() - 1] = static_cast<char>(bytes.at(bytes.size() - 1) ^ 0x5A);
        }
        delayMs = l->answerDelayMs;
    }
    const int generation = c->generation;
    auto write = [this, converter, client, laneAddress, bytes, generation] {
        Converter *target = converterAt(converter);
        if (target->generation != generation || !target->line->isPlugged())
            return;
        log(TrafficEntry::Sent, converter, laneAddress < 0 ? target->logic.address() : laneAddress, bytes);
        target->line->send(client, bytes);
    };
    if (delayMs > 0)
        QTimer::singleShot(delayMs, this, write);
    else
        write();
}

void RangeSimulator::log(TrafficEntry::Kind kind, int converter, int address, const QByteArray &bytes)
{
    TrafficEntry entry;
    entry.timeUs = m_clock.nsecsElapsed() / kNsPerUs;
    entry.kind = kind;
    entry.converter = converter;
    entry.address = address;
    entry.code = (kind == TrafficEntry::Noise || kind == TrafficEntry::Injected) ? -1 : SimFrame::byteAt(bytes, 2);
    entry.bytes = bytes;
    if (m_traffic.size() >= m_trafficLimit)
        m_traffic.removeFirst();
    m_traffic.append(entry);
    if (kind == TrafficEntry::Received) {
        ++m_receivedByCode[entry.code];
    } else if (kind == TrafficEntry::Shot) {
        // The poll answer: lane 0E A3 number xHi xLo yHi yLo place time.
        const auto byte = [&bytes](int i) { return int(quint8(bytes.at(i))); };
        SimShot shot;
        shot.number = byte(3);
        shot.x = quint16(byte(4) << 8 | byte(5));
        shot.y = quint16(byte(6) << 8 | byte(7));
        shot.place = qint8(byte(8));
        m_shotsFired[address] << shot;
    }
    emit sig_traffic(entry);
}

void RangeSimulator::setTrafficLimit(int entries)
{
    m_trafficLimit = qMax(1, entries);
    while (m_traffic.size() > m_trafficLimit)
        m_traffic.removeFirst();
}

void RangeSimulator::withLane(int address, const std::function<void(SimLane &)> &change)
{
    if (SimLane *l = findLane(address))
        change(*l);
}

SimLane *RangeSimulator::findLane(int address)
{
    const int converter = converterOfLane(address);
    return converter < 0 ? nullptr : m_converters.at(static_cast<size_t>(converter))->logic.lane(address);
}

RangeSimulator::Converter *RangeSimulator::converterAt(int converter)
{
    return converter >= 0 && converter < converterCount() ? m_converters.at(static_cast<size_t>(converter)).get()
                                                          : nullptr;
}

const RangeSimulator::Converter *RangeSimulator::converterAt(int converter) const
{
    return converter >= 0 && converter < converterCount() ? m_converters.at(static_cast<size_t>(converter)).get()
                                                          : nullptr;
}
