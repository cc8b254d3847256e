#pragma once

#include <QAbstractListModel>
#include <QList>

#include "rowsort.h"

class TEvent;
class TRelay;
class TShooter;

// Every relay of every exercise of the open competition, in relay order, with
// the relay being composed (edit relay), the relay the relays screen works on
// (current relay) and the relay being shot (run relay). The current and run
// relays are held by key (exercise ID, relay number), so a key whose relay is
// gone yields null. Decides what comes after a relay has been shot. Touches no
// database; the members model writes the rows and is its only direct user.
class TRelayList : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        NumberRole = Qt::UserRole + 1,
        EventIDRole,
        EventNumRole,
        EventFinalRole,
        ColMembersRole,
        EventRole,
    };

    // errorInfo of checkRunRelay.
    enum ErrorInfo { NoError = 0, NoRunRelay = 1, NoRunEvent = 3 };
    // relayInfo of checkRunRelay and of the step to the next relay.
    enum RelayInfo {
        RelayInfoUnset = -1,
        NextRelayAvailable = 0,
        FinalComplete = 1,
        LastEventComplete = 2,
        NextRelayNeeded = 3,
        RelayNotFinished = 4,
        NextRelaySet = 5,
    };

    explicit TRelayList(QObject *parent = nullptr);
    ~TRelayList() override;

    QModelIndex index(int row, int column = 0, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Always relay order; the arguments are not looked at.
    void sort(int column = 0, Qt::SortOrder order = Qt::AscendingOrder) override;
    QHash<int, QByteArray> roleNames() const override;

    void setFirstEvent(TEvent *event) { m_firstEvent = event; }
    TEvent *firstEvent() const { return m_firstEvent; }

    int count() const { return m_relays.size(); }
    TRelay *at(int index) const;
    // Matched by key.
    int indexOf(const TRelay *relay) const;
    TRelay *next(const TRelay *relay) const;
    TRelay *findRelay(int eventID, int number) const;

    // Null for an exercise outside the competition's chain. Does not look for
    // an existing relay with the same key; callers do.
    TRelay *addRelay(TEvent *event, int number);
    bool removeRelay(int eventID, int number);
    bool placeMember(int eventID, int number, TShooter *member, int target);
    bool removeMember(int eventID, int number, TShooter *member);
    // A member record is going away: no relay, the edit relay included, may
    // keep it. Relays left empty are removed.
    void forgetMember(const TShooter *member);
    void removeEmptyRelays();
    void removeRelaysOfEvent(const TEvent *event);
    TRelay *firstEmptyRelay(int eventID) const;
    // Deletes every relay; the edit relay and the keys stay.
    void clear();
    void checkTargetsOfEvent(int eventNum);
    void refreshShooter(int shooterID);

    TRelay *editRelay() const { return m_editRelay; }
    void setEditRelay(TEvent *event, int number);
    void clearEditRelay();
    int editRelayAddMember(TShooter *member, int target);
    bool editRelayRemoveMember(TShooter *member);
    bool editRelayContains(const TShooter *member) const;

    void setCurrent(int eventID, int number);
    void resetCurrent() { setCurrent(-1, -1); }
    TRelay *currentRelay() const { return findKey(m_currentEventID, m_currentNumber); }
    int currentEventID() const { return m_currentEventID; }
    int currentNumber() const { return m_currentNumber; }
    bool setMemberTarget(int memberID, int target);

    // Stores the key whatever it names; true when a relay has it.
    bool setRunRelay(int eventID, int number);
    TRelay *runRelay() const { return findKey(m_runEventID, m_runNumber); }
    int runEventID() const { return m_runEventID; }
    int runNumber() const { return m_runNumber; }
    // eventDone: every member (for a final every finalist) has shot the run
    // relay's exercise. Returns errorInfo; relayInfo may be null.
    int checkRunRelay(int *relayInfo, bool eventDone) const;

    static QString errorInfoText(int errorInfo);
    static QString relayInfoText(int relayInfo);

private:
    template <class Model>
    friend void RowSort::movePersistentIndexes(Model &, const QVector<int> &);

    bool isInChain(const TEvent *event) const;
    // Null when either part of the key is below 0.
    TRelay *findKey(int eventID, int number) const;
    void removeAt(int row);
    void announceRowChanged(const TRelay *relay);

    QList<TRelay *> m_relays; // owned; in relay order
    TEvent *m_firstEvent = nullptr; // not owned
    TRelay *m_editRelay = nullptr; // child of the list; never in m_relays
    int m_currentEventID = -1;
    int m_currentNumber = -1;
    int m_runNumber = -1;
    int m_runEventID = -1;
};
