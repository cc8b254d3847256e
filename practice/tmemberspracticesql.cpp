#include "tmemberspractice.h"

#include "sidefiles.h"
#include "storageerror.h"
#include "sqlstatement.h"
#include "sqlvalues.h"
#include "tshooter.h"
#include "writeprobe.h"

#include <QDebug>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <memory>

namespace {

// Entry 0 of the teams and of the qualifications is the seed row "NONE".
constexpr int kNoneID = 0;

const QString kShootersTable = QStringLiteral("TShooters");
const QStringList kTables = {kShootersTable, QStringLiteral("TTeam"),
                             QStringLiteral("tQualifications")};

const QString kSelectShooter = QStringLiteral("SELECT * FROM TShooters WHERE ID=?");
const QString kSelectTeam = QStringLiteral("SELECT * FROM TTeam WHERE ID=?");
const QString kSelectQualification = QStringLiteral("SELECT * FROM tQualifications WHERE ID=?");

QDate storedDate(const QVariant &value)
{
    // Stored as "yyyy-MM-dd 00:00:00".
    return QDate::fromString(value.toString().left(10), QStringLiteral("yyyy-MM-dd"));
}

} // namespace

bool TMembersPractice::openDatabase()
{
    // After a rewrite only on the file written, put back if another came;
    // no other connection holds the roster's file.
    QStringList keptAside;
    m_kept->file().beforeOpen(&keptAside, false);
    if (!keptAside.isEmpty())
        emit sig_fileLost(true, keptAside.join(QLatin1Char('\n')), QSqlError());
    QSqlError failure;
    if (m_kept->open(&failure) != KeptFile::Opened::Yes)
        return false;
    m_readOnlyAt = m_kept->onlyReads() ? SideFiles::stamp(m_db.databaseName()) : QString();
    return true;
}

bool TMembersPractice::ensureDatabaseOpen()
{
    // A handle that only reads is replaced once the file is changed (made
    // writable): the roster takes changes without a restart. The path is
    // looked at first, so that it never opens on another file: a handle
    // whose file could not be written again holds all of it, and stays,
    // and the roster reads on from it.
    QSqlError cause;
    m_kept->keepAtPath(false, &cause);
    if (m_db.isOpen() && !m_readOnlyAt.isEmpty() && !m_kept->file().lost()
        && SideFiles::stamp(m_db.databaseName()) != m_readOnlyAt)
        m_db.close();
    if (!m_db.isOpen() && !openDatabase())
        return false;
    // Another file came before the copy just opened was proven in place:
    // written again before the statement.
    if (m_kept->file().moved())
        m_kept->keepAtPath(false, &cause);
    return m_db.isOpen() || openDatabase();
}

void TMembersPractice::closeDatabase()
{
    m_db.close();
}

bool TMembersPractice::exec(QSqlQuery &query, const QString &statement, const QVariantList &values)
{
    if (!ensureDatabaseOpen())
        return false;
    if (runBound(query, statement, values))
        return true;
    // Written again at the next statement when the file moved.
    QSqlError told;
    m_kept->refused(query.lastError(), &told);
    return false;
}

bool TMembersPractice::loadShooters()
{
    clear();
    QSqlQuery query(m_db);
    if (!exec(query, QStringLiteral("SELECT * FROM TShooters")))
        return false;
    const QSqlRecord record = query.record();
    const int id = record.indexOf(QStringLiteral("ID"));
    const int family = record.indexOf(QStringLiteral("fFamily"));
    const int name = record.indexOf(QStringLiteral("fName"));
    const int birth = record.indexOf(QStringLiteral("fDateofBirth"));
    const int gender = record.indexOf(QStringLiteral("fGender"));
    const int country = record.indexOf(QStringLiteral("fCountryXMLID"));
    const int team = record.indexOf(QStringLiteral("fTeamID"));
    const int quality = record.indexOf(QStringLiteral("fQualityID"));
    const int addition = record.indexOf(QStringLiteral("fAddition"));
    QList<TShooter *> loaded;
    while (query.next()) {
        auto *shooter = new TShooter();
        shooter->setID(query.value(id).toInt());
        shooter->setNames(query.value(name).toString(), query.value(family).toString());
        shooter->setDateOfBirth(storedDate(query.value(birth)));
        shooter->setGender(query.value(gender).toInt());
        shooter->setCountryXMLID(query.value(country).toInt());
        shooter->setTeamID(query.value(team).toInt());
        shooter->setQualityID(query.value(quality).toInt());
        shooter->setAddition(query.value(addition).toBool());
        loaded.append(shooter);
    }
    if (!loaded.isEmpty()) {
        beginInsertRows(QModelIndex(), 0, loaded.size() - 1);
        m_shooters = loaded;
        endInsertRows();
    }
    return true;
}

int TMembersPractice::maxID(const QString &table)
{
    QString name = table.isEmpty() ? kShootersTable : QString();
    for (const QString &known : kTables) {
        if (known.compare(table, Qt::CaseInsensitive) == 0)
            name = known;
    }
    // Only the roster's own tables: the name becomes statement text.
    if (name.isEmpty()) {
        qWarning() << "Error in table's name";
        return -1;
    }
    QSqlQuery query(m_db);
    if (!exec(query, QStringLiteral("SELECT MAX(ID) FROM %1").arg(name)) || !query.next())
        return -1;
    return query.value(0).toInt(); // NULL for an empty table reads as 0
}

TMembersPractice::Lookup TMembersPractice::lookup(const QString &statement, int id)
{
    QSqlQuery query(m_db);
    if (!exec(query, statement, {id}))
        return Lookup::Failed;
    return query.next() ? Lookup::Found : Lookup::Missing;
}

TMembersPractice::Lookup TMembersPractice::teamLookup(int id)
{
    return id == kNoneID ? Lookup::Found : lookup(kSelectTeam, id);
}

TMembersPractice::Lookup TMembersPractice::qualificationLookup(int id)
{
    return id == kNoneID ? Lookup::Found : lookup(kSelectQualification, id);
}

bool TMembersPractice::shooterIdExists(int id)
{
    return lookup(kSelectShooter, id) == Lookup::Found;
}

bool TMembersPractice::teamIdExists(int id)
{
    return teamLookup(id) == Lookup::Found;
}

bool TMembersPractice::qualificationIdExists(int id)
{
    return qualificationLookup(id) == Lookup::Found;
}

bool TMembersPractice::checkedReference(Lookup found, int *id) const
{
    if (found == Lookup::Failed)
        return false;
    if (found == Lookup::Missing)
        *id = kNoneID;
    return true;
}

int TMembersPractice::addShooter(const QString &name, const QString &family,
                                 const QDate &dateOfBirth, int gender, int countryXMLID,
                                 int teamID, int qualityID, int addition, bool used)
{
    const int maxKey = maxID(kShootersTable);
    if (maxKey < 0)
        return -1;
    if (!checkedReference(teamLookup(teamID), &teamID)
        || !checkedReference(qualificationLookup(qualityID), &qualityID))
        return -1;
    auto shooter = std::make_unique<TShooter>();
    shooter->setID(maxKey + 1);
    shooter->setPersonalData(name, family, dateOfBirth, gender, countryXMLID, teamID, qualityID);
    shooter->setUsed(used);
    shooter->setAddition(addition != 0);
    QSqlQuery query(m_db);
    const bool stored = exec(
        query,
        QStringLiteral("INSERT INTO tShooters (ID, fName, fFamily, fDateofBirth, fGender, "
                       "fCountryXMLID, fTeamID, fQualityID, fAddition) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {shooter->id(), sqlText(name), sqlText(family), shooter->dateOfBirthSql(),
         shooter->gender(), countryXMLID, teamID, qualityID, sqlBool(shooter->addition())});
    if (!stored)
        return -1;
    beginInsertRows(QModelIndex(), m_shooters.size(), m_shooters.size());
    m_shooters.append(shooter.release());
    endInsertRows();
    return m_shooters.last()->id();
}

bool TMembersPractice::updateShooter(int id, TShooter *data)
{
    TShooter *shooter = shooterById(id);
    if (!data || !shooter || !shooterIdExists(id))
        return false;
    // Only a reference that changes to a real entry is looked up; keeping
    // the current one, or choosing "none", is written as it is.
    int teamID = data->teamID();
    if (teamID > kNoneID && teamID != shooter->teamID()) {
        if (!checkedReference(teamLookup(teamID), &teamID))
            return false;
        data->setTeamID(teamID);
    }
    int qualityID = data->qualityID();
    if (qualityID > kNoneID && qualityID != shooter->qualityID()) {
        if (!checkedReference(qualificationLookup(qualityID), &qualityID))
            return false;
        data->setQualityID(qualityID);
    }
    QSqlQuery query(m_db);
    const bool stored = exec(
        query,
        QStringLiteral("UPDATE tshooters SET fName=?, fFamily=?, fDateofBirth=?, fGender=?, "
                       "fCountryXMLID=?, fTeamID=?, fQualityID=?, fAddition=? WHERE ID=?"),
        {sqlText(data->name()), sqlText(data->family()), data->dateOfBirthSql(), data->gender(),
         data->countryXMLID(), data->teamID(), data->qualityID(), sqlBool(data->addition()), id});
    if (!stored)
        return false;
    shooter->setPersonalData(data->name(), data->family(), data->dateOfBirth(), data->gender(),
                             data->countryXMLID(), data->teamID(), data->qualityID());
    announceRow(m_shooters.indexOf(shooter));
    return true;
}

bool TMembersPractice::deleteShooter(TShooter *shooter)
{
    if (!shooter)
        return false;
    const int id = shooter->id();
    const Lookup found = lookup(kSelectShooter, id);
    if (found == Lookup::Failed)
        return false;
    if (found == Lookup::Found) {
        QSqlQuery query(m_db);
        if (!exec(query, QStringLiteral("DELETE FROM TShooters WHERE ID=?"), {id}))
            return false;
    }
    // A row already gone from the table leaves the roster all the same.
    const int row = rowOf(shooter);
    if (row < 0)
        return true;
    TShooter *own = m_shooters.at(row);
    const bool wasUsed = own->isUsed();
    beginRemoveRows(QModelIndex(), row, row);
    m_shooters.removeAt(row);
    endRemoveRows();
    delete own;
    if (wasUsed)
        checkTargetConflicts();
    return true;
}

bool TMembersPractice::deleteShooterForward(int id)
{
    TShooter *shooter = shooterById(id);
    return shooter && deleteShooter(shooter);
}

int TMembersPractice::insertWithNextKey(const QString &table, const QString &statement,
                                        QVariantList values)
{
    const int maxKey = maxID(table);
    if (maxKey < 0)
        return -1;
    values.prepend(maxKey + 1);
    QSqlQuery query(m_db);
    return exec(query, statement, values) ? maxKey + 1 : -1;
}

bool TMembersPractice::updateExisting(Lookup found, const QString &statement,
                                      const QVariantList &values)
{
    if (found != Lookup::Found)
        return false;
    QSqlQuery query(m_db);
    return exec(query, statement, values);
}

int TMembersPractice::addTeam(int countryXMLID, const QString &name)
{
    return insertWithNextKey(
        QStringLiteral("TTeam"),
        QStringLiteral("INSERT INTO tteam (ID, fName, fCountryXMLID) VALUES (?, ?, ?)"),
        {sqlText(name), countryXMLID});
}

bool TMembersPractice::updateTeam(int id, int countryXMLID, const QString &name)
{
    return updateExisting(teamLookup(id),
                          QStringLiteral("UPDATE tteam SET fName=?, fCountryXMLID=? WHERE ID=?"),
                          {sqlText(name), countryXMLID, id});
}

bool TMembersPractice::deleteTeam(int id)
{
    if (id == kNoneID || teamLookup(id) != Lookup::Found)
        return false;
    if (!deleteReferenced(QStringLiteral("DELETE FROM tteam WHERE ID=?"),
                          QStringLiteral("UPDATE TShooters SET fTeamID=0 WHERE fTeamID=?"), id))
        return false;
    for (TShooter *shooter : qAsConst(m_shooters)) {
        if (shooter->teamID() == id)
            shooter->setTeamID(kNoneID);
    }
    return true;
}

int TMembersPractice::addQualification(const QString &name, const QString &shortName)
{
    return insertWithNextKey(
        QStringLiteral("tQualifications"),
        QStringLiteral("INSERT INTO tqualifications (ID, fName, fshortname) VALUES (?, ?, ?)"),
        {sqlText(name), sqlText(shortName)});
}

bool TMembersPractice::updateQualification(int id, const QString &name, const QString &shortName)
{
    return updateExisting(
        qualificationLookup(id),
        QStringLiteral("UPDATE tqualifications SET fName=?, fshortname=? WHERE ID=?"),
        {sqlText(name), sqlText(shortName), id});
}

bool TMembersPractice::deleteQualification(int id)
{
    if (id == kNoneID || qualificationLookup(id) != Lookup::Found)
        return false;
    if (!deleteReferenced(QStringLiteral("DELETE FROM tqualifications WHERE ID=?"),
                          QStringLiteral("UPDATE TShooters SET fQualityID=0 WHERE fQualityID=?"),
                          id))
        return false;
    for (TShooter *shooter : qAsConst(m_shooters)) {
        if (shooter->qualityID() == id)
            shooter->setQualityID(kNoneID);
    }
    return true;
}

bool TMembersPractice::deleteReferenced(const QString &deleteStatement,
                                        const QString &resetStatement, int id)
{
    if (!ensureDatabaseOpen())
        return false;
    if (!m_db.transaction()) {
        logStatementFailure(QStringLiteral("BEGIN"), m_db.lastError().text());
        return false;
    }
    bool ok = false;
    QSqlError refusal;
    {
        QSqlQuery remove(m_db);
        QSqlQuery reset(m_db);
        ok = runBound(remove, deleteStatement, {id}) && runBound(reset, resetStatement, {id});
        refusal = remove.lastError().isValid() ? remove.lastError() : reset.lastError();
    }
    if (ok && m_db.commit())
        return true;
    if (ok) {
        refusal = m_db.lastError();
        logStatementFailure(QStringLiteral("COMMIT"), refusal.text());
    }
    m_db.rollback();
    // Written again at the next statement when the file moved, as in exec.
    QSqlError told;
    m_kept->refused(refusal, &told);
    return false;
}
