#include "tviewmemberplace.h"

#include "tbullet.h"
#include "tcountry.h"
#include "tmemberplace.h"
#include "tviewseries.h"

TViewMemberPlace::TViewMemberPlace(int memberId, int shooterId, int startNumber,
                                   bool showTenths, const QList<TViewSeries *> *series)
    : m_series(series), m_shooterId(shooterId), m_showTenths(showTenths)
{
    setMemberID(memberId);
    setStartNumber(startNumber);
}

TViewMemberPlace::~TViewMemberPlace()
{
    qDeleteAll(m_bullets);
}

QString TViewMemberPlace::countryName() const
{
    return m_country ? m_country->nameShort() : QString();
}

QImage TViewMemberPlace::countryImage() const
{
    return m_country ? m_country->flag() : QImage();
}

void TViewMemberPlace::setCountry(const TCountry *country)
{
    m_country = country;
    m_countryIcon = TMemberPlace::scaledIcon(countryImage());
}

void TViewMemberPlace::setTeam(const QString &name, const QString &shortName, int countryId,
                               const TCountry *country)
{
    m_teamName = name;
    m_teamShortName = shortName;
    m_teamCountryId = countryId;
    m_teamCountry = country;
}

void TViewMemberPlace::setQuality(const QString &name, const QString &shortName)
{
    m_qualityName = name;
    m_qualityShortName = shortName;
}

void TViewMemberPlace::addBullet(TBullet *shot)
{
    m_bullets.append(shot);
    m_points += shot->score();
    m_tenths += shot->range10();
    if (shot->isControl())
        ++m_marked;
}

void TViewMemberPlace::clearBullets()
{
    qDeleteAll(m_bullets);
    m_bullets.clear();
    m_points = 0;
    m_tenths = 0;
    m_marked = 0;
}

bool TViewMemberPlace::seriesRange(int n, int *first, int *end) const
{
    if (!m_series || n < 1 || n > m_series->size())
        return false;
    const TViewSeries *series = m_series->at(n - 1);
    *first = series->firstIndex();
    *end = qMin(*first + series->size(), m_bullets.size());
    return *first < *end;
}

template <typename ValueOf>
int TViewMemberPlace::sumOfSeries(int n, ValueOf valueOf) const
{
    int first = 0;
    int end = 0;
    if (!seriesRange(n, &first, &end))
        return 0;
    int sum = 0;
    for (int i = first; i < end; ++i)
        sum += valueOf(m_bullets.at(i));
    return sum;
}

int TViewMemberPlace::seriesSumInt(int n) const
{
    return sumOfSeries(n, [](const TBullet *shot) { return shot->score(); });
}

double TViewMemberPlace::seriesSumTenths(int n) const
{
    return sumOfSeries(n, [](const TBullet *shot) { return shot->range10(); }) / 10.0;
}

int TViewMemberPlace::seriesMarked(int n) const
{
    return sumOfSeries(n, [](const TBullet *shot) { return shot->isControl() ? 1 : 0; });
}

TBullet *TViewMemberPlace::bulletOfSeries(int n, int k) const
{
    int first = 0;
    int end = 0;
    if (k < 0 || !seriesRange(n, &first, &end) || first + k >= end)
        return nullptr;
    return m_bullets.at(first + k);
}
