#include "roadtest.h"

#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <algorithm>

#include "dialogshooter.h"
#include "dialogshooterlist.h"
#include "exerciseclock.h"
#include "memberroles.h"
#include "simulatorthread.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tmemberspractice.h"
#include "tpracticemodul.h"
#include "tshooter.h"
#include "tusermodul.h"

namespace {

// The waits of the range that are not the program's own, as the line tests
// shorten them: a tenth of the bus gaps, and the time within which a target
// takes a start for a copy of its last one.
constexpr BusGaps kShortGaps{5, 7, 20};
constexpr qint64 kStartCopyWindowMs = 150;
constexpr int kPollCode = 0xA3;
// Long enough for a whole relay of the road tests.
constexpr int kRelayTimeoutMs = 90000;

} // namespace

void RoadTest::init()
{
    m_previousClockSpeed = qgetenv(MonotonicClock::kSpeedVariable);
    setClockSpeed(kClockSpeed);
    MainWindowTest::init();
}

void RoadTest::setClockSpeed(int speed)
{
    qputenv(MonotonicClock::kSpeedVariable, QByteArray::number(speed));
}

void RoadTest::cleanup()
{
    MainWindowTest::cleanup();
    if (m_previousClockSpeed.isNull())
        qunsetenv(MonotonicClock::kSpeedVariable);
    else
        qputenv(MonotonicClock::kSpeedVariable, m_previousClockSpeed);
}

bool RoadTest::type(const QString &objectName, const QString &text)
{
    QWidget *edit = widget<QLineEdit>(objectName);
    if (!edit) {
        if (auto *spin = widget<QAbstractSpinBox>(objectName))
            edit = spin;
    }
    if (!edit || !edit->isVisible() || !edit->isEnabled()) {
        qWarning("type: no visible edit \"%s\"", qPrintable(objectName));
        return false;
    }
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    // QTest::keyClicks knows Latin-1 only; each character goes as the text
    // of its own key event, as an input method delivers it.
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    return true;
}

int RoadTest::createCompetition(int type, const QString &name)
{
    if (!click("pbNEW") || page() != Page::Competitions)
        return -1;
    sight("competitions-new");
    if (!clickRow("lw_Competitions",
                  rowOf("lw_Competitions", TCompetitionList::CompTypeXMLIDRole, type))
        || !this->type("IEName", name))
        return -1;
    Warnings::setNextAnswer(QMessageBox::Yes);
    if (!click("pBNext1"))
        return -1;
    const Warnings::Shown question = takeWarning();
    if (question.title != QStringLiteral("Будет создано соревнование:") || page() != Page::Members
        || !userModul()->currentCompetition()) {
        qWarning("createCompetition: \"%s\" on page %d", qPrintable(question.title), int(page()));
        return -1;
    }
    return userModul()->currentCompetition()->id();
}

int RoadTest::addNewMember(const QString &name, const QString &family, int startNumber)
{
    if (!click("pBAdd"))
        return -1;
    auto *list = widget<DialogShooterList>("DialogShooterList");
    sight("shooter-list", list);
    if (!click("pBCreateShooter"))
        return -1;
    auto *dialog = widget<DialogShooter>("DialogShooter");
    if (!type("IEName_sh", name) || !type("IENameSecond_sh", family))
        return -1;
    sight("shooter-dialog", dialog);
    if (!click("pBOK") || dialog->isVisible() || !list->isVisible())
        return -1;
    const Rows shooter =
        rows("SELECT ID FROM tshooters WHERE fName=? AND fFamily=?", {name, family});
    if (shooter.size() != 1)
        return -1;
    const int shooterID = shooter.first().first().toInt();
    if (!clickRow("lwShooters", rowOf("lwShooters", MemberRoles::ShooterIDRole, shooterID))
        || !type("sB_startNumEdit", QString::number(startNumber)) || !click("pBOK")
        || list->isVisible())
        return -1;
    const Rows member = rows("SELECT ID FROM tmembers WHERE fShooterID=? AND fCompetitionID=?",
                             {shooterID, userModul()->currentCompetition()->id()});
    return member.size() == 1 ? member.first().first().toInt() : -1;
}

void RoadTest::shortenBusGaps()
{
    setBusGaps(kShortGaps);
}

bool RoadTest::startRange(const QList<int> &lanes)
{
    shortenBusGaps();
    if (!startSimulator(lanes))
        return false;
    simulator()->call([](RangeSimulator &sim) { sim.setStartCopyWindowMs(kStartCopyWindowMs); });
    return true;
}

void RoadTest::startShooters(const QList<int> &lanes, int paceMs, int spreadTenthsMm)
{
    for (int lane : lanes) {
        ShooterSettings settings;
        settings.paceMs = paceMs;
        settings.spreadTenthsMm = spreadTenthsMm;
        settings.seed = quint32(lane);
        simulator()->call(
            [lane, settings](RangeSimulator &sim) { return sim.startShooter(lane, settings); });
    }
}

void RoadTest::stopShooters(const QList<int> &lanes)
{
    for (int lane : lanes)
        simulator()->call([lane](RangeSimulator &sim) { sim.stopShooter(lane); });
}

int RoadTest::firedShots(int lane)
{
    const QList<TrafficEntry> traffic =
        simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
    return int(std::count_if(traffic.cbegin(), traffic.cend(), [lane](const TrafficEntry &entry) {
        return entry.kind == TrafficEntry::Shot && entry.address == lane;
    }));
}

int RoadTest::highestPolledShot(int lane)
{
    const QList<TrafficEntry> traffic =
        simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
    int highest = 0;
    for (const TrafficEntry &entry : traffic) {
        // The poll: lane, length, A3, the number asked for.
        if (entry.kind == TrafficEntry::Received && entry.address == lane && entry.code == kPollCode
            && entry.bytes.size() > 3)
            highest = std::max(highest, int(quint8(entry.bytes.at(3))));
    }
    return highest;
}

QStringList RoadTest::runPageWords() const
{
    QStringList lines;
    const auto *words = onPage<QListWidget>(Page::Run, "lw_laneWords");
    for (int row = 0; words && !words->isHidden() && row < words->count(); ++row)
        lines << words->item(row)->text();
    return lines;
}

bool RoadTest::runPageSays(const QString &start, const QString &what) const
{
    const QStringList lines = runPageWords();
    return std::any_of(lines.cbegin(), lines.cend(), [&](const QString &line) {
        return line.startsWith(start) && line.contains(what);
    });
}

int RoadTest::storedShots(int eventID, int memberID)
{
    return rows("SELECT COUNT(*) FROM tbullets WHERE fEventID=? AND fMemberID=?",
                {eventID, memberID})
        .value(0)
        .value(0)
        .toInt();
}

int RoadTest::practiceShooterID(const QString &family) const
{
    const TMembersPractice *roster = practiceModul()->membersPractice();
    for (int row = 0; row < roster->count(); ++row) {
        if (roster->shooterAt(row)->family() == family)
            return roster->shooterAt(row)->id();
    }
    return -1;
}

bool RoadTest::clickPracticeShooter(const QString &view, int id, bool twice)
{
    return clickRow(view, rowOf(view, TMembersPractice::Id1Role, id), twice);
}

bool RoadTest::moveMember(int row, int relay, int target)
{
    if (!clickRow("tw_members", row) || !click("pushButton"))
        return false;
    sight("relay-dialog", widget("DialogRelay"));
    return type("sB_relayNum", QString::number(relay))
           && type("sB_targetAddr", QString::number(target)) && click("pbOK")
           && !widget("DialogRelay")->isVisible();
}

bool RoadTest::openCurrentRelay()
{
    return page() == Page::Relays && click("pBNext") && lineAnswers();
}

bool RoadTest::lineAnswers()
{
    if (page() != Page::CurrentRelay)
        return false;
    auto *next = onPage<QPushButton>(Page::CurrentRelay, "pBNext");
    if (!QTest::qWaitFor([next] { return next->isEnabled(); }, kTimeoutMs)) {
        qWarning("openCurrentRelay: the line never answered: %s",
                 qPrintable(onPage<QLabel>(Page::CurrentRelay, "label_mode")->text()));
        return false;
    }
    sight("current-relay");
    return true;
}

bool RoadTest::startSighting()
{
    auto *start = onPage<QPushButton>(Page::Run, "pbStart");
    auto *mode = onPage<QLabel>(Page::Run, "l_mode");
    if (page() != Page::Run || !click("pbStart"))
        return false;
    if (!QTest::qWaitFor([mode] { return mode->text() == QStringLiteral("SIGHTING"); },
                         kTimeoutMs)) {
        qWarning("startSighting: the mode reads \"%s\", START \"%s\"", qPrintable(mode->text()),
                 qPrintable(start->text()));
        return false;
    }
    return true;
}

bool RoadTest::startMatch()
{
    auto *start = onPage<QPushButton>(Page::Run, "pbStart");
    auto *mode = onPage<QLabel>(Page::Run, "l_mode");
    if (!QTest::qWaitFor(
            [start] {
                return start->isEnabled() && start->text().startsWith(QStringLiteral("MATCH"));
            },
            kTimeoutMs)) {
        qWarning("startMatch: START reads \"%s\"", qPrintable(start->text()));
        return false;
    }
    return click("pbStart")
           && QTest::qWaitFor([mode] { return mode->text() == QStringLiteral("MATCH"); },
                              kTimeoutMs);
}

bool RoadTest::shootOnePositionRelay(const QList<int> &lanes, int atShot,
                                     const std::function<void()> &duringMatch)
{
    constexpr int kPaceMs = 40;
    if (page() != Page::CurrentRelay || !click("pBNext") || page() != Page::Run)
        return false;
    sight("run");
    startShooters(lanes, kPaceMs);
    const bool sighted = startSighting();
    sight("run-sighting");
    if (!sighted || !startMatch()) {
        stopShooters(lanes);
        return false;
    }
    const int lane = lanes.first();
    qInfo("match started");
    if (duringMatch) {
        auto *sim = simulator();
        const bool reached = QTest::qWaitFor(
            [sim, lane, atShot] {
                return sim->call([lane](RangeSimulator &s) {
                    return s.lane(lane)->target.shots().size();
                }) >= atShot;
            },
            kRelayTimeoutMs);
        if (!reached) {
            stopShooters(lanes);
            return false;
        }
        qInfo("at shot %d", atShot);
        duringMatch();
        qInfo("after the hook");
    }
    auto *next = onPage<QPushButton>(Page::Run, "pBNext");
    const bool finished =
        QTest::qWaitFor([next] { return next->isVisible() && next->isEnabled(); }, kRelayTimeoutMs);
    stopShooters(lanes);
    if (!finished) {
        for (int l : lanes)
            qWarning("lane %d: %d fired, polled up to %d", l, firedShots(l), highestPolledShot(l));
    }
    sight("run-finished");
    return finished;
}
