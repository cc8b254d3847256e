#include "tcompetition.h"

#include "datapaths.h"
#include "dbfields.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "xmlfile.h"

#include <QDomDocument>
#include <QDomElement>

#include <algorithm>

namespace {

// The "Final" of an exercise entry that only a competition with a final gets.
constexpr int kFinalEntry = 1;

int intAttribute(const QDomElement &element, const QString &name)
{
    return element.attribute(name).toInt(); // 0 when missing or not a number
}

} // namespace

TCompetition::TCompetition(int type)
    : m_eventsDir(DataPaths::path(DataPaths::kEventsDir)),
      m_typeXMLID(type),
      m_startDate(QDate::currentDate()),
      m_startTime(QTime::currentTime())
{
    readCompetitionsType(type, false, true);
    int key = 1;
    for (TEvent *event : qAsConst(m_events))
        event->setID(key++);
    readEventNames();
}

TCompetition::TCompetition(TdbAccessor *db, int countryXMLID, int type, bool final)
    : m_db(db),
      m_stored(true),
      m_eventsDir(DataPaths::path(DataPaths::kEventsDir)),
      m_startDate(QDate::currentDate()),
      m_startTime(QTime::currentTime())
{
    const int maxID = m_db ? m_db->getMaxCompetitionID() : -1;
    if (maxID < 0)
        return;
    m_ID = maxID + 1;
    m_countryXMLID = countryXMLID;
    m_typeXMLID = type;
    m_final = final;
    readCompetitionsType(type, final, true);
    // Provisional keys: the ones the exercises get when stored in chain order.
    const int maxEventID = m_db->getMaxEventID();
    if (maxEventID >= 0) {
        int key = maxEventID + 1;
        for (TEvent *event : qAsConst(m_events))
            event->setID(key++);
    }
    readEventNames();
}

TCompetition::TCompetition(TdbAccessor *db, int key, bool buildEvents)
    : m_db(db),
      m_stored(true),
      m_eventsDir(DataPaths::path(DataPaths::kEventsDir)),
      m_ID(key),
      m_startDate(QDate::currentDate()),
      m_startTime(QTime::currentTime())
{
    if (!m_db || !loadFromDb(key))
        return;
    readCompetitionsType(m_typeXMLID, m_final, buildEvents);
    for (TEvent *event : qAsConst(m_events)) {
        event->readEventsType(m_eventsDir);
        loadEventsFromDb(event);
    }
}

TCompetition::~TCompetition()
{
    clearEvents();
}

QModelIndex TCompetition::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent) || row >= m_events.size())
        return QModelIndex();
    return createIndex(row, column);
}

int TCompetition::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_events.size();
}

QVariant TCompetition::data(const QModelIndex &index, int role) const
{
    const TEvent *event = this->event(index.isValid() ? index.row() : -1);
    if (!event)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case EventNameSubTypeEnRole:
        return event->subNameEng();
    case EventNumRole:
        return event->num();
    case EventFinalRole:
        return event->isFinal() ? 1 : 0;
    case EventStartDateTimeRole:
        return event->startDateTimeText();
    case EventNameTypeEnRole:
        return event->nameEng();
    case EventNameTypeRuRole:
        return event->nameRus();
    case EventNameSubTypeRuRole:
        return event->subNameRus();
    default:
        return QVariant();
    }
}

void TCompetition::sort(int, Qt::SortOrder)
{
    sortIfNeeded();
}

QHash<int, QByteArray> TCompetition::roleNames() const
{
    return {
        {EventNumRole, "eventNum"},
        {EventFinalRole, "eventFinal"},
        {EventStartDateTimeRole, "eventStartDateTime"},
        {EventNameTypeEnRole, "eventNameTypeEn"},
        {EventNameTypeRuRole, "eventNameTypeRu"},
        {EventNameSubTypeEnRole, "eventNameSubTypeEn"},
        {EventNameSubTypeRuRole, "eventNameSubTypeRu"},
    };
}

void TCompetition::setStartDateTime(const QDate &date, const QTime &time)
{
    m_startDate = date;
    m_startTime = time;
}

QList<const TEvent *> TCompetition::unlistedEvents() const
{
    QList<const TEvent *> unlisted;
    for (const TEvent *event : m_events) {
        if (!event->isListed())
            unlisted << event;
    }
    return unlisted;
}

QString TCompetition::startDateText() const
{
    return m_startDate.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ')
        + m_startTime.toString(QStringLiteral("HH:mm"));
}

bool TCompetition::isFirstEventFinished() const
{
    return !m_events.isEmpty() && m_events.first()->isFinished();
}

TEvent *TCompetition::event(int index) const
{
    return index >= 0 && index < m_events.size() ? m_events.at(index) : nullptr;
}

QString TCompetition::eventNameEng(int index) const
{
    const TEvent *found = event(index);
    return found ? found->nameEng() : QString();
}

QString TCompetition::eventNameRus(int index) const
{
    const TEvent *found = event(index);
    return found ? found->nameRus() : QString();
}

TEvent *TCompetition::eventByID(int key) const
{
    const auto found = std::find_if(m_events.cbegin(), m_events.cend(),
                                    [key](const TEvent *event) { return event->id() == key; });
    return found == m_events.cend() ? nullptr : *found;
}

TEvent *TCompetition::eventByNum(int num) const
{
    const auto found = std::find_if(m_events.cbegin(), m_events.cend(),
                                    [num](const TEvent *event) { return event->num() == num; });
    return found == m_events.cend() ? nullptr : *found;
}

int TCompetition::indexOfEvent(const TEvent *event) const
{
    if (!event)
        return -1;
    for (int i = 0; i < m_events.size(); ++i) {
        if (m_events.at(i)->id() == event->id())
            return i;
    }
    return -1;
}

TEvent *TCompetition::eventAfter(const TEvent *event) const
{
    const int index = indexOfEvent(event);
    return index < 0 ? nullptr : this->event(index + 1);
}

TEvent *TCompetition::finalEvent() const
{
    const auto found = std::find_if(m_events.cbegin(), m_events.cend(),
                                    [](const TEvent *event) { return event->isFinal(); });
    return found == m_events.cend() ? nullptr : *found;
}

// ---------------------------------------------------------------- database

bool TCompetition::insertToDb()
{
    if (!m_stored || !m_db || m_ID < 1)
        return false;
    // Stored under the key the record holds, which its exercises are saved
    // with: an allocated key could differ from it once another competition
    // was stored since this one was built, and a second call would store a
    // copy of the competition.
    // One transaction: a competition without its exercises could be opened
    // but never run, so a failure or a kill part-way leaves neither.
    return m_db->inTransaction([this] {
        if (m_db->insertCompetition(m_finished, m_countryXMLID, m_typeXMLID, m_final,
                                    m_startTime, m_startDate, m_name, m_ID)
            < 0)
            return false;
        for (TEvent *event : qAsConst(m_events)) {
            const int key = saveEvent(event);
            if (key < 0)
                return false;
            if (key > 0) // 0: already stored under its own key
                event->setID(key);
        }
        return true;
    });
}

int TCompetition::saveEvent(TEvent *event)
{
    if (!m_stored || !m_db || !event)
        return -1;
    if (m_db->isEventExist(event->id()))
        return 0;
    return m_db->insertEvent(event, m_ID);
}

bool TCompetition::updateEventInDb(const TEvent *event)
{
    if (!m_stored || !m_db || !event)
        return false;
    return m_db->updateEvent(event->id(), event, m_ID);
}

bool TCompetition::removeFromDb()
{
    return m_stored && m_db && m_db->deleteCompetition(m_ID);
}

bool TCompetition::setFinished(bool finished)
{
    return storeFinished(finished);
}

bool TCompetition::storeFinished(bool finished)
{
    if (!m_stored || !m_db || !m_db->setCompetitionFinished(m_ID, finished))
        return false;
    m_finished = finished;
    emit sig_CFinished(m_finished);
    return true;
}

void TCompetition::updateFinished()
{
    if (!m_autoFinish)
        return;
    const bool allFinished = std::all_of(m_events.cbegin(), m_events.cend(),
                                         [](const TEvent *event) { return event->isFinished(); });
    if (!allFinished) {
        if (m_finished && m_stored)
            storeFinished(false);
        return;
    }
    if (m_stored)
        storeFinished(true);
}

bool TCompetition::setEventFinished(int key, bool finished)
{
    TEvent *event = eventByID(key);
    if (!m_stored || !m_db || !event || !m_db->setEventFinished(event->id(), finished))
        return false;
    event->setFinished(finished);
    announceEventChanged(event);
    emit sig_EvFinished(event, event->isFinished());
    updateFinished();
    return true;
}

bool TCompetition::setEventStartDateTime(int key, const QDate &date, const QTime &time)
{
    TEvent *event = eventByID(key);
    if (!m_stored || !m_db || !event || !m_db->setEventStartDate(key, date, time))
        return false;
    event->setStartDateTime(date, time);
    announceEventChanged(event);
    return true;
}

bool TCompetition::edit(int countryXMLID, int type, bool final, const QDate &date,
                        const QTime &time, const QString &name)
{
    if (!m_stored || !m_db || m_ID < 1 || !m_db->isCompetitionExist(m_ID))
        return false;

    const bool started = isFirstEventFinished();
    if (started) {
        // Started: only the final and the name may change.
        bool finalSettled = false;
        if (final != m_final) {
            if (!m_final) {
                if (TEvent *added = createFinalEvent(m_typeXMLID)) {
                    added->readEventsType(m_eventsDir);
                    insertEvent(added);
                    sortIfNeeded();
                    const int key = saveEvent(added);
                    if (key > 0)
                        added->setID(key);
                }
            } else if (TEvent *existing = finalEvent()) {
                if (existing->isFinished()) {
                    finalSettled = true;
                } else {
                    m_db->deleteFinalEvents(m_ID);
                    removeEvent(existing);
                    delete existing;
                }
            }
        }
        if (!finalSettled) {
            m_final = final;
            updateFinished();
        }
        m_name = name;
    } else if (type == m_typeXMLID) {
        if (final != m_final) {
            if (final) {
                if (TEvent *added = createFinalEvent(type)) {
                    added->readEventsType(m_eventsDir);
                    insertEvent(added);
                    sortIfNeeded();
                    m_final = true;
                    const int key = saveEvent(added);
                    if (key < 0)
                        return false;
                    if (key > 0)
                        added->setID(key);
                }
            } else {
                m_db->deleteFinalEvents(m_ID);
                if (TEvent *existing = finalEvent()) {
                    removeEvent(existing);
                    delete existing;
                }
            }
        }
        m_final = final;
    } else {
        // A type the list does not have must not cost the stored exercises.
        QDomDocument document;
        QDomElement typeElement;
        if (!findTypeElement(type, &document, &typeElement))
            return false;
        for (const TEvent *event : qAsConst(m_events))
            m_db->deleteEvent(event->id());
        if (!readCompetitionsType(type, final, true))
            return false;
        for (TEvent *event : qAsConst(m_events)) {
            event->readEventsType(m_eventsDir);
            const int key = saveEvent(event);
            if (key < 0)
                return false;
            if (key > 0)
                event->setID(key);
        }
        m_typeXMLID = type;
        m_final = final;
    }

    if (!started) {
        m_countryXMLID = countryXMLID;
        m_startDate = date;
        m_startTime = time;
        m_name = name;
    }
    return m_db->updateCompetition(m_ID, m_finished, m_countryXMLID, m_typeXMLID, m_final,
                                   m_startTime, m_startDate, m_name);
}

bool TCompetition::loadFromDb(int key)
{
    if (!m_stored)
        return true;
    m_db->selectCompetition(key);
    if (m_db->first())
        return false;
    m_ID = key;

    int finished = 0;
    if (!DbFields::readInt(m_db, QStringLiteral("fFinished"), &finished)) {
        DbFields::logCannotLoad(QStringLiteral("fFinished"));
        return false;
    }
    m_finished = finished != 0;
    if (!DbFields::readInt(m_db, QStringLiteral("fCountryXMLID"), &m_countryXMLID)) {
        DbFields::logCannotLoad(QStringLiteral("fCountryXMLID"));
        return false;
    }
    if (!DbFields::readInt(m_db, QStringLiteral("fTypeXMLID"), &m_typeXMLID)) {
        DbFields::logCannotLoad(QStringLiteral("fTypeXMLID"));
        return false;
    }
    int final = 0;
    if (!DbFields::readInt(m_db, QStringLiteral("fFinal"), &final)) {
        DbFields::logCannotLoad(QStringLiteral("fFinal"));
        return false;
    }
    m_final = final != 0;
    if (!DbFields::readDate(m_db, QStringLiteral("fstartDate"), &m_startDate)
        || !DbFields::readTime(m_db, QStringLiteral("fstartDate"), &m_startTime)) {
        DbFields::logCannotLoad(QStringLiteral("fstartDate"));
        return false;
    }
    if (!DbFields::readText(m_db, QStringLiteral("fName"), &m_name)) {
        DbFields::logCannotLoad(QStringLiteral("fName"));
        return false;
    }
    return true;
}

bool TCompetition::loadEventsFromDb(TEvent *event)
{
    if (!m_stored)
        return true;
    if (m_ID < 1 || !event)
        return false;

    struct StoredEvent
    {
        int id = -1;
        int finished = 0;
        int final = 0;
        QDate startDate;
        QTime startTime;
    };
    QList<StoredEvent> rows;
    m_db->selectEventsByType(m_ID, event->typeXMLID());
    while (m_db->next()) {
        StoredEvent row;
        if (!DbFields::readInt(m_db, QStringLiteral("ID"), &row.id)
            || !DbFields::readInt(m_db, QStringLiteral("fFinished"), &row.finished)
            || !DbFields::readInt(m_db, QStringLiteral("fFinal"), &row.final)
            || !DbFields::readDate(m_db, QStringLiteral("fStartDate"), &row.startDate)
            || !DbFields::readTime(m_db, QStringLiteral("fStartDate"), &row.startTime)) {
            DbFields::logCannotLoad(QStringLiteral("tevents"));
            return false;
        }
        if ((row.final != 0) == event->isFinal())
            rows.append(row);
    }

    // Several exercises of one type (a final of the same type, for one) each
    // have their own row: the exercises are stored in chain order, so the
    // n-th of the type in the chain is the n-th row by key.
    std::sort(rows.begin(), rows.end(),
              [](const StoredEvent &a, const StoredEvent &b) { return a.id < b.id; });
    int ordinal = 0;
    for (const TEvent *before : qAsConst(m_events)) {
        if (before == event)
            break;
        if (before->typeXMLID() == event->typeXMLID() && before->isFinal() == event->isFinal())
            ++ordinal;
    }
    if (ordinal >= rows.size())
        return false;
    const StoredEvent &row = rows.at(ordinal);
    event->setID(row.id);
    event->setFinished(row.finished != 0);
    event->setStartDateTime(row.startDate, row.startTime);
    return true;
}

// ---------------------------------------------------------------- chain

void TCompetition::insertEvent(TEvent *event)
{
    if (!event)
        return;
    const int row = m_events.size();
    beginInsertRows(QModelIndex(), row, row);
    TEvent *last = m_events.isEmpty() ? nullptr : m_events.last();
    m_events.append(event);
    if (last) {
        event->setPrev(last);
        last->setNext(event);
    }
    endInsertRows();
}

void TCompetition::removeEvent(TEvent *event)
{
    if (!event)
        return;
    TEvent *prev = event->prev();
    TEvent *next = event->next();
    const int row = m_events.indexOf(event);
    if (row >= 0) {
        beginRemoveRows(QModelIndex(), row, row);
        m_events.removeAt(row);
        endRemoveRows();
    }
    if (prev && m_events.contains(prev))
        prev->setNext(next);
    if (next && m_events.contains(next))
        next->setPrev(prev);
}

void TCompetition::clearEvents()
{
    if (m_events.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, m_events.size() - 1);
    const QList<TEvent *> gone = m_events;
    m_events.clear();
    endRemoveRows();
    qDeleteAll(gone);
}

void TCompetition::sortEvents()
{
    sortModelRows(*this, m_events, TEvent::lessThan);
    for (int i = 0; i < m_events.size(); ++i) {
        m_events.at(i)->setPrev(i > 0 ? m_events.at(i - 1) : nullptr);
        m_events.at(i)->setNext(i + 1 < m_events.size() ? m_events.at(i + 1) : nullptr);
    }
}

void TCompetition::sortIfNeeded()
{
    if (m_events.size() >= 2)
        sortEvents();
}

bool TCompetition::findTypeElement(int type, QDomDocument *document,
                                   QDomElement *typeElement) const
{
    if (!readXmlFile(m_eventsDir + QLatin1Char('/') + DataPaths::kCompetitionsTypeFile,
                     DataPaths::kCompetitionsTypeRoot, document))
        return false;
    const QDomElement root = document->documentElement();
    const QString wanted = QString::number(type);
    for (QDomElement entry = root.firstChildElement(); !entry.isNull();
         entry = entry.nextSiblingElement()) {
        if (entry.attribute(QStringLiteral("ID")) == wanted) {
            *typeElement = entry;
            return true;
        }
    }
    return false;
}

bool TCompetition::readCompetitionsType(int type, bool final, bool buildEvents)
{
    QDomDocument document;
    QDomElement typeElement;
    m_typeListed = findTypeElement(type, &document, &typeElement);
    if (!m_typeListed)
        return false;
    m_nameEng = typeElement.attribute(QStringLiteral("NameEng"));
    m_nameRus = typeElement.attribute(QStringLiteral("NameRus"));
    m_weapon = intAttribute(typeElement, QStringLiteral("weapon"));
    if (buildEvents) {
        clearEvents();
        for (QDomElement entry = typeElement.firstChildElement(); !entry.isNull();
             entry = entry.nextSiblingElement()) {
            const int entryFinal = intAttribute(entry, QStringLiteral("Final"));
            if (entryFinal == kFinalEntry && !final)
                continue;
            auto *event = new TEvent;
            event->setFinal(entryFinal != 0);
            event->setNum(intAttribute(entry, QStringLiteral("Num")));
            event->setTypeXMLID(intAttribute(entry, QStringLiteral("TypeID")));
            event->setSubType(intAttribute(entry, QStringLiteral("SubType")));
            insertEvent(event);
        }
    }
    sortIfNeeded();
    return true;
}

TEvent *TCompetition::createFinalEvent(int type) const
{
    QDomDocument document;
    QDomElement typeElement;
    if (!findTypeElement(type, &document, &typeElement))
        return nullptr;
    // A type lists one final; of several, the last one counts.
    QDomElement finalEntry;
    for (QDomElement entry = typeElement.firstChildElement(); !entry.isNull();
         entry = entry.nextSiblingElement()) {
        if (intAttribute(entry, QStringLiteral("Final")) == kFinalEntry)
            finalEntry = entry;
    }
    if (finalEntry.isNull())
        return nullptr;
    auto *event = new TEvent;
    event->setFinal(true);
    event->setNum(intAttribute(finalEntry, QStringLiteral("Num")));
    event->setTypeXMLID(intAttribute(finalEntry, QStringLiteral("TypeID")));
    event->setSubType(intAttribute(finalEntry, QStringLiteral("SubType")));
    return event;
}

void TCompetition::readEventNames()
{
    for (TEvent *event : qAsConst(m_events))
        event->readEventsType(m_eventsDir);
}

void TCompetition::announceEventChanged(const TEvent *event)
{
    const auto found = std::find(m_events.cbegin(), m_events.cend(), event);
    const int row = int(found - m_events.cbegin());
    if (found != m_events.cend())
        emit dataChanged(index(row), index(row));
}
