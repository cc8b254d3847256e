#include "resultsfixture.h"
#include "totalfactories.h"
#include "tseries.h"
#include "ttargettype.h"
#include "tviewmodul.h"

#include <QtTest>

// Which standings a competition type and an exercise type get.
class TestTotalFactories : public QObject
{
    Q_OBJECT

private slots:
    void competitionTotals_data();
    void competitionTotals();
    void noCompetitionNoTotals();
    void eventTotals_data();
    void eventTotals();
};

namespace {

QString classOf(const QAbstractItemModel *model)
{
    return model ? QString::fromLatin1(model->metaObject()->className()) : QString();
}

} // namespace

void TestTotalFactories::competitionTotals_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("running");
    QTest::addColumn<QString>("stored");
    // The PRONE cell of a member with 30 shots worth 10: series 3 with 2
    // series per position, nothing yet with 4.
    QTest::addColumn<QString>("prone");

    const QString simple = QStringLiteral("TOTAL_SIMPLE_ONE_MODEL");
    const QString pistol = QStringLiteral("TOTAL_MP_5");
    const QString three = QStringLiteral("TOTAL_DIFFICULT_ONE_MODEL");
    for (int type = 1; type <= 6; ++type)
        QTest::addRow("type %d: one position", type) << type << simple << simple << QString();
    QTest::newRow("type 7: none") << 7 << QString() << QString() << QString();
    QTest::newRow("type 8: pistol match") << 8 << pistol << pistol << QString();
    // A running match needs both stages; the viewer shows the stored one
    // with a blank rapid-fire side.
    QTest::newRow("type 9 without a second exercise") << 9 << QString() << pistol << QString();
    QTest::newRow("type 10: none") << 10 << QString() << QString() << QString();
    QTest::newRow("type 11: 3x20") << 11 << three << three << QStringLiteral("100 *0");
    QTest::newRow("type 12: 3x40") << 12 << three << three << QStringLiteral("0 *0");
    QTest::newRow("type 13: none") << 13 << QString() << QString() << QString();
}

void TestTotalFactories::competitionTotals()
{
    QFETCH(int, type);
    QFETCH(QString, running);
    QFETCH(QString, stored);
    QFETCH(QString, prone);
    ResultsFixture f;
    QVERIFY(f.isValid());
    QVERIFY(f.newCompetition(type));
    // Types 4 and 5 score nothing (no face, no calibre): shots at the centre.
    const bool scored = type != 4 && type != 5;
    QVERIFY(scored ? f.shoot(f.list(0), f.addMember(1), shotValues("30*100"))
                   : f.shootAt(f.list(0), f.addMember(1), QList<QPoint>{QPoint(0, 0)}));

    std::unique_ptr<QAbstractItemModel> runningModel(createCompetitionTotalModel(f.modul()));
    QCOMPARE(classOf(runningModel.get()), running);
    // The viewer reads the same competition over its own connection.
    TViewModul view;
    view.openCompetition(f.competition()->id());
    std::unique_ptr<QAbstractItemModel> storedModel(createViewTotalModel(&view));
    QCOMPARE(classOf(storedModel.get()), stored);
    for (QAbstractItemModel *model : {runningModel.get(), storedModel.get()}) {
        if (!model)
            continue;
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model->rowCount(), 1);
        if (!prone.isEmpty())
            QCOMPARE(model->index(0, 5).data().toString(), prone);
    }
}

void TestTotalFactories::noCompetitionNoTotals()
{
    ResultsFixture f;
    QVERIFY(f.isValid());
    QVERIFY(!createCompetitionTotalModel(nullptr));
    QVERIFY(!createCompetitionTotalModel(f.modul()));
    QVERIFY(!createStoredTotalModel(1, nullptr, nullptr));
    TViewModul view;
    QVERIFY(!createViewTotalModel(nullptr));
    QVERIFY(!createViewTotalModel(&view));
    QVERIFY(!createEventTotalModel(nullptr, 1, 1));
}

void TestTotalFactories::eventTotals_data()
{
    QTest::addColumn<int>("typeID");
    QTest::addColumn<int>("subType");
    // "series": the list's own series model; otherwise the class made and,
    // for the compact three-position table, its PRONE cell after 30 shots
    // worth 10 (series 3: 2 series per position for sub-type 1, 4 for 2).
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("prone");

    const QString three = QStringLiteral("TOTAL_DIFFICULT_ONE_MODEL");
    QTest::newRow("one position") << 1 << 1 << QStringLiteral("series") << QString();
    QTest::newRow("precision stage") << 2 << 1 << QStringLiteral("series") << QString();
    QTest::newRow("rapid-fire stage") << 3 << 2 << QStringLiteral("series") << QString();
    QTest::newRow("three positions 3x20") << 6 << 1 << three << QStringLiteral("100 *0");
    QTest::newRow("three positions 3x40") << 6 << 2 << three << QStringLiteral("0 *0");
    QTest::newRow("three positions, sub-type 3") << 6 << 3 << QString() << QString();
    QTest::newRow("type 4") << 4 << 1 << QString() << QString();
    QTest::newRow("type 5") << 5 << 1 << QString() << QString();
}

void TestTotalFactories::eventTotals()
{
    QFETCH(int, typeID);
    QFETCH(int, subType);
    QFETCH(QString, result);
    QFETCH(QString, prone);
    // A practice list: its shots live in memory only.
    const TTargetType *face = targetTypeById(7);
    TBulletList list(face, true, 560, 10.3);
    list.addPlace(1, 4, QStringLiteral("Petrov Ivan"));
    list.setStageAll(TMemberPlace::kMatch);
    const int x = xForValue(face, 560, 100);
    for (int number = 1; number <= 30; ++number)
        QVERIFY(list.addShotFromTarget(1, number, x, 0, 1, number, 0));

    QAbstractItemModel *model = createEventTotalModel(&list, typeID, subType);
    if (result == QLatin1String("series")) {
        // The list keeps it: every call gives the same model.
        QCOMPARE(model, static_cast<QAbstractItemModel *>(list.series()));
        QCOMPARE(createEventTotalModel(&list, typeID, subType), model);
        return;
    }
    std::unique_ptr<QAbstractItemModel> owned(model);
    QCOMPARE(classOf(model), result);
    if (!model)
        return;
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model->columnCount(), 5); // the compact form
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("Petrov Ivan"));
    QCOMPARE(model->index(0, 2).data().toString(), prone);
}

QTEST_MAIN(TestTotalFactories)
#include "tst_totalfactories.moc"
