#include "teventlist.h"

#include "datapaths.h"
#include "tevent.h"
#include "xmlfile.h"

#include <QDomDocument>
#include <QDomElement>
#include <QDomNamedNodeMap>

namespace {

int intAttribute(const QDomElement &element, const QString &name)
{
    bool ok = false;
    const int value = element.attribute(name).toInt(&ok);
    return ok ? value : 0;
}

} // namespace

TEventList::TEventList(QObject *parent) : QAbstractListModel(parent)
{
    loadXML();
}

TEventList::~TEventList()
{
    qDeleteAll(m_events);
}

QString TEventList::filePath()
{
    return DataPaths::path(DataPaths::kEventsDir, DataPaths::kPracticeEventsTypeFile);
}

QModelIndex TEventList::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent) || row >= m_events.size())
        return QModelIndex();
    return createIndex(row, column);
}

int TEventList::rowCount(const QModelIndex &parent) const
{
    // A list: no row has rows below it.
    return parent.isValid() ? 0 : m_events.size();
}

QVariant TEventList::data(const QModelIndex &index, int role) const
{
    if (index.row() < 0 || index.row() >= m_events.size())
        return QVariant();
    const TEvent *event = m_events.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case TxtRole:
        return event->fullNameEng();
    case EventIndexRole:
        return event->id();
    case EventNameEngRole:
        return event->nameEng();
    case EventNameRusRole:
        return event->nameRus();
    case EventSubNameEngRole:
        return event->subNameEng();
    case EventSubNameRusRole:
        return event->subNameRus();
    case EventWeaponRole:
        return event->weapon();
    case Id1Role:
        return event->typeXMLID();
    case Id2Role:
        return event->subType();
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> TEventList::roleNames() const
{
    return {
        {EventIDRole, "eventID"},
        {EventIndexRole, "eventIndex"},
        {EventNameEngRole, "eventNameEng"},
        {EventNameRusRole, "eventNameRus"},
        {EventSubNameEngRole, "eventSubNameEng"},
        {EventSubNameRusRole, "eventSubNameRus"},
        {EventWeaponRole, "eventWeapon"},
        {TxtRole, "txt"},
        {Id1Role, "id1"},
        {Id2Role, "id2"},
    };
}

TEvent *TEventList::getEvent(int typeID, int subNum)
{
    m_searchTypeID = typeID;
    m_searchSubNum = subNum;
    return findEvent();
}

TEvent *TEventList::findEvent() const
{
    for (TEvent *event : m_events) {
        if (event->typeXMLID() == m_searchTypeID && event->subType() == m_searchSubNum)
            return event;
    }
    return nullptr;
}

void TEventList::clearEvents()
{
    // Views may hold the rows, so they are told, unlike a silent clear.
    beginResetModel();
    qDeleteAll(m_events);
    m_events.clear();
    endResetModel();
}

void TEventList::clear()
{
    if (!m_events.isEmpty())
        clearEvents();
}

int TEventList::loadXML()
{
    clear();
    QDomDocument document;
    if (!readXmlFile(filePath(), DataPaths::kEventsTypeRoot, &document))
        return m_events.size();
    for (QDomElement type = document.documentElement().firstChildElement(); !type.isNull();
         type = type.nextSiblingElement()) {
        const int typeID = intAttribute(type, QStringLiteral("ID"));
        const QString nameEng = type.attribute(QStringLiteral("NameEng"));
        const QString nameRus = type.attribute(QStringLiteral("NameRus"));
        for (QDomElement exercise = type.firstChildElement(); !exercise.isNull();
             exercise = exercise.nextSiblingElement()) {
            int weapon = 0;
            QString subNameEng;
            QString subNameRus;
            QList<QPair<QString, QString>> params;
            const QDomNamedNodeMap attributes = exercise.attributes();
            for (int i = 0; i < attributes.count(); ++i) {
                const QDomAttr attribute = attributes.item(i).toAttr();
                const QString name = attribute.name();
                if (name == QLatin1String("weapon")) {
                    bool ok = false;
                    weapon = attribute.value().toInt(&ok);
                    weapon = ok ? weapon : 0;
                } else if (name == QLatin1String("SubNameEng")) {
                    subNameEng = attribute.value();
                } else if (name == QLatin1String("SubNameRus")) {
                    subNameRus = attribute.value();
                } else {
                    params.append({name, attribute.value()});
                }
            }
            auto *event = new TEvent(m_events.size() + 1, typeID,
                                     intAttribute(exercise, QStringLiteral("SubNum")), weapon,
                                     nameEng, nameRus, subNameEng, subNameRus);
            for (const auto &param : qAsConst(params))
                event->insertParam(param.first, param.second);
            appendEvent(event);
        }
    }
    return m_events.size();
}

void TEventList::appendEvent(TEvent *event)
{
    beginInsertRows(QModelIndex(), m_events.size(), m_events.size());
    m_events.append(event);
    endInsertRows();
}
