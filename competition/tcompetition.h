#pragma once

#include <QAbstractListModel>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include "rowsort.h"

class QDomDocument;
class QDomElement;
class TdbAccessor;
class TEvent;

// One competition: its type from "CompetitionsType.xml", country, name, start,
// final and finished flags, and the chain of its exercises in their order
// (non-finals by number, finals last), shown as a list model. A stored record
// writes every change through its database operations at once; an unstored one
// is only an entry of the list of competition types.
class TCompetition : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        EventNumRole = Qt::UserRole + 1,
        EventFinalRole,
        EventStartDateTimeRole,
        EventNameTypeEnRole = Qt::UserRole + 5,
        EventNameTypeRuRole,
        EventNameSubTypeEnRole,
        EventNameSubTypeRuRole,
    };

    // An entry of the type list; never touches a database.
    explicit TCompetition(int type);
    // A new stored competition with provisional keys; insertToDb stores it.
    TCompetition(TdbAccessor *db, int countryXMLID, int type, bool final);
    // A stored competition loaded by its key.
    TCompetition(TdbAccessor *db, int key, bool buildEvents);
    ~TCompetition() override;

    QModelIndex index(int row, int column = 0, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Always chain order; the arguments are not looked at.
    void sort(int column = 0, Qt::SortOrder order = Qt::AscendingOrder) override;
    QHash<int, QByteArray> roleNames() const override;

    int id() const { return m_ID; }
    bool isStored() const { return m_stored; }
    bool isFinished() const { return m_finished; }
    int countryXMLID() const { return m_countryXMLID; }
    int type() const { return m_typeXMLID; }
    bool isFinal() const { return m_final; }
    QString name() const { return m_name; }
    QDate startDate() const { return m_startDate; }
    QTime startTime() const { return m_startTime; }
    QString nameEng() const { return m_nameEng; }
    QString nameRus() const { return m_nameRus; }
    int weapon() const { return m_weapon; }
    // Whether the last reading of "CompetitionsType.xml" found the
    // competition's type; without it the record has no exercises.
    bool isTypeListed() const { return m_typeListed; }
    // The exercises that "EventsType.xml" does not list, in chain order.
    QList<const TEvent *> unlistedEvents() const;
    QString eventsDir() const { return m_eventsDir; }
    void setName(const QString &name) { m_name = name; }
    void setStartDateTime(const QDate &date, const QTime &time);

    QString startDateText() const;
    bool isFirstEventFinished() const;
    int eventCount() const { return m_events.size(); }
    TEvent *event(int index) const;
    QString eventNameEng(int index) const;
    QString eventNameRus(int index) const;
    TEvent *eventByID(int key) const;
    TEvent *findEvent(int key) const { return eventByID(key); }
    TEvent *eventByNum(int num) const;
    int indexOfEvent(const TEvent *event) const;
    TEvent *eventAfter(const TEvent *event) const;
    TEvent *finalEvent() const;

    // Database operations; each fails at once for an unstored record.
    bool insertToDb();
    int saveEvent(TEvent *event);
    bool updateEventInDb(const TEvent *event);
    bool removeFromDb();
    bool setFinished(bool finished);
    bool storeFinished(bool finished);
    bool setEventFinished(int key, bool finished);
    bool setEventStartDateTime(int key, const QDate &date, const QTime &time);
    bool edit(int countryXMLID, int type, bool final, const QDate &date, const QTime &time,
              const QString &name);

    // The chain of exercises.
    void insertEvent(TEvent *event);
    // Unlinks and drops the exercise; the caller deletes it.
    void removeEvent(TEvent *event);
    void clearEvents();
    void sortEvents();
    void sortIfNeeded();
    bool readCompetitionsType(int type, bool final, bool buildEvents);
    // The type's final exercise, not yet in the list; null when it has none.
    TEvent *createFinalEvent(int type) const;

signals:
    void sig_CFinished(bool finished);
    void sig_EvFinished(const TEvent *_event, bool finished);

private:
    template <class Model>
    friend void RowSort::movePersistentIndexes(Model &, const QVector<int> &);

    // The element of the type in "CompetitionsType.xml"; false when the file,
    // its root or the type is missing.
    bool findTypeElement(int type, QDomDocument *document, QDomElement *typeElement) const;
    void readEventNames();
    bool loadFromDb(int key);
    bool loadEventsFromDb(TEvent *event);
    void updateFinished();
    void announceEventChanged(const TEvent *event);

    TdbAccessor *m_db = nullptr; // not owned
    bool m_stored = false;
    QString m_eventsDir;
    QList<TEvent *> m_events; // owned; in chain order
    int m_ID = -1;
    bool m_finished = false;
    int m_countryXMLID = -1;
    int m_typeXMLID = -1;
    bool m_final = false;
    QDate m_startDate;
    QTime m_startTime;
    QString m_name;
    QString m_nameEng;
    QString m_nameRus;
    int m_weapon = -1;
    bool m_typeListed = false; // the last readCompetitionsType found the type
    // Finishing the last exercise finishes the competition.
    bool m_autoFinish = true;
};
