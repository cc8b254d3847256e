// The results viewer on the real window, over competitions that the
// competition module stored as the operator runs them: a one-position match
// with its final, a three-position match, a pistol match of two stages and a
// competition without members, finished and not.

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include <memory>
#include <vector>

#include "composerelay.h"
#include "mainwindowtest.h"
#include "shotvalues.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "tmemberplace.h"
#include "tmembers.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tusermodul.h"
#include "tviewbulletlistmodel.h"
#include "tviewmodul.h"
#include "tviewserieslistmodel.h"
#include "warnings.h"

namespace {

constexpr int kRussia = 2;
constexpr int kSeriesButtons = 12;
// A shot with a fine shows the error mark instead of its arrow.
constexpr int kFine = 2;

const QString kOnePosition = QStringLiteral("Cup A 10m Air Rifle 60 Shots");
const QString kThreePositions = QStringLiteral("Cup B 50m Rifle 3 Positions 3x20");
const QString kPistol = QStringLiteral("Cup C 25m Pistol 30+30 Shots");
const QString kEmpty = QStringLiteral("Cup D 10m Air Rifle 40 Shots");

QString arrow(int code)
{
    return QStringLiteral(":/arrows/img/arrows/arr%1.png").arg(code);
}

// Every row's display texts from column `first` on, joined by "|".
QStringList rowTexts(const QAbstractItemModel *model, int first = 0)
{
    QStringList rows;
    for (int r = 0; model && r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = first; c < model->columnCount(); ++c)
            cells << model->index(r, c).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// NAME and the total (the last column) of each row of the standings.
QStringList standingsOf(const QAbstractItemModel *totals)
{
    QStringList rows;
    for (int r = 0; totals && r < totals->rowCount(); ++r)
        rows << totals->index(r, 1).data().toString() + QLatin1Char('|')
                + totals->index(r, totals->columnCount() - 1).data().toString();
    return rows;
}

QStringList headers(const QAbstractItemModel *model)
{
    QStringList texts;
    for (int c = 0; c < model->columnCount(); ++c)
        texts << model->headerData(c, Qt::Horizontal).toString();
    return texts;
}

QStringList items(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

// "n × text" as the cells of n series.
QStringList repeated(int n, const QString &text)
{
    QStringList cells;
    for (int i = 0; i < n; ++i)
        cells << text;
    return cells;
}

QString row(const QStringList &cells)
{
    return cells.join(QLatin1Char('|'));
}

} // namespace

// Watches the viewer's tables for the whole test: the model tester, and every
// announced change must name at least one row or column.
class TableWatch : public QObject
{
public:
    void watch(QAbstractItemModel *model)
    {
        m_testers.push_back(std::make_unique<QAbstractItemModelTester>(
            model, QAbstractItemModelTester::FailureReportingMode::QtTest));
        const auto check = [this](const char *what) {
            return [this, what](const QModelIndex &, int first, int last) {
                if (last < first)
                    m_emptyRanges << QStringLiteral("%1 %2..%3").arg(QLatin1String(what)).arg(first).arg(last);
            };
        };
        connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, check("rows in"));
        connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, check("rows out"));
        connect(model, &QAbstractItemModel::columnsAboutToBeInserted, this, check("columns in"));
        connect(model, &QAbstractItemModel::columnsAboutToBeRemoved, this, check("columns out"));
    }
    QStringList emptyRanges() const { return m_emptyRanges; }

private:
    std::vector<std::unique_ptr<QAbstractItemModelTester>> m_testers;
    QStringList m_emptyRanges;
};

class TestViewer : public MainWindowTest
{
    Q_OBJECT

private slots:
    void init();
    void everyKindOpens();
    void exerciseAndRelayTabs();
    void pistolStagesInWholePoints();
    void failedLoadingIsReported();
    void unscorableExercisesAreNamed_data();
    void unscorableExercisesAreNamed();
    void restoredWindowKeepsTheCompetition();

private:
    // The competitions as the module stores them while they are run; the
    // members are "Name<n>" of team Dynamo with start number 9 + n.
    void storeOnePositionWithFinal();
    void storeThreePositions();
    void storePistolMatch();
    void storeEmpty();
    void newCompetition(int type, bool final, const QString &name);
    int addMember();
    // Match shots of these values (tenths of a point) as the target reports
    // them; shot n comes from place code (n - 1) % 9, shot fineAt with a fine.
    void shoot(TEvent *event, int memberID, const QString &values, int fineAt = 0);

    void enterViewer();
    void open(const QString &competition, bool finished);
    void watchTables(TableWatch &watch);
    int visibleSeriesButtons(const QString &suffix);
    QList<int> checkedSeriesButtons();

    int m_team = -1;
    int m_quality = -1;
    int m_shooters = 0;
};

void TestViewer::init()
{
    MainWindowTest::init();
    m_team = -1;
    m_quality = -1;
    m_shooters = 0;
}

void TestViewer::newCompetition(int type, bool final, const QString &name)
{
    TUserModul *modul = userModul();
    if (m_team < 0) {
        m_team = modul->addTeam(kRussia, QStringLiteral("Dynamo"));
        m_quality = modul->addQuality(QStringLiteral("Master of sports"), QStringLiteral("ms"));
    }
    QVERIFY(m_team > 0 && m_quality > 0);
    QVERIFY(modul->newCompetition(kRussia, type, final, name));
}

int TestViewer::addMember()
{
    TUserModul *modul = userModul();
    const int n = ++m_shooters;
    const int shooter = modul->addShooter(QStringLiteral("Name%1").arg(n),
                                          QStringLiteral("Family%1").arg(n), QDate(1990, 1, 1), 0,
                                          kRussia, m_team, m_quality);
    if (!modul->addMember(modul->shooters()->shooterByID(shooter), 9 + n))
        return -1;
    return modul->members()->memberByShooterID(shooter)->memberID();
}

void TestViewer::shoot(TEvent *event, int memberID, const QString &values, int fineAt)
{
    TBulletList *list = userModul()->bulletList(event->id());
    const TShooter *member = userModul()->members()->memberByMemberID(memberID);
    QVERIFY(list && member);
    const int target = member->startNumber() + 100;
    if (!list->placeByMemberId(memberID))
        list->addPlace(memberID, target, member->family());
    list->setStageOfTarget(target, TMemberPlace::kMatch);
    int number = 0;
    for (int value : shotValues(values)) {
        ++number;
        const int x = xForValue(event->targetType(), event->calibre(), value);
        QVERIFY2(x >= 0, qPrintable(QStringLiteral("no point worth %1").arg(value)));
        QVERIFY(list->addShotFromTarget(memberID, number, x, 0, quint8((number - 1) % 9),
                                        10 * number, number == fineAt ? kFine : 0));
    }
}

// Type 1: 60 shots in tenths (six series of ten, 10.2 marked) and a final of
// 24 (two series of ten; the last four shots in no series).
void TestViewer::storeOnePositionWithFinal()
{
    newCompetition(1, true, QStringLiteral("Cup A"));
    QList<int> m;
    for (int i = 0; i < 4; ++i)
        m << addMember();
    TCompetition *competition = userModul()->currentCompetition();
    TEvent *match = competition->event(0);
    TEvent *final = competition->event(1);
    QVERIFY(final && final->isFinal());
    QVERIFY(composeRelay(userModul(), match, 1, {m[0], m[1]}, false));
    QVERIFY(composeRelay(userModul(), match, 2, {m[2], m[3]}, false));
    shoot(match, m[0], QStringLiteral("60*100"), 5);
    shoot(match, m[1], QStringLiteral("60*105"));
    shoot(match, m[2], QStringLiteral("23*90"));
    shoot(final, m[0], QStringLiteral("24*103"));
    shoot(final, m[1], QStringLiteral("22*99"));
    QVERIFY(userModul()->setCompetitionFinished(true));
}

// Type 11: 3x20 in tenths, six series of ten, 10.3 marked.
void TestViewer::storeThreePositions()
{
    newCompetition(11, false, QStringLiteral("Cup B"));
    const int a = addMember();
    const int b = addMember();
    TEvent *match = userModul()->currentCompetition()->event(0);
    QVERIFY(composeRelay(userModul(), match, 1, {a, b}, false));
    shoot(match, a, QStringLiteral("60*100"));
    shoot(match, b, QStringLiteral("15*104"));
    QVERIFY(userModul()->setCompetitionFinished(true));
}

// Type 8: a precision and a rapid-fire stage of 30 shots each in whole
// points, six series of five; the second member has not finished.
void TestViewer::storePistolMatch()
{
    newCompetition(8, false, QStringLiteral("Cup C"));
    const int a = addMember();
    const int b = addMember();
    TCompetition *competition = userModul()->currentCompetition();
    QVERIFY(composeRelay(userModul(), competition->event(0), 1, {a}, true));
    QVERIFY(composeRelay(userModul(), competition->event(0), 2, {b}, true));
    shoot(competition->event(0), a, QStringLiteral("30*100"));
    shoot(competition->event(0), b, QStringLiteral("30*90"));
    shoot(competition->event(1), a, QStringLiteral("30*90"));
    shoot(competition->event(1), b, QStringLiteral("10*80"));
}

void TestViewer::storeEmpty()
{
    newCompetition(2, false, QStringLiteral("Cup D"));
}

void TestViewer::enterViewer()
{
    QCOMPARE(page(), Page::Welcome);
    QVERIFY(click(QStringLiteral("pBView")));
    QCOMPARE(page(), Page::Viewer);
    QCOMPARE(workMode(), 2);
}

void TestViewer::open(const QString &competition, bool finished)
{
    QVERIFY(click(finished ? QStringLiteral("rbfin1") : QStringLiteral("rbfin0")));
    const QString list = finished ? QStringLiteral("lw_comp_finished")
                                  : QStringLiteral("lw_comp_NOTfinished");
    QVERIFY2(clickRow(list, column(list, 0).indexOf(competition)), qPrintable(competition));
    QCOMPARE(widget<QLineEdit>(QStringLiteral("le_compName"))->text(),
             competition.section(QLatin1Char(' '), 0, 1));
}

void TestViewer::watchTables(TableWatch &watch)
{
    watch.watch(viewModul()->shotModel());
    watch.watch(viewModul()->seriesModel());
    watch.watch(viewModul()->shotProxy());
    watch.watch(viewModul()->seriesProxy());
}

int TestViewer::visibleSeriesButtons(const QString &suffix)
{
    int visible = 0;
    for (int k = 1; k <= kSeriesButtons; ++k) {
        const auto *button = window()->findChild<QPushButton *>(
            QStringLiteral("pB_series%1%2").arg(k).arg(suffix));
        if (button && !button->isHidden())
            ++visible;
    }
    return visible;
}

// The checked series; both rows must agree.
QList<int> TestViewer::checkedSeriesButtons()
{
    QList<int> checked;
    for (int k = 1; k <= kSeriesButtons; ++k) {
        const bool first = window()->findChild<QPushButton *>(
            QStringLiteral("pB_series%1").arg(k))->isChecked();
        const bool second = window()->findChild<QPushButton *>(
            QStringLiteral("pB_series%1_2").arg(k))->isChecked();
        if (first != second)
            return {-k};
        if (first)
            checked << k;
    }
    return checked;
}

void TestViewer::everyKindOpens()
{
    TableWatch watch;
    watchTables(watch);
    storeOnePositionWithFinal();
    storeThreePositions();
    storePistolMatch();
    storeEmpty();

    enterViewer();
    auto *finished = widget<QListView>(QStringLiteral("lw_comp_finished"));
    auto *unfinished = widget<QListView>(QStringLiteral("lw_comp_NOTfinished"));
    QVERIFY(finished->isVisible() && unfinished->isHidden());
    QCOMPARE(column(QStringLiteral("lw_comp_finished"), 0),
             (QStringList{kOnePosition, kThreePositions}));
    QCOMPARE(column(QStringLiteral("lw_comp_NOTfinished"), 0), (QStringList{kPistol, kEmpty}));
    // Nothing open yet: the header shows today, no caption stands beside an
    // empty or placeholder value.
    QVERIFY(widget<QLineEdit>(QStringLiteral("le_compType"))->text().isEmpty());
    QCOMPARE(widget<QDateEdit>(QStringLiteral("dtl_compDate"))->date(), QDate::currentDate());
    QVERIFY(widget<QLabel>(QStringLiteral("l_CompetitionType_1"))->text().isEmpty());
    QVERIFY(!widget<QLabel>(QStringLiteral("l_c_2"))->isVisible());
    auto *totals = widget<QTableView>(QStringLiteral("tvTotal"));
    QVERIFY(!totals->model());

    struct Kind
    {
        QString competition;
        bool finished;
        QString totalsClass;
        // NAME and the total of each row of the standings.
        QStringList standings;
        QStringList exercises;
        int seriesButtons;
    };
    const QList<Kind> kinds{
        {kOnePosition, true, QStringLiteral("TOTAL_SIMPLE_ONE_MODEL"),
         // 60 × 10.5 (all marked), 60 × 10.0, 23 × 9.0, no shot.
         {QStringLiteral("Name2|630.0 *60"), QStringLiteral("Name1|600.0 *0"),
          QStringLiteral("Name3|207.0 *0"), QStringLiteral("Name4|0.0 *0")},
         {QStringLiteral("10m Air Rifle 60 Shots"), QStringLiteral("10m Air Rifle Final 24 Shots")},
         6},
        {kThreePositions, true, QStringLiteral("TOTAL_DIFFICULT_ONE_MODEL"),
         // In whole points: 60 × 10; 15 × 10, all marked (10.4).
         {QStringLiteral("Name5|600 *0"), QStringLiteral("Name6|150 *15")},
         {QStringLiteral("50m Rifle 3 Positions 3x20")},
         6},
        {kPistol, false, QStringLiteral("TOTAL_MP_5"),
         // Precision 30 × 10 and 30 × 9, rapid fire 30 × 9 and 10 × 8.
         {QStringLiteral("Name7|570 *0"), QStringLiteral("Name8|350 *0")},
         {QStringLiteral("Precision Stage"), QStringLiteral("Rapid-Fire Stage")},
         6},
        {kEmpty, false, QStringLiteral("TOTAL_SIMPLE_ONE_MODEL"), {},
         {QStringLiteral("10m Air Rifle 40 Shots")}, 4},
        // Again after the empty one: its empty tables are left without a
        // removal of nothing.
        {kOnePosition, true, QStringLiteral("TOTAL_SIMPLE_ONE_MODEL"),
         {QStringLiteral("Name2|630.0 *60"), QStringLiteral("Name1|600.0 *0"),
          QStringLiteral("Name3|207.0 *0"), QStringLiteral("Name4|0.0 *0")},
         {QStringLiteral("10m Air Rifle 60 Shots"), QStringLiteral("10m Air Rifle Final 24 Shots")},
         6},
    };
    for (const Kind &kind : kinds) {
        open(kind.competition, kind.finished);
        const QString type = kind.competition.section(QLatin1Char(' '), 2);
        QCOMPARE(widget<QLineEdit>(QStringLiteral("le_compType"))->text(), type);
        QCOMPARE(widget<QLabel>(QStringLiteral("l_countryName"))->text(), QStringLiteral("Russia"));
        const QLabel *flag = widget<QLabel>(QStringLiteral("l_countryIMG"));
        const QPixmap shown = flag->pixmap(Qt::ReturnByValue);
        QVERIFY(!shown.isNull());
        QCOMPARE(shown.size(), QSize(int(flag->height() * 1.6), flag->height()));
        QCOMPARE(widget<QLabel>(QStringLiteral("l_CompetitionType_1"))->text(), type);

        QVERIFY(totals->model());
        QCOMPARE(QString::fromLatin1(totals->model()->metaObject()->className()), kind.totalsClass);
        QCOMPARE(standingsOf(totals->model()), kind.standings);

        QCOMPARE(items(widget<QComboBox>(QStringLiteral("cB_Event"))), kind.exercises);
        QCOMPARE(items(widget<QComboBox>(QStringLiteral("cB_Event_2"))), kind.exercises);
        QCOMPARE(visibleSeriesButtons(QString()), kind.seriesButtons);
        QCOMPARE(visibleSeriesButtons(QStringLiteral("_2")), kind.seriesButtons);
        QCOMPARE(checkedSeriesButtons(), QList<int>{1});
        QCOMPARE(viewModul()->seriesModel()->rowCount(), kind.standings.size());
    }
    QCOMPARE(watch.emptyRanges(), QStringList());

    // Switching lists leaves the open competition as it is.
    QVERIFY(click(QStringLiteral("rbfin0")));
    QVERIFY(finished->isHidden() && unfinished->isVisible());
    QCOMPARE(widget<QLineEdit>(QStringLiteral("le_compName"))->text(), QStringLiteral("Cup A"));

    // Back and in again: the page starts empty, except for the last
    // competition's series buttons.
    QVERIFY(click(QStringLiteral("pushButton")));
    QCOMPARE(page(), Page::Welcome);
    QVERIFY(!totals->model());
    enterViewer();
    QVERIFY(!viewModul()->competition());
    QVERIFY(widget<QLineEdit>(QStringLiteral("le_compName"))->text().isEmpty());
    QCOMPARE(widget<QComboBox>(QStringLiteral("cB_Event"))->count(), 0);
    QCOMPARE(viewModul()->shotModel()->rowCount(), 0);
    QVERIFY(widget<QLabel>(QStringLiteral("l_CompetitionType"))->text().isEmpty());
    QCOMPARE(visibleSeriesButtons(QString()), 6);
}

void TestViewer::exerciseAndRelayTabs()
{
    TableWatch watch;
    watchTables(watch);
    storeOnePositionWithFinal();
    enterViewer();
    open(kOnePosition, true);
    widget<QTabWidget>(QStringLiteral("tabWidget"))->setCurrentIndex(1);

    auto *seriesTable = widget<QTableView>(QStringLiteral("tv_eventTotal"));
    auto *shotTable = widget<QTableView>(QStringLiteral("tv_eventBullets"));
    QCOMPARE(seriesTable->model(), viewModul()->seriesModel());
    QCOMPARE(shotTable->model(), viewModul()->shotModel());
    QCOMPARE(widget<QLabel>(QStringLiteral("l_eventType"))->text(),
             QStringLiteral("10m Air Rifle 60 Shots"));
    QCOMPARE(headers(seriesTable->model()),
             (QStringList{"POS", "NAME", "TEAM", "START NUM", "        1       ",
                          "        2       ", "        3       ", "        4       ",
                          "        5       ", "        6       ", "         TOTAL        "}));
    const QString team = QStringLiteral("RUS/Dynamo");
    QCOMPARE(rowTexts(seriesTable->model()),
             (QStringList{
                 row(QStringList{"1", "Name2", team, "11"} + repeated(6, "105.0 *10") << "630.0 *60"),
                 row(QStringList{"2", "Name1", team, "10"} + repeated(6, "100.0 *0") << "600.0 *0"),
                 row(QStringList{"3", "Name3", team, "12", "90.0 *0", "90.0 *0", "27.0 *0"}
                     + repeated(3, "0.0 *0") << "207.0 *0"),
                 row(QStringList{"4", "Name4", team, "13"} + repeated(6, "0.0 *0") << "0.0 *0"),
             }));
    const QImage flag = seriesTable->model()->index(0, 2).data(Qt::DecorationRole).value<QImage>();
    QCOMPARE(flag.size(), QSize(15, 15));

    // Series 1 of the shots: each shot with the arrow of its place code, the
    // fifth of Name1 with the error mark of its fine.
    const QAbstractItemModel *shots = shotTable->model();
    QCOMPARE(headers(shots).mid(4, 2), (QStringList{"        1       ", "        2       "}));
    QCOMPARE(headers(shots).last(), QStringLiteral("         SUMM        "));
    QCOMPARE(rowTexts(shots, 4).mid(0, 2),
             (QStringList{row(repeated(10, "10.5*") << "105.0 *10"),
                          row(repeated(10, "10.0") << "100.0 *0")}));
    for (int shot = 1; shot <= 10; ++shot) {
        const QImage drawn = shots->index(1, 3 + shot).data(Qt::DecorationRole).value<QImage>();
        const QImage expected(shot == 5 ? QStringLiteral(":/arrows/img/arrows/err.png")
                                        : arrow((shot - 1) % 9));
        QVERIFY(!expected.isNull());
        QCOMPARE(drawn, expected);
        QCOMPARE(shots->index(1, 3 + shot).data(TViewBulletListModel::BullNumRole).toInt(), shot);
    }

    // Series 3: Name3's 23 shots fill three cells of it.
    QVERIFY(click(QStringLiteral("pB_series3")));
    QCOMPARE(checkedSeriesButtons(), QList<int>{3});
    QCOMPARE(headers(shots).mid(4, 10).first(), QStringLiteral("        21       "));
    QCOMPARE(headers(shots).mid(4, 10).last(), QStringLiteral("        30       "));
    QCOMPARE(rowTexts(shots, 4).at(2),
             row(QStringList{"9.0", "9.0", "9.0"} + repeated(7, QString()) << "27.0 *0"));
    QVERIFY(!shots->index(2, 7).data(Qt::DecorationRole).isValid());
    // The checked button clicked again stays checked.
    QVERIFY(click(QStringLiteral("pB_series3")));
    QCOMPARE(checkedSeriesButtons(), QList<int>{3});

    // The final: its own two series, and both exercise boxes follow.
    auto *events = widget<QComboBox>(QStringLiteral("cB_Event"));
    auto *relayEvents = widget<QComboBox>(QStringLiteral("cB_Event_2"));
    events->setCurrentIndex(1);
    QCOMPARE(relayEvents->currentIndex(), 1);
    QCOMPARE(widget<QLabel>(QStringLiteral("l_eventType_2"))->text(),
             QStringLiteral("10m Air Rifle Final 24 Shots"));
    QCOMPARE(visibleSeriesButtons(QString()), 2);
    QCOMPARE(visibleSeriesButtons(QStringLiteral("_2")), 2);
    QCOMPARE(checkedSeriesButtons(), QList<int>{1});
    // 24 × 10.3 (marked) and 22 × 9.9; the total counts the four shots
    // beyond the second series.
    QCOMPARE(rowTexts(seriesTable->model()).mid(0, 2),
             (QStringList{row({"1", "Name1", team, "10", "103.0 *10", "103.0 *10", "247.2 *24"}),
                          row({"2", "Name2", team, "11", "99.0 *0", "99.0 *0", "217.8 *0"})}));
    QCOMPARE(headers(shots).at(4), QStringLiteral("        1       "));
    // Nobody has a relay in the final.
    QCOMPARE(widget<QComboBox>(QStringLiteral("cB_Relay"))->count(), 0);

    // The relay tab on the match: relay 1 first.
    widget<QTabWidget>(QStringLiteral("tabWidget"))->setCurrentIndex(2);
    relayEvents->setCurrentIndex(0);
    QCOMPARE(events->currentIndex(), 0);
    QCOMPARE(visibleSeriesButtons(QString()), 6);
    auto *relays = widget<QComboBox>(QStringLiteral("cB_Relay"));
    QCOMPARE(items(relays), (QStringList{"Смена 1", "Смена 2"}));
    QCOMPARE(widget<QLabel>(QStringLiteral("l_relayNum"))->text(), QStringLiteral("1"));
    auto *relayTotal = widget<QTableView>(QStringLiteral("tv_relayTotal"));
    auto *relayShots = widget<QTableView>(QStringLiteral("tv_relayBullets"));
    QCOMPARE(relayTotal->model(), viewModul()->seriesProxy());
    QCOMPARE(relayShots->model(), viewModul()->shotProxy());
    QCOMPARE(rowTexts(relayTotal->model()).size(), 2);
    QVERIFY(rowTexts(relayTotal->model()).at(0).startsWith(QLatin1String("1|Name2|")));
    QVERIFY(rowTexts(relayTotal->model()).at(1).startsWith(QLatin1String("2|Name1|")));

    // Relay 2 keeps the overall ranks; series 2 chosen on this tab is the
    // series of both tabs.
    relays->setCurrentIndex(1);
    QCOMPARE(widget<QLabel>(QStringLiteral("l_relayNum"))->text(), QStringLiteral("2"));
    QCOMPARE(rowTexts(relayTotal->model()).size(), 2);
    QVERIFY(rowTexts(relayTotal->model()).at(0).startsWith(QLatin1String("3|Name3|")));
    QVERIFY(rowTexts(relayTotal->model()).at(1).startsWith(QLatin1String("4|Name4|")));
    QVERIFY(click(QStringLiteral("pB_series2_2")));
    QCOMPARE(checkedSeriesButtons(), QList<int>{2});
    QCOMPARE(relayShots->model()->headerData(4, Qt::Horizontal).toString(),
             QStringLiteral("        11       "));
    QCOMPARE(rowTexts(relayShots->model(), 2),
             (QStringList{row(QStringList{team, "12"} + repeated(10, "9.0") << "90.0 *0"),
                          row(QStringList{team, "13"} + repeated(10, QString()) << "0.0 *0")}));
    QCOMPARE(viewModul()->shotModel()->currentSeries(), 2);
    QCOMPARE(watch.emptyRanges(), QStringList());
}

void TestViewer::pistolStagesInWholePoints()
{
    TableWatch watch;
    watchTables(watch);
    storePistolMatch();
    enterViewer();
    open(kPistol, false);
    widget<QTabWidget>(QStringLiteral("tabWidget"))->setCurrentIndex(1);

    const QAbstractItemModel *series = viewModul()->seriesModel();
    const QAbstractItemModel *shots = viewModul()->shotModel();
    QCOMPARE(rowTexts(series, 4),
             (QStringList{row(repeated(6, "50 *0") << "300 *0"),
                          row(repeated(6, "45 *0") << "270 *0")}));
    QCOMPARE(rowTexts(shots, 4).at(0), row(repeated(5, "10") << "50 *0"));
    QCOMPARE(shots->index(0, 4).data(TViewBulletListModel::BullRankRole).toInt(), 10);
    QCOMPARE(shots->index(0, 4).data(TViewBulletListModel::BullRank10Role).toDouble(), 10.0);

    // The rapid-fire stage: the second member stopped after two series.
    widget<QComboBox>(QStringLiteral("cB_Event"))->setCurrentIndex(1);
    QCOMPARE(visibleSeriesButtons(QString()), 6);
    QCOMPARE(rowTexts(series, 4),
             (QStringList{row(repeated(6, "45 *0") << "270 *0"),
                          row(QStringList{"40 *0", "40 *0"} + repeated(4, "0 *0") << "80 *0")}));
    QVERIFY(click(QStringLiteral("pB_series3")));
    QCOMPARE(rowTexts(shots, 4).at(1), row(repeated(5, QString()) << "0 *0"));
    // Relays carried on from the precision stage.
    QCOMPARE(items(widget<QComboBox>(QStringLiteral("cB_Relay"))),
             (QStringList{"Смена 1", "Смена 2"}));
    QCOMPARE(watch.emptyRanges(), QStringList());
}

void TestViewer::failedLoadingIsReported()
{
    storeOnePositionWithFinal();
    enterViewer();
    // The shots cannot be read any more: standings of nobody having scored
    // must not pass for results.
    QVERIFY(exec(QStringLiteral("ALTER TABLE tbullets RENAME TO tb")));
    open(kOnePosition, true);
    QVERIFY(expectBox(QStringLiteral("Результаты не загружены!"),
                      QStringLiteral("Не удалось прочитать результаты соревнования из Базы Данных "
                                     "(Ошибка при запросе/ответе Базы Данных). Показанные "
                                     "результаты неполны")));
    QVERIFY(!takeStorageErrors().isEmpty());

    // Nor can the competitions: an empty list is no list.
    QVERIFY(exec(QStringLiteral("ALTER TABLE tb RENAME TO tbullets")));
    QVERIFY(exec(QStringLiteral("ALTER TABLE tcompetitions RENAME TO tc")));
    QVERIFY(click(QStringLiteral("pushButton")));
    enterViewer();
    QVERIFY(expectBox(QStringLiteral("Список соревнований не загружен!"),
                      QStringLiteral("Не удалось прочитать соревнования из Базы Данных (Ошибка "
                                     "при запросе/ответе Базы Данных). Список неполон")));
    QVERIFY(!takeStorageErrors().isEmpty());
    QVERIFY(exec(QStringLiteral("ALTER TABLE tc RENAME TO tcompetitions")));

    // Once the database answers again, the same competition opens quietly.
    QVERIFY(click(QStringLiteral("pushButton")));
    enterViewer();
    open(kOnePosition, true);
    QCOMPARE(takeWarnings().size(), 0);
    QCOMPARE(widget<QTableView>(QStringLiteral("tvTotal"))->model()->rowCount(), 4);
}

void TestViewer::unscorableExercisesAreNamed_data()
{
    QTest::addColumn<QByteArray>("list"); // the run folder's exercise list; null: none
    QTest::addColumn<QStringList>("exercises");
    // The box's line of each exercise not scored.
    QTest::addColumn<QStringList>("unscored");
    // NAME and total of the standings; none when the match is not scored.
    QTest::addColumn<QStringList>("standings");
    const QString where = QStringLiteral("список упражнений ServerDatas/Events/EventsType.xml: ");
    QTest::newRow("exercise list gone")
        << QByteArray() << QStringList{"упражнение 1 — не подсчитано", "финал — не подсчитано"}
        << QStringList{"упражнение 1 — " + where + "файл не найден",
                       "финал — " + where + "файл не найден"}
        << QStringList();
    QFile events(TestDataDir::defaultDataPath() + QStringLiteral("/Events/EventsType.xml"));
    QVERIFY(events.open(QIODevice::ReadOnly));
    // The match as before: the standings are the match's alone.
    QTest::newRow("final's sub-type not listed")
        << events.readAll().replace("SubNum=\"7\"", "SubNum=\"99\"")
        << QStringList{"10m Air Rifle 60 Shots", "финал — не подсчитано"}
        << QStringList{"финал — " + where + "в нём нет этого упражнения"}
        << QStringList{"Name2|630.0 *60", "Name1|600.0 *0", "Name3|207.0 *0", "Name4|0.0 *0"};
}

void TestViewer::unscorableExercisesAreNamed()
{
    QFETCH(QByteArray, list);
    QFETCH(QStringList, exercises);
    QFETCH(QStringList, unscored);
    QFETCH(QStringList, standings);
    storeOnePositionWithFinal();
    const QString file = QStringLiteral("ServerDatas/Events/EventsType.xml");
    QVERIFY(shutDown());
    QVERIFY(list.isNull() ? QFile::remove(runFolder().filePath(file))
                          : runFolder().writeFile(file, list));
    QVERIFY(reopenWindow());
    if (list.isNull()) {
        QTRY_VERIFY_WITH_TIMEOUT(!Warnings::shown().isEmpty(), kTimeoutMs);
        QCOMPARE(takeWarning().title, QStringLiteral("Файлы программы не прочитаны!"));
    }

    // Without its parameters an exercise would be valued on another face
    // and in one series: it is named, with the reason, and not shown.
    enterViewer();
    open(kOnePosition, true);
    const Warnings::Shown box = takeWarning();
    QCOMPARE(box.title, QStringLiteral("Результаты не подсчитаны!"));
    for (const QString &line : unscored + QStringList{"Соревнование «Cup A»", "ServerDatas/Events"})
        QVERIFY2(box.text.contains(line), qPrintable(box.text));
    QCOMPARE(items(widget<QComboBox>(QStringLiteral("cB_Event"))), exercises);
    auto *totals = widget<QTableView>(QStringLiteral("tvTotal"));
    QCOMPARE(totals->model() != nullptr, !standings.isEmpty());
    QCOMPARE(standingsOf(totals->model()), standings);
    QCOMPARE(viewModul()->seriesModel()->rowCount(), standings.size());

    // The final shows no score at all.
    widget<QTabWidget>(QStringLiteral("tabWidget"))->setCurrentIndex(1);
    widget<QComboBox>(QStringLiteral("cB_Event"))->setCurrentIndex(1);
    QCOMPARE(widget<QLabel>(QStringLiteral("l_eventType"))->text(), exercises.at(1));
    QCOMPARE(viewModul()->seriesModel()->rowCount(), 0);
    QCOMPARE(viewModul()->shotModel()->rowCount(), 0);
    QCOMPARE(visibleSeriesButtons(QString()), 0);
    sight(QStringLiteral("unscored-final"));
}

void TestViewer::restoredWindowKeepsTheCompetition()
{
    storeThreePositions();
    enterViewer();
    open(kThreePositions, true);
    widget<QPushButton>(QStringLiteral("pB_series2"))->click();

    window()->showMinimized();
    window()->showNormal();
    QCOMPARE(page(), Page::Viewer);
    QVERIFY(viewModul()->competition());
    QCOMPARE(widget<QLineEdit>(QStringLiteral("le_compName"))->text(), QStringLiteral("Cup B"));
    QVERIFY(widget<QTableView>(QStringLiteral("tvTotal"))->model());
    QCOMPARE(viewModul()->shotModel()->currentSeries(), 2);
    QCOMPARE(checkedSeriesButtons(), QList<int>{2});
}

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
