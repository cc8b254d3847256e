#include "tpracticemodul.h"

#include "counrtylist.h"
#include "datapaths.h"
#include "practiceresources.h"
#include "schemafile.h"
#include "storageerror.h"
#include "tbulletlist.h"
#include "tevent.h"
#include "teventlist.h"
#include "teventlistproxy.h"
#include "tmemberspractice.h"
#include "tmemberspracticeused.h"
#include "tquality.h"
#include "tshooter.h"
#include "tteam.h"
#include "writeprobe.h"

namespace {
const QString kDriver = QStringLiteral("QSQLITE");
// The target of a shooter that takes part in no practice.
constexpr int kNoTarget = -1;
} // namespace

TPracticeModul::TPracticeModul(QObject *parent) : QObject(parent)
{
    initPracticeResources();
    m_db = QSqlDatabase::addDatabase(kDriver, QLatin1String(kConnectionName));
    m_db.setDatabaseName(databasePath());
    // Decided from the file's content: a file left empty by a killed first
    // start gets its tables now.
    m_schemaFailed = !SchemaFile::ensure(m_db, QLatin1String(kSchemaResource), &m_lastFailure);
    if (m_schemaFailed)
        reportError(StorageErrorImport);
    else if (!WriteProbe::canWrite(m_db, &m_lastFailure))
        reportError(StorageErrorStatement); // the roster reads, but no change would be kept

    m_countries = std::make_unique<CounrtyList>();
    m_countries->load(DataPaths::path(DataPaths::kCountriesDir) + QLatin1Char('/'),
                      DataPaths::kCountriesFile);
    m_eventList = std::make_unique<TEventList>();
    m_eventListProxy = std::make_unique<TEventListProxy>(m_eventList.get());
    m_members = std::make_unique<TMembersPractice>(m_db, false);
    connect(m_members.get(), &TMembersPractice::sig_fileLost, this,
            [this](bool rewritten, const QString &keptAside, const QSqlError &failure) {
                if (rewritten)
                    emit sig_storage(StorageFileRewritten, databasePath(), failure, keptAside);
                emit sig_storage(rewritten ? StorageNothingWaits : StorageFileGone, databasePath(),
                                 failure, QString());
            });
    connect(m_members.get(), &TMembersPractice::sig_fileBack, this, [this] {
        emit sig_storage(StorageFileBack, databasePath(), QSqlError(), QString());
        emit sig_storage(StorageNothingWaits, databasePath(), QSqlError(), QString());
    });
    m_usedShooters = std::make_unique<TMembersPracticeUsed>(m_members.get(), true);
    m_freeShooters = std::make_unique<TMembersPracticeUsed>(m_members.get(), false);
}

QSqlError TPracticeModul::lastFailure() const
{
    return storageOnFullDisk(m_lastFailure, databasePath());
}

TPracticeModul::~TPracticeModul()
{
    // Views before their sources; the roster's handle before the connection goes.
    m_usedShooters.reset();
    m_freeShooters.reset();
    m_members.reset();
    m_bulletList.reset();
    m_eventListProxy.reset();
    m_eventList.reset();
    qDeleteAll(m_teams);
    qDeleteAll(m_qualities);
    const QString name = m_db.connectionName();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

QString TPracticeModul::databasePath()
{
    return DataPaths::path(DataPaths::kDataBaseDir, DataPaths::kShootersDb);
}

void TPracticeModul::reportError(int code)
{
    m_lastError = code;
    emit errorSQL(code);
}

QString TPracticeModul::errorText() const
{
    return storageErrorText(m_lastError);
}

bool TPracticeModul::importDB()
{
    if (SchemaFile::import(m_db, QLatin1String(kSchemaResource), &m_lastFailure))
        return true;
    reportError(StorageErrorImport);
    return false;
}

bool TPracticeModul::reload()
{
    const bool teams = loadTeams();
    const bool qualities = loadQualities();
    const bool shooters = reloadShooters();
    return teams && qualities && shooters;
}

bool TPracticeModul::reloadShooters()
{
    if (m_members->loadShooters())
        return true;
    // The roster leaves the connection closed only when it could not open it.
    if (!m_db.isOpen() && m_db.lastError().isValid())
        m_lastFailure = m_db.lastError();
    reportError(m_db.isOpen() ? StorageErrorStatement : StorageErrorOpen);
    return false;
}

// Roster.

TShooter *TPracticeModul::shooterById(int id) const
{
    return m_members->shooterById(id);
}

int TPracticeModul::addShooter(const QString &name, const QString &family,
                               const QDate &dateOfBirth, int gender, int countryXMLID,
                               int teamID, int qualityID, int addition, bool used)
{
    return m_members->addShooter(name, family, dateOfBirth, gender, countryXMLID, teamID,
                                 qualityID, addition, used);
}

int TPracticeModul::updateShooter(int id, const QString &name, const QString &family,
                                  const QDate &dateOfBirth, int gender, int countryXMLID,
                                  int teamID, int qualityID, int addition)
{
    TShooter data;
    data.setPersonalData(name, family, dateOfBirth, gender, countryXMLID, teamID, qualityID);
    data.setAddition(addition != 0);
    return m_members->updateShooter(id, &data) ? id : -1;
}

bool TPracticeModul::deleteShooter(int id)
{
    return m_members->deleteShooterForward(id);
}

void TPracticeModul::setShooterAddition(int id, bool addition)
{
    m_members->setAdditionById(id, addition);
}

// Participants.

int TPracticeModul::useShooter(int id, int target)
{
    if (!m_members->setUsed(id, true))
        return -1;
    m_members->setShooterTargetById(id, target);
    return id;
}

int TPracticeModul::unuseShooter(int id)
{
    if (!m_members->setUsed(id, false))
        return -1;
    m_members->setShooterTargetById(id, kNoTarget);
    return id;
}

int TPracticeModul::setShooterTarget(int id, int target)
{
    return m_members->setShooterTargetById(id, target) ? id : -1;
}

void TPracticeModul::unuseAllShooters()
{
    for (int row = 0; row < m_members->count(); ++row) {
        const TShooter *shooter = m_members->getShooter(row);
        if (m_members->setUsedForShooter(shooter, false))
            m_members->setShooterTarget(shooter, kNoTarget);
    }
}

bool TPracticeModul::hasTargetConflict() const
{
    return m_members->hasTargetConflict();
}

TShooter *TPracticeModul::firstUsedShooter() const
{
    for (int row = 0; row < m_members->count(); ++row) {
        if (m_members->getShooter(row)->isUsed())
            return m_members->getShooter(row);
    }
    return nullptr;
}

TShooter *TPracticeModul::nextUsedShooter(const TShooter *shooter) const
{
    const int from = m_members->rowOf(shooter);
    if (from < 0)
        return nullptr;
    for (int row = from + 1; row < m_members->count(); ++row) {
        if (m_members->getShooter(row)->isUsed())
            return m_members->getShooter(row);
    }
    return nullptr;
}

// Exercise and shot list.

void TPracticeModul::setCurrentEvent(int typeID, int subNum)
{
    m_currentEvent = m_eventList->getEvent(typeID, subNum);
    makeBulletList();
}

void TPracticeModul::makeBulletList()
{
    m_bulletList.reset();
    if (!m_currentEvent)
        return;
    m_bulletList = std::make_unique<TBulletList>(m_currentEvent->targetType(),
                                                 m_currentEvent->isView10(),
                                                 m_currentEvent->calibre(),
                                                 m_currentEvent->controlValue());
}

void TPracticeModul::resetPractice()
{
    unuseAllShooters();
    if (m_bulletList)
        m_bulletList->reload();
    m_currentEvent = nullptr;
}
