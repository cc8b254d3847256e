#include "mainwindow.h"

#include <QStringList>

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

// Where a member stands in the list of targets the bus master is given: it
// empties its list at the first and starts the search after the last.
enum LinePosition { FirstOfLine = 0, MiddleOfLine = 1, LastOfLine = 2, OnlyOneOnLine = 3 };

int linePosition(bool first, bool last)
{
    if (first)
        return last ? OnlyOneOnLine : FirstOfLine;
    return last ? LastOfLine : MiddleOfLine;
}

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
    const TEvent *event = relay->event();
    TBulletList *list = userModul->bulletList(event->id());
    if (!list)
        return;
    fillCurrentRelayView(list, relay, true);
    // A rapid-fire stage shows the same members' precision stage beside it.
    if (event->prev())
        fillCurrentRelayView(userModul->bulletList(event->prev()->id()), relay, false);
    showPage(Page::CurrentRelay);
}

void MainWindow::fillCurrentRelayView(TBulletList *list, TRelay *relay, bool registerTargets)
{
    if (!list)
        return;
    list->reload();
    for (TShooter *member = relay->memberAt(0); member;) {
        TShooter *next = relay->nextMember(member);
        const int target = relay->targetOfMember(member->memberID());
        const int position = linePosition(member == relay->memberAt(0), !next);
        addMemberPlace(userModul, list, member, target);
        if (registerTargets)
            emit sig_AddTarget(target, member->startNumber(), member->family(), member->name(),
                               position);
        member = next;
    }
}
