#include "mainwindow.h"

#include "dialogpracticeshooter.h"
#include "dialogpracticeshooterlist.h"
#include "eventwiring.h"
#include "formeventtotal.h"
#include "formpracticesetting.h"
#include "tbulletlist.h"
#include "tevent.h"
#include "tpracticemodul.h"
#include "tshooter.h"
#include "warnings.h"

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
    QList<LineTarget> line;
    for (const TShooter *shooter = practiceModul->firstUsedShooter(); shooter;
         shooter = practiceModul->nextUsedShooter(shooter)) {
        list->addPlace(shooter->id(), shooter->target(),
                       shooter->family() + QLatin1Char(' ') + shooter->name());
        // The target address stands in for the start number.
        line.append({shooter->target(), shooter->target(), shooter->family(), shooter->name()});
    }
    registerLine(line);
    connectEvent(event, list, nullptr);
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
    emit sig_AddTarget(kNoTarget, kNoStartNumber, QString(), QString(),
                       EventWiring::TargetFirst);
    showPage(Page::Practice);
}
