#pragma once

#include <QDate>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <memory>

class CounrtyList;
class TBulletList;
class TCountry;
class TEvent;
class TEventList;
class TEventListProxy;
class TMembersPractice;
class TMembersPracticeUsed;
class TQuality;
class TShooter;
class TTeam;

// The practice side of the operator program: its own connection "shot" on
// "shooters.sqlite", the practice roster with its teams and qualifications,
// the practice exercise list, the exercise chosen for the current practice
// and that exercise's shot list. Practice shots stay in memory; nothing of a
// practice but the roster is ever stored. One instance lives on the GUI
// thread for the whole run; the practice screens, the main window and the
// run page reach the practice data only through it.
//
// "Index" below is a position in the module's own team or qualification
// list; an index outside it yields null, 0 or false, never an error.
class TPracticeModul : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *kConnectionName = "shot";
    static constexpr const char *kSchemaResource = ":/shooters.sql";

    // Makes the database file from the schema when it holds no tables; the
    // lists stay empty until reload().
    explicit TPracticeModul(QObject *parent = nullptr);
    ~TPracticeModul() override;

    static QString databasePath();

    // Set-up: teams, qualifications, then the roster; false when any of
    // them could not be read (the failure also goes to errorSQL).
    bool reload();
    bool reloadShooters();
    bool importDB();
    bool loadTeams();
    bool loadQualities();

    // Storage failures (StorageError codes). A failure while the module is
    // built happens before anyone can listen to errorSQL, so the owner asks
    // hasError() once after building and reload(), then listens.
    int lastError() const { return m_lastError; }
    bool hasError() const { return m_lastError != 0; }
    // A file that holds the roster's tables is written once the cause of a
    // refusal is removed; one without them is made only at start.
    bool storageHeals() const { return !m_schemaFailed; }
    QString errorText() const;
    // SQLite's account of why the file could not be made or opened, as a
    // full disk's while the disk is full.
    QSqlError lastFailure() const;

    // Models the screens show; owned by the module.
    TEventList *eventList() const { return m_eventList.get(); }
    TEventListProxy *eventListProxy() const { return m_eventListProxy.get(); }
    TMembersPractice *membersPractice() const { return m_members.get(); }
    TMembersPracticeUsed *usedShooters() const { return m_usedShooters.get(); } // participants
    TMembersPracticeUsed *freeShooters() const { return m_freeShooters.get(); }
    CounrtyList *countries() const { return m_countries.get(); }

    // Countries.
    TCountry *countryAt(int index) const;
    TCountry *nextCountry(const TCountry *country) const;
    TCountry *countryByID(int id) const;
    int countryIDAt(int index) const;
    int countryIndexOf(int id) const;
    TCountry *currentCountry() const;
    void setCurrentCountry(int id) { m_currentCountryID = id; }

    // Teams. Every add, update and delete that succeeds replaces all team
    // records, so no caller keeps a record across one.
    TTeam *teamAt(int index) const;
    int teamIDAt(int index) const;
    TTeam *teamByID(int id) const;
    int teamIndexOf(const TTeam *team) const;
    TTeam *nextTeam(const TTeam *team) const;
    bool isTeamIndex(int index) const;
    void setCurrentTeam(int id) { m_currentTeamID = id; }
    TTeam *currentTeam() const;
    int currentTeamRow() const;
    int addTeam(int countryXMLID, const QString &name);
    bool updateTeam(int index, int countryXMLID, const QString &name);
    bool updateTeamByID(int id, int countryXMLID, const QString &name);
    // Team 0 ("none") cannot be deleted; the shooters of a deleted team get team 0.
    bool deleteTeam(int index);
    bool deleteTeamByID(int id);

    // Qualifications, the same way.
    TQuality *qualityAt(int index) const;
    int qualityIDAt(int index) const;
    TQuality *qualityByID(int id) const;
    int qualityIndexOf(const TQuality *quality) const;
    TQuality *nextQuality(const TQuality *quality) const;
    bool isQualityIndex(int index) const;
    void setCurrentQuality(int id) { m_currentQualityID = id; }
    TQuality *currentQuality() const;
    int currentQualityRow() const;
    int addQuality(const QString &name, const QString &shortName);
    bool updateQuality(int id, const QString &name, const QString &shortName);
    bool updateQualityAt(int index, const QString &name, const QString &shortName);
    bool deleteQuality(int index);
    bool deleteQualityByID(int id);

    // Roster.
    TShooter *shooterById(int id) const;
    // The new ID or -1.
    int addShooter(const QString &name, const QString &family, const QDate &dateOfBirth,
                   int gender, int countryXMLID, int teamID, int qualityID, int addition,
                   bool used);
    // id on success, -1 on failure.
    int updateShooter(int id, const QString &name, const QString &family,
                      const QDate &dateOfBirth, int gender, int countryXMLID, int teamID,
                      int qualityID, int addition);
    bool deleteShooter(int id);
    // In memory only.
    void setShooterAddition(int id, bool addition);

    // Participants: used shooters and their target addresses, in memory only.
    // useShooter, unuseShooter and setShooterTarget give id, or -1 for an
    // ID the roster does not hold.
    int useShooter(int id, int target);
    int unuseShooter(int id);
    int setShooterTarget(int id, int target);
    void unuseAllShooters();
    bool hasTargetConflict() const;
    TShooter *firstUsedShooter() const;
    TShooter *nextUsedShooter(const TShooter *shooter) const;

    // Exercise and shot list. setCurrentEvent takes the exercise of that
    // type ID and SubNum (none when no exercise has them) with a new, empty
    // shot list.
    void setCurrentEvent(int typeID, int subNum);
    void makeBulletList();
    TEvent *getCurrentEvent() const { return m_currentEvent; }
    TBulletList *getBulletList() const { return m_bulletList.get(); }
    // End of a practice: nobody used, every target -1, the shot list
    // emptied (it stays), no exercise.
    void resetPractice();

signals:
    // A storage failure, with its StorageError code.
    void errorSQL(int err);
    // The roster's file was removed or replaced while open and is not
    // written again (StorageFileGone), or is written again
    // (StorageFileRewritten, then StorageNothingWaits), or is back at its
    // path (StorageFileBack, then StorageNothingWaits), as
    // TUserModul::sig_storage.
    void sig_storage(int word, const QString &file, const QSqlError &failure,
                     const QString &keptAside);

private:
    void reportError(int code);

    QSqlDatabase m_db;
    std::unique_ptr<CounrtyList> m_countries;
    QList<TTeam *> m_teams;        // owned; rebuilt by loadTeams
    QList<TQuality *> m_qualities; // owned; rebuilt by loadQualities
    std::unique_ptr<TBulletList> m_bulletList;
    TEvent *m_currentEvent = nullptr; // belongs to the exercise list
    int m_currentCountryID = -1;
    int m_currentTeamID = -1;
    int m_currentQualityID = -1;
    std::unique_ptr<TEventList> m_eventList;
    std::unique_ptr<TEventListProxy> m_eventListProxy;
    std::unique_ptr<TMembersPractice> m_members;
    std::unique_ptr<TMembersPracticeUsed> m_usedShooters;
    std::unique_ptr<TMembersPracticeUsed> m_freeShooters;
    int m_lastError = 0;
    QSqlError m_lastFailure;
    bool m_schemaFailed = false;
};
