#include "tusermodul.h"

#include "counrtylist.h"
#include "datapaths.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tcompetitionlistproxy.h"
#include "storageerror.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "tfreemembers.h"
#include "tmembers.h"
#include "tquality.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tshootersproxy.h"
#include "tteam.h"

#include <QPointer>

#include <algorithm>

namespace {
// The connection of the competition module; the results viewer has its own.
const QString kConnectionName = QStringLiteral("main");
// Stored competitions the competition screen offers to continue.
constexpr int kUnfinished = 0;
// The free-members proxy starts on an exercise number no exercise has.
constexpr int kNoEventNum = 0;
} // namespace

TUserModul::TUserModul(QObject *parent) : QObject(parent)
{
    m_db = new TdbAccessor(kConnectionName, this);
    // The accessor reports a failed import from its constructor, and the
    // loads below may fail to open the database, before the module listens;
    // the screens must still learn which failure it was.
    const bool schemaFailed = m_db->isError();
    int earlyError = schemaFailed ? ErrorImport : NoError;
    const QMetaObject::Connection early = connect(
        m_db, &TdbAccessor::errorSQL, this, [&earlyError](int err) { earlyError = err; });
    m_countries = std::make_unique<CounrtyList>();
    m_countries->load(DataPaths::path(DataPaths::kCountriesDir), DataPaths::kCountriesFile);
    loadTeams();
    loadQualities();

    m_competitionTypes = std::make_unique<TCompetitionList>();
    m_storedCompetitions = std::make_unique<TCompetitionList>(m_db);
    m_competitionTypesProxy = std::make_unique<TCompetitionlistProxy>(m_competitionTypes.get());
    m_storedCompetitionsProxy =
        std::make_unique<TCompetitionlistProxy>(m_storedCompetitions.get());
    m_storedCompetitions->loadCompetitions(kUnfinished);

    m_shooters = std::make_unique<TShooterEnabledList>(m_db, false);
    m_shooters->load();
    m_members = std::make_unique<TMembers>(m_db);
    m_freeMembers = std::make_unique<TFreeMembers>(m_members.get());
    m_freeMembers->setEventNumFilter(kNoEventNum);
    m_shootersProxy = std::make_unique<TShootersProxy>(m_shooters.get(), m_members.get());
    // A file SQLite may only read loads as any other; the start-up warning
    // tells it before a relay is begun, not the first refused shot.
    if (earlyError == NoError)
        m_db->checkWritable();

    disconnect(early);
    connect(m_shooters.get(), &TShooterEnabledList::sig_shooterChanged, m_members.get(),
            &TMembers::slot_MemberChecked);
    connect(m_db, &TdbAccessor::errorSQL, this, &TUserModul::errorSQL);
    connect(m_db, &TdbAccessor::fileLost, this, [this](bool rewritten, const QString &keptAside) {
        if (rewritten)
            emit sig_storage(StorageFileRewritten, TdbAccessor::databasePath(), QSqlError(),
                             keptAside);
        updateShotStorage();
    });
    connect(m_db, &TdbAccessor::fileBack, this, [this] {
        emit sig_storage(StorageFileBack, TdbAccessor::databasePath(), QSqlError(), QString());
        updateShotStorage();
    });
    if (earlyError != NoError)
        errorSQL(earlyError);
    // Told by the accessor before anything listened, and maybe followed by
    // the failed opens of the loads above.
    if (schemaFailed)
        m_storageUnusable = true;
}

TUserModul::~TUserModul()
{
    // Views of the members and shooters go before their sources, the member
    // model before the exercises it points into.
    m_freeMembers.reset();
    m_shootersProxy.reset();
    m_members.reset();
    clearBulletLists();
    delete m_competition;
    m_competition = nullptr;
    qDeleteAll(m_teams);
    qDeleteAll(m_qualities);
}

QList<TEvent *> TUserModul::eventChain() const
{
    QList<TEvent *> chain;
    for (TEvent *event = firstEvent(); event; event = event->next())
        chain.append(event);
    return chain;
}

TEvent *TUserModul::firstEvent() const
{
    return m_competition ? m_competition->event(0) : nullptr;
}

void TUserModul::refilterShooters()
{
    m_shootersProxy->invalidate();
}

void TUserModul::detachMembers()
{
    // A question left open belongs to the competition that goes.
    m_colBullPending = false;
    m_members->setCompetition(0, nullptr);
    m_membersAttached = false;
    refilterShooters();
}

void TUserModul::attachMembers()
{
    m_membersAttached = m_members->setCompetition(m_competition->id(), firstEvent());
    m_members->load();
    refilterShooters();
}

bool TUserModul::isStorageUnusable()
{
    return m_storageUnusable || !m_db->checkDB();
}

bool TUserModul::newCompetition(int countryXMLID, int typeXMLID, bool final,
                                const QDate &startDate, const QTime &startTime,
                                const QString &name)
{
    detachMembers();
    delete m_competition;
    m_competition = new TCompetition(m_db, countryXMLID, typeXMLID, final);
    // One failed statement must not block new competitions until a restart;
    // only a database that cannot be opened or was not created does.
    if (isStorageUnusable())
        return false;
    m_competition->setStartDateTime(startDate, startTime);
    m_competition->setName(name);
    if (!m_competition->insertToDb())
        return false;
    reloadCompetitions();
    m_membersAttached = m_members->setCompetition(m_competition->id(), firstEvent());
    refilterShooters();
    makeBulletList(-1);
    return true;
}

bool TUserModul::newCompetition(int countryXMLID, int typeXMLID, bool final, const QString &name)
{
    return newCompetition(countryXMLID, typeXMLID, final, QDate::currentDate(),
                          QTime::currentTime(), name);
}

void TUserModul::openCompetition(int competitionID, bool load)
{
    detachMembers();
    delete m_competition;
    m_competition = new TCompetition(m_db, competitionID, true);
    if (!load)
        return;
    attachMembers();
    makeBulletList(-1);
    checkColBull(ColBullAsk);
}

bool TUserModul::editCompetition(int countryXMLID, int typeXMLID, bool final,
                                 const QDate &startDate, const QTime &startTime,
                                 const QString &name)
{
    if (!m_competition)
        return false;
    // Guarded: a new exercise record may take the memory (and the key) of one
    // the edit deleted, so equal addresses do not mean an unchanged chain.
    QList<QPointer<TEvent>> before;
    for (TEvent *event : eventChain())
        before.append(event);
    const bool edited =
        m_competition->edit(countryXMLID, typeXMLID, final, startDate, startTime, name);
    const QList<TEvent *> after = eventChain();
    bool chainChanged = after.size() != before.size();
    for (int i = 0; !chainChanged && i < after.size(); ++i)
        chainChanged = before.at(i).isNull() || before.at(i).data() != after.at(i);
    // A new type or a dropped final deletes exercise records, also when the
    // edit fails part-way; the members' relays and the shot lists must not
    // keep pointing at them.
    if (m_membersAttached && chainChanged) {
        reloadMembersKeepingState(true);
        makeBulletList(-1);
    }
    if (edited)
        reloadCompetitions();
    return edited;
}

bool TUserModul::deleteCompetition()
{
    clearBulletLists();
    detachMembers();
    if (!m_competition)
        return false;
    if (!m_competition->removeFromDb())
        return false;
    delete m_competition;
    m_competition = nullptr;
    reloadCompetitions();
    return true;
}

void TUserModul::closeCompetition()
{
    detachMembers();
    delete m_competition;
    m_competition = nullptr;
}

bool TUserModul::setCompetitionFinished(bool finished)
{
    if (!m_competition || !m_competition->setFinished(finished))
        return false;
    reloadCompetitions();
    return true;
}

bool TUserModul::setEventStartDateTime(TEvent *event, const QDate &date, const QTime &time)
{
    return m_competition && event
        && m_competition->setEventStartDateTime(event->id(), date, time);
}

bool TUserModul::setEventFinished(TEvent *event, bool finished)
{
    return m_competition && event && m_competition->setEventFinished(event->id(), finished);
}

void TUserModul::reloadCompetitions()
{
    m_storedCompetitions->loadCompetitions(kUnfinished);
}

TBulletList *TUserModul::bulletList(int eventID) const
{
    for (TBulletList *list : m_bulletLists) {
        if (list->eventId() == eventID)
            return list;
    }
    return nullptr;
}

TBulletList *TUserModul::createBulletList(const TEvent *event)
{
    auto *list = new TBulletList(event->id(), m_db, event->targetType(), event->isView10(),
                                 event->calibre(), event->controlValue());
    connect(list, &TBulletList::sig_writesWaiting, this, &TUserModul::updateShotStorage);
    const int eventID = event->id();
    connect(list, &TBulletList::sig_memberShotsGone, this,
            [this, eventID](int memberID) { onMemberShotsGone(eventID, memberID); });
    m_bulletLists.append(list);
    return list;
}

TBulletList *TUserModul::makeBulletList(int eventID)
{
    if (eventID < 0) {
        clearBulletLists();
        updateShotStorage();
        for (const TEvent *event : eventChain())
            createBulletList(event);
        return m_bulletLists.value(0, nullptr);
    }
    const TEvent *event = m_competition ? m_competition->eventByID(eventID) : nullptr;
    if (!event)
        return nullptr;
    if (TBulletList *old = bulletList(eventID)) {
        m_bulletLists.removeOne(old);
        delete old;
        updateShotStorage();
    }
    return createBulletList(event);
}

void TUserModul::clearBulletLists()
{
    qDeleteAll(m_bulletLists);
    m_bulletLists.clear();
    // What waited in them is not done: the old rows stay whole.
    m_waitingResets.clear();
}

void TUserModul::errorSQL(int err)
{
    m_lastError = err;
    // A failed open is tried again (isStorageUnusable asks); only a file
    // that could not be made at start stays unusable until a restart.
    if (err == ErrorImport)
        m_storageUnusable = true;
}

QString TUserModul::errorText() const
{
    return storageErrorText(m_lastError);
}

QSqlError TUserModul::lastFailure() const
{
    return m_db->lastFailure();
}

void TUserModul::updateShotStorage()
{
    // One word when storing stops and one when nothing waits any more: a
    // lane is asked for a refused shot many times a second while the other
    // lanes' shots may be stored, and a list tries its own writes again.
    int waiting = m_db->isFileLost() ? StorageFileGone : StorageNothingWaits;
    for (const TBulletList *list : qAsConst(m_bulletLists)) {
        if (list->hasWaitingShotWrites())
            waiting |= StorageShotsWait;
        if (list->hasWaitingMemberDeletes())
            waiting |= StorageResetWaits;
    }
    if (waiting == m_waitingWrites)
        return;
    m_waitingWrites = waiting;
    emit sig_storage(waiting, TdbAccessor::databasePath(),
                     waiting != StorageNothingWaits ? m_db->lastFailure() : QSqlError(), QString());
}
