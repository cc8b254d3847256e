#include "composerelay.h"
#include "resultsfixture.h"
#include "tcompetitionlist.h"
#include "tviewbulletlistmodel.h"
#include "tviewmodul.h"
#include "tviewserieslistmodel.h"

#include <QtTest>

// The viewer module over a database that the competition module wrote: the
// choice of exercise, the relay filters, reopening and deleting.
class TestViewModul : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void exercisesAndRelays();
    void openedAgainReadsAgain();
    void deletingTheOpenCompetition();

private:
    static QStringList names(const QAbstractItemModel *model);
    ResultsFixture &f() { return *m_fixture; }

    std::unique_ptr<ResultsFixture> m_fixture;
};

void TestViewModul::init()
{
    m_fixture = std::make_unique<ResultsFixture>();
    QVERIFY(m_fixture->isValid());
}

void TestViewModul::cleanup()
{
    m_fixture.reset();
}

QStringList TestViewModul::names(const QAbstractItemModel *model)
{
    QStringList rows;
    for (int r = 0; r < model->rowCount(); ++r)
        rows << model->index(r, TViewPlaceTable::NameColumn).data().toString();
    return rows;
}

void TestViewModul::exercisesAndRelays()
{
    // Pistol match: A and B on relay 1, C on relay 2, D joined later and is
    // on no relay.
    QVERIFY(f().newCompetition(8));
    const int a = f().addMember(1);
    const int b = f().addMember(2);
    const int c = f().addMember(3);
    QVERIFY(composeRelay(f().modul(), f().event(0), 1, {a, b}));
    QVERIFY(composeRelay(f().modul(), f().event(0), 2, {c}));
    f().addMember(4);
    QVERIFY(f().shoot(f().list(0), b, shotValues("5*100")));
    QVERIFY(f().shoot(f().list(1), c, shotValues("3*90")));

    TViewModul view;
    // Nothing is open: the filters keep their first relay.
    view.setRelay(2);
    QCOMPARE(view.shotProxy()->relay(), 1);
    QVERIFY(!view.selectEvent(0));
    QVERIFY(view.openCompetition(f().competition()->id()));
    QCOMPARE(view.currentEvent()->id(), f().event(0)->id());
    QCOMPARE(view.seriesCountOfCurrent(), 6);
    QCOMPARE(view.currentHash(), (QSet<int>{1, 2}));
    QCOMPARE(names(view.seriesModel()), (QStringList{"Name2", "Name1", "Name3", "Name4"}));

    // The relay filters in front of both tables; POS stays the overall rank.
    view.setRelay(2);
    QCOMPARE(names(view.seriesProxy()), QStringList{"Name3"});
    QCOMPARE(view.shotProxy()->index(0, TViewPlaceTable::PosColumn).data().toInt(), 3);
    view.setRelay(0);
    QCOMPARE(names(view.shotProxy()), QStringList{"Name4"});
    view.setRelay(-1);
    QCOMPARE(names(view.shotProxy()).size(), 4);

    // The exercise already shown, and one the competition does not have.
    QVERIFY(!view.selectEvent(0));
    QVERIFY(!view.selectEvent(2));
    QVERIFY(!view.currentEvent());
    QCOMPARE(view.seriesCountOfCurrent(), 0);
    QVERIFY(view.currentHash().isEmpty());
    QCOMPARE(view.seriesModel()->rowCount(), 4); // still the first stage
    QVERIFY(view.selectEvent(1));
    QCOMPARE(view.currentEventName(), f().event(1)->nameEng());
    QCOMPARE(view.seriesModel()->bulletList(), view.bulletListOfEvent(f().event(1)->id()));
    QCOMPARE(names(view.shotModel()).first(), QStringLiteral("Name3"));
    QCOMPARE(view.shotModel()->currentSeries(), 1);

    // A series beyond the layout: no shot columns, a sum of nothing.
    view.setSeries(9);
    QCOMPARE(view.shotModel()->columnCount(), TViewPlaceTable::kFixedColumns + 1);
    QCOMPARE(view.shotModel()->index(0, 4).data().toString(), QStringLiteral("0 *0"));
    QCOMPARE(view.competitionText(), QStringLiteral("Russia"));
    QVERIFY(!view.competitionImage().isNull());
}

void TestViewModul::openedAgainReadsAgain()
{
    QVERIFY(f().newCompetition(1));
    const int a = f().addMember(1);
    QVERIFY(f().shoot(f().list(0), a, shotValues("3*100")));
    TViewModul view;
    view.openCompetition(f().competition()->id());
    QCOMPARE(view.seriesModel()->index(0, 5).data().toString(), QStringLiteral("30.0 *0"));
    QVERIFY(f().shoot(f().list(0), a, shotValues("105")));
    QCOMPARE(view.seriesModel()->index(0, 5).data().toString(), QStringLiteral("30.0 *0"));
    view.openCompetition(f().competition()->id());
    QCOMPARE(view.seriesModel()->index(0, 5).data().toString(), QStringLiteral("40.5 *1"));
    QVERIFY(!view.hasError());

    // A key the database does not hold: a competition without exercises.
    QVERIFY(view.openCompetition(9999));
    QVERIFY(!view.currentEvent());
    QCOMPARE(view.seriesModel()->rowCount(), 0);
    QCOMPARE(view.seriesModel()->columnCount(), 0);
}

void TestViewModul::deletingTheOpenCompetition()
{
    QVERIFY(f().newCompetition(1));
    QVERIFY(f().shoot(f().list(0), f().addMember(1), shotValues("3*100")));
    QVERIFY(f().modul()->setCompetitionFinished(true));
    const int id = f().competition()->id();
    f().modul()->closeCompetition();

    TViewModul view;
    QVERIFY(!view.deleteCompetition());
    view.closeAndRefreshLists();
    QCOMPARE(view.finishedList()->rowCount(), 1);
    view.openCompetition(id);
    QCOMPARE(view.shotModel()->rowCount(), 1);
    QVERIFY(view.deleteCompetition());
    QVERIFY(!view.competition());
    QCOMPARE(view.shotModel()->rowCount(), 0);
    QCOMPARE(view.finishedList()->rowCount(), 0);
    QVERIFY(!f().db()->isCompetitionExist(id));
    QVERIFY(!f().db()->execHasRows(QStringLiteral("SELECT ID FROM tbullets")));
}

QTEST_MAIN(TestViewModul)
#include "tst_viewmodul.moc"
