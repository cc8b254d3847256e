// The relays of a competition on the real main window: the default
// distribution, the relay dialog, the checks before the current relay page,
// the current relay page against the range simulator, and the question about
// members short of match shots when a stored competition is opened.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

#include "mainwindowtest.h"
#include "simulatorthread.h"
#include "tbulletlist.h"
#include "emuproc.h"
#include "tcompetition.h"
#include "tpracticemodul.h"
#include "tevent.h"
#include "tmembers.h"
#include "trelay.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tusermodul.h"

namespace {

constexpr int kCountry = 2; // a country of the default country list
// Competition types of the default list.
constexpr int kPistol25 = 8; // precision stage, then rapid-fire stage: 30 match shots each
constexpr int kRifle60 = 1;  // one exercise of 60 match shots (the final is not held)
constexpr int kMatchShots25 = 30;
constexpr int kMatchStage = 1;
constexpr int kMissX = 65535; // the x of a miss as the shots table stores it

struct Place
{
    int relay = -1;
    int target = -1;
    bool operator==(const Place &other) const
    {
        return relay == other.relay && target == other.target;
    }
};

} // namespace

namespace QTest {
template <>
char *toString(const Place &place)
{
    return qstrdup(
        qPrintable(QStringLiteral("relay %1, target %2").arg(place.relay).arg(place.target)));
}
} // namespace QTest

class TestRelays : public MainWindowTest
{
    Q_OBJECT

private slots:
    void defaultDistributionAndMoves();
    void relayDialogKeepsWhatItCannotOffer();
    void emptyAddressRangeIsRefused_data();
    void emptyAddressRangeIsRefused();
    void checksBeforeTheCurrentRelay();
    void currentRelayFollowsTheLine();
    void answersReachTheLineOfTheWorkMode_data();
    void answersReachTheLineOfTheWorkMode();
    void unfinishedExerciseFilledForAll();
    void unfinishedExerciseAskedOneByOne();

private:
    // A new competition of that type with members on start numbers 1..count,
    // family names "F01", "F02", ...; their member IDs by start number.
    QList<int> makeCompetition(int type, int count);
    bool addMember(int startNumber);
    TEvent *event(int num) const;
    // Member ID -> relay and target, from the stored relay rows of an exercise.
    QMap<int, Place> storedPlaces(const TEvent *event);
    int storedShots(const TEvent *event, int memberID, bool missesOnly = false);
    void storeMatchShots(TEvent *event, int memberID, int target, int count);
    void openRelaysPage();
    void clickMember(int startNumber);
    // The relay dialog of that member, answered.
    void moveMember(int startNumber, int relay, int target);
    void chooseExercise(int index);
    TRelay *runRelay() const { return userModul()->currentRunRelay(nullptr, nullptr); }
    // Continues the stored competition as a restarted program does, up to the
    // competitions page's Next.
    void continueStoredCompetition();
    // A stored competition of three members, the first with 5 of 30 match
    // shots in the first stage, the second with 3 in secondStage; opened, its
    // question shown (null when it is not).
    QWidget *openWithShortMembers(QList<int> *ids, int secondStage);
};

QList<int> TestRelays::makeCompetition(int type, int count)
{
    // A competition is what the operator chose on the welcome page.
    if (!click(QStringLiteral("pbNEW"))
        || !userModul()->newCompetition(kCountry, type, false, QStringLiteral("Cup")))
        return {};
    for (int i = 1; i <= count; ++i) {
        if (!addMember(i))
            return {};
    }
    QList<int> ids;
    TMembers *members = userModul()->members();
    for (TShooter *member = members->memberAt(0); member; member = members->nextMember(member))
        ids.append(member->memberID());
    return ids;
}

bool TestRelays::addMember(int startNumber)
{
    const QString family = QStringLiteral("F%1").arg(startNumber, 2, 10, QLatin1Char('0'));
    const int shooterID =
        userModul()->addShooter(QStringLiteral("N"), family, QDate(1990, 1, 1), 0, kCountry, 0, 0);
    TShooter *shooter = userModul()->shooters()->shooterByID(shooterID);
    return shooter && userModul()->addMember(shooter, startNumber);
}

TEvent *TestRelays::event(int num) const
{
    return userModul()->currentCompetition()->eventByNum(num);
}

QMap<int, Place> TestRelays::storedPlaces(const TEvent *event)
{
    QMap<int, Place> places;
    const Rows stored = rows(QStringLiteral("SELECT fMemberID, fRelayNum, fMemberTarget FROM trelays "
                                            "WHERE fEventID = ?"),
                             {event->id()});
    for (const QVariantList &row : stored)
        places.insert(row.at(0).toInt(), {row.at(1).toInt(), row.at(2).toInt()});
    return places;
}

int TestRelays::storedShots(const TEvent *event, int memberID, bool missesOnly)
{
    const Rows count = rows(QStringLiteral("SELECT COUNT(*) FROM tbullets WHERE fEventID = ? AND "
                                           "fMemberID = ? AND (? = 0 OR fX = ?)"),
                            {event->id(), memberID, missesOnly ? 1 : 0, kMissX});
    return count.isEmpty() ? -1 : count.first().first().toInt();
}

void TestRelays::storeMatchShots(TEvent *event, int memberID, int target, int count)
{
    TBulletList *list = userModul()->bulletList(event->id());
    QVERIFY(list);
    if (!list->placeByMemberId(memberID))
        list->addPlace(memberID, target, QStringLiteral("M"));
    list->setStageOfTarget(target, kMatchStage);
    for (int i = 0; i < count; ++i) {
        const int number = list->lastBulletNumberOfTarget(target, kMatchStage) + 1;
        QVERIFY(list->addShotFromTarget(memberID, number, 10 * i, 20, 0, 30 * i, 0));
    }
}

void TestRelays::openRelaysPage()
{
    QVERIFY(window()->showPage(Page::Members));
    QVERIFY(click(QStringLiteral("pBNext")));
    QCOMPARE(page(), Page::Relays);
}

void TestRelays::clickMember(int startNumber)
{
    // Rows stand in start number order.
    QVERIFY(clickRow(QStringLiteral("tw_members"), startNumber - 1));
}

void TestRelays::moveMember(int startNumber, int relay, int target)
{
    clickMember(startNumber);
    QVERIFY(click(QStringLiteral("pushButton")));
    auto *relayBox = widget<QSpinBox>(QStringLiteral("sB_relayNum"));
    auto *targetBox = widget<QSpinBox>(QStringLiteral("sB_targetAddr"));
    QVERIFY(relayBox && relayBox->isVisible() && targetBox);
    relayBox->setValue(relay);
    targetBox->setValue(target);
    QCOMPARE(relayBox->value(), relay);
    QCOMPARE(targetBox->value(), target);
    QVERIFY(click(QStringLiteral("pbOK")));
    QVERIFY(!relayBox->isVisible());
}

void TestRelays::chooseExercise(int index)
{
    auto *events = widget<QComboBox>(QStringLiteral("cBEvents"));
    QVERIFY(events);
    events->setCurrentIndex(index);
}

void TestRelays::continueStoredCompetition()
{
    QVERIFY(reopenWindow());
    QVERIFY(click(QStringLiteral("pBContinue")));
    QCOMPARE(page(), Page::Competitions);
    QVERIFY(clickRow(QStringLiteral("lw_Competitions"), 0));
    QVERIFY(click(QStringLiteral("pBNext1")));
}

void TestRelays::defaultDistributionAndMoves()
{
    const QList<int> ids = makeCompetition(kPistol25, 25);
    QCOMPARE(ids.size(), 25);
    openRelaysPage();

    // Ten addresses from 1: relays of ten members on targets 1 to 10, the
    // last one holding the rest, in both stages.
    for (int num : {1, 2}) {
        const QMap<int, Place> places = storedPlaces(event(num));
        QCOMPARE(places.size(), ids.size());
        for (int i = 0; i < ids.size(); ++i)
            QCOMPARE(places.value(ids.at(i)), (Place{i / 10 + 1, i % 10 + 1}));
    }

    // Nobody is current after the page was shown.
    QVERIFY(click(QStringLiteral("pushButton")));
    QVERIFY(expectBox(QStringLiteral("Участник не выбран!"), QStringLiteral("Выберите участника.")));

    // A double click opens the dialog, which offers the member's place and
    // only the addresses the bus serves.
    QVERIFY(clickRow(QStringLiteral("tw_members"), 20, true));
    QCOMPARE(widget<QLabel>(QStringLiteral("l_shooter"))->text(), QStringLiteral("F21 N"));
    QCOMPARE(widget<QSpinBox>(QStringLiteral("sB_relayNum"))->value(), 3);
    auto *targetBox = widget<QSpinBox>(QStringLiteral("sB_targetAddr"));
    QCOMPARE(targetBox->value(), 1);
    QCOMPARE(targetBox->minimum(), 1);
    QCOMPARE(targetBox->maximum(), 10);
    QVERIFY(click(QStringLiteral("pBCansel_2")));
    QCOMPARE(storedPlaces(event(1)).value(ids.at(20)), (Place{3, 1}));

    // With the repeat option (checked at first) a new relay follows into the
    // next stage.
    moveMember(21, 4, 3);
    QCOMPARE(storedPlaces(event(1)).value(ids.at(20)), (Place{4, 3}));
    QCOMPARE(storedPlaces(event(2)).value(ids.at(20)), (Place{4, 3}));

    // Without it, only the shown stage changes.
    QVERIFY(click(QStringLiteral("cBAutoFill")));
    chooseExercise(1);
    moveMember(22, 4, 4);
    QCOMPARE(storedPlaces(event(2)).value(ids.at(21)), (Place{4, 4}));
    QCOMPARE(storedPlaces(event(1)).value(ids.at(21)), (Place{3, 2}));

    // A new target in the member's own relay stays in the shown stage, also
    // with the repeat option.
    QVERIFY(click(QStringLiteral("cBAutoFill")));
    chooseExercise(0);
    moveMember(23, 3, 7);
    QCOMPARE(storedPlaces(event(1)).value(ids.at(22)), (Place{3, 7}));
    QCOMPARE(storedPlaces(event(2)).value(ids.at(22)), (Place{3, 3}));

    // The members table shows the shown stage's relays.
    const QAbstractItemModel *table = widget<QTableView>(QStringLiteral("tw_members"))->model();
    QCOMPARE(table->index(20, TMembers::RelayColumn).data().toString(), QStringLiteral("4"));
    chooseExercise(1);
    QCOMPARE(table->index(21, TMembers::RelayColumn).data().toString(), QStringLiteral("4"));
}

void TestRelays::relayDialogKeepsWhatItCannotOffer()
{
    QVERIFY(runFolder().writeFile(QStringLiteral("ServerDatas/Config.ini"),
                                  "[SET_CLIENTS]\nAddrStart=1\nAddrCol=2\n"));
    QVERIFY(reopenWindow());
    const QList<int> ids = makeCompetition(kRifle60, 25);
    QCOMPARE(ids.size(), 25);
    openRelaysPage();
    // Two addresses: thirteen relays, the last with one member.
    QCOMPARE(storedPlaces(event(1)).value(ids.at(24)), (Place{13, 1}));

    // Relay 13 is offered as it is; OK without a change moves nobody.
    clickMember(25);
    QVERIFY(click(QStringLiteral("pushButton")));
    QCOMPARE(widget<QSpinBox>(QStringLiteral("sB_relayNum"))->value(), 13);
    QCOMPARE(widget<QSpinBox>(QStringLiteral("sB_targetAddr"))->maximum(), 2);
    QVERIFY(click(QStringLiteral("pbOK")));
    QCOMPARE(storedPlaces(event(1)).value(ids.at(24)), (Place{13, 1}));
    QVERIFY(takeWarnings().isEmpty());

    // A target outside the served addresses, stored before the range shrank.
    TMembers *members = userModul()->members();
    QVERIFY(members->selectRelay(event(1)->id(), 12));
    QVERIFY(members->moveMemberToTarget(ids.at(23), 7));
    clickMember(24);
    QVERIFY(click(QStringLiteral("pushButton")));
    auto *targetBox = widget<QSpinBox>(QStringLiteral("sB_targetAddr"));
    QCOMPARE(targetBox->value(), 7);
    QVERIFY(click(QStringLiteral("pbOK")));
    QCOMPARE(storedPlaces(event(1)).value(ids.at(23)), (Place{12, 7}));

    // Leaving it goes back into the served addresses; no other unserved one
    // can be chosen.
    QVERIFY(click(QStringLiteral("pushButton")));
    targetBox->stepDown();
    QCOMPARE(targetBox->value(), 2);
    targetBox->setValue(5);
    QCOMPARE(targetBox->value(), 2);
    QVERIFY(click(QStringLiteral("pBCansel_2")));
    QCOMPARE(storedPlaces(event(1)).value(ids.at(23)), (Place{12, 7}));
}

void TestRelays::emptyAddressRangeIsRefused_data()
{
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("negative") << QByteArray("-4");
    QTest::newRow("not a number") << QByteArray("ten"); // reads as 0
}

void TestRelays::emptyAddressRangeIsRefused()
{
    QFETCH(QByteArray, written);
    QVERIFY(runFolder().writeFile(QStringLiteral("ServerDatas/Config.ini"),
                                  "[SET_CLIENTS]\nAddrStart=3\nAddrCol=" + written + "\n"));
    QVERIFY(reopenWindow());
    const Warnings::Shown refused = takeWarning();
    QCOMPARE(refused.title, QStringLiteral("Неверный диапазон адресов!"));
    // The file's own text, not the number it read as.
    QVERIFY2(refused.text.contains("AddrStart=3, AddrCol=" + written), qPrintable(refused.text));
    QCOMPARE(addrStart(), 3);
    QCOMPARE(addrCol(), 10);

    // The relays and the dialog work on the default count.
    const QList<int> ids = makeCompetition(kRifle60, 12);
    openRelaysPage();
    QCOMPARE(storedPlaces(event(1)).value(ids.at(9)), (Place{1, 12}));
    QCOMPARE(storedPlaces(event(1)).value(ids.at(10)), (Place{2, 3}));
    clickMember(1);
    QVERIFY(click(QStringLiteral("pushButton")));
    QCOMPARE(widget<QSpinBox>(QStringLiteral("sB_targetAddr"))->maximum(), 12);
    QVERIFY(click(QStringLiteral("pBCansel_2")));
}

void TestRelays::checksBeforeTheCurrentRelay()
{
    QVERIFY(makeCompetition(kPistol25, 0).isEmpty());
    QVERIFY(userModul()->currentCompetition());
    const QString first = event(1)->nameEng();
    const QString second = event(2)->nameEng();

    // Without members both checks pass, and there is no relay to shoot. The
    // members page lets nobody on without members: the page is put up here.
    QVERIFY(window()->showPage(Page::Relays));
    QVERIFY(click(QStringLiteral("pBNext")));
    QVERIFY(expectBox(QStringLiteral("ТЕКУЩАЯ СМЕНА!"),
                      QStringLiteral("1 - нет текущей смены(ошибка получения или CurrentRelay==0)")));
    QCOMPARE(page(), Page::Relays);

    // Three members laid out on the next visit; member 3 joins member 1's
    // target in the first stage only.
    for (int i = 1; i <= 3; ++i)
        QVERIFY(addMember(i));
    openRelaysPage();
    QCOMPARE(userModul()->members()->relayCount(), 2);
    QVERIFY(click(QStringLiteral("cBAutoFill")));
    moveMember(3, 1, 1);
    QVERIFY(click(QStringLiteral("cBAutoFill")));

    // A member who came later is in no relay: only that is reported.
    QVERIFY(addMember(4));
    QVERIFY(click(QStringLiteral("pBNext")));
    QVERIFY(expectBox(QStringLiteral("Участники вне смен!"),
                      QStringLiteral("Смены не назначены в упражнениях:\n%1\n%2").arg(first, second)));
    QVERIFY(takeWarnings().isEmpty());
    QCOMPARE(page(), Page::Relays);

    moveMember(4, 2, 1);
    QVERIFY(click(QStringLiteral("pBNext")));
    QVERIFY(expectBox(QStringLiteral("Несколько стрелков на одной мишени!"),
                      QStringLiteral("Совпадение мишеней у стрелков:\nУпражнение %1: смена 1\n").arg(first)));
    QCOMPARE(page(), Page::Relays);

    // Sorted out: the first relay of the first stage is about to shoot; no
    // converter answers here.
    moveMember(3, 1, 3);
    QVERIFY(click(QStringLiteral("pBNext")));
    QCOMPARE(page(), Page::CurrentRelay);
    QCOMPARE(widget<QLabel>(QStringLiteral("l_eventName"))->text(), first);
    QCOMPARE(widget<QLabel>(QStringLiteral("l_relayNum"))->text(), QStringLiteral("1"));
    QCOMPARE(widget<QLabel>(QStringLiteral("label_mode"))->text(), QStringLiteral("Поиск конвертора"));
    QVERIFY(!widget<QPushButton>(QStringLiteral("pBNext"))->isEnabled());
    QCOMPARE(widget<QTableView>(QStringLiteral("tv_relay"))->model()->rowCount(), 3);
    QVERIFY(click(QStringLiteral("pbBack")));
    QCOMPARE(page(), Page::Relays);
}

void TestRelays::currentRelayFollowsTheLine()
{
    QVERIFY(startSimulator({1, 2, 3}));
    simulator()->call([](RangeSimulator &sim) { sim.setTargetPresent(3, false); });
    QSignalSpy log(window(), &MainWindow::sig_log);
    const QList<int> ids = makeCompetition(kRifle60, 3);
    QCOMPARE(ids.size(), 3);
    openRelaysPage();
    QVERIFY(click(QStringLiteral("pBNext")));
    QCOMPARE(page(), Page::CurrentRelay);

    // The converter answers, the targets of lanes 1 and 2 do, lane 3 is off.
    auto *count = widget<QLabel>(QStringLiteral("l_colKommut"));
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("1"), kTimeoutMs);
    TRelay *relay = runRelay();
    QVERIFY(relay);
    QTRY_VERIFY_WITH_TIMEOUT(relay->memberAt(0)->isTargetEnabled()
                                 && relay->memberAt(1)->isTargetEnabled(),
                             kTimeoutMs);
    auto *next = widget<QPushButton>(QStringLiteral("pBNext"));
    auto *mode = widget<QLabel>(QStringLiteral("label_mode"));
    QVERIFY(!relay->memberAt(2)->isTargetEnabled());
    QVERIFY(!next->isEnabled());
    QCOMPARE(mode->text(), QStringLiteral("Поиск мишеней"));
    // The search line blinks: it fades from opaque.
    QTRY_VERIFY_WITH_TIMEOUT(mode->styleSheet().endsWith(QStringLiteral(", 0)")), kTimeoutMs);

    // Lane 3 back on: every target and terminal answers, and only then the
    // run screen is offered.
    simulator()->call([](RangeSimulator &sim) { sim.setTargetPresent(3, true); });
    QTRY_VERIFY_WITH_TIMEOUT(next->isEnabled(), kTimeoutMs);
    QCOMPARE(mode->text(), QStringLiteral("Мишени найдены"));
    for (int i = 0; i < 3; ++i) {
        QVERIFY(relay->memberAt(i)->isTargetEnabled());
        QVERIFY(relay->memberAt(i)->isPCEnabled());
    }

    // The traffic went on to the log window's slot, both ways, with the
    // recognised answers marked.
    bool wrote = false, read = false, answer = false;
    for (const QList<QVariant> &entry : qAsConst(log)) {
        wrote = wrote || entry.at(0).toInt() == 0;
        read = read || entry.at(0).toInt() == 1;
        answer = answer || (entry.at(0).toInt() == 1 && entry.at(4).toInt() == 1);
        QVERIFY(!entry.at(3).toByteArray().isEmpty());
    }
    QVERIFY(wrote && read && answer);

    // On to the run screen, with the relay's exercise wired.
    QVERIFY(click(QStringLiteral("pBNext")));
    QCOMPARE(page(), Page::Run);
    QVERIFY(currentEvent());

    // A converter that goes takes the run screen away again.
    simulator()->call([](RangeSimulator &sim) { sim.unplug(0); });
    QTRY_VERIFY_WITH_TIMEOUT(!next->isEnabled(), kTimeoutMs);
}

QWidget *TestRelays::openWithShortMembers(QList<int> *ids, int secondStage)
{
    *ids = makeCompetition(kPistol25, 3);
    if (ids->size() != 3)
        return nullptr;
    storeMatchShots(event(1), ids->at(0), 1, 5);
    storeMatchShots(event(secondStage), ids->at(1), 2, 3);
    continueStoredCompetition();
    auto *question = widget<QWidget>(QStringLiteral("DialogCheckMemberColBull"));
    return question && question->isVisible() ? question : nullptr;
}

void TestRelays::answersReachTheLineOfTheWorkMode_data()
{
    QTest::addColumn<QString>("choice"); // on the welcome page; none for no choice yet
    QTest::addColumn<bool>("relayHears");
    QTest::addColumn<bool>("practiceHears");
    QTest::newRow("nothing chosen yet") << QString() << false << false;
    QTest::newRow("competition") << QStringLiteral("pbNEW") << true << false;
    QTest::newRow("practice") << QStringLiteral("pushButton") << false << true;
    QTest::newRow("results viewer") << QStringLiteral("pBView") << false << false;
}

void TestRelays::answersReachTheLineOfTheWorkMode()
{
    QFETCH(QString, choice);
    QFETCH(bool, relayHears);
    QFETCH(bool, practiceHears);
    // A run relay of one member on target 1, and a practice line on target 1.
    QCOMPARE(makeCompetition(kRifle60, 1).size(), 1);
    openRelaysPage();
    const int competitionID = userModul()->currentCompetition()->id();
    QVERIFY(reopenWindow());
    userModul()->openCompetition(competitionID, true);
    TRelay *relay = userModul()->firstUnfinishedRelay(nullptr, nullptr);
    QVERIFY(relay && userModul()->prepareRunRelay());
    practiceModul()->setCurrentEvent(1, 1);
    TBulletList *practice = practiceModul()->getBulletList();
    QVERIFY(practice);
    practice->addPlace(1, 1, QStringLiteral("P"));
    if (!choice.isEmpty())
        QVERIFY(click(choice));

    // The bus master's reports, as its thread delivers them.
    emit bus()->sig_TargetEnabled(1, true);
    emit bus()->sig_PCEnabled(1, true);
    QCOMPARE(relay->memberAt(0)->isTargetEnabled(), relayHears);
    QCOMPARE(relay->memberAt(0)->isPCEnabled(), relayHears);
    QCOMPARE(practice->allTargetsFound(), practiceHears);
    QCOMPARE(practice->allPCsFound(), practiceHears);
    // An address nobody of the run relay has changes nobody.
    emit bus()->sig_TargetEnabled(2, false);
    QCOMPARE(relay->memberAt(0)->isTargetEnabled(), relayHears);
}

void TestRelays::unfinishedExerciseFilledForAll()
{
    QList<int> ids;
    QWidget *question = openWithShortMembers(&ids, 1);
    QVERIFY(question);
    // The question is open: the next page waits for the answer.
    QCOMPARE(widget<QLabel>(QStringLiteral("L_Name"))->text(), QStringLiteral("F01 N"));
    QCOMPARE(page(), Page::Competitions);
    // Neither Escape nor the window's close puts it away.
    QTest::keyClick(question, Qt::Key_Escape);
    QVERIFY(!question->close());
    QVERIFY(question->isVisible());

    QVERIFY(widget<QCheckBox>(QStringLiteral("CB_repeat"))->isChecked());
    QVERIFY(click(QStringLiteral("pbAdd")));
    QVERIFY(!question->isVisible());
    const TEvent *precision = event(1);
    QCOMPARE(storedShots(precision, ids.at(0)), kMatchShots25);
    QCOMPARE(storedShots(precision, ids.at(0), true), 25);
    QCOMPARE(storedShots(precision, ids.at(1)), kMatchShots25);
    QCOMPARE(storedShots(precision, ids.at(1), true), 27);
    QCOMPARE(storedShots(precision, ids.at(2)), 0);
    // Both have shot the stage now: the relays page, not the members page.
    QCOMPARE(page(), Page::Relays);
}

void TestRelays::unfinishedExerciseAskedOneByOne()
{
    QList<int> ids;
    QWidget *question = openWithShortMembers(&ids, 2);
    QVERIFY(question);
    QVERIFY(click(QStringLiteral("CB_repeat")));
    QVERIFY(click(QStringLiteral("pbClear")));

    // The next member's question is on screen while the first answer is done.
    QVERIFY(question->isVisible());
    QCOMPARE(widget<QLabel>(QStringLiteral("L_Name"))->text(), QStringLiteral("F02 N"));
    QVERIFY(widget<QLabel>(QStringLiteral("L_text"))->text().contains(event(2)->nameEng()));
    QCOMPARE(storedShots(event(1), ids.at(0)), 0);
    QCOMPARE(page(), Page::Competitions);

    QVERIFY(click(QStringLiteral("pbAdd")));
    QVERIFY(!question->isVisible());
    QCOMPARE(storedShots(event(2), ids.at(1)), kMatchShots25);
    QCOMPARE(storedShots(event(2), ids.at(1), true), 27);
    QCOMPARE(page(), Page::Relays);
    // The repeat option stays off for the next competition opened.
    QVERIFY(!widget<QCheckBox>(QStringLiteral("CB_repeat"))->isChecked());
}

QTEST_MAIN(TestRelays)
#include "tst_relays.moc"
