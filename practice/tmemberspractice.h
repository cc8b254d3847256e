#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariantList>

#include "keptfile.h"

class TShooter;

// The practice roster: the shooters of "shooters.sqlite" in load order, then
// in the order they were added, as a two-column table (name, target). It runs
// every statement on the practice database, also those of the practice teams
// and qualifications, always with bound values. Which shooters take part in
// the practice, on which target, and which targets clash live in memory only.
//
// A statement that fails is a failure of the operation: nothing is stored
// under a key guessed after a failed lookup, and the roster stays as it was.
class TMembersPractice : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role {
        Id1Role = Qt::UserRole + 1, // 257, the shooter's ID
        ShooterFamilyNameRole = 261,
        ShooterNameRole,
        ShooterBirthDateRole,
        ShooterGenderRole,
        MemberRole,
        TxtRole,
        Id2Role, // 267, always 0
        ShooterUsedRole,
    };
    enum Column { NameColumn = 0, TargetColumn = 1, ColumnCount = 2 };

    // db: a handle of the practice connection; load reads the roster at once.
    TMembersPractice(const QSqlDatabase &db, bool load, QObject *parent = nullptr);
    ~TMembersPractice() override;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Rebuilds the roster from the database; false (and an empty roster)
    // when it cannot be read.
    bool loadShooters();
    void clear();

    bool openDatabase();
    bool ensureDatabaseOpen();
    void closeDatabase();
    // As TdbAccessor::keepFileBeforeClose: sig_fileLost names the file found.
    void keepFileBeforeClose();

signals:
    // The roster's file was removed or replaced while the program had it
    // open: written again at its path from the open connection (keptAside:
    // the name a file found there was given), or not (failure says why;
    // tried again every second, and the roster's changes are refused
    // meanwhile). Once for each loss, and once when a lost file is written.
    void sig_fileLost(bool rewritten, const QString &keptAside, const QSqlError &failure);
    // The file lost is at its path again, as it went (its folder moved
    // away and back). Once for each loss.
    void sig_fileBack();

public:
    // Lookups in roster order; null when none.
    TShooter *shooterAt(int row) const;
    TShooter *getShooter(int row) const { return shooterAt(row); }
    TShooter *nextShooter(const TShooter *shooter) const;
    TShooter *shooterById(int id) const;
    TShooter *shooterByIdForward(int id) const { return shooterById(id); }
    TShooter *shooterByTarget(int target) const;
    int rowOf(const TShooter *shooter) const;
    int count() const { return m_shooters.size(); }

    // Practice state, in memory only.
    bool setUsed(int id, bool used);
    bool setUsedForShooter(const TShooter *shooter, bool used);
    bool setShooterTargetById(int id, int target);
    bool setShooterTarget(const TShooter *shooter, int target);
    void setAdditionById(int id, bool addition);
    bool isUsedById(int id) const;
    bool setTargetEnabledForShooter(const TShooter *shooter, bool enabled);
    // Marks every used shooter whose target another used shooter has; the
    // new conflict flag.
    bool checkTargetConflicts();
    bool hasTargetConflict() const { return m_conflict; }

    // Shooters. addShooter gives the new ID or -1.
    int addShooter(const QString &name, const QString &family, const QDate &dateOfBirth,
                   int gender, int countryXMLID, int teamID, int qualityID, int addition,
                   bool used);
    // data is the caller's; its team and qualification may be set to 0 on the way.
    bool updateShooter(int id, TShooter *data);
    bool deleteShooter(TShooter *shooter);
    bool deleteShooterForward(int id);
    // The greatest ID of "TShooters" (also for an empty name), "TTeam" or
    // "tQualifications": 0 for an empty table, -1 on failure.
    int maxID(const QString &table);
    bool shooterIdExists(int id);

    // Teams and qualifications; entry 0 stands for "none" and stays.
    int addTeam(int countryXMLID, const QString &name);
    bool updateTeam(int id, int countryXMLID, const QString &name);
    bool deleteTeam(int id);
    int addQualification(const QString &name, const QString &shortName);
    bool updateQualification(int id, const QString &name, const QString &shortName);
    bool deleteQualification(int id);
    bool teamIdExists(int id);
    bool qualificationIdExists(int id);

private:
    enum class Lookup { Missing, Found, Failed };

    bool exec(QSqlQuery &query, const QString &statement, const QVariantList &values = {});
    Lookup lookup(const QString &statement, int id);
    Lookup teamLookup(int id);
    Lookup qualificationLookup(int id);
    // The ID a new shooter refers to: kept when its row exists, 0 when it
    // does not; false when the lookup failed.
    bool checkedReference(Lookup found, int *id) const;
    int insertWithNextKey(const QString &table, const QString &statement, QVariantList values);
    bool updateExisting(Lookup found, const QString &statement, const QVariantList &values);
    // Deletes a team or qualification and sets the shooters that refer to
    // it back to 0, in one transaction.
    bool deleteReferenced(const QString &deleteStatement, const QString &resetStatement, int id);
    void announceRow(int row);

    QSqlDatabase m_db;
    // The file the connection holds, kept at its path (a child).
    KeptFile *m_kept = nullptr;
    // SideFiles::stamp of the file when SQLite opened it read-only; empty
    // for a handle that writes.
    QString m_readOnlyAt;
    QList<TShooter *> m_shooters; // owned
    bool m_conflict = false;
};
