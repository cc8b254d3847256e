#include "roadtest.h"

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

#include "dialogshooter.h"
#include "dialogshooterlist.h"
#include "exerciseclock.h"
#include "memberroles.h"
#include "simulatorthread.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tusermodul.h"

namespace {

// The waits of the range that are not the program's own, as the line tests
// shorten them: a tenth of the bus gaps, and the time within which a target
// takes a start for a copy of its last one.
constexpr BusGaps kShortGaps{5, 7, 20};
constexpr qint64 kStartCopyWindowMs = 150;
constexpr int kPollCode = 0xA3;

} // namespace

void RoadTest::init()
{
    m_previousClockSpeed = qgetenv(MonotonicClock::kSpeedVariable);
    qputenv(MonotonicClock::kSpeedVariable, QByteArray::number(kClockSpeed));
    MainWindowTest::init();
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
    if (!clickRow("lw_Competitions", rowOf("lw_Competitions", TCompetitionList::CompTypeXMLIDRole, type))
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
    const Rows shooter = rows("SELECT ID FROM tshooters WHERE fName=? AND fFamily=?", {name, family});
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

bool RoadTest::startRange(const QList<int> &lanes)
{
    setBusGaps(kShortGaps);
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
        simulator()->call([lane, settings](RangeSimulator &sim) { return sim.startShooter(lane, settings); });
    }
}

void RoadTest::stopShooters(const QList<int> &lanes)
{
    for (int lane : lanes)
        simulator()->call([lane](RangeSimulator &sim) { sim.stopShooter(lane); });
}

int RoadTest::firedShots(int lane)
{
    const QList<TrafficEntry> traffic = simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
    return int(std::count_if(traffic.cbegin(), traffic.cend(), [lane](const TrafficEntry &entry) {
        return entry.kind == TrafficEntry::Shot && entry.address == lane;
    }));
}

int RoadTest::highestPolledShot(int lane)
{
    const QList<TrafficEntry> traffic = simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
    int highest = 0;
    for (const TrafficEntry &entry : traffic) {
        // The poll: lane, length, A3, the number asked for.
        if (entry.kind == TrafficEntry::Received && entry.address == lane && entry.code == kPollCode
            && entry.bytes.size() > 3)
            highest = std::max(highest, int(quint8(entry.bytes.at(3))));
    }
    return highest;
}

int RoadTest::storedShots(int eventID, int memberID)
{
    return rows("SELECT COUNT(*) FROM tbullets WHERE fEventID=? AND fMemberID=?", {eventID, memberID})
        .value(0)
        .value(0)
        .toInt();
}
