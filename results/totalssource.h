#pragma once

#include <QImage>
#include <QString>

#include "rankorder.h"

class TBulletList;
class TMemberPlace;
class TViewBulletList;
class TViewMemberPlace;

// One place as the totals tables read it, whether it belongs to the shot list
// of a running exercise or to a stored exercise of the viewer. Over a running
// list only match shots count and a series counts once it is complete; a
// stored place holds match shots only and sums its series as far as they go.
// A view only: the lists own their places.
class TotalsPlace
{
public:
    // Shots in one series of the running list's totals.
    static constexpr int kRunningSeriesSize = 10;

    TotalsPlace() = default;
    explicit TotalsPlace(const TMemberPlace *place) : m_running(place) {}
    explicit TotalsPlace(const TViewMemberPlace *place) : m_stored(place) {}

    bool isNull() const { return !m_running && !m_stored; }
    // The member ID of a running place, the shooter ID of a stored one: what
    // pairs a member's places in two stages.
    int key() const;
    // Running: family name, a blank, first name; stored: first name.
    QString name() const;
    // "country/team"
    QString teamLabel() const;
    QImage flagIcon() const;
    int startNumber() const;
    int points() const;
    int tenthsUnits() const; // tenths of a point
    int marked() const;
    // Where the place stands by the whole points and inner tens a table
    // shows, whatever unit its list ranks by.
    RankKey wholePointRank() const;
    // Series k (from 1).
    int seriesPoints(int k) const;
    int seriesMarked(int k) const;

private:
    const TMemberPlace *m_running = nullptr;
    const TViewMemberPlace *m_stored = nullptr;
};

// The places a totals table reads, in their list's rank order.
class TotalsSource
{
public:
    TotalsSource() = default;
    explicit TotalsSource(const TBulletList *list) : m_running(list) {}
    explicit TotalsSource(const TViewBulletList *list) : m_stored(list) {}

    bool isNull() const { return !m_running && !m_stored; }
    bool isStored() const { return m_stored; }
    int placeCount() const;
    bool showTenths() const;
    TotalsPlace placeAt(int row) const;
    // See TotalsPlace::key.
    TotalsPlace placeByKey(int key) const;

private:
    const TBulletList *m_running = nullptr;
    const TViewBulletList *m_stored = nullptr;
};

// The result cell of every totals table: "95 *3", or "98.7 *3" in tenths.
QString totalsCell(int points, int marked);
QString totalsTenthsCell(int tenthsUnits, int marked);
