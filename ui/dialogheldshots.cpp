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

namespace {

constexpr int kColumnPlace = 2;
constexpr int kNothingChosen = -2;
constexpr qint64 kMsPerTenth = 100;

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

} // namespace

DialogHeldShots::DialogHeldShots(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::DialogHeldShots>())
{
    m_ui->setupUi(this);
    // No close button in the frame: only a choice ends the question.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_ui->tw_shots->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Home and End go to the first shot and to "none", as in a list.
    m_ui->tw_shots->installEventFilter(this);
    connect(m_ui->tw_shots, &QTableWidget::itemSelectionChanged, this, [this] {
        m_ui->pbConfirm->setEnabled(chosen() != kNothingChosen);
        showPlaces();
    });
}

DialogHeldShots::~DialogHeldShots() = default;

void DialogHeldShots::setShots(int target, const QList<HeldShot> &shots, bool atStop)
{
    m_target = target;
    m_shots = shots;
    m_ui->L_text->setText(
        QStringLiteral("Мишень %1. По ответам мишени нельзя узнать, какие из этих выстрелов сделаны "
                       "после команды СТАРТ. Они идут на мишени подряд, так что команда СТАРТ "
                       "пришлась на одно место среди них. Укажите первый, сделанный после "
                       "команды СТАРТ, или строку «Ни один».")
            .arg(target));
    m_ui->L_after->setText(atStop
                               ? QStringLiteral("Выстрелы с указанного засчитываются на свои места, "
                                                "выстрелы до него не засчитываются; недостающие "
                                                "выстрелы будут засчитаны промахами.")
                           : m_reshotInBreak
                               ? QStringLiteral("Выстрелы с указанного засчитываются на свои места, "
                                                "выстрелы до него не засчитываются. Мишень "
                                                "опрашивается до конца стрельбы: выстрелы, которых "
                                                "не хватит, засчитываются, если мишень их передаст, "
                                                "иначе отмечаются для перестрела в перерыве. Без "
                                                "ответа до конца стрельбы ни один из этих выстрелов "
                                                "не засчитывается.")
                               : QStringLiteral("Выстрелы с указанного засчитываются на свои места, "
                                                "выстрелы до него не засчитываются. Мишень "
                                                "опрашивается дальше: выстрелы, которых не хватит, "
                                                "засчитываются, если мишень их передаст; иначе "
                                                "нажмите СТОП, и они будут засчитаны промахами."));
    QTableWidget *table = m_ui->tw_shots;
    table->clearContents();
    table->setRowCount(shots.size() + 1);
    for (int row = 0; row < shots.size(); ++row) {
        const HeldShot &shot = shots.at(row);
        const QString number = shot.earlierPage
            ? QStringLiteral("%1 (до выключения)").arg(shot.targetNumber)
            : QString::number(shot.targetNumber);
        const QString gap = shot.gapTenths < 0 ? QStringLiteral("—")
            : shot.targetNumber == 1
            ? QStringLiteral("%1 от начала её отсчёта").arg(tenthsText(shot.gapTenths))
            : tenthsText(shot.gapTenths);
        const QStringList cells{number, shot.value, QString(), momentsText(shot), gap};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            table->setItem(row, column, item);
        }
    }
    const QStringList none{QStringLiteral("Ни один"), QString(), QString(),
                           QStringLiteral("все сделаны до команды СТАРТ"), QString()};
    for (int column = 0; column < none.size(); ++column) {
        auto *item = new QTableWidgetItem(none.at(column));
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        table->setItem(shots.size(), column, item);
    }
    table->clearSelection();
    table->setCurrentCell(-1, -1);
    m_ui->pbConfirm->setEnabled(false);
    showPlaces();
    fitToScreen();
    table->setFocus();
}

void DialogHeldShots::fitToScreen()
{
    // The whole list when the screen has room for it; otherwise it scrolls,
    // and the dialog stays within the screen.
    QTableWidget *table = m_ui->tw_shots;
    const QScreen *where = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect room = where ? where->availableGeometry() : QRect(0, 0, 1024, 768);
    const int frame = 2 * table->frameWidth();
    const int width = table->horizontalHeader()->length() + frame
        + table->verticalScrollBar()->sizeHint().width();
    const int height = table->horizontalHeader()->sizeHint().height()
        + table->verticalHeader()->length() + frame;
    // The window keeps within two thirds of the screen's height (as a
    // window sized to its contents does), the texts around the list, as
    // they wrap at its width, included.
    const int tableWidth = std::min(width, room.width() * 9 / 10);
    const QMargins margins = layout()->contentsMargins();
    int around = margins.top() + margins.bottom() + 4 * layout()->spacing()
        + m_ui->pbConfirm->sizeHint().height();
    for (const QLabel *text : {m_ui->L_title, m_ui->L_text, m_ui->L_after})
        around += text->heightForWidth(tableWidth);
    table->setMinimumSize(tableWidth, std::max(std::min(height, room.height() * 2 / 3 - around),
                                               3 * table->verticalHeader()->defaultSectionSize()));
    adjustSize();
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
    // Counted from the chosen one on (before a choice, from the first): each
    // takes the place after the shots stored before it and the held ones
    // counted before it.
    const int chosenRow = chosen();
    const int first = chosenRow == kNothingChosen ? 0 : chosenRow;
    for (int row = 0; row < m_shots.size(); ++row) {
        QTableWidgetItem *item = m_ui->tw_shots->item(row, kColumnPlace);
        if (!item)
            continue;
        if (first == LaneStart::kNone || row < first)
            item->setText(QStringLiteral("не засчитан"));
        else
            item->setText(QString::number(m_shots.at(row).number + row - first));
    }
}

QString DialogHeldShots::momentsText(const HeldShot &shot)
{
    const qint64 from = floorTenths(shot.fromMs);
    const qint64 to = ceilTenths(shot.toMs);
    if (shot.fromKnown && shot.toKnown) {
        if (from < 0 && to > 0)
            return QStringLiteral("от %1 до СТАРТ до %2 после")
                .arg(tenthsText(-from), tenthsText(to));
        if (to <= 0)
            return QStringLiteral("от %1 до %2 до СТАРТ").arg(tenthsText(-from), tenthsText(-to));
        return QStringLiteral("от %1 до %2 после СТАРТ").arg(tenthsText(from), tenthsText(to));
    }
    if (shot.toKnown)
        return QStringLiteral("не позже %1").arg(againstStart(to));
    if (shot.fromKnown)
        return QStringLiteral("не раньше %1").arg(againstStart(from));
    return QStringLiteral("неизвестно");
}

QString DialogHeldShots::questionText(int target, const QList<HeldShot> &shots, bool atStop)
{
    QStringList lines{QStringLiteral("Мишень %1: какой из этих выстрелов первым сделан после команды "
                                     "СТАРТ?")
                          .arg(target)};
    for (const HeldShot &shot : shots) {
        lines << QStringLiteral("выстрел %1 на мишени: %2, сделан %3;")
                     .arg(shot.targetNumber)
                     .arg(shot.value, momentsText(shot));
    }
    lines << (atStop ? QStringLiteral("Недостающие выстрелы будут засчитаны промахами.")
                     : QStringLiteral("Мишень опрашивается дальше."));
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
    emit sig_ruled(m_target, first);
    accept();
}
