#include "tmemberplace.h"

#include <algorithm>

namespace {

bool isIndexedStage(int stage)
{
    return stage == TMemberPlace::kSighting || stage == TMemberPlace::kMatch;
}

int tenthsOf(const TBullet *shot)
{
    return qRound(shot->range() * 10.0);
}

} // namespace

QImage TMemberPlace::scaledIcon(const QImage &image)
{
    if (image.isNull())
        return image;
    return image.scaled(kIconSize, kIconSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

TMemberPlace::TMemberPlace(int memberID, bool showTenths, int target, const QString &name,
                           int startNumber, const QImage &flag, const QString &countryName,
                           const QString &teamName, const QString &qualificationName,
                           const TBulletParams &params)
    : m_params(params), m_memberID(memberID), m_showTenths(showTenths), m_target(target),
      m_name(name), m_startNumber(startNumber), m_flag(flag), m_countryName(countryName),
      m_teamName(teamName), m_qualificationName(qualificationName),
      m_flagIcon(scaledIcon(flag))
{
}

TMemberPlace::TMemberPlace(int memberID, bool showTenths, int target, const QString &name,
                           const TBulletParams &params)
    : m_params(params), m_memberID(memberID), m_showTenths(showTenths), m_target(target),
      m_name(name)
{
}

TMemberPlace::~TMemberPlace()
{
    qDeleteAll(m_shots);
}

int TMemberPlace::shotCountOfStage(int stage) const
{
    if (stage == kSighting)
        return m_sightingCount;
    if (stage == kMatch)
        return m_matchCount;
    return 0;
}

int TMemberPlace::matchSeriesCount(int size) const
{
    return size > 0 ? m_matchCount / size : 0;
}

double TMemberPlace::total() const
{
    return m_showTenths ? m_totalUnits / 10.0 : m_totalUnits;
}

int TMemberPlace::totalInt() const
{
    return m_showTenths ? m_totalUnits / 10 : m_totalUnits;
}

RankKey TMemberPlace::rankKey() const
{
    return {m_totalUnits, m_showTenths ? 0 : m_matchMarked, m_startNumber, m_target, m_memberID};
}

int TMemberPlace::shotValueUnits(const TBullet *shot) const
{
    return m_showTenths ? tenthsOf(shot) : shot->score();
}

TBullet *TMemberPlace::addBullet(int number, int x, int y, quint8 positionCode, int time,
                                 int fine, bool sort)
{
    auto *shot = new TBullet(m_resetCounter, number, x, y, positionCode, time,
                             m_params.targetType(), m_params.calibre(), m_params.controlValue(),
                             fine);
    shot->setMemberID(m_memberID);
    shot->setStage(m_stage);
    if (m_stage == kSighting) {
        shot->setNumber(++m_sightingCount);
    } else if (m_stage == kMatch) {
        shot->setNumber(++m_matchCount);
        m_totalUnits += shotValueUnits(shot);
        m_matchMarked += shot->isControl() ? 1 : 0;
    } else {
        shot->setNumber(0);
    }
    m_shots.append(shot);
    if (sort) {
        std::stable_sort(m_shots.begin(), m_shots.end(), compareBulletOrder);
        rebuildIndex();
    } else {
        indexShot(shot);
    }
    m_showArrows = true;
    return shot;
}

TBullet *TMemberPlace::bulletAt(int number, int stage) const
{
    if (isIndexedStage(stage)) {
        const QVector<TBullet *> &index = m_byNumber[stage];
        return number >= 1 && number <= index.size() ? index.at(number - 1) : nullptr;
    }
    for (TBullet *shot : m_shots) {
        if (shot->number() == number && shot->stage() == stage)
            return shot;
    }
    return nullptr;
}

TBullet *TMemberPlace::bulletById(int id) const
{
    for (TBullet *shot : m_shots) {
        if (shot->id() == id)
            return shot;
    }
    return nullptr;
}

TBullet *TMemberPlace::nextBullet(const TBullet *shot) const
{
    // By identity: unsaved shots share the ID -1.
    for (int i = 0; i < m_shots.size(); ++i) {
        if (m_shots.at(i) == shot)
            return i + 1 < m_shots.size() ? m_shots.at(i + 1) : nullptr;
    }
    return nullptr;
}

bool TMemberPlace::hasShot(int shotID) const
{
    return std::any_of(m_shots.cbegin(), m_shots.cend(), [&](const TBullet *shot) {
        return shot->shotID() == shotID && shot->stage() == m_stage
            && shot->resetCounter() == m_resetCounter;
    });
}

int TMemberPlace::highestShotID(int stage) const
{
    int highest = 0;
    for (const TBullet *shot : m_shots) {
        if (shot->stage() == stage && shot->resetCounter() == m_resetCounter)
            highest = qMax(highest, shot->shotID());
    }
    return highest;
}

int TMemberPlace::lastBulletNumber(int stage) const
{
    const int highest = highestShotID(stage);
    return stage == m_stage ? m_laneStart.lastRead(highest) : highest;
}

TMemberPlace::SeriesRange TMemberPlace::currentSeries(int n) const
{
    SeriesRange range;
    range.stage = m_stage;
    const int count = shotCountOfStage(m_stage);
    // A series whose flagged misses were taken out is shown without them
    // until it is whole again, not the whole one before it.
    int shown = count;
    if (m_shotAgainFrom > 0 && n > 0 && count < ((m_shotAgainFrom - 1) / n + 1) * n)
        shown = qMin(m_shotAgainFrom, count + 1);
    // An empty stage has no current series, whatever the size: a series of
    // one shot must not be complete before its shot has arrived.
    if (n < 1 || shown < 1 || !isIndexedStage(m_stage))
        return range;
    range.first = ((shown - 1) / n) * n + 1;
    range.last = count;
    range.complete = count - range.first + 1 >= n;
    return range;
}

TMemberPlace::SeriesRange TMemberPlace::matchSeries(int k, int n) const
{
    if (k == 0)
        return currentSeries(n);
    SeriesRange range;
    if (n < 1 || k < 0)
        return range;
    range.first = (k - 1) * n + 1;
    range.last = qMin(k * n, m_matchCount);
    range.complete = m_matchCount >= k * n;
    return range;
}

template <typename ValueOf>
int TMemberPlace::sumOver(const SeriesRange &range, ValueOf valueOf) const
{
    int sum = 0;
    for (int m = range.first; m <= range.last; ++m) {
        if (const TBullet *shot = bulletAt(m, range.stage))
            sum += valueOf(shot);
    }
    return sum;
}

int TMemberPlace::sumScore(const SeriesRange &range) const
{
    return sumOver(range, [](const TBullet *shot) { return shot->score(); });
}

int TMemberPlace::sumTenths(const SeriesRange &range) const
{
    return sumOver(range, tenthsOf);
}

int TMemberPlace::countMarked(const SeriesRange &range) const
{
    return sumOver(range, [](const TBullet *shot) { return shot->isControl() ? 1 : 0; });
}

TBullet *TMemberPlace::currentSeriesBullet(int k, int n) const
{
    const SeriesRange range = currentSeries(n);
    const int m = range.first - 1 + k;
    if (k < 1 || m > range.last)
        return nullptr;
    return bulletAt(m, range.stage);
}

int TMemberPlace::currentSeriesSumInt(int n, bool *complete) const
{
    return seriesSumInt(0, n, complete);
}

double TMemberPlace::currentSeriesSumTenths(int n, bool *complete) const
{
    return seriesSumTenths(0, n, complete);
}

int TMemberPlace::currentSeriesMarked(int n, bool *complete) const
{
    return seriesMarked(0, n, complete);
}

int TMemberPlace::seriesSumInt(int k, int n, bool *complete) const
{
    const SeriesRange range = matchSeries(k, n);
    if (complete)
        *complete = range.complete;
    return sumScore(range);
}

double TMemberPlace::seriesSumTenths(int k, int n, bool *complete) const
{
    const SeriesRange range = matchSeries(k, n);
    if (complete)
        *complete = range.complete;
    return sumTenths(range) / 10.0;
}

int TMemberPlace::seriesMarked(int k, int n, bool *complete) const
{
    const SeriesRange range = matchSeries(k, n);
    if (complete)
        *complete = range.complete;
    return countMarked(range);
}

int TMemberPlace::countFlagged(int n) const
{
    return sumOver(currentSeries(n), [](const TBullet *shot) { return shot->isFine() ? 1 : 0; });
}

int TMemberPlace::countFineInSeries(int fine, int n) const
{
    return sumOver(currentSeries(n),
                   [fine](const TBullet *shot) { return shot->fine() == fine ? 1 : 0; });
}

TBullet *TMemberPlace::firstFlagged(int n) const
{
    const SeriesRange range = currentSeries(n);
    for (int m = range.first; m <= range.last; ++m) {
        TBullet *shot = bulletAt(m, range.stage);
        if (shot && shot->isFine())
            return shot;
    }
    return nullptr;
}

int TMemberPlace::countMatchShots(int fine) const
{
    return int(std::count_if(m_shots.cbegin(), m_shots.cend(), [fine](const TBullet *shot) {
        return shot->stage() == kMatch && (fine < 0 || shot->fine() == fine);
    }));
}

int TMemberPlace::countSightingShots() const
{
    return int(std::count_if(m_shots.cbegin(), m_shots.cend(),
                             [](const TBullet *shot) { return shot->stage() == kSighting; }));
}

int TMemberPlace::matchTotalInt() const
{
    int sum = 0;
    for (const TBullet *shot : m_shots) {
        if (shot->stage() == kMatch)
            sum += shot->score();
    }
    return sum;
}

double TMemberPlace::matchTotalTenths() const
{
    int sum = 0;
    for (const TBullet *shot : m_shots) {
        if (shot->stage() == kMatch)
            sum += tenthsOf(shot);
    }
    return sum / 10.0;
}

int TMemberPlace::markedTotal() const
{
    return int(std::count_if(m_shots.cbegin(), m_shots.cend(),
                             [](const TBullet *shot) { return shot->isControl(); }));
}

void TMemberPlace::renumberShot(TBullet *shot, int number)
{
    shot->setNumber(number);
    rebuildIndex();
}

QList<TMemberPlace::Renumbered> TMemberPlace::renumberInOrder(const QList<TBullet *> &order)
{
    QList<Renumbered> changed;
    for (int i = 0; i < order.size(); ++i) {
        TBullet *shot = order.at(i);
        if (shot->number() == i + 1)
            continue;
        changed.append({shot, shot->number()});
        shot->setNumber(i + 1);
    }
    if (!changed.isEmpty())
        rebuildIndex();
    return changed;
}

void TMemberPlace::clearFlags()
{
    for (TBullet *shot : qAsConst(m_shots))
        shot->setFine(-1);
}

void TMemberPlace::removeShot(TBullet *shot)
{
    if (!m_shots.removeOne(shot))
        return; // not ours to delete
    // Only match shots ever entered the running total.
    if (shot->stage() == kMatch) {
        m_totalUnits -= shotValueUnits(shot);
        m_matchMarked -= shot->isControl() ? 1 : 0;
    }
    delete shot;
    rebuildIndex();
}

void TMemberPlace::removeSightingShots()
{
    deleteShotsOfStage(kSighting);
}

void TMemberPlace::deleteShotsOfStage(int stage)
{
    for (auto it = m_shots.begin(); it != m_shots.end();) {
        if ((*it)->stage() == stage) {
            delete *it;
            it = m_shots.erase(it);
        } else {
            ++it;
        }
    }
    rebuildIndex();
}

void TMemberPlace::incResetCounter()
{
    m_laneStart.targetReset();
    ++m_resetCounter;
}

void TMemberPlace::startStage(int stage)
{
    switchStage(stage, true);
}

void TMemberPlace::newTargetPage()
{
    ++m_resetCounter;
}

void TMemberPlace::setStage(int stage, bool countReset)
{
    m_laneStart.targetReset();
    switchStage(stage, countReset);
}

void TMemberPlace::switchStage(int stage, bool countReset)
{
    if (countReset)
        ++m_resetCounter;
    if (m_stage == kSighting && stage == kMatch) {
        removeSightingShots();
        m_showArrows = false; // the row stays empty until the first match shot
    }
    if (stage != m_stage)
        m_shotAgainFrom = 0;
    m_stage = stage;
    m_terminalCursor = 0;
}

void TMemberPlace::resetAll()
{
    qDeleteAll(m_shots);
    m_shots.clear();
    m_totalUnits = 0;
    m_matchMarked = 0;
    m_shotAgainFrom = 0;
    rebuildIndex();
}

void TMemberPlace::indexShot(TBullet *shot)
{
    if (!isIndexedStage(shot->stage()) || shot->number() < 1)
        return;
    QVector<TBullet *> &index = m_byNumber[shot->stage()];
    if (index.size() < shot->number())
        index.resize(shot->number());
    // Only the first shot in list order answers for its number.
    if (!index.at(shot->number() - 1))
        index[shot->number() - 1] = shot;
}

void TMemberPlace::rebuildIndex()
{
    m_byNumber[kSighting].clear();
    m_byNumber[kMatch].clear();
    m_sightingCount = 0;
    m_matchCount = 0;
    for (TBullet *shot : qAsConst(m_shots)) {
        if (shot->stage() == kSighting)
            ++m_sightingCount;
        else if (shot->stage() == kMatch)
            ++m_matchCount;
        indexShot(shot);
    }
}
