#include "dialogheldshots.h"

#include "ui_dialogheldshots.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidgetItem>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kColumnPlace = 2;
constexpr int kColumnFirstCase = 3; // then a column for each case
constexpr int kColumnReadBefore = 6;
constexpr int kColumnGap = 7;
constexpr int kNothingChosen = -2;
constexpr qint64 kMsPerTenth = 100;
constexpr int kWindowFrame = 8; // px a side a window manager may add
constexpr int kTitleBar = 32;   // px of a window manager's title bar
using Page = LaneStart::Doubt::Page;

DialogHeldShots::TestRuling &testRulingFunction()
{
    static DialogHeldShots::TestRuling ruling;
    return ruling;
}

// Tenths of a second as the operator reads them: "3,2 с", "1 мин 05,3 с".
QString tenthsText(qint64 tenths)
{
    const qint64 minutes = tenths / 600;
    const qint64 rest = tenths % 600;
    const QString seconds = QStringLiteral("%1,%2").arg(rest / 10).arg(rest % 10);
    if (minutes == 0)
        return QStringLiteral("%1 с").arg(seconds);
    return QStringLiteral("%1 мин %2 с")
        .arg(minutes)
        .arg(seconds.rightJustified(4, QLatin1Char('0')));
}

// A moment against the START, rounded outwards (from down, to up): the
// text never claims a narrower room than the answers leave.
qint64 floorTenths(qint64 ms)
{
    return qint64(std::floor(double(ms) / kMsPerTenth));
}

qint64 ceilTenths(qint64 ms)
{
    return qint64(std::ceil(double(ms) / kMsPerTenth));
}

QString againstStart(qint64 tenths)
{
    return tenths < 0 ? QStringLiteral("%1 до СТАРТ").arg(tenthsText(-tenths))
                      : QStringLiteral("%1 после СТАРТ").arg(tenthsText(tenths));
}

// The moments a span allows, in the parts a narrow list puts on lines of
// their own. A span across the START says "с ... по ...": "до" there tells
// only the side of the START, never the end of the span.
QStringList spanParts(const HeldShot::Moments &moments)
{
    const qint64 from = floorTenths(moments.fromMs);
    const qint64 to = ceilTenths(moments.toMs);
    if (moments.fromKnown && moments.toKnown) {
        if (from < 0 && to > 0)
            return {QStringLiteral("с %1 до СТАРТ").arg(tenthsText(-from)),
                    QStringLiteral("по %1 после СТАРТ").arg(tenthsText(to))};
        if (to <= 0)
            return {QStringLiteral("от %1").arg(tenthsText(-from)),
                    QStringLiteral("до %1 до СТАРТ").arg(tenthsText(-to))};
        if (from == 0)
            return {QStringLiteral("в первые %1 после СТАРТ").arg(tenthsText(to))};
        return {QStringLiteral("от %1").arg(tenthsText(from)),
                QStringLiteral("до %1 после СТАРТ").arg(tenthsText(to))};
    }
    if (moments.toKnown)
        return {QStringLiteral("не позже %1").arg(againstStart(to))};
    if (moments.fromKnown)
        return {QStringLiteral("не раньше %1").arg(againstStart(from))};
    return {QStringLiteral("когда угодно")};
}

// The cases the operator tells apart, each a column of the list: the kept
// page of an earlier START and one begun at a moment no START tells are
// both a target that did not take this one.
enum class Case { MissedStart, TookStart, SwitchedOn }; // in the order of the columns
constexpr int kCases = 3;

Case caseOf(Page page)
{
    switch (page) {
    case Page::ThisStart:
        return Case::TookStart;
    case Page::SwitchedOn:
        return Case::SwitchedOn;
    case Page::EarlierStart:
    case Page::NoStart:
        break;
    }
    return Case::MissedStart;
}

QString caseText(Case c)
{
    switch (c) {
    case Case::TookStart:
        return QStringLiteral("если мишень приняла СТАРТ");
    case Case::MissedStart:
        break;
    case Case::SwitchedOn:
        return QStringLiteral("если мишень выключали и включили");
    }
    return QStringLiteral("если мишень не приняла СТАРТ");
}

// The bounds of a span, an unknown end as far as it goes.
qint64 lowOf(const HeldShot::Moments &m)
{
    return m.fromKnown ? m.fromMs : std::numeric_limits<qint64>::min();
}

qint64 highOf(const HeldShot::Moments &m)
{
    return m.toKnown ? m.toMs : std::numeric_limits<qint64>::max();
}

using Spans = QList<QStringList>; // each span in its parts

// Each case the accounts leave, the one of the earliest moment first, with
// its spans: those that touch are one; spans of two cases are never joined.
QVector<QPair<Case, Spans>> caseSpans(const QVector<HeldShot::Moments> &accounts)
{
    QVector<HeldShot::Moments> sorted = accounts;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const HeldShot::Moments &a, const HeldShot::Moments &b) {
                         return lowOf(a) < lowOf(b);
                     });
    QVector<Case> cases;
    QMap<Case, QVector<HeldShot::Moments>> spans;
    for (const HeldShot::Moments &m : qAsConst(sorted)) {
        QVector<HeldShot::Moments> &ofCase = spans[caseOf(m.page)];
        if (ofCase.isEmpty())
            cases.append(caseOf(m.page));
        if (!ofCase.isEmpty() && lowOf(m) <= highOf(ofCase.last())) {
            HeldShot::Moments &last = ofCase.last();
            if (highOf(m) > highOf(last)) {
                last.toMs = m.toMs;
                last.toKnown = m.toKnown;
            }
        } else {
            ofCase.append(m);
        }
    }
    QVector<QPair<Case, Spans>> told;
    for (Case c : qAsConst(cases)) {
        Spans parts;
        for (const HeldShot::Moments &m : spans.value(c))
            parts << spanParts(m);
        told.append({c, parts});
    }
    return told;
}

// A list too wide for the screen puts each part of a span, and the notes
// beside a figure, on a line of its own.
QString spansText(const Spans &spans, bool narrow)
{
    QStringList lines;
    for (const QStringList &parts : spans)
        lines << parts.join(narrow ? QLatin1Char('\n') : QLatin1Char(' '));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

DialogHeldShots::DialogHeldShots(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::DialogHeldShots>())
{
    m_ui->setupUi(this);
    // No close button in the frame: only a choice ends the question.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_ui->tw_shots->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A case with spans apart shows them as lines of its cell.
    m_ui->tw_shots->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Home and End go to the first shot and to "none", as in a list.
    m_ui->tw_shots->installEventFilter(this);
    connect(m_ui->tw_shots, &QTableWidget::itemSelectionChanged, this, [this] {
        m_ui->pbConfirm->setEnabled(chosen() != kNothingChosen);
        showPlaces();
    });
}

DialogHeldShots::~DialogHeldShots() = default;

void DialogHeldShots::setShots(const Lane &lane, const QList<HeldShot> &shots, bool atStop)
{
    m_lane = lane;
    m_shots = shots;
    setWindowTitle(titleText(lane));
    m_ui->L_title->setText(titleText(lane));
    m_ui->L_text->setText(
        QStringLiteral("По ответам мишени нельзя узнать, какие из этих выстрелов сделаны "
                       "после команды СТАРТ. Они идут на мишени подряд, так что команда СТАРТ "
                       "пришлась на одно место среди них. Когда сделан каждый, показано для "
                       "каждого случая отдельно: приняла мишень команду СТАРТ или нет. «Такой же "
                       "прочитан до СТАРТ»: точно такой же выстрел (номер, пробоина, время "
                       "мишени) уже был прочитан до команды СТАРТ. Укажите первый выстрел, "
                       "сделанный после команды СТАРТ, или строку «Ни один»."));
    m_ui->L_after->setText(outcomeText(lane, atStop));
    QTableWidget *table = m_ui->tw_shots;
    table->clearContents();
    table->clearSpans();
    table->setRowCount(shots.size() + 1);
    table->clearSelection();
    table->setCurrentCell(-1, -1);
    m_ui->pbConfirm->setEnabled(false);
    const QScreen *where = screen() ? screen() : QGuiApplication::primaryScreen();
    fitTo(where ? where->availableGeometry() : QRect(0, 0, 1024, 768));
    table->setFocus();
}

void DialogHeldShots::showShots(bool narrow)
{
    QTableWidget *table = m_ui->tw_shots;
    const auto put = [table](int row, int column, const QString &text) {
        auto *item = new QTableWidgetItem(text);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        table->setItem(row, column, item);
    };
    const QChar gap = narrow ? QLatin1Char('\n') : QLatin1Char(' ');
    bool told[kCases] = {};
    for (int row = 0; row < m_shots.size(); ++row) {
        const HeldShot &shot = m_shots.at(row);
        put(row, 0, shot.earlierPage ? QStringLiteral("%1%2(до выключения)").arg(shot.targetNumber).arg(gap)
                                     : QString::number(shot.targetNumber));
        put(row, 1, shot.value);
        put(row, kColumnPlace, QString());
        for (int c = 0; c < kCases; ++c)
            put(row, kColumnFirstCase + c, QStringLiteral("—"));
        for (const auto &spans : caseSpans(shot.accounts)) {
            const int c = int(spans.first);
            told[c] = true;
            table->item(row, kColumnFirstCase + c)->setText(spansText(spans.second, narrow));
        }
        put(row, kColumnReadBefore, shot.readBefore ? readBeforeText(shot) : QStringLiteral("нет"));
        put(row, kColumnGap,
            shot.gapTenths < 0 ? QStringLiteral("—")
            : shot.targetNumber == 1
                ? QStringLiteral("%1%2от начала отсчёта").arg(tenthsText(shot.gapTenths)).arg(gap)
                : tenthsText(shot.gapTenths));
    }
    // A case no shot is told of has no column.
    for (int c = 0; c < kCases; ++c)
        table->setColumnHidden(kColumnFirstCase + c, !told[c]);
    const int none = m_shots.size();
    table->clearSpans();
    for (int column = 0; column < table->columnCount(); ++column)
        put(none, column, QString());
    table->item(none, 0)->setText(QStringLiteral("Ни один"));
    // Across the cases shown.
    int first = 0;
    while (first < kCases - 1 && !told[first])
        ++first;
    table->item(none, kColumnFirstCase + first)
        ->setText(QStringLiteral("все сделаны до команды СТАРТ"));
    if (kCases - first > 1)
        table->setSpan(none, kColumnFirstCase + first, 1, kCases - first);
    showPlaces();
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
}

QString DialogHeldShots::titleText(const Lane &lane)
{
    QString title = QStringLiteral("Выстрелы под вопросом: мишень %1").arg(lane.target);
    if (!lane.member.isEmpty())
        title += QStringLiteral(", %1").arg(lane.member);
    if (lane.startNumber >= 0)
        title += QStringLiteral(", стартовый номер %1").arg(lane.startNumber);
    return title;
}

QString DialogHeldShots::outcomeText(const Lane &lane, bool atStop)
{
    const QString counted = QStringLiteral("Выстрелы с указанного засчитываются на свои места, "
                                           "выстрелы до него не засчитываются.");
    // In a pistol stage the shots still held when the series' time is over
    // are passed over, and what the lane lacks then is flagged to be shot
    // again in the break: no STOP turns them into misses.
    if (lane.reshotInBreak)
        return counted
            + QStringLiteral(" Выстрелы, которых не хватит, засчитываются, если мишень передаст "
                             "их до конца серии; недостающие в конце серии будут отмечены для "
                             "перестрела в перерыве. Если ответа не будет до конца серии, ни один "
                             "из этих выстрелов не будет засчитан.");
    if (atStop)
        return counted + QStringLiteral(" Недостающие выстрелы будут засчитаны промахами.");
    return counted
        + QStringLiteral(" Мишень опрашивается дальше: выстрелы, которых не хватит, "
                         "засчитываются, если мишень их передаст; иначе нажмите СТОП, и они "
                         "будут засчитаны промахами.");
}

void DialogHeldShots::fitTo(const QRect &room)
{
    // Every case of a shot shows beside the others: the list may take the
    // screen's width but for the window's frame, and where its lines are
    // wider, they are broken. Every row shows when the screen has room for
    // them, the texts around the list (as they wrap at its width), the
    // button and a window manager's title bar apart; otherwise the list
    // scrolls.
    QTableWidget *table = m_ui->tw_shots;
    const QMargins margins = layout()->contentsMargins();
    const int widest = room.width() - margins.left() - margins.right() - 2 * kWindowFrame;
    const auto wanted = [table] {
        return table->horizontalHeader()->length() + 2 * table->frameWidth()
            + table->verticalScrollBar()->sizeHint().width();
    };
    showShots(false);
    if (wanted() > widest)
        showShots(true);
    const int tableWidth = std::min(wanted(), widest);
    const int height = table->horizontalHeader()->sizeHint().height()
        + table->verticalHeader()->length() + 2 * table->frameWidth();
    int texts = margins.top() + margins.bottom() + 4 * layout()->spacing()
        + m_ui->pbConfirm->sizeHint().height();
    for (const QLabel *text : {m_ui->L_title, m_ui->L_text, m_ui->L_after})
        texts += text->heightForWidth(tableWidth);
    const int tableHeight = std::max(std::min(height, room.height() - texts - 2 * kWindowFrame - kTitleBar),
                                     3 * table->verticalHeader()->defaultSectionSize());
    table->setMinimumSize(tableWidth, tableHeight);
    // The window's minimum follows now, not at the next layout pass: shown
    // already and asked again with fewer shots, it would keep the longer
    // list's size.
    layout()->activate();
    // Not adjustSize(): it keeps a window within two thirds of the screen.
    resize(tableWidth + margins.left() + margins.right(), texts + tableHeight);
    // Shown already, it grows where it stands: it is moved back within the
    // screen.
    if (!isVisible())
        return;
    const QRect frame = frameGeometry();
    const int x = std::max(room.left(), std::min(frame.left(), room.right() + 1 - frame.width()));
    const int y = std::max(room.top(), std::min(frame.top(), room.bottom() + 1 - frame.height()));
    move(pos() + QPoint(x, y) - frame.topLeft());
}

bool DialogHeldShots::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->tw_shots && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Home || key == Qt::Key_End) {
            QTableWidget *table = m_ui->tw_shots;
            const int row = key == Qt::Key_Home ? 0 : table->rowCount() - 1;
            table->setCurrentCell(row, 0);
            table->selectRow(row);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int DialogHeldShots::chosen() const
{
    const QList<QTableWidgetItem *> selected = m_ui->tw_shots->selectedItems();
    if (selected.isEmpty())
        return kNothingChosen;
    const int row = selected.first()->row();
    return row >= m_shots.size() ? LaneStart::kNone : row;
}

void DialogHeldShots::showPlaces()
{
    // Counted from the chosen one on: each takes the place after the shots
    // stored before it and the held ones counted before it. No place shows
    // before a choice.
    const int chosenRow = chosen();
    for (int row = 0; row < m_shots.size(); ++row) {
        QTableWidgetItem *item = m_ui->tw_shots->item(row, kColumnPlace);
        if (!item)
            continue;
        if (chosenRow == kNothingChosen)
            item->setText(QString());
        else if (chosenRow == LaneStart::kNone || row < chosenRow)
            item->setText(QStringLiteral("не засчитан"));
        else
            item->setText(QString::number(m_shots.at(row).number + row - chosenRow));
    }
}

QString DialogHeldShots::momentsText(const HeldShot &shot)
{
    if (shot.accounts.isEmpty())
        return QStringLiteral("неизвестно");
    QStringList lines;
    for (const auto &told : caseSpans(shot.accounts)) {
        QStringList spans;
        for (const QStringList &parts : told.second)
            spans << parts.join(QLatin1Char(' '));
        lines << QStringLiteral("%1 — %2").arg(spans.join(QStringLiteral(" или ")),
                                               caseText(told.first));
    }
    return lines.join(QLatin1Char('\n'));
}

QString DialogHeldShots::readBeforeText(const HeldShot &shot)
{
    if (!shot.readBefore)
        return QString();
    const qint64 tenths = shot.readBeforeMs / kMsPerTenth; // rounded towards the START
    return tenths > 0 ? QStringLiteral("за %1").arg(tenthsText(tenths))
                      : QStringLiteral("при самой команде");
}

QString DialogHeldShots::questionText(const Lane &lane, const QList<HeldShot> &shots, bool atStop)
{
    QStringList lines{QStringLiteral("%1. Какой из этих выстрелов первым сделан после команды "
                                     "СТАРТ?")
                          .arg(titleText(lane))};
    for (const HeldShot &shot : shots) {
        QString line = QStringLiteral("выстрел %1 на мишени: %2, сделан %3;")
                           .arg(shot.targetNumber)
                           .arg(shot.value, momentsText(shot).replace(QLatin1Char('\n'), QStringLiteral("; ")));
        if (shot.readBefore)
            line += QStringLiteral(" такой же прочитан до СТАРТ: %1;").arg(readBeforeText(shot));
        lines << line;
    }
    lines << outcomeText(lane, atStop);
    return lines.join(QLatin1Char('\n'));
}

void DialogHeldShots::setTestRuling(const TestRuling &ruling)
{
    testRulingFunction() = ruling;
}

int DialogHeldShots::testRuling(int target, const QList<HeldShot> &shots)
{
    const TestRuling &ruling = testRulingFunction();
    return ruling ? ruling(target, shots) : LaneStart::kNone;
}

void DialogHeldShots::reject()
{
}

void DialogHeldShots::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void DialogHeldShots::on_pbConfirm_clicked()
{
    const int first = chosen();
    if (first == kNothingChosen)
        return;
    emit sig_ruled(m_lane.target, first);
    accept();
}
