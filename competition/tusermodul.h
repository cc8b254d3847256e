#pragma once

#include <QDate>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QSqlError>
#include <QString>
#include <QTime>

#include <memory>

#include "storageerror.h"

class CounrtyList;
class TBulletList;
class TCompetition;
class TCompetitionList;
class TCompetitionlistProxy;
class TCountry;
class TdbAccessor;
class TEvent;
class TFreeMembers;
class TMembers;
class TQuality;
class TRelay;
class TShooter;
class TShooterEnabledList;
class TShootersProxy;
class TTeam;

// The competition side of the operator program: the database connection
// "main", the models the competition screens show, the current competition
// with its exercises and one shot list per exercise. One instance lives on the
// GUI thread for the whole run; the screens, the run page, the totals and the
// printing reach the current competition only through it.
//
// Which member has finished which exercise lives in the member records only;
// opening a competition rebuilds it from the stored shots (checkColBull).
class TUserModul : public QObject
{
    Q_OBJECT

public:
    // Codes of errorSQL, as the storage layer reports them.
    enum ErrorCode { NoError = 0, ErrorImport = 1, ErrorOpen = 2, ErrorStatement = 3 };
    // Modes of the shot-count check.
    enum ColBullMode { ColBullAsk = -1, ColBullClear = 0, ColBullFill = 1 };

    explicit TUserModul(QObject *parent = nullptr);
    ~TUserModul() override;

    // Models and lists the screens show; all owned by the module.
    TdbAccessor *db() const { return m_db; }
    CounrtyList *countries() const { return m_countries.get(); }
    const QList<TTeam *> &teams() const { return m_teams; }
    const QList<TQuality *> &qualities() const { return m_qualities; }
    TCompetitionList *competitionTypes() const { return m_competitionTypes.get(); }
    TCompetitionList *storedCompetitions() const { return m_storedCompetitions.get(); }
    TCompetitionlistProxy *competitionTypesProxy() const { return m_competitionTypesProxy.get(); }
    TCompetitionlistProxy *storedCompetitionsProxy() const
    {
        return m_storedCompetitionsProxy.get();
    }
    TShooterEnabledList *shooters() const { return m_shooters.get(); }
    TShootersProxy *shootersProxy() const { return m_shootersProxy.get(); }
    TMembers *members() const { return m_members.get(); }
    TFreeMembers *freeMembers() const { return m_freeMembers.get(); }

    // Current competition and its exercises.
    TCompetition *currentCompetition() const { return m_competition; }
    bool newCompetition(int countryXMLID, int typeXMLID, bool final, const QDate &startDate,
                        const QTime &startTime, const QString &name);
    bool newCompetition(int countryXMLID, int typeXMLID, bool final, const QString &name);
    // With load also its members, relays, shot lists and done marks.
    void openCompetition(int competitionID, bool load);
    bool editCompetition(int countryXMLID, int typeXMLID, bool final, const QDate &startDate,
                         const QTime &startTime, const QString &name);
    bool deleteCompetition();
    void closeCompetition();
    bool setCompetitionFinished(bool finished);
    bool setEventStartDateTime(TEvent *event, const QDate &date, const QTime &time);
    bool setEventFinished(TEvent *event, bool finished);
    void reloadCompetitions();

    // Shot lists, one per exercise of the current competition.
    TBulletList *bulletList(int eventID) const;
    // Below 0 rebuilds every list and answers the first; else rebuilds the
    // list of that exercise and answers it.
    TBulletList *makeBulletList(int eventID);
    void clearBulletLists();
    const QList<TBulletList *> &bulletLists() const { return m_bulletLists; }

    // Storage errors.
    int lastError() const { return m_lastError; }
    bool hasError() const { return m_lastError > NoError; }
    QString errorText() const;
    // SQLite's account of the latest failure of the module's database.
    QSqlError lastFailure() const;
    // The database is written again once the cause of its failure is gone,
    // without a restart: all but a file that could not be made at start.
    bool storageHeals() const { return !m_storageUnusable; }

    // Relay editing.
    bool beginEditRelay(TEvent *event, int number);
    bool placeMember(int memberID, int target, bool propagate, bool intoCurrent);
    // mode 0: out of the edit relay; 1: out of the current relay (and, with
    // propagate, the linked relays of the following exercises).
    bool unplaceMember(int memberID, bool propagate, int mode);
    bool commitEditRelay(bool propagate);
    bool deleteCurrentRelay(bool propagate);
    void reloadRelays();
    bool setMemberInFinal(int memberID, bool inFinal);

    // Run relay. errorInfo and relayInfo receive the codes of the relay advance.
    TRelay *firstUnfinishedRelay(int *errorInfo, int *relayInfo);
    TRelay *currentRunRelay(int *errorInfo, int *relayInfo);
    bool prepareRunRelay();
    TEvent *runRelayEvent();
    bool isEventComplete(TEvent *event) const;
    bool setMemberEventDone(TEvent *event, int memberID, bool done);
    TRelay *startRun(int *errorInfo, int *relayInfo);
    TRelay *setNextRelay(bool *eventChanged, int *errorInfo, int *relayInfo);
    bool isRunRelayEnabled();
    void checkRelayFinished();

    // Shot-count check: done marks from the stored shots; mode says what
    // becomes of a member with too few shots.
    void checkColBull(int mode);
    // The check waits for the operator's answer to sig_askColBull; the done
    // marks are not final until sig_colBullCheckEnded.
    bool isColBullCheckPending() const { return m_colBullPending; }

    // Countries.
    TCountry *countryAt(int index) const;
    TCountry *nextCountry(const TCountry *country) const;
    TCountry *countryByID(int countryXMLID) const;
    int countryRow(int countryXMLID) const;
    void setCurrentCountry(int countryXMLID) { m_currentCountryID = countryXMLID; }
    TCountry *currentCountry() const;

    // Teams.
    void loadTeams();
    void setCurrentTeam(int teamID) { m_currentTeamID = teamID; }
    TTeam *currentTeam() const;
    int currentTeamRow() const;
    TTeam *teamAt(int row) const;
    bool isTeamIndex(int row) const;
    TTeam *nextTeam(const TTeam *team) const;
    QString teamName(int teamID) const;
    int teamCountryXMLID(int teamID) const;
    int addTeam(int countryXMLID, const QString &name);
    bool updateTeam(int teamID, int countryXMLID, const QString &name);
    // Refused (false) while a shooter belongs to the team.
    bool deleteTeam(int teamID);
    bool updateTeamAt(int row, int countryXMLID, const QString &name);
    bool deleteTeamAt(int row);

    // Qualifications.
    void loadQualities();
    void setCurrentQuality(int qualityID) { m_currentQualityID = qualityID; }
    TQuality *currentQuality() const;
    int currentQualityRow() const;
    TQuality *qualityAt(int row) const;
    bool isQualityIndex(int row) const;
    TQuality *nextQuality(const TQuality *quality) const;
    QString qualityShortName(int qualityID) const;
    int addQuality(const QString &name, const QString &shortName);
    bool updateQuality(int qualityID, const QString &name, const QString &shortName);
    // Refused (false) while a shooter has the qualification.
    bool deleteQuality(int qualityID);
    bool updateQualityAt(int row, const QString &name, const QString &shortName);
    bool deleteQualityAt(int row);

    // Shooters.
    int addShooter(const QString &name, const QString &family, const QDate &dateOfBirth,
                   int gender, int countryXMLID, int teamID, int qualityID);
    bool updateShooter(int shooterID, const QString &name, const QString &family,
                       const QDate &dateOfBirth, int gender, int countryXMLID, int teamID,
                       int qualityID);
    // 1 deleted; -1 refused (checkUsed and the shooter has stored shots); 0 not deleted.
    int deleteShooter(int shooterID, bool checkUsed);
    void reloadShooters();

    // Members of the current competition.
    bool addMember(TShooter *shooter, int startNumber);
    bool removeMember(int memberID);
    bool setStartNumber(int memberID, int number);
    void reloadMembers();

signals:
    // Emitted after a done mark completes the run relay.
    void sig_relayFinished(bool _eventFinished, bool _allEventFinished, bool _finalEventFinished);
    // A member has fewer shots than the exercise needs: exercise ID, member
    // ID (the member row, not the shooter), display name, exercise name.
    void sig_askColBull(int eventID, int memberID, const QString &memberName,
                        const QString &eventName);
    // The shot-count check has walked every member of every exercise.
    void sig_colBullCheckEnded();
    // What the operator is to hear of the competitions file (StorageWord):
    // which refused writes wait (match shots, a delete of a member's shots),
    // with SQLite's account of why, or 0 once they are stored, sent only
    // when this changes, not for every shot; or that the file was removed
    // or replaced and written again (keptAside: the names files found at
    // its path were given, one a line) or not, or is back at its path.
    void sig_storage(int word, const QString &file, const QSqlError &failure,
                     const QString &keptAside);

public slots:
    // The operator's answer to sig_askColBull: 0 clear, 1 fill with misses;
    // repeat applies it to every further short member without asking.
    void slot_ColBullDialogClosed(int eventID, int memberID, int answer, bool repeat);
    void errorSQL(int err);

private:
    // The current competition's exercises in chain order.
    QList<TEvent *> eventChain() const;
    TEvent *firstEvent() const;
    // The member model shows no competition; the shooter proxy follows.
    void detachMembers();
    // The member model reads the current competition's members and relays.
    void attachMembers();
    // The storage layer cannot work: the database could not be opened or imported.
    bool isStorageUnusable();
    TBulletList *createBulletList(const TEvent *event);
    // Marks one member for one exercise from the member's stored shots;
    // false when the check must stop to ask the operator.
    bool checkMemberShots(TEvent *event, TBulletList *list, TShooter *member, int mode);
    // Clears (answer 0) or fills with misses (answer 1) one member's shots.
    void treatShortMember(TEvent *event, TBulletList *list, int memberID, int answer);
    // The shots of a member that left the competition leave the cached lists.
    void dropShotsOfMember(int memberID);
    // Reloads the members and keeps each one's done marks and final admission,
    // which live in memory only. reattach first points the member model at the
    // competition's exercises again, after they were rebuilt.
    void reloadMembersKeepingState(bool reattach = false);
    void refilterShooters();
    // Tells sig_storage when a refused write of any exercise's list
    // starts or stops waiting.
    void updateShotStorage();
    // The member's rows of the exercise are gone: a reset that waited for
    // them marks the member as not having shot it.
    void onMemberShotsGone(int eventID, int memberID);

    TdbAccessor *m_db = nullptr; // child of the module
    int m_lastError = NoError;
    std::unique_ptr<CounrtyList> m_countries;
    QList<TTeam *> m_teams;         // owned; rebuilt by loadTeams
    QList<TQuality *> m_qualities;  // owned; rebuilt by loadQualities
    TCompetition *m_competition = nullptr; // owned
    QList<TBulletList *> m_bulletLists;    // owned
    int m_currentCountryID = -1;
    int m_currentTeamID = -1;
    int m_currentQualityID = -1;
    std::unique_ptr<TCompetitionList> m_competitionTypes;
    std::unique_ptr<TCompetitionList> m_storedCompetitions;
    std::unique_ptr<TCompetitionlistProxy> m_competitionTypesProxy;
    std::unique_ptr<TCompetitionlistProxy> m_storedCompetitionsProxy;
    std::unique_ptr<TShooterEnabledList> m_shooters;
    std::unique_ptr<TShootersProxy> m_shootersProxy;
    std::unique_ptr<TMembers> m_members;
    std::unique_ptr<TFreeMembers> m_freeMembers;
    // The member model holds the current competition's members (new, or
    // opened with load), so it refers to the competition's exercises.
    bool m_membersAttached = false;
    // The database could not be created or opened; statements that merely
    // failed do not count.
    bool m_storageUnusable = false;
    bool m_colBullPending = false;
    // What waits in the shot lists, as last told (StorageWord flags).
    int m_waitingWrites = StorageNothingWaits;
    // Resets whose delete waits: (exercise ID, member ID). The member counts
    // as having shot the exercise until its rows are gone, so that it is
    // not offered to be shot again over the old shots.
    QSet<QPair<int, int>> m_waitingResets;
};
