#include "formview.h"
#include "ui_formview.h"

#include <QDate>
#include <QHeaderView>
#include <QShowEvent>
#include <QTime>

#include <algorithm>

#include "datapaths.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tcompetitionlistproxy.h"
#include "tevent.h"
#include "totalfactories.h"
#include "tviewbulletlistmodel.h"
#include "tviewmodul.h"
#include "tviewserieslistmodel.h"
#include "viewmodel.h"
#include "warnings.h"

namespace {
// The flag beside the country's name, width to height.
constexpr double kFlagAspect = 1.6;
// NAME takes what the other columns leave.
constexpr int kStretchedSection = 1;

void fitColumns(QTableView *table)
{
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
}
} // namespace

FormVIEW::FormVIEW(TViewModul *modul, QWidget *parent)
    : QWidget(parent), ui(new Ui::FormVIEW), m_modul(modul)
{
    ui->setupUi(this);
    for (int k = 1; k <= kSeriesButtons; ++k) {
        m_seriesButtons[k - 1] = findChild<QPushButton *>(QStringLiteral("pB_series%1").arg(k));
        m_relaySeriesButtons[k - 1] =
            findChild<QPushButton *>(QStringLiteral("pB_series%1_2").arg(k));
    }
    ui->tabWidget->setCurrentIndex(0);

    ui->lw_comp_finished->setModel(m_modul->finishedProxy());
    ui->lw_comp_NOTfinished->setModel(m_modul->unfinishedProxy());
    m_finished = true;
    ui->rbfin1->setChecked(true);
    setListVisible(true);

    ui->tv_eventTotal->setModel(m_modul->seriesModel());
    ui->tv_eventBullets->setModel(m_modul->shotModel());
    ui->tv_relayTotal->setModel(m_modul->seriesProxy());
    ui->tv_relayBullets->setModel(m_modul->shotProxy());
    for (QTableView *table : {ui->tv_eventTotal, ui->tv_eventBullets, ui->tv_relayTotal,
                              ui->tv_relayBullets})
        fitColumns(table);
}

FormVIEW::~FormVIEW()
{
    releaseTotals();
    delete ui;
}

void FormVIEW::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window restored from the task bar shows its pages again: that is no
    // new entry, and the operator keeps the competition in front of him.
    if (event->spontaneous())
        return;
    // The standings read the lists about to go.
    releaseTotals();
    m_modul->closeCompetition();
    m_series = 1;
    checkSeriesButtons(1);
    showCompetitionHeader();
    updateTotals();
    updateEventLabels();
}

void FormVIEW::on_lw_comp_finished_clicked(const QModelIndex &index)
{
    openCompetitionOf(index);
}

void FormVIEW::on_lw_comp_NOTfinished_clicked(const QModelIndex &index)
{
    openCompetitionOf(index);
}

void FormVIEW::openCompetitionOf(const QModelIndex &index)
{
    const int id = index.data(TCompetitionList::CompIdRole).toInt();
    releaseTotals();
    m_modul->openCompetition(id);
    showCompetitionHeader();
    updateTotals();
    updateEventLabels();
    setSeriesCount(m_modul->seriesCountOfCurrent());
    fillRelays();
    // Standings of a competition whose results could not be read would show
    // as if nobody had scored.
    if (m_modul->hasError()) {
        Warnings::warning(this, QStringLiteral("Результаты не загружены!"),
                          QStringLiteral("Не удалось прочитать результаты соревнования из Базы "
                                         "Данных (%1). Показанные результаты неполны")
                              .arg(m_modul->errorText()));
    }
    reportUnscored();
}

void FormVIEW::reportUnscored()
{
    const QList<const TEvent *> unscored = m_modul->unscoredEvents();
    if (unscored.isEmpty())
        return;
    QStringList lines;
    for (const TEvent *event : unscored)
        lines << QStringLiteral("%1 — %2").arg(m_modul->eventName(event),
                                                m_modul->unscoredReason(event));
    Warnings::warning(
        this, QStringLiteral("Результаты не подсчитаны!"),
        QStringLiteral("Соревнование «%1»: результаты этих упражнений нельзя подсчитать, они "
                       "не показаны:\n%2.\nСписок упражнений %3 приходит вместе с программой: "
                       "верните его в папку %4 той папки, в которой запущена программа, и "
                       "откройте соревнование снова.")
            .arg(m_modul->competition()->name(), lines.join(QStringLiteral(";\n")),
                 DataPaths::kEventsTypeFile, DataPaths::kEventsDir));
}

void FormVIEW::showCompetitionHeader()
{
    const TCompetition *competition = m_modul->competition();
    if (competition) {
        ui->le_compType->setText(competition->nameEng());
        const int height = ui->l_countryIMG->height();
        ui->l_countryIMG->setPixmap(QPixmap::fromImage(m_modul->competitionImage())
                                        .scaled(int(height * kFlagAspect), height,
                                                Qt::IgnoreAspectRatio, Qt::FastTransformation));
        ui->l_countryName->setText(m_modul->competitionText());
        ui->le_compName->setText(competition->name());
        ui->dtl_compDate->setDate(competition->startDate());
        ui->dtl_compTime->setTime(competition->startTime());
    } else {
        ui->le_compType->setText(QString());
        ui->l_countryIMG->setPixmap(QPixmap());
        ui->l_countryName->setText(QString());
        ui->le_compName->setText(QString());
        ui->dtl_compDate->setDate(QDate::currentDate());
        ui->dtl_compTime->setTime(QTime::currentTime());
    }
    fillEvents();
}

void FormVIEW::fillEvents()
{
    ui->cB_Event->clear();
    ui->cB_Event_2->clear();
    const TCompetition *competition = m_modul->competition();
    if (!competition)
        return;
    for (const TEvent *event = competition->event(0); event; event = competition->eventAfter(event)) {
        ui->cB_Event->addItem(m_modul->eventTitle(event));
        ui->cB_Event_2->addItem(m_modul->eventTitle(event));
    }
}

void FormVIEW::releaseTotals()
{
    setViewModel(ui->tvTotal, nullptr);
    delete m_totals;
    m_totals = nullptr;
}

void FormVIEW::updateTotals()
{
    releaseTotals();
    if (!m_modul->competition())
        return;
    m_totals = createViewTotalModel(m_modul);
    setViewModel(ui->tvTotal, m_totals);
    QHeaderView *header = ui->tvTotal->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (header->count() > kStretchedSection)
        header->setSectionResizeMode(kStretchedSection, QHeaderView::Stretch);
}

void FormVIEW::updateEventLabels()
{
    const TCompetition *competition = m_modul->competition();
    const QString type = competition ? competition->nameEng() : QString();
    const QString event = competition ? m_modul->currentEventName() : QString();
    ui->l_CompetitionType->setText(type);
    ui->l_CompetitionType_1->setText(type);
    ui->l_CompetitionType_2->setText(type);
    ui->l_eventType->setText(event);
    ui->l_eventType_2->setText(event);
    // Without a competition the captions would stand beside nothing.
    for (QWidget *captions : {ui->frame_t1, ui->frame_t2, ui->frame_t3})
        captions->setVisible(competition);
}

void FormVIEW::on_cB_Event_currentIndexChanged(int index)
{
    if (index >= 0)
        setEvent(index);
}

void FormVIEW::on_cB_Event_2_currentIndexChanged(int index)
{
    if (index >= 0)
        setEvent(index);
}

void FormVIEW::setEvent(int index)
{
    m_event = index;
    if (!m_modul->selectEvent(index)) {
        m_series = 1;
        checkSeriesButtons(1);
        return;
    }
    updateEventLabels();
    // Each box answers the other's change once; the exercise is current by
    // then, so that second call ends above.
    if (index < ui->cB_Event->count())
        ui->cB_Event->setCurrentIndex(index);
    if (index < ui->cB_Event_2->count())
        ui->cB_Event_2->setCurrentIndex(index);
    setSeriesCount(m_modul->seriesCountOfCurrent());
    fillRelays();
    setSeries(1);
}

void FormVIEW::fillRelays()
{
    ui->cB_Relay->clear();
    QList<int> relays = m_modul->currentHash().values();
    std::sort(relays.begin(), relays.end());
    // The first item added becomes current and is applied at once.
    for (int relay : qAsConst(relays))
        ui->cB_Relay->addItem(QStringLiteral("Смена %1").arg(relay), relay);
    ui->cB_Relay->setCurrentIndex(0);
}

void FormVIEW::on_cB_Relay_currentIndexChanged(int index)
{
    const QVariant data = ui->cB_Relay->itemData(index);
    bool isNumber = false;
    const int relay = data.toInt(&isNumber);
    if (data.isValid() && isNumber)
        setRelay(relay);
}

void FormVIEW::setRelay(int relay)
{
    m_relay = relay;
    m_modul->setRelay(relay);
    ui->l_relayNum->setText(QStringLiteral("%1").arg(relay));
}

void FormVIEW::setSeriesCount(int n)
{
    for (int k = 1; k <= kSeriesButtons; ++k) {
        m_seriesButtons[k - 1]->setVisible(n > k - 1);
        m_relaySeriesButtons[k - 1]->setVisible(n > k - 1);
    }
}

void FormVIEW::checkSeriesButtons(int n)
{
    for (int k = 1; k <= kSeriesButtons; ++k) {
        m_seriesButtons[k - 1]->setChecked(k == n);
        m_relaySeriesButtons[k - 1]->setChecked(k == n);
    }
}

void FormVIEW::setSeries(int n)
{
    m_series = n;
    checkSeriesButtons(n);
    m_modul->setSeries(n);
}

void FormVIEW::on_rbfin1_clicked(bool checked)
{
    chooseList(checked);
}

void FormVIEW::on_rbfin0_clicked(bool checked)
{
    chooseList(!checked);
}

void FormVIEW::chooseList(bool finished)
{
    if (m_finished == finished)
        return;
    m_finished = finished;
    setListVisible(finished);
}

void FormVIEW::setListVisible(bool finished)
{
    ui->lw_comp_finished->setVisible(finished);
    ui->lw_comp_NOTfinished->setVisible(!finished);
}

void FormVIEW::on_pushButton_clicked()
{
    releaseTotals();
    emit sig_Back();
}

void FormVIEW::on_pB_series1_clicked() { setSeries(1); }
void FormVIEW::on_pB_series1_2_clicked() { setSeries(1); }
void FormVIEW::on_pB_series2_clicked() { setSeries(2); }
void FormVIEW::on_pB_series2_2_clicked() { setSeries(2); }
void FormVIEW::on_pB_series3_clicked() { setSeries(3); }
void FormVIEW::on_pB_series3_2_clicked() { setSeries(3); }
void FormVIEW::on_pB_series4_clicked() { setSeries(4); }
void FormVIEW::on_pB_series4_2_clicked() { setSeries(4); }
void FormVIEW::on_pB_series5_clicked() { setSeries(5); }
void FormVIEW::on_pB_series5_2_clicked() { setSeries(5); }
void FormVIEW::on_pB_series6_clicked() { setSeries(6); }
void FormVIEW::on_pB_series6_2_clicked() { setSeries(6); }
void FormVIEW::on_pB_series7_clicked() { setSeries(7); }
void FormVIEW::on_pB_series7_2_clicked() { setSeries(7); }
void FormVIEW::on_pB_series8_clicked() { setSeries(8); }
void FormVIEW::on_pB_series8_2_clicked() { setSeries(8); }
void FormVIEW::on_pB_series9_clicked() { setSeries(9); }
void FormVIEW::on_pB_series9_2_clicked() { setSeries(9); }
void FormVIEW::on_pB_series10_clicked() { setSeries(10); }
void FormVIEW::on_pB_series10_2_clicked() { setSeries(10); }
void FormVIEW::on_pB_series11_clicked() { setSeries(11); }
void FormVIEW::on_pB_series11_2_clicked() { setSeries(11); }
void FormVIEW::on_pB_series12_clicked() { setSeries(12); }
void FormVIEW::on_pB_series12_2_clicked() { setSeries(12); }
