#include "tevent.h"
#include "teventlist.h"
#include "teventlistproxy.h"
#include "testdatadir.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {

// Rows: 1 rifle, 2 pistol, 3 no weapon given (rifle), 4 weapon 2, 5 the same
// type and SubNum as row 1. Type 9 has no exercise.
const QByteArray kList = R"(<?xml version="1.0" encoding="UTF-8"?>
<EventsList>
  <Type ID="1" NameEng="SimpleOne" NameRus="Одно положение">
    <Sub SubNum="1" weapon="0" SubNameEng="Rifle 10" SubNameRus="В10" MatchCount="10" TargetNum="8"/>
    <Sub SubNum="2" weapon="1" SubNameEng="Pistol 10" SubNameRus="П10" MatchCount="10" TargetNum="9"/>
    <Sub SubNum="3" SubNameEng="Rifle 20" SubNameRus="В20" MatchCount="20"/>
  </Type>
  <Type ID="9" NameEng="Empty" NameRus="Пусто"/>
  <Type ID="2" NameEng="Precision Stage" NameRus="Точная">
    <Sub SubNum="07" weapon="2" SubNameEng="Odd" SubNameRus="Странное"/>
    <Sub SubNum="1" weapon="1" SubNameEng="Late twin" SubNameRus="Двойник"/>
  </Type>
  <Type ID="1" NameEng="SimpleOne" NameRus="Одно положение">
    <Sub SubNum="1" weapon="0" SubNameEng="Twin" SubNameRus="Двойник" MatchCount="30"/>
  </Type>
</EventsList>
)";

QStringList shown(const TEventListProxy &proxy)
{
    QStringList names;
    for (int row = 0; row < proxy.rowCount(); ++row)
        names << proxy.index(row, 0).data().toString();
    return names;
}

} // namespace

class TestEventList : public QObject
{
    Q_OBJECT

private slots:
    void readsFileFormat();
    void weaponFilter_data();
    void weaponFilter();
    void wrongRootGivesEmptyList();
    void shippedExercisesCanRun();
};

void TestEventList::readsFileFormat()
{
    TestDataDir dir;
    QVERIFY(dir.writeFile(QStringLiteral("ServerDatas/Events/EventsTypeForPractice.xml"), kList));
    TEventList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(list.rowCount(), 6);
    const QModelIndex third = list.index(2, 0);
    QCOMPARE(third.data().toString(), QStringLiteral("Rifle 20")); // series types go by the sub-name
    QCOMPARE(third.data(TEventList::EventIndexRole).toInt(), 3);
    QVERIFY(!third.data(TEventList::EventIDRole).isValid());
    QCOMPARE(third.data(TEventList::EventWeaponRole).toInt(), 0);
    QCOMPARE(list.index(3, 0).data().toString(), QStringLiteral("Precision Stage Odd"));
    QCOMPARE(list.index(3, 0).data(TEventList::EventNameRusRole).toString(), QStringLiteral("Точная"));
    QCOMPARE(list.index(3, 0).data(TEventList::Id2Role).toInt(), 7);
    QCOMPARE(list.roleNames().size(), 10);

    TEvent *event = list.getEvent(1, 1);
    QVERIFY(event);
    QCOMPARE(event->subNameEng(), QStringLiteral("Rifle 10")); // the first of the twins
    QCOMPARE(event->matchCount(), 10);
    QCOMPARE(list.getEvent(2, 7)->param(QStringLiteral("SubNum")), QStringLiteral("07"));
    QCOMPARE(list.getEvent(1, 3)->calibre(), 450); // default when absent
    QVERIFY(!list.getEvent(9, 0));
    QVERIFY(!list.getEvent(-1, -1));
}

void TestEventList::weaponFilter_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("typeOfRow1"); // eventIDOfRow(1)
    QTest::addColumn<int>("rowOfSubNum1");
    QTest::newRow("-1 both boxes: all") << -1
        << QStringList({"Rifle 10", "Pistol 10", "Rifle 20", "Precision Stage Odd",
                        "Precision Stage Late twin", "Twin"}) << 1 << 0;
    QTest::newRow("0 rifle: also no weapon given") << 0
        << QStringList({"Rifle 10", "Rifle 20", "Twin"}) << 1 << 0;
    QTest::newRow("1 pistol") << 1 << QStringList({"Pistol 10", "Precision Stage Late twin"})
                              << 2 << 1;
    QTest::newRow("2 no box: none") << 2 << QStringList() << -1 << -1;
}

void TestEventList::weaponFilter()
{
    QFETCH(int, filter);
    QFETCH(QStringList, names);
    QFETCH(int, typeOfRow1);
    QFETCH(int, rowOfSubNum1);
    TestDataDir dir;
    QVERIFY(dir.writeFile(QStringLiteral("ServerDatas/Events/EventsTypeForPractice.xml"), kList));
    TEventList list;
    TEventListProxy proxy(&list);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
    proxy.setWeaponFilter(filter);
    QCOMPARE(shown(proxy), names);
    QCOMPARE(proxy.eventIDOfRow(1), typeOfRow1);
    QCOMPARE(proxy.eventIDOfRow(names.size()), -1);
    QCOMPARE(proxy.eventIDOfRow(-1), -1);
    QCOMPARE(proxy.rowOfSubNum(1), rowOfSubNum1);
    for (int row = 0; row < names.size(); ++row)
        QCOMPARE(proxy.subNumOfRow(row), proxy.index(row, 0).data(TEventList::Id2Role).toInt());
}

void TestEventList::wrongRootGivesEmptyList()
{
    TestDataDir dir;
    QByteArray wrong = kList;
    wrong.replace("EventsList", "eventsList");
    QVERIFY(dir.writeFile(QStringLiteral("ServerDatas/Events/EventsTypeForPractice.xml"), wrong));
    TEventList list;
    QCOMPARE(list.rowCount(), 0);
    TEventListProxy proxy(&list);
    QCOMPARE(proxy.eventIDOfRow(0), -1);
}

void TestEventList::shippedExercisesCanRun()
{
    // Every exercise the range offers must name a target face and a shot
    // count that its kind of exercise can run.
    TestDataDir dir;
    TEventList list;
    TEventListProxy proxy(&list);
    QVERIFY(list.rowCount() > 0);
    for (int row = 0; row < list.rowCount(); ++row) {
        const QModelIndex index = list.index(row, 0);
        TEvent *event = list.getEvent(index.data(TEventList::Id1Role).toInt(),
                                      index.data(TEventList::Id2Role).toInt());
        const QString name = index.data().toString();
        QVERIFY2(event && event->id() == row + 1, qPrintable(name)); // no twin hides it
        QVERIFY2(event->targetType(), qPrintable(name));
        QVERIFY2(event->weapon() == 0 || event->weapon() == 1, qPrintable(name));
        switch (event->typeXMLID()) {
        case 1:
            QVERIFY2(event->matchCount() % 10 == 0, qPrintable(name));
            break;
        case 6:
            QVERIFY2(event->matchCount() % 30 == 0, qPrintable(name));
            QVERIFY2(event->subType() == 1 || event->subType() == 2, qPrintable(name));
            break;
        case 2:
        case 3:
            QVERIFY2(event->matchCount() == 30 && event->weapon() == 1, qPrintable(name));
            break;
        default:
            QFAIL(qPrintable(name + QStringLiteral(": no exercise kind runs this type")));
        }
    }
    proxy.setWeaponFilter(0);
    const int rifle = proxy.rowCount();
    proxy.setWeaponFilter(1);
    QVERIFY(rifle > 0 && proxy.rowCount() > 0);
    QCOMPARE(rifle + proxy.rowCount(), list.rowCount());
}

QTEST_MAIN(TestEventList)
#include "tst_eventlist.moc"
