#pragma once

#include "counrtylist.h"
#include "datapaths.h"
#include "tbullet.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tdbaccessor.h"
#include "testdatadir.h"
#include "tevent.h"
#include "tmembers.h"
#include "tmemberplace.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tusermodul.h"
#include "shotvalues.h"
#include "tviewbulletlist.h"

#include "tcountry.h"
#include "tviewmemberplace.h"

#include <QAbstractItemModelTester>
#include <QtTest>
#include <QByteArray>
#include <QStringList>

#include <memory>

// Exercise and competition type lists of the results tests: small matches
// with the parameters a rule needs. The competition types carry the numbers
// that choose the totals tables.
namespace ResultsData {

inline const QByteArray kEventsType = R"(<?xml version="1.0" encoding="UTF-8"?>
<EventsList>
  <EventType ID="1" NameEng="SimpleOne" NameRus="Series">
    <SubType SubNum="1" SubNameEng="Tenths" SubNameRus="T" MatchCount="10" TargetNum="8"
             ControlValue="10.2" VIew10="1" OldID="0" Calibre="450"/>
    <SubType SubNum="2" SubNameEng="Points" SubNameRus="P" MatchCount="10" TargetNum="8"
             ControlValue="10.2" VIew10="0" OldID="0" Calibre="450"/>
    <SubType SubNum="3" SubNameEng="Half" SubNameRus="H" MatchCount="10" TargetNum="8"
             ControlValue="10.25" VIew10="1" OldID="0" Calibre="450"/>
    <SubType SubNum="4" SubNameEng="No face" SubNameRus="NF" MatchCount="10" TargetNum="2"
             ControlValue="10.2" VIew10="1" OldID="0" Calibre="450"/>
    <SubType SubNum="5" SubNameEng="No calibre" SubNameRus="NC" MatchCount="10" TargetNum="8"
             ControlValue="10.2" VIew10="1" OldID="0" Calibre="-100000"/>
    <SubType SubNum="6" SubNameEng="Forty-five" SubNameRus="45" MatchCount="45" TargetNum="8"
             ControlValue="10.2" VIew10="1" OldID="0" Calibre="450"/>
  </EventType>
  <EventType ID="6" NameEng="DifficultOne" NameRus="Three">
    <SubType SubNum="1" SubNameEng="3x20" SubNameRus="3x20" MatchCount="60" TargetNum="7"
             ControlValue="10.3" VIew10="1" OldID="0" Calibre="560"/>
    <SubType SubNum="2" SubNameEng="3x40" SubNameRus="3x40" MatchCount="120" TargetNum="7"
             ControlValue="10.3" VIew10="1" OldID="0" Calibre="560"/>
  </EventType>
  <EventType ID="2" NameEng="Precision" NameRus="Precision">
    <SubType SubNum="1" SubNameEng="25m" SubNameRus="25" MatchCount="30" TargetNum="4"
             ControlValue="10.4" VIew10="0" OldID="0" Calibre="560"/>
  </EventType>
  <EventType ID="3" NameEng="Rapid" NameRus="Rapid">
    <SubType SubNum="1" SubNameEng="25m" SubNameRus="25" MatchCount="30" TargetNum="5"
             ControlValue="10.4" VIew10="0" OldID="0" Calibre="560"/>
  </EventType>
</EventsList>
)";

// Types 1 to 6: one exercise of type 1 with sub-type = competition type.
// 8: precision then rapid-fire stage; 9: the precision stage alone. 11, 12:
// three positions. 7, 10 and 13 exist but have no totals table.
inline const QByteArray kCompetitionTypes = R"(<?xml version="1.0" encoding="UTF-8"?>
<CompetititonList>
  <CompetitionType ID="1" NameEng="Tenths" NameRus="T" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
  </CompetitionType>
  <CompetitionType ID="2" NameEng="Points" NameRus="P" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="2"/>
  </CompetitionType>
  <CompetitionType ID="3" NameEng="Half" NameRus="H" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="3"/>
  </CompetitionType>
  <CompetitionType ID="4" NameEng="No face" NameRus="NF" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="4"/>
  </CompetitionType>
  <CompetitionType ID="5" NameEng="No calibre" NameRus="NC" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="5"/>
  </CompetitionType>
  <CompetitionType ID="6" NameEng="Forty-five" NameRus="45" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="6"/>
  </CompetitionType>
  <CompetitionType ID="7" NameEng="Seven" NameRus="7" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
  </CompetitionType>
  <CompetitionType ID="8" NameEng="Pistol" NameRus="PM" weapon="1">
    <Event Final="0" Num="1" TypeID="2" SubType="1"/>
    <Event Final="0" Num="2" TypeID="3" SubType="1"/>
  </CompetitionType>
  <CompetitionType ID="9" NameEng="Precision only" NameRus="PO" weapon="1">
    <Event Final="0" Num="1" TypeID="2" SubType="1"/>
  </CompetitionType>
  <CompetitionType ID="10" NameEng="Ten" NameRus="10" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
  </CompetitionType>
  <CompetitionType ID="11" NameEng="3x20" NameRus="3x20" weapon="0">
    <Event Final="0" Num="1" TypeID="6" SubType="1"/>
  </CompetitionType>
  <CompetitionType ID="12" NameEng="3x40" NameRus="3x40" weapon="0">
    <Event Final="0" Num="1" TypeID="6" SubType="2"/>
  </CompetitionType>
  <CompetitionType ID="13" NameEng="Thirteen" NameRus="13" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
  </CompetitionType>
</CompetititonList>
)";

constexpr int kRussia = 2; // a country of the default country list
constexpr int kGermany = 3;

} // namespace ResultsData

// A competition written through the competition module, its shot lists filled
// as the main window fills them, and the same competition read back over the
// viewer's own connection.
class ResultsFixture
{
public:
    enum TypeLists { SmallMatches, RangeLists };

    // RangeLists keeps the program's own type lists (its 40- and 60-shot
    // exercises).
    explicit ResultsFixture(TypeLists lists = SmallMatches)
    {
        m_valid = m_dir.isValid()
            && (lists == RangeLists
                || (m_dir.writeFile(QStringLiteral("ServerDatas/Events/EventsType.xml"),
                                    ResultsData::kEventsType)
                    && m_dir.writeFile(QStringLiteral("ServerDatas/Events/CompetitionsType.xml"),
                                       ResultsData::kCompetitionTypes)));
        m_modul = std::make_unique<TUserModul>();
        m_team = m_modul->addTeam(ResultsData::kRussia, QStringLiteral("Dynamo"));
        m_quality = m_modul->addQuality(QStringLiteral("Master of sports"), QStringLiteral("ms"));
    }

    bool isValid() const { return m_valid && m_team > 0 && m_quality > 0; }
    TUserModul *modul() const { return m_modul.get(); }
    TdbAccessor *db() const { return m_modul->db(); }
    int teamId() const { return m_team; }
    int qualityId() const { return m_quality; }

    bool newCompetition(int type)
    {
        return m_modul->newCompetition(ResultsData::kRussia, type, false,
                                       QStringLiteral("Cup %1").arg(type));
    }
    TCompetition *competition() const { return m_modul->currentCompetition(); }
    TEvent *event(int index) const { return competition()->event(index); }
    TBulletList *list(int index) const { return m_modul->bulletList(event(index)->id()); }

    // The new member's ID; the shooter is named "Name<n>" "Family<n>".
    int addMember(int startNumber, int countryXMLID = ResultsData::kRussia)
    {
        const int n = ++m_shooters;
        const int shooterID = m_modul->addShooter(
            QStringLiteral("Name%1").arg(n), QStringLiteral("Family%1").arg(n),
            QDate(1990, 1, n % 28 + 1), n % 2, countryXMLID, m_team, m_quality);
        TShooter *shooter = m_modul->shooters()->shooterByID(shooterID);
        if (!shooter || !m_modul->addMember(shooter, startNumber))
            return -1;
        return m_modul->members()->memberByShooterID(shooterID)->memberID();
    }

    // Puts the member on the running list as the main window does and lets
    // the target report match shots at these points (tenths of a
    // millimetre), which the list stores.
    bool shootAt(TBulletList *list, int memberID, const QList<QPoint> &points)
    {
        const TShooter *member = m_modul->members()->memberByMemberID(memberID);
        if (!member || !list)
            return false;
        if (!list->placeByMemberId(memberID)) {
            const int teamCountry = m_modul->teamCountryXMLID(member->teamID());
            const TCountry *country = m_modul->countryByID(teamCountry);
            list->addPlace(memberID, member->startNumber() + 100,
                           member->family() + QLatin1Char(' ') + member->name(),
                           member->startNumber(), country ? country->flag() : QImage(),
                           country ? country->nameShort() : QString(),
                           m_modul->teamName(member->teamID()), QString());
        }
        const int target = list->placeByMemberId(memberID)->target();
        list->setStageOfTarget(target, TMemberPlace::kMatch);
        for (const QPoint &point : points) {
            const int number = list->lastBulletNumberOfTarget(target, TMemberPlace::kMatch) + 1;
            if (!list->addShotFromTarget(memberID, number, point.x(), point.y(), 1, 10 * number,
                                         0))
                return false;
        }
        return true;
    }

    // The same with shots of these values (tenths of a point; 0 a miss).
    bool shoot(TBulletList *list, int memberID, const QList<int> &values)
    {
        const TEvent *event = list ? competition()->eventByID(list->eventId()) : nullptr;
        if (!event)
            return false;
        QList<QPoint> points;
        for (int value : values) {
            const int x = value > 0 ? xForValue(event->targetType(), event->calibre(), value)
                                    : TBullet::kNoHit;
            if (x < 0)
                return false;
            points << QPoint(x, value > 0 ? 0 : TBullet::kNoHit);
        }
        return shootAt(list, memberID, points);
    }

    // Members from "start number:shots of exercise 0|shots of exercise 1|...",
    // shots as shotValues() reads them, in joining order; "-" leaves the
    // member without a place in that exercise's running list.
    bool enter(const QStringList &members)
    {
        for (const QString &member : members) {
            const QStringList parts = member.split(QLatin1Char(':'));
            const int id = addMember(parts.at(0).toInt());
            const QStringList stages = parts.value(1).split(QLatin1Char('|'));
            for (int stage = 0; stage < stages.size(); ++stage) {
                if (stages.at(stage) != QLatin1String("-")
                    && !shoot(list(stage), id, shotValues(stages.at(stage))))
                    return false;
            }
        }
        return true;
    }

    // The viewer's side: its own connection and country list.
    TdbAccessor *viewDb()
    {
        if (!m_viewDb) {
            m_viewDb = std::make_unique<TdbAccessor>(QStringLiteral("view"));
            m_countries.load(DataPaths::path(DataPaths::kCountriesDir), DataPaths::kCountriesFile);
        }
        return m_viewDb.get();
    }
    const CounrtyList &countries() const { return m_countries; }

    // The stored list of the current competition's exercise at that index,
    // loaded and laid out as the viewer does it.
    std::unique_ptr<TViewBulletList> storedList(int index)
    {
        TdbAccessor *db = viewDb();
        m_storedCompetition = std::make_unique<TCompetition>(db, competition()->id(), true);
        const TEvent *stored = m_storedCompetition->event(index);
        if (!stored)
            return nullptr;
        auto list = std::make_unique<TViewBulletList>(
            &m_countries, competition()->id(), stored->id(), db, stored->targetType(),
            stored->isView10(), stored->calibre(), stored->controlValue());
        list->loadAll();
        layoutSeriesOfEvent(stored, list.get());
        return list;
    }

private:
    TestDataDir m_dir;
    bool m_valid = false;
    std::unique_ptr<TUserModul> m_modul;
    std::unique_ptr<TdbAccessor> m_viewDb;
    std::unique_ptr<TCompetition> m_storedCompetition;
    CounrtyList m_countries;
    int m_team = -1;
    int m_quality = -1;
    int m_shooters = 0;
};

// Every cell's display text of a model, row by row, columns joined by "|".
inline QStringList displayRows(const QAbstractItemModel &model)
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c)
            cells << model.index(r, c).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// Display texts of every row from column `first` on, joined by "|".
inline QStringList cellsFrom(const QAbstractItemModel &model, int first)
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = first; c < model.columnCount(); ++c)
            cells << model.index(r, c).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// The member columns (RANK 0, NAME 1, TEAM 2) of a running and a stored
// table of the same members, row by row. The fixture's members are of its
// team's country, so TEAM and its flag read the same in both; NAME is the
// family and first name over the running list, the first name alone over the
// stored one.
inline void checkMemberColumns(const QAbstractItemModel &running, const QAbstractItemModel &stored)
{
    QCOMPARE(running.rowCount(), stored.rowCount());
    for (int r = 0; r < stored.rowCount(); ++r) {
        for (const QAbstractItemModel *model : {&running, &stored}) {
            QCOMPARE(model->index(r, 0).data(), QVariant(r + 1));
            QCOMPARE(model->index(r, 2).data().toString(), QStringLiteral("RUS/Dynamo"));
            const QImage flag = model->index(r, 2).data(Qt::DecorationRole).value<QImage>();
            QCOMPARE(flag.size(), QSize(15, 15));
            QVERIFY(!model->index(r, 1).data(Qt::DecorationRole).isValid());
            QVERIFY(!model->index(r, 2).data(Qt::ToolTipRole).isValid());
        }
        const QString first = stored.index(r, 1).data().toString();
        QVERIFY(first.startsWith(QLatin1String("Name")));
        QCOMPARE(running.index(r, 1).data().toString(),
                 QStringLiteral("Family%1 %2").arg(first.mid(4), first));
    }
}
