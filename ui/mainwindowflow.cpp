#include "mainwindow.h"

#include "dialogshooter.h"
#include "dialogshooterlist.h"
#include "formcompetitions.h"
#include "formexecuteevent.h"
#include "formwellcome.h"
#include "myevent.h"
#include "tmembers.h"
#include "tusermodul.h"
#include "warnings.h"

void MainWindow::slot_setCompetitionsWidget(int mode)
{
    switch (mode) {
    case FormWellcome::NewCompetition:
    case FormWellcome::ContinueCompetition:
        workMode = kModeCompetition;
        // The competitions page opens, replaces and deletes the current
        // competition; the exercise made for it must not outlive it.
        disconnectEvent();
        formCompetitions->setMode(mode);
        showPage(Page::Competitions);
        break;
    case FormWellcome::Practice:
        workMode = kModePractice;
        showPage(Page::Practice);
        break;
    case FormWellcome::ViewResults:
        workMode = kModeViewer;
        showViewer();
        break;
    default:
        break;
    }
}

void MainWindow::slot_setCompetitionsWidget()
{
    slot_setCompetitionsWidget(FormWellcome::ContinueCompetition);
}

void MainWindow::slot_setWellComeWidget()
{
    showPage(Page::Welcome);
}

void MainWindow::slot_setMemersWidget()
{
    if (!userModul->currentCompetition()) {
        Warnings::warning(this, QStringLiteral("Упражнение не выбрано!"),
                          QStringLiteral("Выберите упражнение"));
        return;
    }
    // Opening a stored competition may leave the shot-count check waiting for
    // the operator's answer; who has shot what is known only once it ends.
    if (userModul->isColBullCheckPending()) {
        pageWaitsForCheck = true;
        return;
    }
    // Members cannot change once somebody has shot: straight to the relays.
    showPage(userModul->members()->hasAnyEventDone() ? Page::Relays : Page::Members);
}

void MainWindow::onShotCountCheckEnded()
{
    if (!pageWaitsForCheck)
        return;
    pageWaitsForCheck = false;
    slot_setMemersWidget();
}

void MainWindow::slot_setRelaysBackWidget()
{
    if (userModul->currentCompetition() && !userModul->members()->hasAnyEventDone())
        showPage(Page::Members);
    else
        slot_setCompetitionsWidget(FormWellcome::ContinueCompetition);
}

void MainWindow::slot_setRelaysWidget()
{
    showPage(Page::Relays);
}

void MainWindow::slot_shooterChanged(int _sourse)
{
    dialogShooter->hide();
    // The shooter list hid itself when it opened the shooter dialog; the
    // members page has stayed on screen.
    if (_sourse == DialogShooter::FromShooterList)
        dialogShooterList->show();
}

void MainWindow::slot_setExecutableEvent()
{
    if (workMode == kModePractice)
        preparePracticeEvent();
    formExecuteEvent->setMode(workMode);
    showPage(Page::Run);
}

void MainWindow::slot_setCurrentRelayWidgetBACK()
{
    if (workMode == kModeCompetition)
        showPage(Page::CurrentRelay);
    else if (workMode == kModePractice)
        leavePracticeRun();
}

void MainWindow::slot_setRelayFinished()
{
    if (workMode == kModeCompetition)
        finishRelay();
    else if (workMode == kModePractice)
        showPracticeResult();
}

void MainWindow::slot_continueCompetition()
{
    clearTargets();
    disconnectEvent();
    if (workMode == kModeCompetition)
        continueWithNextStage();
    else if (workMode == kModePractice)
        restartPractice();
}

void MainWindow::slot_finishCompetition()
{
    constexpr int kStopWithoutFilling = -1;
    if (currentEvent)
        currentEvent->slot_view_stopEvent(kStopWithoutFilling);
    clearTargets();
    disconnectEvent();
    showPage(Page::Welcome);
}
