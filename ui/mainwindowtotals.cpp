#include "mainwindow.h"

#include <QMessageBox>
#include <QStackedWidget>

#include "createmyevent.h"
#include "formcompetitiontotal.h"
#include "formeventtotal.h"
#include "memberplaces.h"
#include "prepareprint.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tprintdata.h"
#include "trelay.h"
#include "tusermodul.h"
#include "warnings.h"

namespace {
// The print module reads one column until a report sets its own.
constexpr int kInitialPrintColumns = 1;
} // namespace

void MainWindow::createTotalsPages()
{
    printData = new TPrintData(kInitialPrintColumns);
    parentless.append(printData);

    formEventTotal = new FormEventTotal;
    addPage(Page::EventTotal, formEventTotal);
    formCompetitionTotal = new FormCompetitionTotal(userModul);
    addPage(Page::CompetitionTotal, formCompetitionTotal);

    connect(formEventTotal, &FormEventTotal::sig_Next, this, &MainWindow::slot_continueCompetition);
    connect(formEventTotal, &FormEventTotal::sig_Print, this, &MainWindow::slot_PrintEvent);
    connect(formCompetitionTotal, &FormCompetitionTotal::sig_Next, this,
            &MainWindow::slot_finishCompetition);
    connect(formCompetitionTotal, &FormCompetitionTotal::sig_Print, this,
            &MainWindow::slot_PrintCompetition);
    connect(pages, &QStackedWidget::currentChanged, this, &MainWindow::releaseHiddenTotals);
}

// A totals table reads shot lists that the competition or the practice module
// deletes when another competition or practice exercise is chosen, which can
// only happen on another page: a page that is left lets go of its table.
void MainWindow::releaseHiddenTotals()
{
    const Page current = currentPage();
    if (current != Page::EventTotal)
        formEventTotal->releaseModel();
    if (current != Page::CompetitionTotal)
        formCompetitionTotal->releaseModel();
}

void MainWindow::showEventTotal(TEvent *event)
{
    TBulletList *list = event ? userModul->bulletList(event->id()) : nullptr;
    if (!list)
        return;
    formEventTotal->releaseModel();
    placeAllMembers(userModul, list);
    formEventTotal->setPrintVisible(event->typeXMLID() == kEventSimpleOne);
    formEventTotal->setEvent(event, list, false);
    showPage(Page::EventTotal);
}

void MainWindow::showCompetitionTotal()
{
    // The table reads the lists about to be refilled.
    formCompetitionTotal->releaseModel();
    userModul->setCompetitionFinished(true);
    const TCompetition *competition = userModul->currentCompetition();
    for (TEvent *event = competition ? competition->event(0) : nullptr; event;
         event = competition->eventAfter(event)) {
        if (TBulletList *list = userModul->bulletList(event->id()))
            placeAllMembers(userModul, list);
    }
    formCompetitionTotal->setCompetition();
    showPage(Page::CompetitionTotal);
}

void MainWindow::slot_PrintEvent()
{
    const TRelay *relay = userModul->currentRunRelay(nullptr, nullptr);
    printReport(relay ? relay->number() : 0);
}

void MainWindow::slot_PrintCompetition()
{
    printReport(0);
}

// The report is always the one of the competition's first exercise.
void MainWindow::printReport(int relay)
{
    const TCompetition *competition = userModul->currentCompetition();
    TEvent *first = competition ? competition->event(0) : nullptr;
    if (!preparePrint(printData, userModul, first, relay)) {
        Warnings::warning(this, QStringLiteral("Отчёт не подготовлен!"),
                          QStringLiteral("Отчёт печатается только для упражнения из одного "
                                         "положения на 40 или 60 выстрелов"));
        return;
    }
    if (printData->print()) {
        if (!printData->pdfFile().isEmpty()) {
            QMessageBox box(QMessageBox::Information, QStringLiteral("Отчёт сохранён"),
                            QStringLiteral("Принтер не найден. Отчёт записан в файл\n%1")
                                .arg(printData->pdfFile()),
                            QMessageBox::Ok, this);
            Warnings::exec(box);
        }
        return;
    }
    switch (printData->lastFailure()) {
    case TPrintData::TemplateFailed:
        Warnings::warning(this, QStringLiteral("Шаблон отчёта не загружен!"),
                          QStringLiteral("Не удалось загрузить шаблон отчёта %1")
                              .arg(printData->reportFile()));
        break;
    case TPrintData::FileFailed:
        Warnings::warning(this, QStringLiteral("Отчёт не сохранён!"),
                          QStringLiteral("Принтер не найден, и не удалось записать файл\n%1")
                              .arg(printData->pdfFile()));
        break;
    case TPrintData::PrinterFailed:
    case TPrintData::NoFailure:
        Warnings::warning(this, QStringLiteral("Отчёт не напечатан!"),
                          QStringLiteral("Принтер не принял отчёт. Проверьте принтер и "
                                         "повторите печать"));
        break;
    }
}
