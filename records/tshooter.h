#pragma once

#include <QDate>
#include <QObject>
#include <QString>

// A shooter of the register and, while a competition is open, one of its
// members. The member fields and the run flags live in memory only; the
// stored shots rebuild the done state when a competition is opened.
class TShooter : public QObject
{
    Q_OBJECT

public:
    // The done mask holds one bit per exercise number 1..kMaxEventNum.
    static constexpr int kMaxEventNum = 32;

    TShooter();

    int id() const { return m_id; }
    void setID(int id) { m_id = id; }

    QString name() const { return m_name; }
    QString family() const { return m_family; }
    void setNames(const QString &name, const QString &family);

    QDate dateOfBirth() const { return m_dateOfBirth; }
    void setDateOfBirth(const QDate &date) { m_dateOfBirth = date; }
    // The shooters tables store a date of birth as a date with a zero time.
    QString dateOfBirthSql() const;

    int gender() const { return m_gender; }
    void setGender(int gender) { m_gender = gender > 0 ? 1 : 0; }

    int countryXMLID() const { return m_countryXMLID; }
    void setCountryXMLID(int id) { m_countryXMLID = id; }
    int teamID() const { return m_teamID; }
    void setTeamID(int id) { m_teamID = id; }
    int qualityID() const { return m_qualityID; }
    void setQualityID(int id) { m_qualityID = id; }

    int memberID() const { return m_memberID; }
    void setMemberID(int id) { m_memberID = id; }
    int startNumber() const { return m_startNumber; }
    void setStartNumber(int number) { m_startNumber = number; }
    int target() const { return m_target; }
    void setTarget(int target) { m_target = target; }
    int sortKey() const { return m_sortKey; }
    void setSortKey(int key) { m_sortKey = key; }

    bool isEventDone(int num) const;
    void setEventDone(int num, bool done);
    void clearEventsDone();
    void setEventsDoneUpTo(int num);
    bool isAllEventsDone(int num, bool withFinal) const;

    bool isInFinal() const { return m_inFinal; }
    void setInFinal(bool inFinal);
    void setFinalDone(bool done);
    // -1 not in the final, 0 in it and not yet shot, 1 shot.
    int finalState() const;

    bool errorStartNum() const { return m_errorStartNum; }
    void setErrorStartNum(bool error) { m_errorStartNum = error; }
    bool errorTargetAddr() const { return m_errorTargetAddr; }
    void setErrorTargetAddr(bool error) { m_errorTargetAddr = error; }
    QString errorStartNumMark() const;
    QString errorTargetAddrMark() const;

    bool isTargetEnabled() const { return m_targetEnabled; }
    void setTargetEnabled(bool enabled) { m_targetEnabled = enabled; }
    bool isPCEnabled() const { return m_pcEnabled; }
    void setPCEnabled(bool enabled) { m_pcEnabled = enabled; }
    void clearEnabledFlags();

    bool isUsed() const { return m_used; }
    void setUsed(bool used) { m_used = used; }
    bool addition() const { return m_addition; }
    void setAddition(bool addition) { m_addition = addition; }

    // The fields the shooter forms edit, in the order they pass them.
    void setPersonalData(const QString &name, const QString &family, const QDate &dateOfBirth,
                         int gender, int countryXMLID, int teamID, int qualityID);
    bool sameData(const QString &name, const QString &family, const QDate &dateOfBirth,
                  int gender, int countryXMLID, int teamID, int qualityID,
                  bool addition) const;

    static bool lessByStartNumber(const TShooter *a, const TShooter *b);
    static bool lessBySortKey(const TShooter *a, const TShooter *b);

private:
    // The bit of exercise num; 0 for numbers the mask cannot hold.
    static quint32 eventBit(int num);

    int m_id = -1;
    QString m_name;
    QString m_family;
    QDate m_dateOfBirth = QDate::currentDate();
    int m_gender = 0;
    int m_countryXMLID = -1;
    int m_teamID = -1;
    int m_qualityID = -1;
    int m_memberID = -1;
    int m_startNumber = -1;
    int m_target = -1;
    quint32 m_eventsDone = 0;
    bool m_finalDone = false;
    bool m_inFinal = false;
    int m_sortKey = 0;
    bool m_errorStartNum = false;
    bool m_errorTargetAddr = false;
    bool m_targetEnabled = false;
    bool m_pcEnabled = false;
    bool m_used = false;
    bool m_addition = false;
};
