#include "tcompetitionlist.h"

#include <QDomDocument>

#include "datapaths.h"
#include "dbfields.h"
#include "tcompetition.h"
#include "tdbaccessor.h"
#include "xmlfile.h"

TCompetitionList::TCompetitionList(TdbAccessor *db, QObject *parent)
    : QAbstractListModel(parent),
      m_eventsDir(DataPaths::path(DataPaths::kEventsDir)),
      m_db(db),
      m_isStored(true)
{
    loadTypes();
}

TCompetitionList::TCompetitionList(QObject *parent)
    : QAbstractListModel(parent), m_eventsDir(DataPaths::path(DataPaths::kEventsDir))
{
    loadTypes();
}

TCompetitionList::~TCompetitionList()
{
    qDeleteAll(m_rows);
    qDeleteAll(m_types);
}

QModelIndex TCompetitionList::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent) || row >= m_rows.size())
        return QModelIndex();
    return createIndex(row, column);
}

int TCompetitionList::rowCount(const QModelIndex &parent) const
{
    // A list has no children below its rows.
    return parent.isValid() ? 0 : m_rows.size();
}

TCompetition *TCompetitionList::rowAt(const QModelIndex &index) const
{
    return index.isValid() ? at(index.row()) : nullptr;
}

TCompetition *TCompetitionList::at(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : nullptr;
}

QVariant TCompetitionList::data(const QModelIndex &index, int role) const
{
    const TCompetition *competition = rowAt(index);
    if (!competition)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return competition->name() + QLatin1Char(' ') + competition->nameEng();
    case CompIdRole:
        return competition->id();
    case CompTypeXMLIDRole:
        return competition->type();
    case CompCountryIDRole:
        return competition->countryXMLID();
    case CompFinalRole:
        return competition->isFinal();
    case CompStartDateTimeRole:
        return competition->startDate().toString(Qt::TextDate) + QLatin1Char(' ')
            + competition->startTime().toString(Qt::TextDate);
    case CompCompetitionNameRole:
        return competition->name();
    case CompNameTypeEngRole:
        return competition->nameEng();
    case CompNameTypeRusRole:
        return competition->nameRus();
    case CompWeaponTypeRole:
        return competition->weapon();
    case CompCompetitionRole:
        return true;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> TCompetitionList::roleNames() const
{
    return {
        {CompIdRole, "compID"},
        {CompTypeXMLIDRole, "compTypeXMLID"},
        {CompCountryIDRole, "compCountryID"},
        {CompFinalRole, "compFinal"},
        {CompStartDateTimeRole, "compStartDateTime"},
        {CompCompetitionNameRole, "compCompetitionName"},
        {CompNameTypeEngRole, "compNameTypeEng"},
        {CompNameTypeRusRole, "compNameTypeRus"},
        {CompWeaponTypeRole, "compWeaponType"},
        {CompCompetitionRole, "compCompetition"},
    };
}

int TCompetitionList::loadTypes()
{
    QList<TCompetition *> &target = m_isStored ? m_types : m_rows;
    QList<int> typeIDs;
    QDomDocument document;
    if (readXmlFile(m_eventsDir + QLatin1Char('/') + DataPaths::kCompetitionsTypeFile,
                    DataPaths::kCompetitionsTypeRoot, &document)) {
        // Comments between the types are no types.
        for (QDomElement type = document.documentElement().firstChildElement(); !type.isNull();
             type = type.nextSiblingElement()) {
            typeIDs.append(type.attribute(QStringLiteral("ID")).toInt());
        }
    }
    for (int typeID : typeIDs) {
        auto *competition = new TCompetition(typeID);
        if (m_isStored) {
            target.append(competition);
        } else {
            beginInsertRows(QModelIndex(), target.size(), target.size());
            target.append(competition);
            endInsertRows();
        }
    }
    return target.size();
}

int TCompetitionList::loadCompetitions(int finished)
{
    if (!m_isStored)
        return -1;
    if (!m_rows.isEmpty()) {
        beginRemoveRows(QModelIndex(), 0, m_rows.size() - 1);
        qDeleteAll(m_rows);
        m_rows.clear();
        endRemoveRows();
    }
    if (!m_db)
        return 0;
    m_db->selectCompetitions(finished != 0);
    // Collected first: loading a competition runs selects of its own.
    QList<int> ids;
    while (m_db->next()) {
        // A competition of a type the list lacks is still listed: its
        // results are in the database whatever the list says.
        int typeID = -1;
        if (!DbFields::readInt(m_db, QStringLiteral("fTypeXMLID"), &typeID)) {
            DbFields::logCannotLoad(QStringLiteral("fTypeXMLID"));
            return -1;
        }
        int id = -1;
        if (!DbFields::readInt(m_db, QStringLiteral("ID"), &id)) {
            DbFields::logCannotLoad(QStringLiteral("ID"));
            return -1;
        }
        ids.append(id);
    }
    for (int id : ids) {
        auto *competition = new TCompetition(m_db, id, true);
        beginInsertRows(QModelIndex(), m_rows.size(), m_rows.size());
        m_rows.append(competition);
        endInsertRows();
    }
    return m_rows.size();
}

bool TCompetitionList::hasType(int typeID) const
{
    if (!m_isStored)
        return false;
    for (const TCompetition *type : m_types) {
        if (type->type() == typeID)
            return true;
    }
    return false;
}

TCompetition *TCompetitionList::setCurrentID(int id)
{
    m_currentID = id;
    return current();
}

TCompetition *TCompetitionList::current() const
{
    for (TCompetition *competition : m_rows) {
        const int key = m_isStored ? competition->id() : competition->type();
        if (key == m_currentID)
            return competition;
    }
    return nullptr;
}
