#pragma once

#include <QAbstractTableModel>
#include <QList>

#include "memberroles.h"
#include "rowsort.h"

class TdbAccessor;
class TEvent;
class TRelay;
class TRelayList;
class TShooter;

// The members of the open competition as a table, and the keeper of its
// relays. Every member and relay row of the competitions database is written
// here: the database first, memory only once the write succeeded. A change that
// a relay's rules refuse is refused before anything is written.
class TMembers : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { StartNumberColumn, MemberColumn, RelayColumn, TargetColumn, ColumnCount };
    // With the roles shared by the models of members (memberroles.h); this
    // model has no role 260.
    enum Role { ErrorStartNumRole = MemberRoles::OwnRole266 };

    explicit TMembers(TdbAccessor *db, QObject *parent = nullptr);
    ~TMembers() override;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Always by start number; the arguments are not looked at.
    void sort(int column = 0, Qt::SortOrder order = Qt::AscendingOrder) override;
    QHash<int, QByteArray> roleNames() const override;

    // Loading.
    bool setCompetition(int competitionID, TEvent *firstEvent);
    int competitionID() const { return m_competitionID; }
    bool load();
    bool loadRelays(TEvent *event);

    // Members.
    int addMember(TShooter *shooter, int startNumber);
    bool removeMember(int memberID);
    bool removeShooter(int shooterID);
    bool setStartNumber(int memberID, int startNumber);
    bool checkStartNumbers();
    bool hasStartNumberError() const;
    int maxStartNumber() const;
    int memberCount() const { return m_members.size(); }
    TShooter *memberAt(int row) const;
    TShooter *nextMember(const TShooter *member) const;
    int rowOfMember(const TShooter *member) const;
    TShooter *memberByMemberID(int memberID) const;
    TShooter *memberByShooterID(int shooterID) const;
    bool containsShooter(int shooterID) const { return memberByShooterID(shooterID) != nullptr; }
    TShooter *setCurrentMember(int shooterID);
    TShooter *currentMember() const;
    void setCurrentEventNum(int eventNum);
    int currentEventNum() const { return m_currentEventNum; }
    TEvent *firstEvent() const { return m_firstEvent; }
    bool hasAnyEventDone() const;
    void setMemberEventDone(int memberID, int eventNum, bool done);
    void setMemberFinalDone(int memberID, bool done);
    bool isEventComplete(const TEvent *event) const;
    void refreshMember(int shooterID);

    // Relays.
    void setEditRelay(TEvent *event, int number);
    void clearEditRelay();
    TRelay *editRelay() const;
    bool addToEditRelay(TShooter *member, int target);
    bool removeFromEditRelay(TShooter *member);
    bool editRelayContains(const TShooter *member) const;
    TRelay *commitEditRelay(bool propagate);
    TRelay *setCurrentRelay(TRelay *relay);
    TRelay *selectRelay(int eventID, int number);
    TRelay *selectRelayAt(int index);
    TRelay *currentRelay() const;
    void currentRelayKey(int *eventID, int *number) const;
    int placeMember(TRelay *relay, TShooter *member, int target);
    TRelay *createRelay(TEvent *event, int number, TShooter *member, int target, bool propagate);
    bool placeMemberInLinkedRelays(TShooter *member, int target, bool propagate);
    bool removeMemberFromLinkedRelays(int memberID, bool propagate);
    bool moveMemberToTarget(int memberID, int target);
    bool deleteRelay(TEvent *event, int number, bool propagate);
    bool removeRelay(TRelay *relay);
    bool hasUnplacedMembers(int eventNum, bool finalOnly) const;
    int relayCount() const;
    TRelay *relayAt(int index) const;
    TRelay *nextRelay(const TRelay *relay) const;
    TRelay *findRelay(int number, int eventNum) const;
    TRelay *relayOfShooter(int shooterID, int eventNum) const;
    bool isMemberFree(const TShooter *member, const TEvent *event) const;
    // The relay list itself, for views.
    TRelayList *relayList() const { return m_relays; }

    // Run: the relay being shot.
    bool startRun();
    int checkRunRelay(int *relayInfo) const;
    TRelay *setNextRelay(int *errorInfo, int *relayInfo);
    TRelay *currentRunRelay(int *errorInfo, int *relayInfo) const;

public slots:
    // A shooter of the register was edited (shooter given) or deleted.
    void slot_MemberChecked(const TShooter *shooter, int shID);

private:
    template <class Model>
    friend void RowSort::movePersistentIndexes(Model &, const QVector<int> &);

    struct RelayKey
    {
        int eventID = -1;
        int number = -1;
    };

    void clearMembers();
    void fillPersonalData(TShooter *member);
    // Deletes the record after its rows are gone from the database.
    void removeMemberRecord(TShooter *member);
    TEvent *eventByNum(int eventNum) const;
    bool hasDoneEvent(const TShooter *member, const TEvent *event) const;
    bool hasDoneAnyEvent(const TShooter *member) const;
    // The relays of a linked walk from start: the relays of start's number,
    // from start on in relay order, into the following exercises when
    // propagating, up to the first final exercise.
    QList<RelayKey> linkedRelays(const TRelay *start, bool propagate) const;
    TRelay *relayOfKey(const RelayKey &key) const;
    // Once every member (finalist, for a final) has a relay in the exercise,
    // its empty relays go.
    void removeEmptyRelaysWhenAllPlaced(TEvent *event);
    bool doRemoveMemberFromRelay(TRelay *relay, TShooter *member);
    void announceAllRowsChanged();
    void announceRowChanged(int row);

    TdbAccessor *m_db = nullptr; // not owned
    QList<TShooter *> m_members; // owned; by start number
    int m_currentEventNum = -1;
    int m_competitionID = -1;
    TEvent *m_firstEvent = nullptr; // not owned
    int m_currentShooterID = -1;
    int m_sortMode = 0;
    TRelayList *m_relays = nullptr; // child of the model
};
