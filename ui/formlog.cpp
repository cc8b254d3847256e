#include "formlog.h"

#include "ui_formlog.h"

#include <QBrush>
#include <QColor>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QTime>
#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace {
const QString kPortAnswers = QStringLiteral(":/nets/img/net/net_green.png");
const QString kPortSilent = QStringLiteral(":/nets/img/net/net_red.png");
const QString kTimeFormat = QStringLiteral("hh:mm:ss.zzz");
const QString kWrittenArrows = QStringLiteral(" >>> ");
const QString kReadArrows = QStringLiteral(" <<< ");

// A row's colour tells where its bytes come from.
const QColor kWrittenColour(240, 255, 240);
const QColor kAnswerFrameColour(253, 255, 231);
const QColor kReadChunkColour(255, 240, 240);

// The longest answer frame of the bus, whose bytes the data column shows
// whole.
constexpr int kWidestFrameBytes = 20;

enum Column { TimeColumn, PortColumn, DirectionColumn, DataColumn, ColumnCount };
} // namespace

FormLog::FormLog(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::FormLog)
{
    ui->setupUi(this);
    fitColumns();
    // No window type: a child of the main window floating over its pages.
    setWindowFlags(Qt::WindowStaysOnTopHint);
    resetPortStates();
}

FormLog::~FormLog()
{
    delete ui;
}

// Fixed widths that fit what each column holds, the bytes of a long answer
// frame in the last (the list scrolls sideways): the list never measures
// its rows, however fast they come.
void FormLog::fitColumns()
{
    QTreeWidget *list = ui->TW_Report;
    const QFontMetrics rows(list->font());
    const QFontMetrics titles(list->headerItem()->font(DirectionColumn));
    const int padding = 3 * rows.horizontalAdvance(QLatin1Char(' '));
    const QString longestFrame = hexText(QByteArray(kWidestFrameBytes, '\xee'));
    list->setColumnWidth(TimeColumn, rows.horizontalAdvance(QStringLiteral("00:00:00.000")) + padding);
    list->setColumnWidth(PortColumn, rows.horizontalAdvance(QStringLiteral("5 COM999")) + padding);
    list->setColumnWidth(DirectionColumn,
                         qMax(rows.horizontalAdvance(kReadArrows),
                              titles.horizontalAdvance(list->headerItem()->text(DirectionColumn)))
                             + padding);
    list->setColumnWidth(DataColumn, rows.horizontalAdvance(longestFrame) + padding);
}

void FormLog::slot_addReport(int direct, int portID, int portNum, QByteArray arr, int anserfound)
{
    if (!logging)
        return;
    if (ui->TW_Report->topLevelItemCount() >= kMaxRows)
        ui->TW_Report->clear();
    if (arr.isEmpty())
        return;

    auto *row = new QTreeWidgetItem;
    row->setText(TimeColumn, QTime::currentTime().toString(kTimeFormat));
    QColor colour = kWrittenColour;
    if (direct != 0)
        colour = anserfound != 0 ? kAnswerFrameColour : kReadChunkColour;
    const QBrush background(colour);
    for (int column = 0; column < ColumnCount; ++column)
        row->setBackground(column, background);
    row->setText(DirectionColumn, direct != 0 ? kReadArrows : kWrittenArrows);
    row->setText(PortColumn, QStringLiteral("%1 COM%2").arg(portID).arg(portNum));
    row->setText(DataColumn, hexText(arr));
    ui->TW_Report->insertTopLevelItem(0, row);
}

void FormLog::slot_logsenable(bool _value)
{
    logging = _value;
    ui->btn_enable->setText(_value ? QStringLiteral("Stop") : QStringLiteral("Start"));
}

void FormLog::slot_fileEnable(bool en)
{
    ui->l_fileKoef->setText(en ? QStringLiteral("KoefFile: Enable")
                               : QStringLiteral("KoefFile: Disable"));
}

void FormLog::on_pushButton_clicked()
{
    ui->TW_Report->clear();
}

void FormLog::on_pushButton_2_clicked()
{
    hide();
}

void FormLog::on_btn_enable_clicked()
{
    // The main window owns the switch and sends the new state back.
    emit sig_stop();
}

QString FormLog::hexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

void FormLog::setPortState(int id, int comNum, bool found)
{
    const QPixmap icon(found ? kPortAnswers : kPortSilent);
    const QString text = comNum < 0 ? QStringLiteral("-") : QStringLiteral("COM%1").arg(comNum);
    QLabel *iconLabel = nullptr;
    QLabel *textLabel = nullptr;
    switch (id) {
    case 1:
        iconLabel = ui->l_imgNet1;
        textLabel = ui->l_Addr1;
        break;
    case 2:
        iconLabel = ui->l_imgNet2;
        textLabel = ui->l_Addr2;
        break;
    case 3:
        iconLabel = ui->l_imgNet3;
        textLabel = ui->l_Addr3;
        break;
    case 4:
        iconLabel = ui->l_imgNet4;
        textLabel = ui->l_Addr4;
        break;
    case 5:
        iconLabel = ui->l_imgNet5;
        textLabel = ui->l_Addr5;
        break;
    default:
        return;
    }
    textLabel->setText(text);
    iconLabel->setPixmap(icon.isNull() ? QPixmap()
                                       : icon.scaled(iconLabel->size(), Qt::IgnoreAspectRatio,
                                                     Qt::FastTransformation));
}

void FormLog::resetPortStates()
{
    for (int id = 1; id <= kPortCount; ++id)
        setPortState(id, -1, false);
}

void FormLog::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->localPos().toPoint();
    pressX = at.x();
    pressY = at.y();
}

void FormLog::mouseMoveEvent(QMouseEvent *event)
{
    if (pressX < 0 || event->buttons() == Qt::NoButton)
        return;
    const QPoint shift = event->localPos().toPoint() - QPoint(pressX, pressY);
    move(pos() + shift);
}

void FormLog::mouseReleaseEvent(QMouseEvent *)
{
    pressX = -1;
    pressY = -1;
}
