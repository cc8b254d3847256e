#pragma once

#include "dbfields.h"
#include "keptfile.h"
#include "tdbrecordset.h"

#include <QDate>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QTime>
#include <QVariantList>

#include <functional>

class TBullet;
class TEvent;
class TShooter;
class QSqlQuery;

// The only way to the competitions database. Each accessor owns one named
// connection; selects copy their rows into the accessor's row set, which the
// caller reads right after with first/next/value; a loop on next that has
// run past the last row has emptied it.
//
// Every value reaches SQLite as a bound parameter, never as statement text.
// Failures are logged and reported by errorSQL; isError() latches only a
// failed open or schema import, so one failed statement does not disable
// the accessor. Operations of several statements run in one transaction.
class TdbAccessor : public QObject
{
    Q_OBJECT

public:
    // Table index of tableName, getMaxID and isExist.
    enum Table {
        TableCompetitions = 0,
        TableEvents = 1,
        TableShooters = 2,
        TableTeam = 3,
        TableQualifications = 4,
        TableMembers = 5,
        TableRelays = 6,
        TableBullets = 7,
    };
    // Codes of errorSQL.
    enum ErrorCode { ErrorImport = 1, ErrorOpen = 2, ErrorStatement = 3 };

    static constexpr const char *kSchemaResource = ":/competitions.sql";

    // Creates the database file from the schema when it is missing or holds
    // none of the schema's tables. Only here: every later open takes the
    // file that is there, or fails and is tried again.
    explicit TdbAccessor(const QString &connectionName, QObject *parent = nullptr);
    ~TdbAccessor() override;

    // The file below the current directory.
    static QString databasePath();
    static QString tableName(int table);

    // The connection is open, or opened now. An open that failed is tried
    // again by a statement at most once a second.
    bool checkDB();
    // Opens the file that is there, read-write where its mode allows; a
    // missing file is not made. On a full disk, where SQLite cannot read a
    // file in WAL mode (its index cannot be made), the file is opened to be
    // read as it stands, as a handle that only reads: what it holds stays
    // listed, and it is opened again for a write once there is room.
    bool openDB();
    bool importDB();
    // Imports another script; for callers that keep their schema elsewhere.
    bool importDB(const QString &scriptPath);
    bool isError() const { return m_errorFlag; }
    // The file was removed or replaced while open and is not written again
    // yet: statements are refused (fileLost).
    bool isFileLost() const { return m_kept->file().lost(); }
    // The file takes writes: a harmless write in a transaction that is
    // rolled back. A file SQLite could open only read-only (no right to
    // write it) opens and reads as any other; this tells it at start, before
    // a shot is refused. A refusal is reported as a failed statement.
    // Not inside inTransaction.
    bool checkWritable();
    // Before the program closes, while the operator can still be told: the
    // path is looked at now, and the file written again when another is
    // there (fileLost names the file found). The close's own keep tells
    // nobody.
    void keepFileBeforeClose() { keepFileAtPath(true); }
    // SQLite's own account of the latest failure (open, import or
    // statement), as a full disk's while the disk is full; no error before
    // the first one.
    QSqlError lastFailure() const;

    // Runs work in one transaction, or inside the one already open; work
    // that answers false, or a failed commit, leaves nothing of it stored.
    bool inTransaction(const std::function<bool()> &work);

    // Core statements. The values bind to the statement's "?" in order.
    bool execQuery(const QString &statement, const QVariantList &values = QVariantList());
    bool execSelect(const QString &statement, const QVariantList &values = QVariantList());
    bool execExists(const QString &statement, const QVariantList &values = QVariantList());
    bool execHasRows(const QString &statement, const QVariantList &values = QVariantList());
    int getMaxID(int table);
    bool isExist(int table, int id);

    // The row set of the last select.
    bool first() { return m_recordSet.first(); }
    bool next() { return m_recordSet.next(); }
    QVariant value(const QString &field, bool *ok = nullptr) const
    {
        return m_recordSet.value(field, ok);
    }

    // Selects: rows in the row set, empty when none matched or on failure.
    void selectEventBullets(int eventID);
    void selectMemberBullets(int eventID, int memberID);
    void selectCompetitions(bool finished);
    void selectCompetition(int competitionID);
    void selectFinalEvents(int competitionID);
    void selectEventsByType(int competitionID, int typeXMLID);
    void selectShooters(int gender = -1); // -1: all
    void selectShooter(int shooterID);
    void selectTeams();
    void selectTeam(int teamID);
    void selectQualifications();
    void selectQualification(int qualificationID);
    void selectMembers(int competitionID);
    void selectEventRelays(int eventID);
    void selectMemberRelays(int eventID, int memberID);

    // Existence checks.
    bool isCompetitionExist(int id) { return isExist(TableCompetitions, id); }
    bool isEventExist(int id) { return isExist(TableEvents, id); }
    bool isShooterExist(int id) { return isExist(TableShooters, id); }
    bool isTeamExist(int id) { return isExist(TableTeam, id); }
    bool isQualificationExist(int id) { return isExist(TableQualifications, id); }
    bool isMemberExist(int id) { return isExist(TableMembers, id); }
    bool isBulletExist(int id) { return isExist(TableBullets, id); }
    bool isShooterInCompetition(int competitionID, int shooterID);
    bool isRelayPlaceExist(int memberID, int eventID, int relayNum);
    bool isMemberInEventRelays(int memberID, int eventID);
    bool isRelayNumExist(int eventID, int relayNum);
    // The shooter has a stored shot in any competition.
    bool isShooterUsed(int shooterID);
    // A stored shooter refers to the team or qualification.
    bool isTeamUsed(int teamID);
    bool isQualificationUsed(int qualificationID);

    // Greatest key of a table: 0 when empty, -1 when the database cannot be opened.
    int getMaxCompetitionID() { return getMaxID(TableCompetitions); }
    int getMaxEventID() { return getMaxID(TableEvents); }
    int getMaxShooterID() { return getMaxID(TableShooters); }
    int getMaxTeamID() { return getMaxID(TableTeam); }
    int getMaxQualificationID() { return getMaxID(TableQualifications); }
    int getMaxMemberID() { return getMaxID(TableMembers); }
    int getMaxBulletID() { return getMaxID(TableBullets); }

    // Inserts: the new key (greatest + 1), or -1.
    // A negative key allocates one; an existing key is refused.
    int insertCompetition(bool finished, int countryXMLID, int typeXMLID, bool final,
                          const QTime &startTime, const QDate &startDate,
                          const QString &name, int key = -1);
    int insertEvent(const TEvent *event, int competitionID);
    int insertBullet(const TBullet *bullet, int eventID);
    int insertShooter(const TShooter *shooter);
    int insertTeam(int countryXMLID, const QString &name);
    int insertQualification(const QString &name, const QString &shortName);
    int insertMember(const TShooter *member, int competitionID);
    // The relay is named by its exercise key and number; true when stored.
    bool insertRelay(int eventID, int relayNum, int memberID, int target);

    // Updates: false for a missing row where the operation checks for one.
    bool updateCompetition(int competitionID, bool finished, int countryXMLID, int typeXMLID,
                           bool final, const QTime &startTime, const QDate &startDate,
                           const QString &name);
    bool setCompetitionFinished(int competitionID, bool finished);
    bool updateEvent(int eventID, const TEvent *event, int competitionID);
    bool setEventFinished(int eventID, bool finished);
    bool setEventStartDate(int eventID, const QDate &date, const QTime &time);
    bool updateBullet(int bulletID, int eventID, const TBullet *bullet);
    bool setBulletFine(int bulletID, int fine);
    bool updateShooter(int shooterID, const TShooter *shooter);
    bool updateTeam(int teamID, const QString &name, int countryXMLID);
    bool updateQualification(int qualificationID, const QString &name, const QString &shortName);
    bool setMemberTarget(int memberID, int relayNum, int eventID, int target);
    bool setStartNumber(int memberID, int startNumber);

    // Deletes; the cascades are all or nothing.
    bool deleteBullet(int bulletID);
    // The exercise's row of the shot as the target recorded it: its member,
    // number, coordinates, place code and own time. Keys are handed out
    // again (MAX(ID)+1), a shot's content is not: a delete that waits for
    // the file names the row so. Only match shots are stored, so the stage
    // is that of every row.
    bool deleteBullet(int eventID, const DbFields::ShotRow &shot);
    // A shot's row as it is stored, with its key.
    static DbFields::ShotRow bulletRow(const TBullet *bullet);
    bool deleteMemberBullets(int memberID);
    // Every row of the member in the exercise, in one statement.
    bool deleteMemberBullets(int eventID, int memberID);
    bool deleteMemberRelays(int eventID, int memberID);
    bool deleteRelay(int eventID, int relayNum);
    bool deleteTeam(int teamID);
    bool deleteQualification(int qualificationID);
    bool deleteEvent(int eventID);
    bool deleteMember(int memberID);
    bool deleteFinalEvents(int competitionID);
    bool deleteShooterMember(int shooterID, int competitionID);
    bool deleteCompetition(int competitionID);
    // 1 deleted, 0 a statement failed, -1 refused: the shooter has stored shots.
    int deleteShooter(int shooterID, bool checkInUse);
    bool clearAll();

    // "yyyy-MM-dd HH:mm:ss", the stored form of a start.
    static QString dateTimeSql(const QDate &date, const QTime &time);

signals:
    void errorSQL(int err);
    // The file open was removed or replaced while the program ran: written
    // again at its path from what the connection held (keptAside: the name
    // a file found at the path was given, empty when none), or, not
    // rewritten, statements are refused until it can be (lastFailure says
    // why). Once for each loss, and once when a file lost is written again,
    // by whichever accessor of the file looked first.
    // keptAside names one file a line when several came.
    void fileLost(bool rewritten, const QString &keptAside);
    // The file lost is at its path again, the one the connection holds
    // (its folder moved away and back): statements go on. Once for each loss.
    void fileBack();

private:
    enum class Opened { Yes, No, AnotherCame };
    // openDB's one try: AnotherCame when another file came to the path as
    // the connection opened on the file written again.
    Opened openOnce();
    // Prepares, binds and runs; reports a failure.
    bool run(QSqlQuery &query, const QString &statement, const QVariantList &values);
    void reportStatementFailure(const QString &statement, const QSqlError &error);
    // Keeps the failure as lastFailure; a read-only handle is replaced
    // before the next statement.
    void noteFailure(const QSqlError &error);
    // The path still names the file the connection holds, or names it again
    // now, written from the connection (KeptFile::keepAtPath); false while
    // it cannot be.
    bool keepFileAtPath(bool retryNow = false);
    // The file at the path was written again from the old one's connection
    // (this accessor's or another's, written).
    void writtenAgain(const OpenedFile &written, const QString &keptAside);
    // Every accessor of the file is told, whichever wrote it: each
    // connection was closed with the old file, and the operator is told
    // through one of them.
    void tellWrittenAgain(const QStringList &keptAside);
    // Before a connection opens after a rewrite: the path names the file
    // written, put back or written again by the connection holding it when
    // another was put there; true when it does.
    bool ownFileAtPath();
    // Another accessor's connection to the file is open.
    bool heldOpenElsewhere() const;
    // Every accessor of this one's file, this one included.
    QList<QPointer<TdbAccessor>> accessorsOfFile() const;
    // The file holds the schema's tables, imported when it had none.
    bool ensureSchema();
    bool failImport(const QSqlError &cause);
    void prepareConnection();
    // Side files that are there now and were not before: our connection made them.
    void noteMadeSideFiles(const QStringList &before);
    // Inserts with the next key in front of values; the key or -1.
    int insertWithNextKey(int table, const QString &statement, QVariantList values);
    // The integer column field of every row of the row set that has one.
    QList<int> collectIDs(const QString &field = QStringLiteral("ID"));
    // The statements in order, each while all before it ran.
    bool execAll(const QList<QPair<QString, QVariantList>> &statements);

    // Transactions open on any accessor: a reopen closes every connection
    // to the file (FileConnections), so it waits until none is open.
    // Accessors live on the GUI thread only.
    static int s_openTransactions;
    // Every accessor, each told when any of them writes its file again.
    static QList<TdbAccessor *> s_accessors;

    QSqlDatabase m_db;
    TdbRecordSet m_recordSet;
    bool m_openFailed = false; // the last open failed; tried again after kReopenGapMs
    bool m_errorFlag = false;
    QSqlError m_lastFailure;
    int m_transactionDepth = 0;
    QElapsedTimer m_sinceReopen; // since the last open that was tried
    QString m_fileAtOpen; // SideFiles::stamp at the last open that was tried
    // Side files of the database our connection made, or found at start:
    // made while the file was read-only they are read-only too, and are
    // given the file's mode when it is writable again, before the next open.
    QStringList m_madeSideFiles;
    // The file was opened or made: a failed open that finds none names it
    // as taken away.
    bool m_fileWasThere = false;
    // The file the connection opened, kept at its path (a child). A handle
    // that only reads (opened so, or a write was refused as read-only): every
    // connection of the program to the file is closed and ours opened again
    // as soon as the file changes, or else at most once a second, so that a
    // file made writable is written without a restart while the lanes ask
    // again for their refused shots.
    KeptFile *m_kept = nullptr;
};
