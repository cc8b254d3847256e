#include "mainwindow.h"

#include <QStringList>

#include "eventwiring.h"
#include "memberplaces.h"
#include "tbulletlist.h"
#include "tevent.h"
#include "trelay.h"
#include "tshooter.h"
#include "tusermodul.h"
#include "warnings.h"

namespace {

// Codes of the relay search (TUserModul::firstUnfinishedRelay).
const QStringList kErrorInfoTexts = {
    QStringLiteral("0 - нет ошибки"),
    QStringLiteral("1 - нет текущей смены(ошибка получения или CurrentRelay==0)"),
    QStringLiteral("2 - нет следующей смены(ошибка получения при curindex+1 < size-1)"),
    QStringLiteral("3 - ошибка получения упр-я"),
};
const QStringList kRelayInfoTexts = {
    QStringLiteral("0 - Следующая смена может быть установлена(текущая смена завершена)"),
    QStringLiteral("1 - Все финальные смены закончены(текущая смена завершена)"),
    QStringLiteral("2 - Все не финальные смены закончены и соревнование без финалов(текущая "
                   "смена завершена)"),
    QStringLiteral("3 - Требуется ввод следующай смены(текущая смена завершена)"),
    QStringLiteral("4 - Текущая смена не закончена"),
    QStringLiteral("5 - Следующая смена установлена(для функции SetNextRelay)"),
};

} // namespace

void MainWindow::slot_setCurrentRelayWidget()
{
    setCurrentRelayWidget();
}

void MainWindow::setCurrentRelayWidget()
{
    int errorInfo = -1;
    int relayInfo = -1;
    if (TRelay *relay = userModul->firstUnfinishedRelay(&errorInfo, &relayInfo)) {
        setCurrentRelay(relay);
        return;
    }
    constexpr int kFinalsDone = 1;
    constexpr int kAllDoneWithoutFinal = 2;
    if (errorInfo == 0 && (relayInfo == kFinalsDone || relayInfo == kAllDoneWithoutFinal)) {
        showCompetitionTotal();
        return;
    }
    showPage(Page::Relays);
    QString text;
    if (errorInfo < 0 || errorInfo >= kErrorInfoTexts.size() || relayInfo >= kRelayInfoTexts.size())
        text = QStringLiteral("errorinfo=%1 relayinfo=%2").arg(errorInfo).arg(relayInfo);
    else if (relayInfo >= 0)
        text = kRelayInfoTexts.at(relayInfo);
    else
        text = kErrorInfoTexts.at(errorInfo);
    Warnings::warning(this, QStringLiteral("ТЕКУЩАЯ СМЕНА!"), text);
}

void MainWindow::setCurrentRelay(TRelay *relay)
{
    if (!relay || !relay->event())
        return;
    userModul->prepareRunRelay();
    TEvent *event = relay->event();
    TBulletList *list = userModul->bulletList(event->id());
    if (!list)
        return;
    fillCurrentRelayView(list, relay, true);
    // A rapid-fire stage shows the same members' precision stage beside it.
    TBulletList *prevList = event->prev() ? userModul->bulletList(event->prev()->id()) : nullptr;
    fillCurrentRelayView(prevList, relay, false);
    connectEvent(event, list, prevList);
    showPage(Page::CurrentRelay);
}

void MainWindow::fillCurrentRelayView(TBulletList *list, TRelay *relay, bool registerTargets)
{
    if (!list)
        return;
    list->reload();
    QList<LineTarget> line;
    for (TShooter *member = relay->memberAt(0); member; member = relay->nextMember(member)) {
        const int target = relay->targetOfMember(member->memberID());
        addMemberPlace(userModul, list, member, target);
        line.append({target, member->startNumber(), member->family(), member->name()});
    }
    if (registerTargets)
        registerLine(line);
}

TRelay *MainWindow::runRelayWithEvent()
{
    TRelay *relay = userModul->currentRunRelay(nullptr, nullptr);
    if (!relay) {
        Warnings::warning(this, QStringLiteral("Смена не найдена!"),
                          QStringLiteral("Не удалось найти следующую смену"));
        return nullptr;
    }
    if (!relay->event()) {
        Warnings::warning(this, QStringLiteral("НЕТ УПРАЖНЕНИЯ У СМЕНЫ!"),
                          QStringLiteral("НЕТ УПРАЖНЕНИЯ У СМЕНЫ"));
        return nullptr;
    }
    return relay;
}

void MainWindow::finishRelay()
{
    TRelay *relay = runRelayWithEvent();
    if (!relay)
        return;
    TEvent *event = relay->event();
    for (TShooter *member = relay->memberAt(0); member; member = relay->nextMember(member))
        userModul->setMemberEventDone(event, member->memberID(), true);
    if (!userModul->isEventComplete(event))
        setCurrentRelayWidget();
    else if (event->next() || event->prev())
        showEventTotal(event);
    else
        showCompetitionTotal();
}

void MainWindow::continueWithNextStage()
{
    if (TRelay *relay = runRelayWithEvent())
        nextStageOrTotal(relay->event());
}

void MainWindow::nextStageOrTotal(TEvent *event)
{
    if (event->next())
        setCurrentRelayWidget();
    else
        showCompetitionTotal();
}
