#pragma once

#include <QDate>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTime>

#include <optional>

struct TTargetType;

// One exercise of a competition (or of the practice list) with the parameters
// the exercise list gives its type and sub-type. Built without a parent; the
// competition or list that holds it deletes it.
class TEvent : public QObject
{
    Q_OBJECT

public:
    TEvent();
    TEvent(int ID, int typeXMLID, int subType, int weapon, const QString &NameEng,
           const QString &NameRus, const QString &SubNameEng, const QString &SubNameRus);

    // Neighbours in the competition's chain; not owned.
    void setNext(TEvent *next) { m_next = next; }
    void setPrev(TEvent *prev) { m_prev = prev; }
    void setID(int id) { m_ID = id; }
    void setFinished(bool finished) { m_finished = finished; }
    void setStartDateTime(const QDate &date, const QTime &time);
    void setTypeXMLID(int typeXMLID) { m_typeXMLID = typeXMLID; }
    void setNum(int num) { m_num = num; }
    void setSubType(int subType) { m_subType = subType; }
    void setFinal(bool isFinal) { m_final = isFinal; }
    void setNameEng(const QString &name) { m_NameEng = name; }
    void setNameRus(const QString &name) { m_NameRus = name; }
    void setSubNameEng(const QString &name) { m_SubNameEng = name; }
    void setSubNameRus(const QString &name) { m_SubNameRus = name; }
    void insertParam(const QString &key, const QString &value) { m_params.insert(key, value); }
    void clearParams() { m_params.clear(); }

    TEvent *next() const { return m_next; }
    TEvent *prev() const { return m_prev; }
    int id() const { return m_ID; }
    bool isFinished() const { return m_finished; }
    QDate startDate() const { return m_startDate; }
    QTime startTime() const { return m_startTime; }
    int typeXMLID() const { return m_typeXMLID; }
    int num() const { return m_num; }
    int subType() const { return m_subType; }
    bool isFinal() const { return m_final; }
    int weapon() const { return m_weapon; }
    QString subNameEng() const { return m_SubNameEng; }
    QString subNameRus() const { return m_SubNameRus; }

    // The series types are named by their sub-type alone.
    QString nameEng() const;
    QString nameRus() const;
    QString fullNameEng() const;
    QString startDateTimeSql() const;
    QString startDateTimeText() const;

    // Looked up ignoring case; "NONE" when the exercise has no such parameter.
    QString param(const QString &key) const;
    // -1 when the parameter is missing or not an integer.
    int paramInt(const QString &key) const;

    // Typed parameters: exact key, silent default when missing or not a number.
    int matchCount() const;
    // Null when "TargetNum" names no row of the table.
    const TTargetType *targetType() const;
    double controlValue() const; // points
    bool isView10() const;
    bool isOldID() const;
    int calibre() const; // hundredths of a millimetre

    // Takes the type's names and the sub-type's names and parameters from
    // "EventsType.xml" in `directory`; false when the file or the type is missing.
    bool readEventsType(const QString &directory);
    // Whether the last readEventsType found the type and, for a sub-type of
    // 1 or more, the sub-type: without them every parameter is a default,
    // and an exercise shot on those would score wrongly.
    bool isListed() const { return m_listed; }

    // Order within a competition: non-finals by number, then the finals.
    static bool lessThan(const TEvent *a, const TEvent *b);

private:
    bool isSeriesType() const;
    // The value of an exact key as a base-10 integer; none when missing or no number.
    std::optional<int> exactIntParam(const QString &key) const;

    TEvent *m_next = nullptr; // not owned
    TEvent *m_prev = nullptr; // not owned
    int m_ID = -1;
    bool m_finished = false;
    QDate m_startDate;
    QTime m_startTime;
    QMap<QString, QString> m_params;
    int m_typeXMLID = -1;
    int m_num = 0;
    int m_subType = 0;
    bool m_final = false;
    int m_weapon = -1;
    bool m_listed = false;
    QString m_NameEng;
    QString m_NameRus;
    QString m_SubNameEng;
    QString m_SubNameRus;
};
