#pragma once

// A competition in the competition module whose first relay stands on given
// lanes, prepared for its run as the main window prepares it: the relay is
// the one being shot, and its exercise's shot list has one place per member
// on the member's lane. Exercises are small enough to be shot whole.

#include <QByteArray>
#include <QList>
#include <QStringList>

#include "composerelay.h"
#include "memberplaces.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "testdatadir.h"
#include "tevent.h"
#include "tmembers.h"
#include "trelay.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tusermodul.h"

namespace RunCompetition {

// Competition types: 1 one rifle exercise of 10 shots; 2 that exercise and
// a final; 8 a pistol precision stage and its rapid-fire stage; 11 three
// positions of 10 shots each.
enum Type { kRifle = 1, kRifleWithFinal = 2, kPistol = 8, kThreePositions = 11 };

inline const QByteArray kEventsType = R"(<?xml version="1.0" encoding="UTF-8"?>
<EventsList>
  <EventType ID="1" NameEng="SimpleOne" NameRus="Series">
    <SubType SubNum="1" SubNameEng="Rifle 10" SubNameRus="R10" MatchCount="10" TargetNum="8"
             ControlValue="10.2" VIew10="1" OldID="0" Calibre="450"/>
    <SubType SubNum="2" SubNameEng="Final 2" SubNameRus="F2" MatchCount="2" TargetNum="8"
             ControlValue="10.2" VIew10="1" OldID="0" Calibre="450"/>
  </EventType>
  <EventType ID="2" NameEng="Precision Stage" NameRus="P">
    <SubType SubNum="1" SubNameEng="25m Pistol" SubNameRus="P25" MatchCount="30" TargetNum="4"
             ControlValue="10.4" VIew10="0" OldID="0" Calibre="560"/>
  </EventType>
  <EventType ID="3" NameEng="Rapid-Fire Stage" NameRus="R">
    <SubType SubNum="1" SubNameEng="25m Pistol" SubNameRus="R25" MatchCount="30" TargetNum="5"
             ControlValue="10.4" VIew10="0" OldID="0" Calibre="560"/>
  </EventType>
  <EventType ID="6" NameEng="DifficultOne" NameRus="Three">
    <SubType SubNum="1" SubNameEng="Rifle 3x10" SubNameRus="R3x10" MatchCount="30" TargetNum="8"
             ControlValue="10.3" VIew10="1" OldID="0" Calibre="450"/>
  </EventType>
</EventsList>
)";

inline const QByteArray kCompetitionTypes = R"(<?xml version="1.0" encoding="UTF-8"?>
<CompetititonList>
  <CompetitionType ID="1" NameEng="Rifle Cup" NameRus="RC" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
  </CompetitionType>
  <CompetitionType ID="2" NameEng="Rifle Cup with Final" NameRus="RCF" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
    <Event Final="1" Num="2" TypeID="1" SubType="2"/>
  </CompetitionType>
  <CompetitionType ID="8" NameEng="Pistol Cup" NameRus="PC" weapon="1">
    <Event Final="0" Num="1" TypeID="2" SubType="1"/>
    <Event Final="0" Num="2" TypeID="3" SubType="1"/>
  </CompetitionType>
  <CompetitionType ID="11" NameEng="Three Positions Cup" NameRus="TPC" weapon="0">
    <Event Final="0" Num="1" TypeID="6" SubType="1"/>
  </CompetitionType>
</CompetititonList>
)";

// The lists above in the current run folder; before the module is built.
inline bool install(const TestDataDir &dir)
{
    return dir.isValid()
        && dir.writeFile(QStringLiteral("ServerDatas/Events/EventsType.xml"), kEventsType)
        && dir.writeFile(QStringLiteral("ServerDatas/Events/CompetitionsType.xml"),
                         kCompetitionTypes);
}

// A new competition of the type with one member on each of the lanes 1 to
// `lanes`, all in relay 1 of every exercise up to a final; the relay of the
// exercise with number
// eventNum becomes the one being shot (the earlier exercises count as shot)
// and its list gets the members' places. The shot list of the exercise, or
// null when anything failed. The member on lane n is named
// "<family>n Name<n>", or "<family> Name<n>" when the family is given; the
// one on lane 1 takes the first member's family and name when given.
inline TBulletList *prepare(TUserModul &modul, int type, int lanes, int eventNum = 1,
                            const QString &family = QString(),
                            const QStringList &firstMember = QStringList())
{
    constexpr int kCountry = 2;
    if (!modul.newCompetition(kCountry, type, type == kRifleWithFinal, QStringLiteral("Cup")))
        return nullptr;
    TCompetition *competition = modul.currentCompetition();
    QList<int> memberIDs;
    for (int lane = 1; lane <= lanes; ++lane) {
        const bool first = lane == 1 && firstMember.size() == 2;
        const int shooterID = modul.addShooter(
            first ? firstMember.at(1) : QStringLiteral("Name%1").arg(lane),
            first ? firstMember.at(0) : family.isEmpty() ? QStringLiteral("Family%1").arg(lane) : family,
            QDate(1990, 1, 1).addDays(lane), 0, kCountry, 0, 0);
        if (!modul.addMember(modul.shooters()->shooterByID(shooterID), lane))
            return nullptr;
        memberIDs << modul.members()->memberByShooterID(shooterID)->memberID();
    }
    if (!composeRelay(&modul, competition->event(0), 1, memberIDs))
        return nullptr;
    TEvent *event = competition->eventByNum(eventNum);
    if (!event)
        return nullptr;
    for (TEvent *earlier = event->prev(); earlier; earlier = earlier->prev()) {
        for (int memberID : memberIDs)
            modul.setMemberEventDone(earlier, memberID, true);
    }
    int errorInfo = -1;
    int relayInfo = -1;
    TRelay *relay = modul.firstUnfinishedRelay(&errorInfo, &relayInfo);
    if (!relay || relay->event() != event || !modul.prepareRunRelay())
        return nullptr;
    TBulletList *list = modul.bulletList(event->id());
    if (!list)
        return nullptr;
    list->reload();
    for (int i = 0; i < relay->memberCount(); ++i) {
        const TShooter *member = relay->memberAt(i);
        addMemberPlace(&modul, list, member, relay->targetOfMember(member->memberID()));
    }
    return list;
}

} // namespace RunCompetition
