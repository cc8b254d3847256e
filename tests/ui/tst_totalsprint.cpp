// The end of a competition in the real window: the exercise and competition
// total pages with the table of the competition's type, the finished flag,
// and the result report printed from the print buttons into a PDF file.

#include <QFrame>
#include <QTableView>
#include <QtTest>

#include "mainwindowtest.h"
#include "pdftext.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tmemberplace.h"
#include "tmembers.h"
#include "trelay.h"
#include "tseries.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tusermodul.h"

namespace {

constexpr int kCountryRussia = 2;
// A shot in the centre of the air rifle face is worth 10.9 and marked.
constexpr int kCentreTenths = 109;

QString classOf(const QAbstractItemModel *model)
{
    return model ? QString::fromLatin1(model->metaObject()->className()) : QString();
}

} // namespace

class TestTotalsPrint : public MainWindowTest
{
    Q_OBJECT

private slots:
    void competitionTotalPrintsTheReport_data();
    void competitionTotalPrintsTheReport();
    void totalPagesByType_data();
    void totalPagesByType();
    void exercisePrintDuringARelay();

private:
    // A new competition of that type whose members (start number 10 + n,
    // "Family<n>" "Name<n>") are stored; their IDs.
    QList<int> newCompetition(int type, int members);
    // The member's match shots in the centre, stored as the target reports them.
    void shoot(TEvent *event, int memberID, int count);
    QString printedFile();
};

QList<int> TestTotalsPrint::newCompetition(int type, int members)
{
    TUserModul *modul = userModul();
    const int quality = modul->addQuality(QStringLiteral("Master of sports"), QStringLiteral("ms"));
    if (quality < 0 || !modul->newCompetition(kCountryRussia, type, false, QStringLiteral("Cup")))
        return {};
    QList<int> ids;
    for (int n = 1; n <= members; ++n) {
        const int shooter = modul->addShooter(QStringLiteral("Name%1").arg(n),
                                              QStringLiteral("Family%1").arg(n),
                                              QDate(1990, 1, 1), 0, kCountryRussia, 0, quality);
        if (!modul->addMember(modul->shooters()->shooterByID(shooter), 10 + n))
            return {};
        ids << modul->members()->memberByShooterID(shooter)->memberID();
    }
    return ids;
}

void TestTotalsPrint::shoot(TEvent *event, int memberID, int count)
{
    TBulletList *list = userModul()->bulletList(event->id());
    const TShooter *member = userModul()->members()->memberByMemberID(memberID);
    QVERIFY(list && member);
    const int target = member->startNumber() + 100;
    if (!list->placeByMemberId(memberID))
        list->addPlace(memberID, target, member->family(), member->startNumber(), QImage(),
                       QString(), QString(), QString());
    list->setStageOfTarget(target, TMemberPlace::kMatch);
    for (int shot = 1; shot <= count; ++shot)
        QVERIFY(list->addShotFromTarget(memberID, shot, 0, 0, 1, 10 * shot, 0));
}

// The file the window reported it wrote the report into.
QString TestTotalsPrint::printedFile()
{
    const Warnings::Shown box = takeWarning();
    if (box.title != QStringLiteral("Отчёт сохранён") || box.icon != QMessageBox::Information) {
        qWarning("box %s: %s", qPrintable(box.title), qPrintable(box.text));
        return QString();
    }
    return box.text.section(QLatin1Char('\n'), 1);
}

void TestTotalsPrint::competitionTotalPrintsTheReport_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("members");
    QTest::addColumn<int>("pages");

    // Type 1: 60 shots, member n shoots 61 - n; type 2: 40 shots, member n
    // shoots n. A landscape sheet holds 14 rows, the next 16.
    QTest::newRow("60 shots") << 1 << 3 << 1;
    QTest::newRow("40 shots, twenty members") << 2 << 20 << 2;
}

void TestTotalsPrint::competitionTotalPrintsTheReport()
{
    QFETCH(int, type);
    QFETCH(int, members);
    QFETCH(int, pages);

    const QList<int> ids = newCompetition(type, members);
    QCOMPARE(ids.size(), members);
    const int series = type == 1 ? 6 : 4;
    const auto shotsOf = [&](int n) { return type == 1 ? 61 - n : n; };
    for (int n = 1; n <= members; ++n)
        shoot(userModul()->currentCompetition()->event(0), ids.at(n - 1), shotsOf(n));
    const int competitionID = userModul()->currentCompetition()->id();

    // A later session opens the stored competition and reaches its end.
    QVERIFY(reopenWindow());
    userModul()->openCompetition(competitionID, true);
    QVERIFY(userModul()->currentCompetition());
    showCompetitionTotal();
    QCOMPARE(page(), Page::CompetitionTotal);
    QVERIFY(TCompetition(userModul()->db(), competitionID, false).isFinished());
    auto *table = widget<QTableView>(QStringLiteral("tvTotal"));
    QCOMPARE(classOf(table->model()), QStringLiteral("TOTAL_SIMPLE_ONE_MODEL"));
    QCOMPARE(table->model()->rowCount(), members);

    QVERIFY(click(QStringLiteral("pushButton")));
    const QString file = printedFile();
    QVERIFY(file.startsWith(runFolder().filePath(QStringLiteral("ServerDatas/Reports/"))));
    const QStringList text = pdfPages(file);
    QCOMPARE(text.size(), pages);
    const QStringList head = simplifiedLines(text.first());
    QCOMPARE(head.at(0), QStringLiteral("Чемпионат Cup"));
    QCOMPARE(head.at(1), QStringLiteral("По стрельбе из пневматического оружия ")
                             + userModul()->currentCompetition()->event(0)->nameRus());
    QCOMPARE(head.at(2), userModul()->currentCompetition()->startDate().toString(
                             QStringLiteral("dd.MM.yyyy")));

    // Rank order: the most shots first. pdftotext puts the family name on
    // a line of its own above the line of the centred cells.
    const QStringList lines = simplifiedLines(text.join(QLatin1Char('\n')));
    int from = 0;
    for (int rank = 1; rank <= members; ++rank) {
        const int n = type == 1 ? rank : members + 1 - rank;
        const int shots = shotsOf(n);
        QStringList cells{QString::number(rank), QStringLiteral("Name%1").arg(n),
                          QStringLiteral("1990"), QStringLiteral("MS"), QString::number(10 + n)};
        for (int k = 1; k <= series; ++k)
            cells << (shots >= 10 * k ? QStringLiteral("109.0 *10") : QStringLiteral("0"));
        cells << QStringLiteral("%1 *%2").arg(QString::number(shots * kCentreTenths / 10.0, 'f', 1))
                     .arg(shots);
        const int at = lines.indexOf(cells.join(QLatin1Char(' ')), from);
        QVERIFY2(at > 0, qPrintable(cells.join(QLatin1Char(' '))));
        QCOMPARE(lines.at(at - 1), QStringLiteral("Family%1").arg(n));
        from = at;
    }
    if (pages > 1)
        QVERIFY(simplifiedLines(text.at(1)).first().startsWith(QLatin1String("Family")));
}

void TestTotalsPrint::totalPagesByType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("print");

    QTest::newRow("type 4: one position") << 4 << "TOTAL_SIMPLE_ONE_MODEL" << true;
    QTest::newRow("type 8: pistol match") << 8 << "TOTAL_MP_5" << false;
    QTest::newRow("type 11: three positions") << 11 << "TOTAL_DIFFICULT_ONE_MODEL" << false;
}

void TestTotalsPrint::totalPagesByType()
{
    QFETCH(int, type);
    QFETCH(QString, model);
    QFETCH(bool, print);

    const QList<int> ids = newCompetition(type, 3);
    QCOMPARE(ids.size(), 3);
    TCompetition *competition = userModul()->currentCompetition();
    shoot(competition->event(0), ids.at(1), 5);

    // The total of a stage: every member numbered, the list's series table;
    // only a one-position exercise can be printed from it.
    TEvent *first = competition->event(0);
    showEventTotal(first);
    QCOMPARE(page(), Page::EventTotal);
    auto *eventTable = widget<QTableView>(QStringLiteral("tv_eventTotal"));
    QCOMPARE(eventTable->model(), userModul()->bulletList(first->id())->series());
    QCOMPARE(eventTable->model()->rowCount(), 3);
    QCOMPARE(widget<QFrame>(QStringLiteral("framePrint"))->isVisible(),
             first->typeXMLID() == 1);
    const TMemberPlace *second = userModul()->bulletList(first->id())->placeByMemberId(ids.at(1));
    QVERIFY(second && second->shots().size() == 5 && second->target() == 2);

    showCompetitionTotal();
    QCOMPARE(page(), Page::CompetitionTotal);
    // The exercise total let go of its table when it was left.
    QVERIFY(!eventTable->model() || eventTable->model()->columnCount() == 0);
    auto *table = widget<QTableView>(QStringLiteral("tvTotal"));
    QCOMPARE(classOf(table->model()), model);
    QCOMPARE(widget<QFrame>(QStringLiteral("f_print"))->isVisible(), print);
    QVERIFY(userModul()->currentCompetition()->isFinished());

    // Finishing leaves the page without its table before another competition
    // can replace the lists it read.
    QVERIFY(click(QStringLiteral("pBNext")));
    QCOMPARE(page(), Page::Welcome);
    QVERIFY(!table->model() || table->model()->columnCount() == 0);
    userModul()->closeCompetition();
    QVERIFY(!window()->grab().isNull());
}

void TestTotalsPrint::exercisePrintDuringARelay()
{
    const QList<int> ids = newCompetition(2, 2);
    QCOMPARE(ids.size(), 2);
    TUserModul *modul = userModul();
    TEvent *first = modul->currentCompetition()->event(0);
    for (int relay = 1; relay <= 2; ++relay) {
        QVERIFY(modul->beginEditRelay(first, relay));
        QVERIFY(modul->placeMember(ids.at(relay - 1), relay, false, false));
        QVERIFY(modul->commitEditRelay(false));
    }
    int errorInfo = -1;
    int relayInfo = -1;
    QVERIFY(modul->firstUnfinishedRelay(&errorInfo, &relayInfo));
    shoot(first, ids.at(0), 40);
    QVERIFY(modul->setMemberEventDone(first, ids.at(0), true));
    TRelay *second = modul->firstUnfinishedRelay(&errorInfo, &relayInfo);
    QVERIFY(second && second->number() == 2);
    QVERIFY(modul->prepareRunRelay());

    // The print button of a stage total (as of the run screen) prints the
    // first exercise with the relay being shot.
    showEventTotal(first);
    QVERIFY(click(QStringLiteral("pushButton")));
    const QStringList lines = simplifiedLines(pdfPages(printedFile()).value(0));
    QVERIFY(lines.size() > 3);
    QCOMPARE(lines.at(3), QStringLiteral("Смена 2"));
    QVERIFY(lines.contains(QStringLiteral("1 Name1 1990 MS 11 109.0 *10 109.0 *10 109.0 *10 "
                                          "109.0 *10 436.0 *40")));

    // No file where the reports folder cannot be; no report for a
    // competition whose first exercise is of another kind.
    QVERIFY(QDir(runFolder().filePath(QStringLiteral("ServerDatas/Reports"))).removeRecursively());
    QVERIFY(runFolder().writeFile(QStringLiteral("ServerDatas/Reports"), "in the way"));
    QVERIFY(click(QStringLiteral("pushButton")));
    Warnings::Shown box = takeWarning();
    QCOMPARE(box.title, QStringLiteral("Отчёт не сохранён!"));
    QVERIFY(box.text.contains(runFolder().filePath(QStringLiteral("ServerDatas/Reports/"))));

    const QList<int> pistol = newCompetition(8, 1);
    QCOMPARE(pistol.size(), 1);
    showCompetitionTotal();
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_PrintCompetition"));
    box = takeWarning();
    QCOMPARE(box.title, QStringLiteral("Отчёт не подготовлен!"));
}

QTEST_MAIN(TestTotalsPrint)
#include "tst_totalsprint.moc"
