#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>

#include "memberroles.h"
#include "rowsort.h"

class TEvent;
class TShooter;

// One relay of one exercise: the squad that shoots it together, each member on
// its own target. Holds the rules on who may join or leave, marks members that
// share a target, and prepares its members for a run. It refers to the member
// records of the members model and owns none of them; the trelays rows that
// mirror it are written by the members model.
class TRelay : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { StartNumberColumn, NameColumn, TargetColumn, TerminalColumn, ColumnCount };
    // With the roles shared by the models of members (memberroles.h).
    enum Role {
        MemberTargetAddrRole = MemberRoles::OwnRole260,
        ErrorTargetAddrRole = MemberRoles::OwnRole266,
    };

    explicit TRelay(TEvent *event, QObject *parent = nullptr);
    ~TRelay() override;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Always by start number; the arguments are not looked at.
    void sort(int column = 0, Qt::SortOrder order = Qt::AscendingOrder) override;
    QHash<int, QByteArray> roleNames() const override;

    void setEvent(TEvent *event) { m_event = event; }
    void setNumber(int number) { m_number = number; }
    TEvent *event() const { return m_event; }
    int number() const { return m_number; }
    int eventID() const;
    int eventNum() const;
    bool eventFinal() const;

    int memberCount() const { return m_members.size(); }
    bool isEmpty() const { return m_members.isEmpty(); }
    TShooter *memberAt(int index) const;
    TShooter *nextMember(TShooter *member) const;
    // Members are matched by shooter ID.
    int indexOfMember(const TShooter *member) const;
    bool containsMember(const TShooter *member) const { return indexOfMember(member) >= 0; }
    TShooter *memberByMemberID(int memberID) const;
    TShooter *memberByShooterID(int shooterID) const;
    // -1 when the member is not in this relay.
    int targetOfMember(int memberID) const;
    int memberIDOnTarget(int target) const;

    // The joining and leaving rules, asked before anything is written for a
    // change, so that a refused change touches neither the database nor the
    // relay.
    bool canAddMember(const TShooter *member) const;
    bool canRemoveMember(const TShooter *member) const;

    // Position at which the member was appended, -1 when refused.
    int addMember(TShooter *member, int target);
    bool removeMember(TShooter *member);
    // Drops a member whose record is going away, whatever the rules say.
    void dropMember(const TShooter *member);
    bool setMemberTarget(int memberID, int target);
    void clear();

    // Marks members that share a target; true when none does.
    bool checkTargets();
    bool hasDuplicateTargets() const;
    bool hasMissingTargets() const;
    bool allMembersDone() const;

    bool applyTargets();
    bool resetForRun();

    bool setTargetEnabled(int memberID, bool enabled);
    bool setPCEnabled(int memberID, bool enabled);
    void refreshShooter(int shooterID);

    // Relay order: by exercise number (0 after all others), then relay number.
    static bool lessThan(const TRelay *a, const TRelay *b);

private:
    template <class Model>
    friend void RowSort::movePersistentIndexes(Model &, const QVector<int> &);

    // The member has shot this relay's exercise (for a final: is not admitted
    // or has finished it), so its relay place is settled.
    bool isSettled(const TShooter *member) const;
    int rowOfMemberID(int memberID) const;
    void removeRow(int row);
    void announceRowChanged(int row, int firstColumn = 0, int lastColumn = ColumnCount - 1);

    TEvent *m_event = nullptr; // not owned
    int m_number = -1;
    int m_sortMode = 0;
    QList<TShooter *> m_members; // not owned; by start number
    QHash<const TShooter *, int> m_targets; // the member's target in this relay
};
