#include <QAbstractItemModelTester>
#include <QtTest>

#include <memory>

#include "shotfixtures.h"
#include "tbulletlist.h"
#include "tdbaccessor.h"
#include "testdatadir.h"
#include "tmemberplace.h"
#include "tseries.h"

using namespace shotfixtures;

namespace {

constexpr int kEventID = 5;
constexpr int kTarget = 3;
constexpr int kMember = 11;
constexpr int kNoHit = 0xFFFF;

// One stored row of "tbullets", as the list wrote it.
struct StoredShot
{
    int id = -1;
    int member = -1;
    double value = -1.0;
    int number = -1;
    int x = -1;
    int y = -1;
    int code = -1;
    int time = -1;
    int fine = -1;
};

} // namespace

class TestBulletList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void shotFromTargetIsStored();
    void failedInsertDropsShot();
    void shotText_data();
    void shotText();
    void summColumn();
    void missesFillTheMatch();
    void missesWithoutPlace();
    void shotState_data();
    void shotState();
    void purgeFlaggedShots_data();
    void purgeFlaggedShots();
    void replaceFlaggedShots();
    void loadRebuildsPlaces();
    void deleteShotsOfMember();
    void rowOrderAndTargets();
    void rowsFollowTheirPlaceWhenSorted();
    void terminalCursor();
    void practiceKeepsShotsInMemory();
    void equalPracticeTotalsByTarget();

private:
    TBulletList *newList(bool showTenths = false, int eventID = kEventID);
    TBulletList *newPractice();
    void addMember(TBulletList *list, int member, int target);
    TBullet *shoot(TBulletList *list, int member, int tenths, int fine = -1);
    QList<StoredShot> stored(int eventID = kEventID);

    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<TdbAccessor> m_db;
    std::vector<std::unique_ptr<TBulletList>> m_lists;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> m_testers;
};

void TestBulletList::init()
{
    m_dir = std::make_unique<TestDataDir>();
    QVERIFY(m_dir->isValid());
    m_db = std::make_unique<TdbAccessor>(QStringLiteral("shots"));
    QVERIFY(!m_db->isError());
}

void TestBulletList::cleanup()
{
    m_testers.clear();
    m_lists.clear();
    m_db.reset();
    m_dir.reset();
}

TBulletList *TestBulletList::newList(bool showTenths, int eventID)
{
    m_lists.push_back(std::make_unique<TBulletList>(eventID, m_db.get(), face(), showTenths,
                                                    kCalibre, kControlValue));
    TBulletList *list = m_lists.back().get();
    const auto mode = QAbstractItemModelTester::FailureReportingMode::QtTest;
    m_testers.push_back(std::make_unique<QAbstractItemModelTester>(list, mode));
    m_testers.push_back(std::make_unique<QAbstractItemModelTester>(list->series(), mode));
    return list;
}

TBulletList *TestBulletList::newPractice()
{
    m_lists.push_back(std::make_unique<TBulletList>(face(), false, kCalibre, kControlValue));
    m_testers.push_back(std::make_unique<QAbstractItemModelTester>(
        m_lists.back().get(), QAbstractItemModelTester::FailureReportingMode::QtTest));
    return m_lists.back().get();
}

void TestBulletList::addMember(TBulletList *list, int member, int target)
{
    list->addPlace(member, target, QStringLiteral("Member %1").arg(member), member + 100,
                   QImage(), QStringLiteral("RUS"), QStringLiteral("Dynamo"), QStringLiteral("MS"));
}

TBullet *TestBulletList::shoot(TBulletList *list, int member, int tenths, int fine)
{
    const TMemberPlace *place = list->placeByMemberId(member);
    const int shotID = list->lastBulletNumberOfTarget(place->target(), place->stage()) + 1;
    return list->addShotFromTarget(member, shotID, 0, yForTenths(tenths), 1, 0, fine);
}

QList<StoredShot> TestBulletList::stored(int eventID)
{
    QList<StoredShot> rows;
    m_db->selectEventBullets(eventID);
    while (m_db->next()) {
        StoredShot row;
        row.id = m_db->value(QStringLiteral("ID")).toInt();
        row.member = m_db->value(QStringLiteral("fMemberID")).toInt();
        row.value = m_db->value(QStringLiteral("fRange10")).toDouble();
        row.number = m_db->value(QStringLiteral("fNumber")).toInt();
        row.x = m_db->value(QStringLiteral("fX")).toInt();
        row.y = m_db->value(QStringLiteral("fY")).toInt();
        row.code = m_db->value(QStringLiteral("fP")).toInt();
        row.time = m_db->value(QStringLiteral("fTime")).toInt();
        row.fine = m_db->value(QStringLiteral("fFine")).toInt();
        rows << row;
    }
    return rows;
}

void TestBulletList::layout_data()
{
    QTest::addColumn<bool>("practice");
    QTest::addColumn<int>("shotColumns");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("header");

    // Edge cases of the shot list: with 10 shots a series, column 5 is shot 2 and 14 is SUMM.
    QTest::newRow("competition, shot 2") << false << 10 << 15 << 5 << "        2       ";
    QTest::newRow("competition, SUMM") << false << 10 << 15 << 14 << "         SUMM        ";
    QTest::newRow("competition, TARGET") << false << 10 << 15 << 3 << "TARGET";
    // A practice list with 5 shots has 9 columns: NAME, TARGET, TERMINAL, 5 shots, SUMM.
    QTest::newRow("practice, TERMINAL") << true << 5 << 9 << 2 << "TERMINAL";
    QTest::newRow("practice, shot 1") << true << 5 << 9 << 3 << "        1       ";
    QTest::newRow("practice, SUMM") << true << 5 << 9 << 8 << "         SUMM        ";
}

void TestBulletList::layout()
{
    QFETCH(bool, practice);
    QFETCH(int, shotColumns);
    TBulletList *list = practice ? newPractice() : newList();
    list->setShotColumns(shotColumns);
    QTEST(list->columnCount(), "columns");
    QFETCH(int, column);
    QTEST(list->headerData(column, Qt::Horizontal).toString(), "header");
    QCOMPARE(list->lastColumn(), list->columnCount() - 1);
    QCOMPARE(list->targetNum(), kFaceId);
}

void TestBulletList::shotFromTargetIsStored()
{
    TBulletList *list = newList();
    list->setShotColumns(2);
    list->setSeriesSize(1);
    addMember(list, kMember, kTarget);

    // A sighting shot is shown and counted, and stays in memory.
    TBullet *sighting = list->addShotFromTarget(kMember, 1, 0, yForTenths(95), 1, 10, -1);
    QVERIFY(sighting);
    QCOMPARE(sighting->id(), -1);
    QCOMPARE(list->shotCountOfStage(kTarget, 0), 1);
    QCOMPARE(list->data(list->index(0, 4)).toString(), QStringLiteral("9"));
    QVERIFY(stored().isEmpty());
    // The target's number 1 in this stage and counter is a repeat; after a stage switch it is not.
    QVERIFY(list->hasShot(kTarget, 1));
    list->setStageAll(1);
    QVERIFY(!list->hasShot(kTarget, 1));
    QCOMPARE(list->shotCountOfStage(kTarget, 0), 0); // dropped for the match

    // A match shot goes to the place, the series table and "tbullets".
    TBullet *shot = list->addShotFromTarget(kMember, 1, 0, yForTenths(98), 2, 123, -1);
    QVERIFY(shot);
    QCOMPARE(list->placeByTarget(kTarget)->bulletAt(1, 1), shot);
    QCOMPARE(stored().size(), 1);
    const StoredShot row = stored().first();
    QCOMPARE(row.id, shot->id());
    QCOMPARE(row.member, kMember);
    QCOMPARE(row.value, 9.8);
    QCOMPARE(row.number, 1);
    QCOMPARE(row.y, yForTenths(98));
    QCOMPARE(row.code, 2);
    QCOMPARE(row.time, 123);
    QCOMPARE(row.fine, 0); // fine -1 is stored as 0
    QVERIFY(list->hasShot(kTarget, 1));

    const QModelIndex cell = list->index(0, 4);
    QCOMPARE(cell.data(TBulletList::BullIdRole), QVariant(shot->id()));
    QCOMPARE(cell.data(TBulletList::BullNumRole), QVariant(1));
    QCOMPARE(cell.data(TBulletList::BullRankRole), QVariant(9));
    QCOMPARE(cell.data(TBulletList::BullRank10Role).toDouble(), 9.8);
    QCOMPARE(cell.data(TBulletList::BullPlaceRole), QVariant(2));
    QCOMPARE(cell.data(TBulletList::BulletRole), QVariant(true));
    QCOMPARE(cell.data(TBulletList::BulletPracticeRole), QVariant(1));
    QCOMPARE(list->index(0, 0).data(TBulletList::MemberIdRole), QVariant(kMember));
    QVERIFY(!list->index(0, 5).data(TBulletList::BulletRole).isValid()); // no shot 2 yet

    const QModelIndex series = list->series()->index(0, 4);
    QVERIFY(series.data().toString().isEmpty()); // one shot of a series of two
    QVERIFY(list->addShotFromTarget(kMember, 2, 0, yForTenths(100), 1, 130, -1));
    QCOMPARE(series.data().toString(), QStringLiteral("19 *0"));
    QCOMPARE(stored().size(), 2);
}

void TestBulletList::failedInsertDropsShot()
{
    TBulletList *list = newList();
    addMember(list, kMember, kTarget);
    list->setStageAll(1);
    QVERIFY(m_db->execQuery(QStringLiteral("DROP TABLE tbullets")));
    QSignalSpy errors(m_db.get(), &TdbAccessor::errorSQL);
    QVERIFY(!shoot(list, kMember, 100));
    QCOMPARE(list->shotCountOfStage(kTarget, 1), 0);
    QVERIFY(!errors.isEmpty());
    // A shot for a member without a place is refused.
    QVERIFY(!list->addShotFromTarget(99, 1, 0, 0, 1, 0, -1));
}

void TestBulletList::shotText_data()
{
    QTest::addColumn<bool>("showTenths");
    QTest::addColumn<int>("tenths");
    QTest::addColumn<QString>("text");

    // Edge cases of the shot list, control value 10.4.
    QTest::newRow("10.4 in tenths") << true << 104 << "10.4*";
    QTest::newRow("9.8 in tenths") << true << 98 << "9.8";
    QTest::newRow("10.4 in points") << false << 104 << "10*";
    QTest::newRow("10.3 in points") << false << 103 << "10";
}

void TestBulletList::shotText()
{
    QFETCH(bool, showTenths);
    QFETCH(int, tenths);
    TBulletList *list = newList(showTenths);
    addMember(list, kMember, kTarget);
    shoot(list, kMember, tenths);
    QTEST(list->data(list->index(0, 4)).toString(), "text");
    // Hidden arrows hide the shot, not the labels.
    list->setShowArrows(false, -1);
    QVERIFY(!list->data(list->index(0, 4)).isValid());
    QCOMPARE(list->data(list->index(0, 0)).toString(), QStringLiteral("Member 11"));
}

void TestBulletList::summColumn()
{
    TBulletList *list = newList();
    list->setShotColumns(10);
    addMember(list, kMember, kTarget);
    list->setStageAll(1);
    // Whole points 9, 10, 10, 8, 10, 9, 10, 10, 9, 10 with three shots at or above 10.4.
    for (int tenths : {90, 104, 100, 80, 105, 90, 100, 109, 90, 100})
        shoot(list, kMember, tenths);
    QCOMPARE(list->data(list->lastColumnIndex(0)).toString(), QStringLiteral("95 *3"));
    QCOMPARE(list->lastColumnIndex(0).data(TBulletList::BulletPracticeRole), QVariant(1));
    // An 11th shot stands alone in the first shot column; the series is not complete.
    shoot(list, kMember, 70);
    QCOMPARE(list->data(list->index(0, 4)).toString(), QStringLiteral("7"));
    QVERIFY(!list->data(list->index(0, 5)).isValid());
    QVERIFY(!list->data(list->lastColumnIndex(0)).isValid());
}

void TestBulletList::missesFillTheMatch()
{
    TBulletList *list = newList();
    list->setShotColumns(10);
    addMember(list, kMember, kTarget);
    list->setStageAll(1);
    for (int i = 0; i < 57; ++i)
        shoot(list, kMember, 90);
    list->addMisses(kMember, 0, -1); // nothing
    list->addMisses(kMember, 3, -1);

    const TMemberPlace *place = list->placeByMemberId(kMember);
    QCOMPARE(list->shotCountOfMember(kMember), 60);
    for (int number = 58; number <= 60; ++number) {
        const TBullet *miss = place->bulletAt(number, 1);
        QVERIFY(miss);
        QCOMPARE(miss->point(), QPoint(kNoHit, kNoHit));
        QCOMPARE(miss->range(), 0.0);
        QCOMPARE(miss->fine(), 0);
    }
    // Shots 51 to 60 are the current series: the misses are in columns 11 to 13.
    QCOMPARE(list->data(list->index(0, 13)).toString(), QStringLiteral("0"));
    QCOMPARE(list->data(list->index(0, 13), Qt::DecorationRole).userType(), int(QMetaType::QImage));
    const QList<StoredShot> rows = stored();
    QCOMPARE(rows.size(), 60);
    QCOMPARE(rows.last().number, 60);
    QCOMPARE(rows.last().value, 0.0);
    QCOMPARE(rows.last().x, kNoHit);
}

void TestBulletList::missesWithoutPlace()
{
    TBulletList *list = newList();
    list->addMisses(kMember, 2, 1);
    QCOMPARE(list->shotCountOfMember(kMember), 2);
    QCOMPARE(list->offlineShots().size(), 2);
    const QList<StoredShot> rows = stored();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(1).number, 2);
    QCOMPARE(rows.at(1).fine, 1);
    // The member's row takes them over with their keys; fine 1 starts flagged.
    addMember(list, kMember, kTarget);
    QVERIFY(list->offlineShots().isEmpty());
    const TMemberPlace *place = list->placeByMemberId(kMember);
    QCOMPARE(place->countMatchShots(1), 2);
    QVERIFY(place->bulletAt(1, 1)->isFine());
    QCOMPARE(place->bulletAt(2, 1)->id(), rows.at(1).id);
    QCOMPARE(place->stage(), 0);
}

void TestBulletList::shotState_data()
{
    QTest::addColumn<int>("shots");
    QTest::addColumn<int>("state");
    // Edge cases of the shot list, "MatchCount" 60.
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("59") << 59 << 1;
    QTest::newRow("60") << 60 << 2;
    QTest::newRow("61") << 61 << 2;
}

void TestBulletList::shotState()
{
    QFETCH(int, shots);
    TBulletList *list = newList();
    list->addMisses(kMember, shots, -1);
    QTEST(list->shotState(kMember, 60), "state");
    // The same from the stored rows, once the member is on the line.
    TBulletList *reloaded = newList();
    addMember(reloaded, kMember, kTarget);
    QTEST(reloaded->shotState(kMember, 60), "state");
}

void TestBulletList::purgeFlaggedShots_data()
{
    QTest::addColumn<QList<int>>("flagged"); // running numbers flagged of five
    QTest::addColumn<QList<int>>("kept");    // target numbers of the shots left, by new number

    // Edge cases of the shot list.
    QTest::newRow("2 and 3 of five") << QList<int>{2, 3} << QList<int>{1, 4, 5};
    QTest::newRow("the first two") << QList<int>{1, 2} << QList<int>{3, 4, 5};
    QTest::newRow("none") << QList<int>{} << QList<int>{1, 2, 3, 4, 5};
}

void TestBulletList::purgeFlaggedShots()
{
    QFETCH(QList<int>, flagged);
    QFETCH(QList<int>, kept);
    TBulletList *list = newList();
    list->setShotColumns(5);
    addMember(list, kMember, kTarget);
    list->setStageAll(1);
    for (int i = 0; i < 5; ++i)
        shoot(list, kMember, 90, 0);

    // The operator ticks the shots; a check box shows only on shots of fine 1.
    QVERIFY(!list->setData(list->index(0, 4), true, Qt::CheckStateRole)); // not marking yet
    list->setMarking(true);
    QVERIFY(list->flags(list->index(0, 4)) & Qt::ItemIsUserCheckable);
    for (int number : flagged)
        QVERIFY(list->setData(list->index(0, 3 + number), true, Qt::CheckStateRole));
    QVERIFY(!list->index(0, 4).data(Qt::CheckStateRole).isValid());
    QCOMPARE(list->placeByTarget(kTarget)->countFlagged(5), flagged.size());

    list->purgeFlaggedShots(kTarget);
    const TMemberPlace *place = list->placeByTarget(kTarget);
    QCOMPARE(place->countMatchShots(-1), kept.size());
    QCOMPARE(place->countFlagged(5), 0);
    const QList<StoredShot> rows = stored(); // ordered by number
    QCOMPARE(rows.size(), kept.size());
    for (int i = 0; i < kept.size(); ++i) {
        const TBullet *shot = place->bulletAt(i + 1, 1);
        QCOMPARE(shot->shotID(), kept.at(i));
        QCOMPARE(rows.at(i).id, shot->id());
        QCOMPARE(rows.at(i).number, i + 1);
    }
}

void TestBulletList::replaceFlaggedShots()
{
    TBulletList *list = newList();
    list->setShotColumns(5);
    addMember(list, kMember, kTarget);
    list->setStageAll(1);
    for (int i = 0; i < 3; ++i)
        shoot(list, kMember, 90);
    list->addMisses(kMember, 2, 1); // numbers 4 and 5, flagged for re-shooting

    const QList<StoredShot> before = stored();
    TBullet *first = list->replaceFlaggedShot(kMember, 1, 0, yForTenths(100), 1, 40);
    TBullet *second = list->replaceFlaggedShot(kMember, 2, 0, yForTenths(80), 1, 50);
    QVERIFY(first && second);
    // Each flagged shot is replaced once, in number order, under its key.
    QCOMPARE(first->number(), 4);
    QCOMPARE(first->id(), before.at(3).id);
    QCOMPARE(second->number(), 5);
    QCOMPARE(second->id(), before.at(4).id);
    QCOMPARE(list->shotCountOfMember(kMember), 5);
    const QList<StoredShot> after = stored();
    QCOMPARE(after.size(), 5);
    QCOMPARE(after.at(3).value, 10.0);
    QCOMPARE(after.at(4).value, 8.0);
    QCOMPARE(after.at(4).fine, 1);
    QVERIFY(!list->replaceFlaggedShot(kMember, 3, 0, 0, 1, 60)); // none flagged any more
}

void TestBulletList::loadRebuildsPlaces()
{
    TBulletList *first = newList(true);
    first->setShotColumns(5);
    first->setSeriesSize(2);
    addMember(first, 1, 1);
    addMember(first, 2, 2);
    first->setStageAll(1);
    for (int i = 0; i < 7; ++i) {
        shoot(first, 1, 100 + i);
        shoot(first, 2, 99 - i);
    }
    // A row whose stored value disagrees with its coordinates (x 0, y 0 is 10.9),
    // one with an unreadable coordinate, and one of another exercise.
    const QString insert = QStringLiteral(
        "INSERT INTO tbullets (ID, fEventID, fMemberID, fRange10, fNumber, fX, fY, fP, "
        "fEventActive, fTime, fFine) VALUES (%1, %2, 2, 1.0, %3, %4, 0, 1, 1, 0, 0)");
    QVERIFY(m_db->execQuery(insert.arg(100).arg(kEventID).arg(8).arg(0)));
    QVERIFY(m_db->execQuery(insert.arg(101).arg(kEventID).arg(9).arg(QStringLiteral("NULL"))));
    QVERIFY(m_db->execQuery(insert.arg(102).arg(kEventID + 1).arg(1).arg(0)));

    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Cannot load data:")));
    TBulletList *second = newList(true);
    second->setShotColumns(5);
    second->setSeriesSize(2);
    QCOMPARE(second->placeCount(), 0);
    QCOMPARE(second->offlineShots().size(), 15);
    addMember(second, 2, 2);
    addMember(second, 1, 1);

    const TMemberPlace *a = first->placeByMemberId(2);
    const TMemberPlace *b = second->placeByMemberId(2);
    QCOMPARE(b->countMatchShots(-1), 8);
    QCOMPARE(b->bulletAt(8, 1)->range(), 10.9); // recomputed from the coordinates
    QCOMPARE(b->bulletAt(8, 1)->id(), 100);
    QCOMPARE(b->total(), a->total() + 10.9);
    QCOMPARE(second->placeByMemberId(1)->total(), first->placeByMemberId(1)->total());
    for (int number = 1; number <= 7; ++number)
        QCOMPARE(b->bulletAt(number, 1)->id(), a->bulletAt(number, 1)->id());
    // Rows by whole total: member 1 holds 10.0 to 10.6 (72.1), member 2 9.9
    // down to 9.3 (67.2), and 78.1 once the extra row of 10.9 is read.
    QCOMPARE(first->placeAtRow(0)->memberID(), 1);
    QCOMPARE(second->placeAtRow(0)->memberID(), 2);
    // Series 1 of five: 9.9 to 9.5, and 10.0 to 10.4 with one marked.
    QCOMPARE(second->series()->index(0, 4).data().toString(), QStringLiteral("48.5 *0"));
    QCOMPARE(first->series()->index(1, 4).data().toString(), QStringLiteral("48.5 *0"));
    QCOMPARE(second->series()->index(1, 4).data().toString(), QStringLiteral("51.0 *1"));
    QVERIFY(!second->series()->index(0, 5).data().isValid()); // 8 shots: series 2 not complete

    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Cannot load data:")));
    QVERIFY(second->reload());
    QCOMPARE(second->placeCount(), 0);
    QCOMPARE(second->offlineShots().size(), 15);
}

void TestBulletList::deleteShotsOfMember()
{
    TBulletList *list = newList();
    addMember(list, kMember, kTarget);
    list->setStageAll(1);
    shoot(list, kMember, 90);
    shoot(list, kMember, 90);
    list->addMisses(22, 3, -1); // a member without a place
    QCOMPARE(stored().size(), 5);

    list->deleteShotsOfMember(kMember);
    QCOMPARE(list->shotCountOfMember(kMember), 0);
    QCOMPARE(stored().size(), 3);
    list->deleteShotsOfMember(22);
    QVERIFY(list->offlineShots().isEmpty());
    QVERIFY(stored().isEmpty());
}

void TestBulletList::rowOrderAndTargets()
{
    TBulletList *list = newList(true);
    QCOMPARE(list->firstTarget(), -1);
    QVERIFY(list->allTargetsFound());
    list->removeAll(); // empty: stays empty
    QCOMPARE(list->rowCount(), 0);

    addMember(list, 1, 7);
    addMember(list, 2, 8);
    addMember(list, 3, 9);
    list->setStageAll(1);
    shoot(list, 3, 59);
    shoot(list, 2, 51);
    // The list shows tenths: 5.9 goes before 5.1, though both are 5 points.
    QVERIFY(compareSeriesResultDesc(list->placeByTarget(9), list->placeByTarget(8)));
    QVERIFY(!compareSeriesResultDesc(list->placeByTarget(8), list->placeByTarget(9)));
    QVERIFY(compareSeriesResultDesc(list->placeByTarget(9), list->placeByTarget(7)));
    QCOMPARE(list->placeAtRow(0)->memberID(), 3);
    QCOMPARE(list->placeAtRow(2)->memberID(), 1);
    QCOMPARE(list->placeAtRow(3, 1)->memberID(), 1);
    QVERIFY(!list->placeAtRow(3));

    const int last = list->placeAtRow(2)->target();
    QCOMPARE(list->nextTarget(last), -1);
    QCOMPARE(list->nextTarget(list->firstTarget()), list->placeAtRow(1)->target());
    QCOMPARE(list->memberIdOfTarget(8), 2);
    QCOMPARE(list->memberIdOfTarget(4), -1);
    QCOMPARE(list->lastBulletNumberOfTarget(4, 1), -1);
    QCOMPARE(list->pendingReset(4), -1);

    QSignalSpy changed(list, &QAbstractItemModel::dataChanged);
    list->setTargetFound(7, true);
    list->setTargetFound(7, true); // no change, no signal
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), list->index(2, 3));
    QVERIFY(!list->allTargetsFound());
    list->setTargetFound(8, true);
    list->setTargetFound(9, true);
    QVERIFY(list->allTargetsFound());

    list->removeAll();
    QCOMPARE(list->rowCount(), 0);
    QCOMPARE(list->series()->rowCount(), 0);
}

void TestBulletList::rowsFollowTheirPlaceWhenSorted()
{
    TBulletList *list = newList();
    addMember(list, 1, 7);
    addMember(list, 2, 8);
    list->setStageAll(1);
    QCOMPARE(list->placeAtRow(0)->memberID(), 1);
    // A view's selection of member 1, in the shot table and in the series table.
    const QPersistentModelIndex shotRow(list->index(0, 0));
    const QPersistentModelIndex seriesRow(list->series()->index(0, 0));
    QSignalSpy layouts(list, &QAbstractItemModel::layoutChanged);
    QSignalSpy moved(list, &QAbstractItemModel::dataChanged);
    QSignalSpy seriesMoved(list->series(), &QAbstractItemModel::dataChanged);

    // Member 2 now leads and moves up: both tables are told of the rows
    // between its old and new place, every column, not of a new layout.
    shoot(list, 2, 95);
    QCOMPARE(list->placeAtRow(0)->memberID(), 2);
    QCOMPARE(layouts.size(), 0);
    for (auto [spy, model] : {std::make_pair(&moved, static_cast<QAbstractItemModel *>(list)),
                              std::make_pair(&seriesMoved,
                                             static_cast<QAbstractItemModel *>(list->series()))}) {
        QCOMPARE(spy->first().at(0).toModelIndex(), model->index(0, 0));
        QCOMPARE(spy->first().at(1).toModelIndex(), model->index(1, model->columnCount() - 1));
    }
    QCOMPARE(shotRow.row(), 1);
    QCOMPARE(seriesRow.row(), 1);
    QCOMPARE(list->data(shotRow, TBulletList::MemberIdRole).toInt(), 1);

    // The order stays: both tables are told of the shooter's row, every
    // column of it, and of nothing else.
    QSignalSpy cells(list, &QAbstractItemModel::dataChanged);
    QSignalSpy seriesCells(list->series(), &QAbstractItemModel::dataChanged);
    shoot(list, 2, 95);
    QCOMPARE(layouts.size(), 0);
    for (auto [spy, model] : {std::make_pair(&cells, static_cast<QAbstractItemModel *>(list)),
                              std::make_pair(&seriesCells,
                                             static_cast<QAbstractItemModel *>(list->series()))}) {
        QCOMPARE(spy->size(), 1);
        QCOMPARE(spy->at(0).at(0).toModelIndex(), model->index(0, 0));
        QCOMPARE(spy->at(0).at(1).toModelIndex(), model->index(0, model->columnCount() - 1));
    }
}

void TestBulletList::terminalCursor()
{
    TBulletList *list = newList();
    addMember(list, kMember, kTarget);
    list->setStageAll(1);
    for (int i = 0; i < 5; ++i)
        shoot(list, kMember, 90);
    // A terminal in match holding 3 shots gets shot 4.
    QCOMPARE(list->nextShotForTerminal(kTarget, 3, 1)->number(), 4);
    // A report of another stage leaves the cursor: still shot 4.
    QCOMPARE(list->nextShotForTerminal(kTarget, 0, 0)->number(), 4);
    QCOMPARE(list->nextShotForTerminal(kTarget)->number(), 4);
    QVERIFY(!list->nextShotForTerminal(kTarget, 5, 1));
    QVERIFY(!list->nextShotForTerminal(99));
}

void TestBulletList::equalPracticeTotalsByTarget()
{
    // Practice places have no start number: equal totals stand by target,
    // whatever order the shooters were added or shot in.
    TBulletList *list = newPractice();
    list->addPlace(1, 5, QStringLiteral("A"));
    list->addPlace(2, 3, QStringLiteral("B"));
    list->addPlace(3, 4, QStringLiteral("C"));
    list->setStageAll(1);
    for (int member : {1, 3, 2})
        QVERIFY(shoot(list, member, 95));
    QList<int> targets;
    for (int row = 0; row < list->placeCount(); ++row)
        targets << list->placeAtRow(row, 0)->target();
    QCOMPARE(targets, (QList<int>{3, 4, 5}));
}

void TestBulletList::practiceKeepsShotsInMemory()
{
    TBulletList *list = newPractice();
    list->addPlace(1, 4, QStringLiteral("Petrov"));
    list->setStageAll(1);
    TBullet *shot = shoot(list, 1, 100);
    QVERIFY(shot);
    QCOMPARE(shot->id(), -1);
    QCOMPARE(list->eventId(), -1);
    QVERIFY(stored(-1).isEmpty());
    QCOMPARE(list->data(list->index(0, 2)).toString(), QString()); // TERMINAL
    list->setPCFound(4, true);
    QVERIFY(list->allPCsFound());
    QVERIFY(list->reload());
    QCOMPARE(list->placeCount(), 0);
}

QTEST_MAIN(TestBulletList)
#include "tst_tbulletlist.moc"
