#include "mainwindow.h"

#include "emuproc.h"
#include "formcurrentrelay.h"
#include "formexecuteevent.h"
#include "tbulletlist.h"
#include "tpracticemodul.h"
#include "trelay.h"
#include "tusermodul.h"

namespace {
// Direction codes of sig_log.
constexpr int kWritten = 0;
constexpr int kRead = 1;
} // namespace

void MainWindow::connectBusReports()
{
    connect(emu, &EMUProc::sig_PortFounded, this, &MainWindow::slot_emu_PortFounded);
    connect(emu, &EMUProc::sig_TargetEnabled, this, &MainWindow::slot_emu_TargetEnabled);
    connect(emu, &EMUProc::sig_PCEnabled, this, &MainWindow::slot_emu_PCEnabled);
    connect(emu, &EMUProc::sig_DataReaded, this, &MainWindow::slot_emu_DataReaded);
    connect(emu, &EMUProc::sig_DataWrote, this, &MainWindow::slot_emu_DataWrote);
}

void MainWindow::slot_emu_PortFounded(int, int, bool, int colFound)
{
    // The bus master reports from its start on, before the pages exist when
    // the window's construction waits on anything.
    if (formCurrentRelay)
        formCurrentRelay->setConverterCount(colFound);
    if (formExecuteEvent)
        formExecuteEvent->setNetState(colFound);
}

void MainWindow::slot_emu_TargetEnabled(int ta, bool enabled)
{
    relayLaneAnswer(ta, enabled, false);
}

void MainWindow::slot_emu_PCEnabled(int ta, bool enabled)
{
    relayLaneAnswer(ta, enabled, true);
}

void MainWindow::relayLaneAnswer(int ta, bool enabled, bool terminal)
{
    if (workMode == kModePractice) {
        TBulletList *list = practiceModul->getBulletList();
        if (!list)
            return;
        if (terminal)
            list->setPCFound(ta, enabled);
        else
            list->setTargetFound(ta, enabled);
        if (formExecuteEvent)
            formExecuteEvent->checkTargets();
        return;
    }
    if (workMode != kModeCompetition)
        return;
    TRelay *relay = userModul->currentRunRelay(nullptr, nullptr);
    if (!relay)
        return;
    const int memberID = relay->memberIDOnTarget(ta);
    if (terminal)
        relay->setPCEnabled(memberID, enabled);
    else
        relay->setTargetEnabled(memberID, enabled);
    if (formCurrentRelay)
        formCurrentRelay->updateSearchState();
}

void MainWindow::slot_emu_DataReaded(int portID, int portNum, QByteArray data, int answerfount)
{
    emit sig_log(kRead, portID, portNum, data, answerfount);
}

void MainWindow::slot_emu_DataWrote(int portID, int portNum, QByteArray data)
{
    emit sig_log(kWritten, portID, portNum, data, 0);
}
