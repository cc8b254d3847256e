#include "mainwindow.h"

#include <QKeySequence>
#include <QShortcut>

#include "emuproc.h"
#include "formcurrentrelay.h"
#include "formexecuteevent.h"
#include "formlog.h"
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
    connect(emu, &EMUProc::sig_TargetMissing, this, &MainWindow::slot_emu_TargetMissing);
    connect(emu, &EMUProc::sig_PortLost, this, &MainWindow::slot_emu_PortLost);
    connect(emu, &EMUProc::sig_DataReaded, this, &MainWindow::slot_emu_DataReaded);
    connect(emu, &EMUProc::sig_DataWrote, this, &MainWindow::slot_emu_DataWrote);
}

void MainWindow::createLog()
{
    formLog = new FormLog(this);
    logShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(this, &MainWindow::sig_log, formLog, &FormLog::slot_addReport);
    connect(logShortcut, &QShortcut::activated, this, &MainWindow::showhidelog);
    connect(formLog, &FormLog::sig_stop, this, &MainWindow::slot_logs);
    connect(this, &MainWindow::sig_logenable, formLog, &FormLog::slot_logsenable);
    formLog->hide();
}

void MainWindow::slot_emu_PortFounded(int id, int comNum, bool found, int colFound)
{
    // The bus master reports from its start on, before the pages exist when
    // the window's construction waits on anything.
    if (formCurrentRelay)
        formCurrentRelay->setConverterCount(colFound);
    if (formExecuteEvent)
        formExecuteEvent->setNetState(colFound);
    if (formLog)
        formLog->setPortState(id, comNum, found);
}

void MainWindow::slot_emu_TargetEnabled(int ta, bool enabled)
{
    relayLaneAnswer(ta, enabled, false);
}

void MainWindow::slot_emu_PCEnabled(int ta, bool enabled)
{
    relayLaneAnswer(ta, enabled, true);
}

void MainWindow::slot_emu_TargetMissing(int ta, bool missing)
{
    // Said on the run page while it is true: a relay under way (or a
    // practice) waits for that target.
    if (formExecuteEvent && (workMode == kModeCompetition || workMode == kModePractice))
        formExecuteEvent->setTargetMissing(ta, missing);
}

void MainWindow::slot_emu_PortLost(int id, bool lost, QList<int> targets)
{
    // A converter's loss stands on the run page in every mode: a relay or a
    // practice may be run on it next.
    if (formExecuteEvent)
        formExecuteEvent->setPortLost(id, lost, targets);
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

void MainWindow::showhidelog()
{
    formLog->setVisible(formLog->isHidden());
}

void MainWindow::slot_logs()
{
    logsEnabled = !logsEnabled;
    emit sig_logenable(logsEnabled);
}
