#pragma once

#include "testdatadir.h"

#include <QByteArray>

// Exercise and competition type lists of the module tests, small enough to
// shoot whole competitions: exercise 1 needs 3 match shots, exercise 2 needs 4
// and the final 2.
namespace ModuleData {

inline const QByteArray kEventsType = R"(<?xml version="1.0" encoding="UTF-8"?>
<EventsList>
  <EventType ID="1" NameEng="SimpleOne" NameRus="Series">
    <SubType SubNum="1" SubNameEng="Rifle 3" SubNameRus="R3" MatchCount="3" TargetNum="8"
             ControlValue="10.2" VIew10="1" OldID="0" Calibre="450"/>
    <SubType SubNum="2" SubNameEng="Rifle 4" SubNameRus="R4" MatchCount="4" TargetNum="8"
             ControlValue="10.2" VIew10="1" OldID="0" Calibre="450"/>
    <SubType SubNum="3" SubNameEng="Final 2" SubNameRus="F2" MatchCount="2" TargetNum="8"
             ControlValue="10.2" VIew10="1" OldID="0" Calibre="450"/>
  </EventType>
</EventsList>
)";

// Type 1: exercises 1 and 2 and a final; type 2: one exercise, pistol;
// type 3: no exercise at all.
inline const QByteArray kCompetitionTypes = R"(<?xml version="1.0" encoding="UTF-8"?>
<CompetititonList>
  <CompetitionType ID="1" NameEng="Rifle Cup" NameRus="RC" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
    <Event Final="0" Num="2" TypeID="1" SubType="2"/>
    <Event Final="1" Num="3" TypeID="1" SubType="3"/>
  </CompetitionType>
  <CompetitionType ID="2" NameEng="Pistol Cup" NameRus="PC" weapon="1">
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
  </CompetitionType>
  <CompetitionType ID="3" NameEng="Empty Cup" NameRus="EC" weapon="0"/>
</CompetititonList>
)";

constexpr int kRifleCup = 1;
constexpr int kPistolCup = 2;
constexpr int kEmptyCup = 3;

// A temporary data tree with the lists above, made the current directory.
inline bool install(const TestDataDir &dir)
{
    return dir.isValid()
        && dir.writeFile(QStringLiteral("ServerDatas/Events/EventsType.xml"), kEventsType)
        && dir.writeFile(QStringLiteral("ServerDatas/Events/CompetitionsType.xml"),
                         kCompetitionTypes);
}

} // namespace ModuleData
