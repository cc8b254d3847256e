#include "mainwindow.h"

#include "eventwiring.h"
#include "formexecuteevent.h"
#include "myevent.h"

void MainWindow::createEventWiring()
{
    eventWiring = new EventWiring(emu, formExecuteEvent, this);
}

bool MainWindow::connectEvent(TEvent *event, TBulletList *list, TBulletList *prevStage)
{
    disconnectEvent();
    currentEvent = eventWiring->connectEvent(event, list, prevStage);
    return currentEvent != nullptr;
}

void MainWindow::disconnectEvent()
{
    // Undoing the links first drops the bus master's reports still queued
    // for the exercise.
    if (eventWiring)
        eventWiring->disconnectEvent();
    currentEvent = nullptr;
    // The exercise's shot list may be deleted by its module from now on
    // (another relay, an edited competition, another practice exercise).
    if (formExecuteEvent)
        formExecuteEvent->dropShotList();
}

void MainWindow::clearTargets()
{
    emit sig_AddTarget(-1, -1, QString(), QString(), EventWiring::TargetFirst);
}

void MainWindow::registerLine(const QList<LineTarget> &line)
{
    for (int i = 0; i < line.size(); ++i) {
        const LineTarget &target = line.at(i);
        emit sig_AddTarget(target.address, target.startNumber, target.familyName, target.name,
                           EventWiring::targetPosition(i == 0, i == line.size() - 1));
    }
}
