#include "formexecuteevent.h"

#include <QPixmap>
#include <QTimerEvent>

#include "appstyle.h"
#include "tbtndelegate.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tmemberplace.h"
#include "tpracticedelegate.h"
#include "tpracticemodul.h"
#include "trelay.h"
#include "tseries.h"
#include "tusermodul.h"
#include "ui_formexecuteevent.h"
#include "viewmodel.h"
#include "warnings.h"

namespace {

const char *const kNetFound = ":/nets/img/net/net_green.png";
const char *const kNetMissing = ":/nets/img/net/net_red.png";
const char *const kSearchStyle = "color: rgba(170, 0, 0, %1)";
const char *const kFoundStyle = "color: rgba(0, 85, 0, 255)";
constexpr int kNoTarget = -1;

enum ModeText { ModeHidden = -2, ModeEmpty = -1, ModeSighting = 0, ModeMatch = 1 };
enum TimeAim { AimClock = 0, AimStartButton = 1 };
enum StartCaption { CaptionStart = -1, CaptionSighting = 0, CaptionMatch = 1 };

// Only the one-position exercise has a report to print.
constexpr int kPrintableType = 1;
// The pistol stages shoot series (and windows) that a lane re-shoots in the break.
constexpr int kPrecisionStageType = 2;
constexpr int kRapidFireStageType = 3;

} // namespace

FormExecuteEvent::FormExecuteEvent(TUserModul *userModul, TPracticeModul *practiceModul,
                                   QWidget *parent)
    : QWidget(parent)
    , ui(new Ui_FormExecuteEvent)
    , userModul(userModul)
    , practiceModul(practiceModul)
{
    // The net icons and the sighting mark.
    initUiResources();
    ui->setupUi(this);

    m_shootOffDelegate = new TbtnDelegate(0, this);
    connect(m_shootOffDelegate, &TbtnDelegate::sig_btnClicked, this,
            &FormExecuteEvent::delegatClicked);
    m_shotDelegate = new TPracticeDelegate(this);
    ui->tv_bullets->setItemDelegate(m_shotDelegate);

    ui->pbBack->setEnabled(true);
    slot_myEvent_BTNStartEnabled(true);
    slot_myEvent_BTNStartText(CaptionSighting);
    ui->pbStop->setEnabled(false);
    ui->pbStop->show();
    slot_myEvent_BTNNextEnabled(false);
    slot_myEvent_ModeText(ModeHidden);
    slot_myEvent_DelegateView(false);
    ui->pushButton->hide();
    showBusWords();
}

FormExecuteEvent::~FormExecuteEvent()
{
    delete ui;
}

// ------------------------------------------------------------------ set-ups

void FormExecuteEvent::setMode(int variant)
{
    m_mode = variant;
    if (variant == 0)
        setupViewCompetition();
    else if (variant == 1)
        setupViewPractice();
}

void FormExecuteEvent::setupViewCompetition()
{
    // A practice left during its search must not hold START of a match:
    // from here converter reports change only the net icon.
    setSearchDisplay(false);
    ui->label_mode->hide();
    ui->l_c->hide();
    ui->label_2->hide();
    ui->frame_Comp_name1->show();

    const TCompetition *competition = userModul ? userModul->currentCompetition() : nullptr;
    if (!competition)
        return;
    const TRelay *relay = userModul->currentRunRelay(nullptr, nullptr);
    TEvent *event = relay ? relay->event() : nullptr;
    if (!event)
        return;
    TBulletList *list = userModul->bulletList(event->id());
    if (!list)
        return;

    const bool linked = event->prev() || (event->next() && !event->next()->isFinal());
    ui->l_c->setVisible(linked);
    ui->l_conpetitionType->setVisible(linked);
    ui->l_conpetitionType->setText(QStringLiteral("%1").arg(competition->nameEng()));
    ui->l_conpetitionName->setText(QStringLiteral("%1").arg(competition->name()));
    ui->l_eventName->setText(QStringLiteral("%1").arg(event->nameEng()));
    ui->l_relayNum->setText(QStringLiteral("%1").arg(relay->number()));

    showList(list);
    setButtonsForEntry(event->typeXMLID() == kPrintableType);
    m_reshotInBreak = event->typeXMLID() == kPrecisionStageType
        || event->typeXMLID() == kRapidFireStageType;
}

void FormExecuteEvent::setupViewPractice()
{
    setSearchDisplay(true);
    ui->label_mode->show();
    ui->l_c->hide();
    ui->label_2->hide();
    ui->frame_Comp_name1->hide();

    const TEvent *event = practiceModul ? practiceModul->getCurrentEvent() : nullptr;
    TBulletList *list = practiceModul ? practiceModul->getBulletList() : nullptr;
    if (!event || !list)
        return;
    ui->l_conpetitionName->setText(QStringLiteral("%1").arg(event->nameEng()));
    showList(list);
    setButtonsForEntry(false);
    setSearchState(-1);
}

void FormExecuteEvent::showList(TBulletList *list)
{
    // Buttons opened over another list mean nothing for this one; over the
    // same list (the page entered again in a break) they stay.
    if (ui->tv_bullets->model() != list)
        removeShootOffButtons();
    watchList(list);
    // The tables fit their columns to the list's texts as they take it: the
    // name column stretches, the others are as wide as their widest text.
    setViewModel(ui->tv_bullets, list);
    setViewModel(ui->tv_series, list->series());
    ui->l_time->setText(QStringLiteral("00:00"));
}

void FormExecuteEvent::setButtonsForEntry(bool printVisible)
{
    ui->pbBack->setEnabled(true);
    ui->pBNext->hide();
    ui->pBNext->setEnabled(false);
    ui->pbStart->show();
    ui->pbStart->setEnabled(true);
    ui->pbStop->setEnabled(false);
    ui->pb_Print->setVisible(printVisible);
    ui->pb_Print->setEnabled(false);
    m_startCaption = QStringLiteral("START");
    showStartCaption();
}

void FormExecuteEvent::dropShotList()
{
    // The lanes' words belong to the exercise's relay; a converter's stand.
    withdrawTargetWords();
    closeRulings();
    removeShootOffButtons();
    watchList(nullptr);
    setViewModel(ui->tv_bullets, nullptr);
    setViewModel(ui->tv_series, nullptr);
}

TBulletList *FormExecuteEvent::shownList() const
{
    // A deleted list leaves the view with an empty model of Qt's own.
    return qobject_cast<TBulletList *>(ui->tv_bullets->model());
}

// ---------------------------------------------------------- bus and search

void FormExecuteEvent::setNetState(int count)
{
    m_converterCount = count;
    const QPixmap icon(QString::fromLatin1(count > 0 ? kNetFound : kNetMissing));
    if (!icon.isNull()) {
        ui->l_Net->setPixmap(
            icon.scaled(ui->l_Net->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    } else {
        ui->l_Net->setPixmap(QPixmap());
    }
    ui->l_colKommut->setText(count > 0 ? QStringLiteral("%1").arg(count) : QString());
    setSearchState(count > 0 ? SearchTargets : SearchConverter);
}

void FormExecuteEvent::checkTargets()
{
    if (m_mode != 1)
        return;
    if (m_converterCount == 0) {
        setSearchState(SearchConverter);
        return;
    }
    const TBulletList *list = practiceModul ? practiceModul->getBulletList() : nullptr;
    if (!list)
        return;
    const bool allFound = list->allTargetsFound() && list->allPCsFound();
    setSearchState(allFound ? TargetsFound : SearchTargets);
}

void FormExecuteEvent::setSearchState(int state)
{
    // Kept while the display is off too: a practice entered after the
    // converters were found shows the target search, not the converter
    // search.
    if (state < 0)
        state = m_searchState;
    else
        m_searchState = state;
    if (!m_searchDisplayOn)
        return;
    switch (state) {
    case SearchConverter:
    case SearchTargets:
        ui->pbStart->show();
        ui->pbStart->setEnabled(false);
        ui->label_mode->setText(state == SearchConverter ? QStringLiteral("Поиск конвертора")
                                                         : QStringLiteral("Поиск мишеней"));
        ui->label_mode->setStyleSheet(QString::fromLatin1(kSearchStyle).arg(SearchBlink::kOpaque));
        m_blink.restart();
        startBlink();
        break;
    case TargetsFound:
        setSearchDisplay(false);
        ui->pbStart->show();
        ui->pbStart->setEnabled(true);
        ui->label_mode->setText(QStringLiteral("Мишени найдены"));
        ui->label_mode->setStyleSheet(QString::fromLatin1(kFoundStyle));
        break;
    default:
        break;
    }
}

void FormExecuteEvent::setSearchDisplay(bool on)
{
    m_searchDisplayOn = on;
    if (!on)
        stopBlink();
}

void FormExecuteEvent::startBlink()
{
    stopBlink();
    m_blinkTimerId = startTimer(m_blinkPeriodMs, Qt::CoarseTimer);
}

void FormExecuteEvent::stopBlink()
{
    if (m_blinkTimerId != -1)
        killTimer(m_blinkTimerId);
    m_blinkTimerId = -1;
}

void FormExecuteEvent::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_blinkTimerId) {
        QWidget::timerEvent(event);
        return;
    }
    ui->label_mode->setStyleSheet(QString::fromLatin1(kSearchStyle).arg(m_blink.step(m_blinkPeriodMs)));
}

// ------------------------------------------------------- the exercise's calls

void FormExecuteEvent::showStartCaption()
{
    ui->pbStart->setText(m_startCaption);
}

void FormExecuteEvent::slot_myEvent_TimeChange(QString timestr, int aim)
{
    recheckLaneWords();
    if (aim == AimClock) {
        if (m_timeOnStartButton) {
            m_timeOnStartButton = false;
            showStartCaption();
        }
        ui->l_time->setText(timestr);
    } else if (aim == AimStartButton) {
        m_timeOnStartButton = true;
        ui->pbStart->setText(m_startCaption + QLatin1Char('\n') + timestr);
    }
}

void FormExecuteEvent::slot_myEvent_EventFinished()
{
    // START goes first: the button column keeps the height it measured
    // while both big buttons stood in it, and the window would grow past
    // the screen by a button.
    closeRulings();
    ui->pbStart->hide();
    ui->pBNext->show();
    ui->pBNext->setEnabled(true);
    ui->pbStop->setEnabled(false);
    ui->pb_Print->setEnabled(true);
}

void FormExecuteEvent::slot_myEvent_BTNBackEnabled(bool Btn_enable)
{
    ui->pbBack->setEnabled(Btn_enable);
}

void FormExecuteEvent::slot_myEvent_BTNStartEnabled(bool Btn_enable)
{
    ui->pbStart->show();
    ui->pbStart->setEnabled(Btn_enable);
}

void FormExecuteEvent::slot_myEvent_BTNStartText(int Btn_mode)
{
    switch (Btn_mode) {
    case CaptionSighting:
        m_startCaption = QStringLiteral("SIGHTING");
        break;
    case CaptionMatch:
        m_startCaption = QStringLiteral("MATCH");
        break;
    case CaptionStart:
        m_startCaption = QStringLiteral("START");
        break;
    default:
        break;
    }
    showStartCaption();
}

void FormExecuteEvent::slot_myEvent_BTNStopEnabled(bool Btn_enable)
{
    ui->pbStop->setEnabled(Btn_enable);
}

void FormExecuteEvent::slot_myEvent_BTNStopVisible(bool Btn_visible)
{
    ui->pbStop->setVisible(Btn_visible);
}

void FormExecuteEvent::slot_myEvent_BTNNextEnabled(bool Btn_enable)
{
    ui->pBNext->setVisible(Btn_enable);
    ui->pBNext->setEnabled(Btn_enable);
}

void FormExecuteEvent::slot_myEvent_ModeText(int Mode_type)
{
    switch (Mode_type) {
    case ModeSighting:
        ui->l_mode->setText(QStringLiteral("SIGHTING"));
        ui->f_mode->show();
        break;
    case ModeMatch:
        ui->l_mode->setText(QStringLiteral("MATCH"));
        ui->f_mode->show();
        break;
    case ModeEmpty:
        ui->l_mode->clear();
        ui->f_mode->show();
        break;
    case ModeHidden:
        ui->l_mode->clear();
        ui->f_mode->hide();
        break;
    default:
        break;
    }
}

// -------------------------------------------------------- shoot-off buttons

void FormExecuteEvent::slot_myEvent_DelegateView(bool Delegate_view)
{
    if (Delegate_view) {
        if (TBulletList *list = shownList())
            showShootOffButtons(list);
    } else {
        removeShootOffButtons();
    }
}

// ------------------------------------------------------------------ rulings

void FormExecuteEvent::slot_myEvent_ShotsInDoubt(int target, const QList<HeldShot> &shots,
                                                 bool atStop)
{
    if (shots.isEmpty()) {
        delete m_rulings.take(target).data();
        return;
    }
    DialogHeldShots::Lane lane;
    lane.target = target;
    lane.reshotInBreak = m_reshotInBreak;
    const TBulletList *list = shownList();
    if (const TMemberPlace *place = list ? list->placeByTarget(target) : nullptr) {
        lane.member = place->name();
        lane.startNumber = place->startNumber();
    }
    if (Warnings::testMode()) {
        Warnings::record(QMessageBox::Question, QStringLiteral("Выстрелы под вопросом"),
                         DialogHeldShots::questionText(lane, shots, atStop));
        const int first = DialogHeldShots::testRuling(target, shots);
        if (atStop)
            emit sig_ruleShots(target, first);
        else
            QMetaObject::invokeMethod(
                this, [this, target, first] { emit sig_ruleShots(target, first); },
                Qt::QueuedConnection);
        return;
    }
    // One question a lane: asked again, the open one shows the new list.
    QPointer<DialogHeldShots> &open = m_rulings[target];
    if (atStop) {
        // The misses wait for the answer: asked modally, no way round it.
        delete open.data();
        DialogHeldShots box(this);
        box.setShots(lane, shots, true);
        box.exec();
        emit sig_ruleShots(target, box.chosen());
        return;
    }
    if (!open) {
        open = new DialogHeldShots(this);
        open->setAttribute(Qt::WA_DeleteOnClose);
        connect(open, &DialogHeldShots::sig_ruled, this, &FormExecuteEvent::sig_ruleShots);
    }
    open->setShots(lane, shots, false);
    open->show();
    open->raise();
    open->activateWindow();
}

void FormExecuteEvent::closeRulings()
{
    for (const QPointer<DialogHeldShots> &open : qAsConst(m_rulings))
        delete open.data();
    m_rulings.clear();
}

void FormExecuteEvent::showShootOffButtons(TBulletList *list)
{
    // Buttons asked for twice are opened once.
    removeShootOffButtons();
    const int rows = list->placeCount();
    const int seriesSize = list->shotColumns();
    m_shootOffDelegate->setRowCount(rows);
    m_shootOffTargets.clear();
    int row = 0;
    for (const TMemberPlace *place = list->firstPlace(); place; place = list->nextPlace(place)) {
        if (place->countFlagged(seriesSize) > 0)
            m_shootOffDelegate->setRowEnabled(row);
        m_shootOffTargets.append(place->target());
        ++row;
    }
    m_shootOffColumn = list->lastColumn();
    ui->tv_bullets->setItemDelegateForColumn(m_shootOffColumn, m_shootOffDelegate);
    for (int r = 0; r < rows; ++r)
        ui->tv_bullets->openPersistentEditor(list->lastColumnIndex(r));
    // The sum column widens to the buttons' caption, in a font that keeps
    // every row in sight.
    ui->tv_bullets->refit();
}

void FormExecuteEvent::removeShootOffButtons()
{
    if (m_shootOffColumn < 0)
        return;
    ui->tv_bullets->setItemDelegateForColumn(m_shootOffColumn, nullptr);
    if (QAbstractItemModel *model = ui->tv_bullets->model()) {
        for (int r = 0; r < model->rowCount(); ++r)
            ui->tv_bullets->closePersistentEditor(model->index(r, m_shootOffColumn));
    }
    m_shootOffColumn = -1;
    m_shootOffTargets.clear();
    ui->tv_bullets->refit();
}

void FormExecuteEvent::delegatClicked(int _row)
{
    const TBulletList *list = shownList();
    if (!list || _row < 0 || _row >= m_shootOffTargets.size())
        return;
    const TMemberPlace *place = list->placeByTarget(m_shootOffTargets.at(_row));
    if (!place)
        return;
    const int flagged = place->countFlagged(list->shotColumns());
    if (flagged == 0)
        return;
    emit sig_startEvent(place->target(), flagged);
}

// ----------------------------------------------------------------- buttons

void FormExecuteEvent::on_pbStart_clicked()
{
    emit sig_startEvent(kNoTarget, -1);
}

void FormExecuteEvent::on_pbStop_clicked()
{
    emit sig_stopEvent(1);
}

void FormExecuteEvent::on_pbBack_clicked()
{
    // Off the page no search is shown and no blink runs; entering the
    // practice again shows the stored state.
    setSearchDisplay(false);
    emit sig_Back();
}

void FormExecuteEvent::on_pBNext_clicked()
{
    emit sig_Next();
}

void FormExecuteEvent::on_pb_Print_clicked()
{
    emit sig_Print();
}

void FormExecuteEvent::on_pushButton_clicked()
{
    emit sig_Next();
}
