#pragma once

#include <QImage>
#include <QList>
#include <QString>

#include "tshooter.h"

class TBullet;
class TCountry;
class TViewSeries;

// One member's place in one stored exercise: the shooter record (the base),
// the member's relay and target in that exercise, team, qualification and the
// match shots the database holds, each scored again with the exercise's
// parameters. Its sums are kept as the shots are added, since the viewer's
// tables and the totals read them on every repaint.
class TViewMemberPlace : public TShooter
{
public:
    // series: the owning list's layout (not owned).
    TViewMemberPlace(int memberId, int shooterId, int startNumber, bool showTenths,
                     const QList<TViewSeries *> *series);
    ~TViewMemberPlace() override;

    TViewMemberPlace(const TViewMemberPlace &) = delete;
    TViewMemberPlace &operator=(const TViewMemberPlace &) = delete;

    int memberId() const { return memberID(); } // the "tmembers" row
    int shooterId() const { return m_shooterId; }
    // 0 without a relay row in the exercise, -1 when the row lacked its number.
    int relayNumber() const { return m_relayNumber; }
    bool showTenths() const { return m_showTenths; }

    const TCountry *country() const { return m_country; }
    // The shooter's country: short name, flag (null without a country) and the
    // flag as the tables draw it.
    QString countryName() const;
    QImage countryImage() const;
    QImage countryIcon() const { return m_countryIcon; }
    QString teamName() const { return m_teamName; }
    QString teamShortName() const { return m_teamShortName; }
    int teamCountryId() const { return m_teamCountryId; }
    const TCountry *teamCountry() const { return m_teamCountry; }
    QString qualityName() const { return m_qualityName; }
    QString qualityShortName() const { return m_qualityShortName; }

    // Filled while the list loads.
    void setRelayNumber(int number) { m_relayNumber = number; }
    void setCountry(const TCountry *country);
    void setTeam(const QString &name, const QString &shortName, int countryId,
                 const TCountry *country);
    void setQuality(const QString &name, const QString &shortName);

    // Shots, in stored order; the place owns them.
    void addBullet(TBullet *shot);
    void clearBullets();
    const QList<TBullet *> &bullets() const { return m_bullets; }
    int bulletCount() const { return m_bullets.size(); }

    // Sums over every shot held.
    int totalInt() const { return m_points; }
    double totalTenths() const { return m_tenths / 10.0; }
    int markedCount() const { return m_marked; }
    // The total in the unit the exercise shows: tenths of a point or points.
    double total() const { return m_showTenths ? totalTenths() : totalInt(); }
    int totalAsInt() const { return m_showTenths ? m_tenths / 10 : m_points; }
    int totalUnits() const { return m_showTenths ? m_tenths : m_points; }

    // Series n (from 1) of the list's layout, summed as far as the shots go;
    // 0 for a series the layout does not have.
    int seriesSumInt(int n) const;
    double seriesSumTenths(int n) const;
    int seriesMarked(int n) const;
    // Shot k (from 0) of series n; null beyond the series or the shots held.
    TBullet *bulletOfSeries(int n, int k) const;

private:
    // Shots [first, end) of series n; false when it holds none.
    bool seriesRange(int n, int *first, int *end) const;
    template <typename ValueOf>
    int sumOfSeries(int n, ValueOf valueOf) const;

    const QList<TViewSeries *> *m_series = nullptr; // the list's; not owned
    QList<TBullet *> m_bullets;                      // owned
    int m_shooterId = -1;
    bool m_showTenths = false;
    int m_relayNumber = 0;
    const TCountry *m_country = nullptr; // the country list's
    QImage m_countryIcon;
    QString m_teamName;
    QString m_teamShortName;
    int m_teamCountryId = -1;
    const TCountry *m_teamCountry = nullptr; // the country list's
    QString m_qualityName;
    QString m_qualityShortName;
    int m_points = 0; // whole points
    int m_tenths = 0; // tenths of a point
    int m_marked = 0;
};
