#include "formcurrentrelay.h"

#include "ui_formcurrentrelay.h"

#include "tevent.h"
#include "ticondelegate.h"
#include "trelay.h"
#include "tshooter.h"
#include "tusermodul.h"
#include "viewmodel.h"

#include <QHeaderView>
#include <QPixmap>
#include <QTimerEvent>

namespace {

const QString kNetFound = QStringLiteral(":/nets/img/net/net_green.png");
const QString kNetMissing = QStringLiteral(":/nets/img/net/net_red.png");
const QString kSearchColour = QStringLiteral("color: rgba(170, 0, 0, 255)");
const QString kFoundColour = QStringLiteral("color: rgba(0, 85, 0, 255)");
const QString kBlinkColour = QStringLiteral("color: rgba(170, 0, 0, %1)");

} // namespace

FormCurrentRelay::FormCurrentRelay(TUserModul *module, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::FormCurrentRelay>())
    , m_module(module)
    , m_iconDelegate(std::make_unique<TIconDelegate>())
{
    m_ui->setupUi(this);
    m_ui->tv_relay->setItemDelegate(m_iconDelegate.get());
    updateNetIcon();
}

FormCurrentRelay::~FormCurrentRelay()
{
    // The view must let go of the delegate before the delegate goes.
    m_ui->tv_relay->setItemDelegate(nullptr);
}

void FormCurrentRelay::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (TRelay *relay = m_module->currentRunRelay(nullptr, nullptr)) {
        if (relay->event())
            m_ui->l_eventName->setText(relay->event()->nameEng());
        m_ui->l_relayNum->setText(QStringLiteral("%1").arg(relay->number()));
        setViewModel(m_ui->tv_relay, relay);
        QHeaderView *header = m_ui->tv_relay->horizontalHeader();
        header->setSectionResizeMode(TRelay::StartNumberColumn, QHeaderView::ResizeToContents);
        header->setSectionResizeMode(TRelay::NameColumn, QHeaderView::Stretch);
        header->setSectionResizeMode(TRelay::TargetColumn, QHeaderView::ResizeToContents);
        header->setSectionResizeMode(TRelay::TerminalColumn, QHeaderView::ResizeToContents);
        // The relay may have been prepared since the last show: its own
        // members' answers decide, not the state the last relay left, which
        // would offer the run before the new targets have answered.
        updateSearchState();
        return;
    }
    setState(-1);
}

void FormCurrentRelay::setConverterCount(int count)
{
    m_converterCount = count;
    updateNetIcon();
    updateSearchState();
}

void FormCurrentRelay::updateNetIcon()
{
    const bool found = m_converterCount >= 1;
    m_ui->l_colKommut->setText(found ? QStringLiteral("%1").arg(m_converterCount) : QString());
    const QPixmap picture(found ? kNetFound : kNetMissing);
    m_ui->l_Net->setPixmap(picture.scaled(m_ui->l_Net->size(), Qt::IgnoreAspectRatio,
                                          Qt::FastTransformation));
}

void FormCurrentRelay::updateSearchState()
{
    TRelay *relay = m_module->currentRunRelay(nullptr, nullptr);
    if (!relay)
        return;
    bool allAnswer = true;
    for (TShooter *member = relay->memberAt(0); member; member = relay->nextMember(member)) {
        if (!member->isTargetEnabled() || !member->isPCEnabled()) {
            allAnswer = false;
            break;
        }
    }
    if (m_converterCount == 0)
        setState(ConverterSearch);
    else
        setState(allAnswer ? TargetsFound : TargetSearch);
}

void FormCurrentRelay::setState(int state)
{
    if (state >= 0)
        m_state = state;
    switch (m_state) {
    case ConverterSearch:
    case TargetSearch:
        m_ui->pBNext->setEnabled(false);
        m_ui->label_mode->setText(m_state == ConverterSearch
                                      ? QStringLiteral("Поиск конвертора")
                                      : QStringLiteral("Поиск мишеней"));
        m_ui->label_mode->setStyleSheet(kSearchColour);
        m_blink.restart();
        startBlink();
        break;
    case TargetsFound:
        m_ui->pBNext->setEnabled(true);
        m_ui->label_mode->setText(QStringLiteral("Мишени найдены"));
        m_ui->label_mode->setStyleSheet(kFoundColour);
        stopBlink();
        break;
    default:
        break;
    }
}

void FormCurrentRelay::stopBlink()
{
    if (m_blinkTimerID >= 0)
        killTimer(m_blinkTimerID);
    m_blinkTimerID = -1;
}

void FormCurrentRelay::startBlink()
{
    stopBlink();
    if (isVisible())
        m_blinkTimerID = startTimer(m_blinkPeriodMs, Qt::CoarseTimer);
}

void FormCurrentRelay::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_blinkTimerID) {
        QWidget::timerEvent(event);
        return;
    }
    m_ui->label_mode->setStyleSheet(kBlinkColour.arg(m_blink.step(m_blinkPeriodMs)));
}

void FormCurrentRelay::on_pbBack_clicked()
{
    stopBlink();
    emit sig_Back();
}

void FormCurrentRelay::on_pBNext_clicked()
{
    emit sig_Next();
}
