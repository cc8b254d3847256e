#pragma once

#include <QList>
#include <QObject>
#include <QSet>

class CounrtyList;
class TdbAccessor;
class TEvent;
class TViewMemberPlace;
class TViewSeries;
struct TTargetType;

// The places of one exercise of a stored competition, finished or not, read
// from the competitions database for the results viewer and the stored totals:
// one place per member of the competition with its shots, ranked by total once
// loaded, and the exercise's series layout. Loading only reads the database.
class TViewBulletList : public QObject
{
public:
    // countries and db: the viewer's (not owned); without db nothing loads.
    // targetType: a row of the constant table, null when the exercise's
    // "TargetNum" names none; calibre in hundredths of a millimetre;
    // controlValue in points.
    TViewBulletList(const CounrtyList *countries, int competitionId, int eventId,
                    TdbAccessor *db, const TTargetType *targetType, bool showTenths,
                    int calibre, double controlValue);
    ~TViewBulletList() override;

    TViewBulletList(const TViewBulletList &) = delete;
    TViewBulletList &operator=(const TViewBulletList &) = delete;

    // The load steps in the order their keys need; each answers true.
    bool loadAll();
    bool loadMembers();
    bool loadShooters();
    bool loadRelays();
    bool loadTeams();
    bool loadQualities();
    // Ends by ranking the places (see rankorder.h).
    bool loadBullets();

    void clear();
    void clearSeries();
    void appendSeries(int size);
    int seriesCount() const { return m_series.size(); }
    // 0 for a series number the layout does not have.
    int seriesSize(int number) const;
    int seriesFirstIndex(int number) const;

    int placeCount() const { return m_places.size(); }
    TViewMemberPlace *placeAt(int index) const;
    // The first place of that shooter, or null.
    TViewMemberPlace *placeByShooterId(int shooterId) const;

    int competitionId() const { return m_competitionId; }
    int eventId() const { return m_eventId; }
    bool showTenths() const { return m_showTenths; }
    // The relay numbers that occur in the exercise.
    QSet<int> hash() const { return m_relays; }

private:
    const TViewSeries *seriesOf(int number) const;

    TdbAccessor *m_db = nullptr;                 // the viewer's; not owned
    const CounrtyList *m_countries = nullptr;    // the viewer's; not owned
    QList<TViewMemberPlace *> m_places;          // owned
    QList<TViewSeries *> m_series;               // owned; the places read it
    int m_competitionId = -1;
    int m_eventId = -1;
    const TTargetType *m_targetType = nullptr;   // row of the constant table
    int m_calibre = 0;                           // hundredths of a millimetre
    double m_controlValue = 0.0;                 // points
    bool m_showTenths = false;
    QSet<int> m_relays;
};

// Lays out the list's series by the exercise's type: types 1 and 6 in series
// of 10 shots, the pistol stages (2, 3) in series of 5, "MatchCount" / size
// of them; other types leave the layout as it is.
void layoutSeriesOfEvent(const TEvent *event, TViewBulletList *list);
