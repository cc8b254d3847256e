#include "mainwindow.h"

#include "myevent.h"

void MainWindow::disconnectEvent()
{
    // Deleting the exercise drops every connection to and from it, and the
    // queued calls still on their way to it.
    delete currentEvent;
    currentEvent = nullptr;
}

void MainWindow::clearTargets()
{
    constexpr int kNoTarget = -1;
    constexpr int kFirstOfList = 0;
    emit sig_AddTarget(kNoTarget, kNoTarget, QString(), QString(), kFirstOfList);
}
