#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "shotfixtures.h"
#include "tdbaccessor.h"
#include "testdatadir.h"
#include "tmemberplace.h"
#include "tshotwrites.h"

using namespace shotfixtures;

namespace {

constexpr int kEventID = 5;
constexpr int kMemberA = 11;
constexpr int kMemberB = 12;
constexpr int kRetryWaitMs = 10000; // the queue tries again every second

const QString kRefuseInserts = QStringLiteral(
    "CREATE TRIGGER refuse_insert BEFORE INSERT ON tbullets BEGIN SELECT RAISE(ABORT, 'refused'); END");
const QString kRefuseUpdates = QStringLiteral(
    "CREATE TRIGGER refuse_update BEFORE UPDATE ON tbullets BEGIN SELECT RAISE(ABORT, 'refused'); END");
const QString kRefuseDeletes = QStringLiteral(
    "CREATE TRIGGER refuse_delete BEFORE DELETE ON tbullets BEGIN SELECT RAISE(ABORT, 'refused'); END");

} // namespace

class TestShotWrites : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusedWritesWaitAndAreTriedAgain();
    void whatEndsAMembersRefusal_data();
    void whatEndsAMembersRefusal();
    void aWaitingDeleteSparesTheShotThatTookItsKey();
    void aWaitingPageChangeKeepsTheNumbersItsRowsHave();

private:
    // A match shot of the member, not stored yet; owned by the test.
    TBullet *newShot(int member, int number, int x = 0);
    // The shot's record is gone, as when the list erases it.
    void erase(const TBullet *shot);
    bool exec(const QString &statement) { return m_db->execQuery(statement); }
    // The stored numbers of the member's rows, in key order.
    QList<int> storedNumbers(int member) { return storedColumn(member, "fNumber"); }
    QList<int> storedColumn(int member, const QString &column);

    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<TdbAccessor> m_db;
    std::vector<std::unique_ptr<TBullet>> m_shots;
};

void TestShotWrites::init()
{
    m_dir = std::make_unique<TestDataDir>();
    QVERIFY(m_dir->isValid());
    m_db = std::make_unique<TdbAccessor>(QStringLiteral("writes"));
    QVERIFY(!m_db->isError());
}

void TestShotWrites::cleanup()
{
    m_shots.clear();
    m_db.reset();
    m_dir.reset();
}

TBullet *TestShotWrites::newShot(int member, int number, int x)
{
    m_shots.push_back(std::make_unique<TBullet>(0, number, x, yForTenths(95), quint8(1), 10, face(),
                                                kCalibre, kControlValue, 0));
    TBullet *shot = m_shots.back().get();
    shot->setMemberID(member);
    shot->setStage(TMemberPlace::kMatch);
    return shot;
}

void TestShotWrites::erase(const TBullet *shot)
{
    m_shots.erase(std::find_if(m_shots.begin(), m_shots.end(),
                               [shot](const auto &owned) { return owned.get() == shot; }));
}

QList<int> TestShotWrites::storedColumn(int member, const QString &column)
{
    QList<int> values;
    m_db->execSelect(
        QStringLiteral("SELECT %1 FROM tbullets WHERE fMemberID=? ORDER BY ID").arg(column),
        {member});
    while (m_db->next())
        values << m_db->value(column).toInt();
    return values;
}

void TestShotWrites::refusedWritesWaitAndAreTriedAgain()
{
    TShotWrites writes(kEventID, m_db.get());
    QSignalSpy waiting(&writes, &TShotWrites::sig_writesWaiting);
    TBullet *first = newShot(kMemberA, 1);
    TBullet *second = newShot(kMemberA, 2);
    QVERIFY(writes.writeTargetShot(first));
    QVERIFY(writes.writeTargetShot(second));
    QCOMPARE(storedNumbers(kMemberA), (QList<int>{1, 2}));
    QVERIFY(waiting.isEmpty());

    // The database refuses a miss of B, the purge of A's first shot and the
    // renumbering of its second: each waits, told once.
    QVERIFY(exec(kRefuseInserts) && exec(kRefuseUpdates) && exec(kRefuseDeletes));
    TBullet *miss = newShot(kMemberB, 1, TBullet::kNoHit);
    writes.writeMiss(miss);
    writes.deleteRow(first);
    second->setNumber(1);
    writes.writeChange(second, 2);
    QVERIFY(writes.hasWaitingWrites());
    QCOMPARE(writes.waitingShots(), (QList<TBullet *>{miss, second}));
    QCOMPARE(writes.waitingDeleteCount(), 1);
    // No lane is asked again for a miss.
    QVERIFY(!writes.memberRefused(kMemberB));
    QCOMPARE(waiting.size(), 1);
    QCOMPARE(waiting.at(0).at(0).toBool(), true);

    // A waiting write follows its shot to a new record; one whose record is
    // gone (its shot erased) goes with it.
    TBullet *moved = newShot(kMemberB, 1, TBullet::kNoHit);
    writes.moveWrite(miss, moved);
    QCOMPARE(writes.waitingShots(), (QList<TBullet *>{moved, second}));
    erase(second);
    QCOMPARE(writes.waitingShots(), QList<TBullet *>{moved});

    // Taken again, every waiting write is stored on the next try, and the
    // word that nothing waits comes once.
    QVERIFY(exec("DROP TRIGGER refuse_insert") && exec("DROP TRIGGER refuse_update")
            && exec("DROP TRIGGER refuse_delete"));
    QVERIFY(waiting.wait(kRetryWaitMs));
    QCOMPARE(waiting.size(), 2);
    QCOMPARE(waiting.at(1).at(0).toBool(), false);
    QVERIFY(!writes.hasWaitingWrites());
    QCOMPARE(storedNumbers(kMemberA), QList<int>{2}); // the erased shot's renumbering is dropped
    QCOMPARE(storedNumbers(kMemberB), QList<int>{1});
    QVERIFY(moved->id() >= 0);
}

void TestShotWrites::whatEndsAMembersRefusal_data()
{
    QTest::addColumn<QString>("write");
    QTest::addColumn<bool>("ends");
    // The lane is asked for A's refused shot until it, or what stands for
    // it, is stored.
    QTest::newRow("A's shot from its target stored") << "target A" << true;
    QTest::newRow("a miss in A's place stored") << "miss A" << true;
    // A's renumbering is not the shot its lane is asked for.
    QTest::newRow("A's renumbering stored") << "change A" << false;
    QTest::newRow("A's refused renumbering stored on the next try") << "retried change A" << false;
    QTest::newRow("B's shot stored") << "target B" << false;
}

void TestShotWrites::whatEndsAMembersRefusal()
{
    QFETCH(QString, write);
    QFETCH(bool, ends);
    TShotWrites writes(kEventID, m_db.get());
    QSignalSpy waiting(&writes, &TShotWrites::sig_writesWaiting);
    TBullet *kept = newShot(kMemberA, 1);
    QVERIFY(writes.writeTargetShot(kept));
    if (write.startsWith("retried")) {
        QVERIFY(exec(kRefuseUpdates));
        kept->setNumber(2);
        writes.writeChange(kept, 1);
        QVERIFY(exec("DROP TRIGGER refuse_update"));
    }
    QVERIFY(exec(kRefuseInserts));
    QVERIFY(!writes.writeTargetShot(newShot(kMemberA, 2)));
    QVERIFY(writes.memberRefused(kMemberA));
    QVERIFY(exec("DROP TRIGGER refuse_insert"));

    const int member = write.endsWith('A') ? kMemberA : kMemberB;
    if (write.startsWith("target")) {
        QVERIFY(writes.writeTargetShot(newShot(member, 2)));
    } else if (write.startsWith("miss")) {
        writes.writeMiss(newShot(member, 2, TBullet::kNoHit));
    } else if (write.startsWith("change")) {
        kept->setNumber(3);
        writes.writeChange(kept, 1);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(storedNumbers(kMemberA), QList<int>{2}, kRetryWaitMs);
    }
    QCOMPARE(writes.memberRefused(kMemberA), !ends);
    QCOMPARE(writes.hasWaitingWrites(), !ends);
    QCOMPARE(waiting.last().at(0).toBool(), !ends);
}

void TestShotWrites::aWaitingDeleteSparesTheShotThatTookItsKey()
{
    TShotWrites writes(kEventID, m_db.get());
    QSignalSpy waiting(&writes, &TShotWrites::sig_writesWaiting);
    TBullet *purged = newShot(kMemberA, 1);
    QVERIFY(writes.writeTargetShot(purged));
    QVERIFY(exec(kRefuseDeletes));
    writes.deleteRow(purged);
    QCOMPARE(writes.waitingDeleteCount(), 1);

    // Before it is tried again its row goes another way (the member's shots
    // cleared), and the next shot another list stores takes its key,
    // MAX(ID)+1; this list would store its own behind the delete.
    QVERIFY(exec("DROP TRIGGER refuse_delete") && m_db->deleteMemberBullets(kMemberA));
    TShotWrites otherList(kEventID, m_db.get());
    TBullet *right = newShot(kMemberB, 1, 50);
    QVERIFY(otherList.writeTargetShot(right));
    QCOMPARE(right->id(), purged->id());
    QVERIFY(waiting.wait(kRetryWaitMs) && !writes.hasWaitingWrites());
    QCOMPARE(storedNumbers(kMemberB), QList<int>{1});
}

void TestShotWrites::aWaitingPageChangeKeepsTheNumbersItsRowsHave()
{
    TShotWrites writes(kEventID, m_db.get());
    QList<TBullet *> page;
    for (int number = 1; number <= 3; ++number) {
        page << newShot(kMemberA, number, 10 * number);
        QVERIFY(writes.writeTargetShot(page.last()));
    }
    // The first shot taken back and the others closing up wait whole while
    // the database refuses updates.
    QVERIFY(exec(kRefuseUpdates));
    const DbFields::ShotRow gone = writes.storedRow(page.at(0));
    page.at(1)->setNumber(1);
    page.at(2)->setNumber(2);
    writes.writePage({gone}, {{page.at(1), 2}, {page.at(2), 3}}, {});
    QCOMPARE(storedNumbers(kMemberA), (QList<int>{1, 2, 3}));
    QVERIFY(writes.deleteWaits(gone));

    // The last shot purged meanwhile: its row goes now, named by the number
    // it still has.
    writes.deleteRow(page.at(2));
    erase(page.at(2));
    QCOMPARE(storedNumbers(kMemberA), (QList<int>{1, 2}));

    // A new shot of the target goes after the waiting change or not at all:
    // refused with it and asked for again, then, the file writable before
    // the next try, stored behind it in one transaction. Stored alone, the
    // rows would hold two shots numbered 2.
    TBullet *refused = newShot(kMemberA, 2, 40);
    QVERIFY(!writes.writeTargetShot(refused));
    QVERIFY(writes.memberRefused(kMemberA) && !writes.waits(refused));
    QCOMPARE(storedNumbers(kMemberA), (QList<int>{1, 2}));
    QVERIFY(exec("DROP TRIGGER refuse_update"));
    TBullet *next = newShot(kMemberA, 2, 40);
    QVERIFY(writes.writeTargetShot(next));
    QCOMPARE(storedNumbers(kMemberA), (QList<int>{1, 2}));
    QCOMPARE(storedColumn(kMemberA, "ID"), (QList<int>{page.at(1)->id(), next->id()}));
    QVERIFY(!writes.deleteWaits(gone) && !writes.hasWaitingWrites());
}

QTEST_MAIN(TestShotWrites)
#include "tst_tshotwrites.moc"
