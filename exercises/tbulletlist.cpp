#include "tbulletlist.h"

#include <algorithm>

#include "dbfields.h"
#include "rankorder.h"
#include "tdbaccessor.h"
#include "tmemberplace.h"
#include "tseries.h"
#include "ttargettype.h"

namespace {

const char *const kTargetFoundIcon = ":/clasters/img/clasters/green_ico.png";
const char *const kTargetMissingIcon = ":/clasters/img/clasters/red_ico.png";

} // namespace

bool compareSeriesResultDesc(const TMemberPlace *a, const TMemberPlace *b)
{
    return rankedBefore(a->rankKey(), b->rankKey());
}

TBulletList::TBulletList(int eventID, TdbAccessor *db, const TTargetType *targetType,
                         bool showTenths, int calibre, double controlValue, QObject *parent)
    : TBulletList(eventID, db, true, targetType, showTenths, calibre, controlValue, parent)
{
    loadFromDB();
}

TBulletList::TBulletList(const TTargetType *targetType, bool showTenths, int calibre,
                         double controlValue, QObject *parent)
    : TBulletList(-1, nullptr, false, targetType, showTenths, calibre, controlValue, parent)
{
}

TBulletList::TBulletList(int eventID, TdbAccessor *db, bool competition,
                         const TTargetType *targetType, bool showTenths, int calibre,
                         double controlValue, QObject *parent)
    : QAbstractTableModel(parent),
      m_columns(competition ? TPlaceColumns::full() : TPlaceColumns::compact(true)),
      m_db(competition ? db : nullptr), m_compactSeries(!competition), m_eventID(eventID),
      m_targetType(targetType), m_calibre(calibre), m_controlValue(controlValue),
      m_showTenths(showTenths)
{
    m_series = new TSeries(&m_places, 1, m_compactSeries, this);
    m_series->setShowTenths(m_showTenths);
    m_writes = new TShotWrites(m_eventID, m_db, this);
    connect(m_writes, &TShotWrites::sig_writesWaiting, this, &TBulletList::sig_writesWaiting);
    connect(m_writes, &TShotWrites::sig_memberRowsGone, this, &TBulletList::sig_memberShotsGone);
}

TBulletList::~TBulletList()
{
    // The series model reads the places: it goes first.
    delete m_series;
    m_series = nullptr;
    qDeleteAll(m_places);
    qDeleteAll(m_offlineShots);
}

TBulletParams TBulletList::params() const
{
    return TBulletParams(m_eventID, m_targetType, m_calibre, m_controlValue);
}

// --- item model -------------------------------------------------------------

QModelIndex TBulletList::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

int TBulletList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_places.size();
}

int TBulletList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns.firstShot + m_shotColumns + 1;
}

bool TBulletList::isShotColumn(int column) const
{
    return column >= m_columns.firstShot && column < lastColumn();
}

TBullet *TBulletList::shotOfCell(const TMemberPlace *place, int column) const
{
    if (!isShotColumn(column))
        return nullptr;
    return place->currentSeriesBullet(column - m_columns.firstShot + 1, m_shotColumns);
}

QVariant TBulletList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const TMemberPlace *place = placeAtRow(index.row());
    if (!place)
        return QVariant();
    const int column = index.column();
    if (role == Qt::DisplayRole)
        return displayData(place, column);
    if (role == Qt::DecorationRole)
        return decorationData(place, column);
    if (role == Qt::ToolTipRole && column == m_columns.target && place->laneStart().holdsShots())
        return QStringLiteral("Мишень %1: выстрелов под вопросом — %2; пока нельзя узнать, сделаны "
                              "ли они после команды СТАРТ")
            .arg(place->target())
            .arg(place->laneStart().heldCount());
    if (m_marking && isShotColumn(column) && !shotOfCell(place, column))
        return QVariant();
    if (role == Qt::CheckStateRole) {
        const TBullet *shot = m_marking ? shotOfCell(place, column) : nullptr;
        if (shot && shot->fine() == kFlaggedFine)
            return shot->isFine();
        return QVariant();
    }
    if (role == MemberIdRole)
        return place->memberID();
    if (role == BulletPracticeRole && column == lastColumn())
        return place->stage();
    return shotRoleData(place, column, role);
}

QVariant TBulletList::displayData(const TMemberPlace *place, int column) const
{
    if (column == m_columns.target)
        return QString::number(place->target()); // shown as text here
    if (column < m_columns.firstShot)
        return m_columns.text(place, column);
    if (!place->showArrows())
        return QVariant();
    if (column == lastColumn()) {
        bool complete = false;
        const double sum = m_showTenths ? place->currentSeriesSumTenths(m_shotColumns, &complete)
                                        : place->currentSeriesSumInt(m_shotColumns, &complete);
        if (!complete)
            return QVariant();
        return resultText(m_showTenths, sum, place->currentSeriesMarked(m_shotColumns));
    }
    const TBullet *shot = shotOfCell(place, column);
    if (!shot)
        return QVariant();
    return shot->valueText(m_showTenths);
}

QVariant TBulletList::decorationData(const TMemberPlace *place, int column) const
{
    if (column == m_columns.team)
        return place->flagIcon();
    // A lane whose shots are held is in trouble as much as one not found.
    if (column == m_columns.target)
        return presenceIcon(place->targetFound() && !place->laneStart().holdsShots());
    if (column == m_columns.terminal)
        return presenceIcon(place->terminalFound());
    const TBullet *shot = shotOfCell(place, column);
    if (!shot || !place->showArrows())
        return QVariant();
    return m_pictures.arrowOf(shot);
}

QVariant TBulletList::shotRoleData(const TMemberPlace *place, int column, int role) const
{
    const TBullet *shot = shotOfCell(place, column);
    if (!shot)
        return QVariant();
    switch (role) {
    case BullIdRole:
        return shot->id();
    case BullNumRole:
        return shot->shotID();
    case BullRankRole:
        return shot->score();
    case BullRank10Role:
        return shot->range();
    case BullPlaceRole:
        return int(qint8(shot->positionCode()));
    case BulletRole:
        return true;
    case BulletPracticeRole:
        return shot->stage();
    default:
        return QVariant();
    }
}

QImage TBulletList::presenceIcon(bool found) const
{
    return m_pictures.icon(QLatin1String(found ? kTargetFoundIcon : kTargetMissingIcon));
}

bool TBulletList::setData(const QModelIndex &index, const QVariant &value, int role)
{
    Q_UNUSED(value) // a click always inverts the flag
    if (!m_marking || role != Qt::CheckStateRole || !index.isValid())
        return false;
    const TMemberPlace *place = placeAtRow(index.row());
    TBullet *shot = place ? shotOfCell(place, index.column()) : nullptr;
    if (!shot)
        return false;
    shot->setFineFlag(!shot->isFine());
    emit dataChanged(index, index);
    return true;
}

QVariant TBulletList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    return m_columns.header(section, lastColumn(), QStringLiteral("         SUMM        "));
}

Qt::ItemFlags TBulletList::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (m_marking)
        return Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsEditable;
    return Qt::ItemIsEnabled;
}

QStringList TBulletList::possibleTexts(int column) const
{
    if (column < m_columns.firstShot)
        return m_columns.texts(m_places, column);
    if (column == lastColumn())
        return {widestResultText(m_showTenths, m_shotColumns)};
    if (column < lastColumn())
        return {TBullet::widestValueText(m_showTenths)};
    return {};
}

bool TBulletList::showsPictures(int column) const
{
    return column == m_columns.team || column == m_columns.target
        || column == m_columns.terminal || isShotColumn(column);
}

void TBulletList::sort(int column, Qt::SortOrder order)
{
    Q_UNUSED(column)
    Q_UNUSED(order)
    // The series table shows the same places and moves its rows with these.
    // A re-sort is frequent (most match shots of a line make one), and the
    // run screen's tables select nothing: the moved rows are reported as
    // changed, not the whole layout.
    sortModelRowsInBand(*this, m_places, compareSeriesResultDesc, *m_series);
}

QHash<int, QByteArray> TBulletList::roleNames() const
{
    return {
        {BullIdRole, "bullID"},       {MemberIdRole, "memberID"},
        {BullNumRole, "bullNum"},     {BullRankRole, "bullRank"},
        {BullRank10Role, "bullRank10"}, {BullPlaceRole, "bullPlace"},
        {BulletRole, "bullet"},       {BulletPracticeRole, "bulletPractice"},
    };
}

void TBulletList::refreshAll(bool sortFirst)
{
    if (sortFirst)
        sort(0, Qt::AscendingOrder);
    if (!m_places.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    m_series->refreshAll();
}

void TBulletList::refreshPlace(const TMemberPlace *place, bool sortFirst)
{
    if (sortFirst)
        sort(0, Qt::AscendingOrder);
    const int index = m_places.indexOf(const_cast<TMemberPlace *>(place));
    if (index < 0)
        return;
    const int row = m_firstRow + index;
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
    m_series->refreshRow(index);
}

void TBulletList::refreshCell(int row, int column)
{
    const QModelIndex cell = index(row, column);
    if (cell.isValid())
        emit dataChanged(cell, cell);
}

// --- places and targets -----------------------------------------------------

void TBulletList::addPlace(int memberID, int target, const QString &name, int startNumber,
                           const QImage &flag, const QString &countryName,
                           const QString &teamName, const QString &qualificationName)
{
    if (placeByMemberId(memberID))
        return;
    auto *place = new TMemberPlace(memberID, m_showTenths, target, name, startNumber, flag,
                                   countryName, teamName, qualificationName, params());
    takeOfflineShots(place);
    insertPlace(place);
}

void TBulletList::addPlace(int memberID, int target, const QString &name)
{
    if (placeByMemberId(memberID))
        return;
    insertPlace(new TMemberPlace(memberID, m_showTenths, target, name, params()));
}

void TBulletList::takeOfflineShots(TMemberPlace *place)
{
    QList<TBullet *> own;
    QList<TBullet *> others;
    for (TBullet *shot : qAsConst(m_offlineShots))
        (shot->memberID() == place->memberID() ? own : others).append(shot);
    if (own.isEmpty())
        return;
    m_offlineShots = others;
    // Stored shots are match shots, whatever stage the new place starts in.
    place->setStage(TMemberPlace::kMatch, false);
    for (int i = 0; i < own.size(); ++i) {
        TBullet *old = own.at(i);
        // Sorting once after the last gives the order of sorting after each.
        const bool sortNow = i == own.size() - 1;
        TBullet *shot = place->addBullet(old->shotID(), old->point().x(), old->point().y(),
                                         quint8(old->positionCode()), old->time(), old->fine(),
                                         sortNow);
        shot->setID(old->id());
        m_writes->moveWrite(old, shot);
    }
    place->setStage(TMemberPlace::kSighting, false);
    qDeleteAll(own);
}

void TBulletList::insertPlace(TMemberPlace *place)
{
    const int row = m_firstRow + m_places.size();
    beginInsertRows(QModelIndex(), row, row);
    m_places.append(place);
    endInsertRows();
    // The series model shares the list: it must announce the new row where
    // it is now, before sorting moves rows that it still shows.
    m_series->rowInserted(m_places.size() - 1);
    refreshAll(true);
}

void TBulletList::removeAll()
{
    keepUnstoredOffline();
    m_series->removeAllRows();
    if (m_places.isEmpty())
        return;
    // The rows leave the model before the places die, so that no view reads
    // a deleted place while the removal is announced.
    beginRemoveRows(QModelIndex(), m_firstRow, m_firstRow + m_places.size() - 1);
    const QList<TMemberPlace *> places = m_places;
    m_places.clear();
    endRemoveRows();
    qDeleteAll(places);
}

bool TBulletList::reload()
{
    removeAll();
    return loadFromDB();
}

bool TBulletList::loadFromDB()
{
    if (!m_db)
        return true;
    // What the database refused is still to be written: a waiting shot
    // stands for its row, and a row waiting to be deleted is not read.
    QList<TBullet *> waiting;
    QSet<int> notRead;
    for (TBullet *shot : qAsConst(m_offlineShots)) {
        if (m_writes->waits(shot)) {
            waiting.append(shot);
            notRead.insert(shot->id());
        } else {
            delete shot;
        }
    }
    m_offlineShots = waiting;
    m_db->selectEventBullets(m_eventID);
    while (m_db->next()) {
        DbFields::ShotRow row;
        if (!DbFields::readShotRow(m_db, &row)) {
            DbFields::logCannotLoad(QStringLiteral("tbullets"));
            continue;
        }
        if (notRead.contains(row.id) || m_writes->deleteWaits(row)
            || m_writes->memberRowsWait(row.memberID))
            continue;
        // Scores are not read: they are computed again from the coordinates.
        TBullet *shot = newOfflineShot(row.memberID, row.number, row.x, row.y, row.positionCode,
                                       row.time, row.fine);
        shot->setID(row.id);
        m_offlineShots.append(shot);
    }
    refreshAll(true);
    return true;
}

TMemberPlace *TBulletList::firstPlace() const
{
    return m_places.isEmpty() ? nullptr : m_places.first();
}

TMemberPlace *TBulletList::placeAtRow(int row, int firstRow) const
{
    const int i = row - (firstRow < 0 ? m_firstRow : firstRow);
    return i >= 0 && i < m_places.size() ? m_places.at(i) : nullptr;
}

TMemberPlace *TBulletList::nextPlace(const TMemberPlace *place) const
{
    const int i = m_places.indexOf(const_cast<TMemberPlace *>(place));
    return i >= 0 && i + 1 < m_places.size() ? m_places.at(i + 1) : nullptr;
}

int TBulletList::rowOf(const TMemberPlace *place) const
{
    return m_firstRow + m_places.indexOf(const_cast<TMemberPlace *>(place));
}

TMemberPlace *TBulletList::placeByMemberId(int memberID) const
{
    for (TMemberPlace *place : m_places) {
        if (place->memberID() == memberID)
            return place;
    }
    return nullptr;
}

TMemberPlace *TBulletList::placeByTarget(int target) const
{
    for (TMemberPlace *place : m_places) {
        if (place->target() == target)
            return place;
    }
    return nullptr;
}

bool TBulletList::hasTarget(int target) const
{
    return placeByTarget(target) != nullptr;
}

int TBulletList::memberIdOfTarget(int target) const
{
    const TMemberPlace *place = placeByTarget(target);
    return place ? place->memberID() : -1;
}

int TBulletList::firstTarget() const
{
    return m_places.isEmpty() ? -1 : m_places.first()->target();
}

int TBulletList::nextTarget(int target) const
{
    const TMemberPlace *next = nextPlace(placeByTarget(target));
    return next ? next->target() : -1;
}

void TBulletList::setTargetFound(int target, bool found)
{
    TMemberPlace *place = placeByTarget(target);
    if (!place || place->targetFound() == found)
        return;
    place->setTargetFound(found);
    if (m_columns.target != TPlaceColumns::kNone)
        refreshCell(rowOf(place), m_columns.target);
}

void TBulletList::showHeld(int target)
{
    const TMemberPlace *place = placeByTarget(target);
    if (place && m_columns.target != TPlaceColumns::kNone)
        refreshCell(rowOf(place), m_columns.target);
}

void TBulletList::setPCFound(int target, bool found)
{
    TMemberPlace *place = placeByTarget(target);
    if (!place || place->terminalFound() == found)
        return;
    place->setTerminalFound(found);
    if (m_columns.terminal != TPlaceColumns::kNone)
        refreshCell(rowOf(place), m_columns.terminal);
}

bool TBulletList::allTargetsFound() const
{
    return std::all_of(m_places.cbegin(), m_places.cend(),
                       [](const TMemberPlace *place) { return place->targetFound(); });
}

bool TBulletList::allPCsFound() const
{
    return std::all_of(m_places.cbegin(), m_places.cend(),
                       [](const TMemberPlace *place) { return place->terminalFound(); });
}

void TBulletList::setStageOfTarget(int target, int stage)
{
    TMemberPlace *place = placeByTarget(target);
    if (!place)
        return;
    place->setStage(stage, true);
    refreshAll(false);
}

void TBulletList::setStageAll(int stage)
{
    for (TMemberPlace *place : qAsConst(m_places))
        place->startStage(stage);
    refreshAll(false);
}

int TBulletList::stageOfTarget(int target) const
{
    const TMemberPlace *place = placeByTarget(target);
    return place ? place->stage() : TMemberPlace::kSighting;
}

void TBulletList::incPlaceCounter(int target)
{
    if (TMemberPlace *place = placeByTarget(target))
        place->incResetCounter();
}

void TBulletList::setPendingReset(int target, int reason)
{
    if (TMemberPlace *place = placeByTarget(target))
        place->setPendingReset(reason);
}

int TBulletList::pendingReset(int target) const
{
    const TMemberPlace *place = placeByTarget(target);
    return place ? place->pendingReset() : -1;
}

void TBulletList::setPositionCode(int target, int code)
{
    if (TMemberPlace *place = placeByTarget(target))
        place->setPositionCode(code);
}

int TBulletList::positionCode(int target) const
{
    const TMemberPlace *place = placeByTarget(target);
    return place ? place->positionCode() : -1;
}

void TBulletList::setShowArrows(bool show, int target)
{
    if (target >= 0) {
        TMemberPlace *place = placeByTarget(target);
        if (!place)
            return;
        place->setShowArrows(show);
    } else {
        for (TMemberPlace *place : qAsConst(m_places))
            place->setShowArrows(show);
    }
    refreshAll(false);
}

int TBulletList::lastBulletNumberOfTarget(int target, int stage) const
{
    const TMemberPlace *place = placeByTarget(target);
    return place ? place->lastBulletNumber(stage) : -1;
}

bool TBulletList::hasShot(int target, int shotID) const
{
    const TMemberPlace *place = placeByTarget(target);
    return place && place->hasShot(shotID);
}

int TBulletList::shotCountOfStage(int target, int stage) const
{
    const TMemberPlace *place = placeByTarget(target);
    if (!place)
        return 0;
    if (stage == TMemberPlace::kSighting)
        return place->countSightingShots();
    if (stage == TMemberPlace::kMatch)
        return place->countMatchShots(-1);
    return 0;
}

int TBulletList::countShotsWithStatus(int target, int fine) const
{
    const TMemberPlace *place = placeByTarget(target);
    return place ? place->countMatchShots(fine) : 0;
}

TBullet *TBulletList::nextShotForTerminal(int target, int cursor, int stage)
{
    TMemberPlace *place = placeByTarget(target);
    if (!place)
        return nullptr;
    if (place->stage() == stage)
        place->setTerminalCursor(cursor);
    return place->bulletAt(place->nextTerminalShot(), place->stage());
}

TBullet *TBulletList::nextShotForTerminal(int target) const
{
    const TMemberPlace *place = placeByTarget(target);
    return place ? place->bulletAt(place->nextTerminalShot(), place->stage()) : nullptr;
}

// --- layout -----------------------------------------------------------------

void TBulletList::setShotColumns(int n)
{
    if (n <= 0 || n == m_shotColumns)
        return;
    if (n > m_shotColumns) {
        beginInsertColumns(QModelIndex(), m_columns.firstShot + m_shotColumns,
                           m_columns.firstShot + n - 1);
        m_shotColumns = n;
        endInsertColumns();
    } else {
        beginRemoveColumns(QModelIndex(), m_columns.firstShot + n,
                           m_columns.firstShot + m_shotColumns - 1);
        m_shotColumns = n;
        endRemoveColumns();
    }
    // The current series of every row is cut anew.
    refreshAll(false);
}

void TBulletList::setSeriesSize(int count)
{
    m_seriesCount = count;
    m_series->setSeries(count, m_shotColumns);
}

QModelIndex TBulletList::lastColumnIndex(int row) const
{
    return index(row, lastColumn());
}

void TBulletList::setMarking(bool marking)
{
    m_marking = marking;
    // The check boxes come and go.
    refreshAll(false);
}

int TBulletList::targetNum() const
{
    return m_targetType ? m_targetType->ID : -1;
}
