#include "mainwindow.h"

#include "dialogpracticeshooter.h"
#include "dialogpracticeshooterlist.h"
#include "formeventtotal.h"
#include "formpracticesetting.h"
#include "tbulletlist.h"
#include "tevent.h"
#include "tpracticemodul.h"
#include "tshooter.h"
#include "warnings.h"

namespace {
// Where a shooter stands in the list the bus master is given: the first one
// empties the bus master's list, the last one starts the target search.
constexpr int kFirstOfLine = 0;
constexpr int kMiddleOfLine = 1;
constexpr int kLastOfLine = 2;
constexpr int kOnlyOneOnLine = 3;

int positionOnLine(bool first, bool last)
{
    if (first)
        return last ? kOnlyOneOnLine : kFirstOfLine;
    return last ? kLastOfLine : kMiddleOfLine;
}
} // namespace

void MainWindow::connectPracticePages()
{
    connect(formPracticeSetting, &FormPracticeSetting::sig_Back, this,
            &MainWindow::slot_setWellComeWidget);
    connect(formPracticeSetting, &FormPracticeSetting::sig_Next, this,
            &MainWindow::slot_setExecutableEvent);
    connect(formPracticeSetting, &FormPracticeSetting::sig_AddShooter, this,
            &MainWindow::slot_addShooterToPractice);
    connect(formPracticeSetting, &FormPracticeSetting::sig_ChangeShooter, this,
            &MainWindow::slot_ChangeShooterPractice);
}

void MainWindow::slot_addShooterToPractice()
{
    dialogPracticeshooterlist->showDialog();
}

void MainWindow::slot_ChangeShooterPractice(int id)
{
    dialogPracticeShooter->showShooter(id);
}

void MainWindow::preparePracticeEvent()
{
    TEvent *event = practiceModul->getCurrentEvent();
    TBulletList *list = practiceModul->getBulletList();
    if (!event || !list)
        return;
    list->reload();
    const TShooter *first = practiceModul->firstUsedShooter();
    for (const TShooter *shooter = first; shooter;) {
        const TShooter *next = practiceModul->nextUsedShooter(shooter);
        const int target = shooter->target();
        list->addPlace(shooter->id(), target,
                       shooter->family() + QLatin1Char(' ') + shooter->name());
        // The target address stands in for the start number.
        emit sig_AddTarget(target, target, shooter->family(), shooter->name(),
                           positionOnLine(shooter == first, !next));
        shooter = next;
    }
}

void MainWindow::leavePracticeRun()
{
    // Choosing the next exercise replaces the shot list, which a wired
    // exercise would go on writing into; the targets of this run go too.
    disconnectEvent();
    clearTargets();
    showPage(Page::Practice);
}

void MainWindow::showPracticeResult()
{
    TEvent *event = practiceModul->getCurrentEvent();
    TBulletList *list = practiceModul->getBulletList();
    if (!event) {
        Warnings::warning(this, QStringLiteral("Упражнение не найдено!"),
                          QStringLiteral("Не удалось определить текущее упражненеие"));
        return;
    }
    if (!list) {
        Warnings::warning(this, QStringLiteral("Список пробоин не найден!"),
                          QStringLiteral("Не удалось найти список пробоин"));
        return;
    }
    formEventTotal->setEvent(event, list, true);
    showPage(Page::EventTotal);
}

void MainWindow::restartPractice()
{
    practiceModul->resetPractice();
    constexpr int kNoTarget = -1;
    constexpr int kNoStartNumber = 0;
    emit sig_AddTarget(kNoTarget, kNoStartNumber, QString(), QString(), kFirstOfLine);
    showPage(Page::Practice);
}
