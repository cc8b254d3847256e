#include "tdbaccessor.h"

#include "writeprobe.h"

#include "datapaths.h"
#include "fileconnections.h"
#include "schemafile.h"
#include "sidefiles.h"
#include "sqlstatement.h"
#include "storageerror.h"
#include "storageresources.h"

#include <QDebug>
#include <QFileInfo>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString kDriver = QStringLiteral("QSQLITE");

const char *const kTableNames[] = {
    "tcompetitions", "tevents", "tshooters", "tteam",
    "tqualifications", "tmembers", "trelays", "tbullets",
};
constexpr int kTableCount = int(sizeof(kTableNames) / sizeof(kTableNames[0]));

// Settings of every opened connection. WAL with synchronous FULL makes each
// commit wait until its frames are synced to the log file: a shot whose
// insert returned survives a killed program and a power cut, and a commit
// costs one sync instead of the several of a rollback journal. The indexes
// serve the per-member and per-competition lookups; they are made here and
// not in the schema script so that files made before get them too.
const char *const kConnectionSetup[] = {
    "PRAGMA journal_mode=WAL",
    "PRAGMA synchronous=FULL",
    "CREATE INDEX IF NOT EXISTS idx_tbullets_event_member ON tbullets (fEventID, fMemberID)",
    "CREATE INDEX IF NOT EXISTS idx_tbullets_member ON tbullets (fMemberID)",
    "CREATE INDEX IF NOT EXISTS idx_tmembers_competition ON tmembers (fCompetitionID)",
    "CREATE INDEX IF NOT EXISTS idx_tevents_competition ON tevents (fCompetitionID)",
};

constexpr qint64 kReopenGapMs = 1000;
// Opens tried at once when another file came to the path as one opened.
constexpr int kOpenTries = 3;

} // namespace

int TdbAccessor::s_openTransactions = 0;
QList<TdbAccessor *> TdbAccessor::s_accessors;

TdbAccessor::TdbAccessor(const QString &connectionName, QObject *parent)
    : QObject(parent)
{
    initStorageResources();
    s_accessors << this;
    m_db = QSqlDatabase::addDatabase(kDriver, connectionName);
    m_kept = new KeptFile(&m_db, this);
    // The file is not written in the middle of a transaction.
    m_kept->setHeldWhile([] { return s_openTransactions > 0; });
    connect(m_kept, &KeptFile::reopenNow, this, [this] { checkDB(); });
    connect(m_kept, &KeptFile::back, this, &TdbAccessor::fileBack);
    connect(m_kept, &KeptFile::writtenAgain, this, &TdbAccessor::tellWrittenAgain);
    connect(m_kept, &KeptFile::lost, this, [this](const QSqlError &cause) {
        m_lastFailure = cause;
        emit fileLost(false, QString());
        emit errorSQL(ErrorOpen);
    });
    m_db.setDatabaseName(databasePath());
    m_fileWasThere = ensureSchema();
    // Those there at start were left by a program killed while the file was
    // read-only (one range program works a run folder): as read-only as ours.
    noteMadeSideFiles({});
}

TdbAccessor::~TdbAccessor()
{
    s_accessors.removeOne(this);
    m_recordSet.clear();
    // A file replaced in the last second is written again before the
    // connection holding what it held goes; nobody is told any more.
    m_kept->keepBeforeClose();
    const QString name = m_db.connectionName();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

QString TdbAccessor::databasePath()
{
    return DataPaths::path(DataPaths::kDataBaseDir, DataPaths::kCompetitionsDb);
}

QString TdbAccessor::tableName(int table)
{
    if (table < 0 || table >= kTableCount)
        return QString();
    return QLatin1String(kTableNames[table]);
}

QString TdbAccessor::dateTimeSql(const QDate &date, const QTime &time)
{
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ')
        + time.toString(QStringLiteral("HH:mm:ss"));
}

bool TdbAccessor::checkDB()
{
    if (!keepFileAtPath())
        return false;
    // A handle that only reads, or none: opened again as soon as the file
    // changes (made writable, put back), else at most once a second.
    const bool waiting = m_openFailed || m_kept->onlyReads();
    const bool gapOver = !m_sinceReopen.isValid() || m_sinceReopen.hasExpired(kReopenGapMs)
        || (waiting && SideFiles::stamp(m_db.databaseName()) != m_fileAtOpen);
    if (m_openFailed && !gapOver) {
        qWarning() << "Data Base not accepted";
        return false;
    }
    if (m_kept->onlyReads() && s_openTransactions == 0 && gapOver) {
        m_kept->setOnlyReads(false);
        // A connection of another module (the results viewer's) would keep
        // the read-only mapping of the file alive for ours.
        FileConnections::closeAll(m_db.databaseName());
    }
    if (m_db.isOpen())
        return true;
    m_sinceReopen.start();
    m_openFailed = !openDB();
    m_fileAtOpen = SideFiles::stamp(m_db.databaseName());
    // Another file came to the path before the copy just opened was
    // proven in place: written again now, before the statement.
    if (!m_openFailed && m_kept->file().moved() && keepFileAtPath() && !m_db.isOpen())
        m_openFailed = !openDB();
    if (!m_openFailed)
        return m_db.isOpen();
    m_errorFlag = true;
    emit errorSQL(ErrorOpen);
    return false;
}

bool TdbAccessor::openDB()
{
    // Another file put at the path as the connection opened on the file
    // written again is moved aside at once, and the file put back.
    for (int tries = 0; tries < kOpenTries; ++tries) {
        const Opened opened = openOnce();
        if (opened != Opened::AnotherCame)
            return opened == Opened::Yes;
    }
    return false;
}

TdbAccessor::Opened TdbAccessor::openOnce()
{
    const QString path = m_db.databaseName();
    // The side files our connection made while the file was read-only are
    // made writable with it, or the new handle would only read.
    SideFiles::makeWritableLike(path, m_madeSideFiles);
    const QStringList before = SideFiles::existing(path);
    if (!ownFileAtPath()) {
        // The connection holding it writes it again once it can.
        m_lastFailure = storageFileMoved(QSqlError(
            QString(), QStringLiteral("the file written again is not at %1").arg(path),
            QSqlError::ConnectionError));
        qWarning().noquote() << "Cannot open database:" << m_lastFailure.text();
        return Opened::No;
    }
    QSqlError failure;
    const KeptFile::Opened opened = m_kept->open(&failure, [this] { prepareConnection(); });
    if (opened == KeptFile::Opened::No) {
        m_lastFailure = m_fileWasThere && !QFileInfo::exists(path) ? storageFileMissing(failure, path)
                                                                   : failure;
        return Opened::No;
    }
    if (opened == KeptFile::Opened::AnotherCame) {
        m_lastFailure = failure;
        return Opened::AnotherCame;
    }
    m_fileWasThere = true;
    noteMadeSideFiles(before);
    return Opened::Yes;
}

bool TdbAccessor::keepFileAtPath(bool retryNow)
{
    QSqlError cause;
    if (m_kept->keepAtPath(retryNow, &cause))
        return true;
    if (cause.isValid())
        m_lastFailure = cause;
    return false;
}

QList<QPointer<TdbAccessor>> TdbAccessor::accessorsOfFile() const
{
    const QString file = QFileInfo(m_db.databaseName()).absoluteFilePath();
    QList<QPointer<TdbAccessor>> same;
    for (TdbAccessor *accessor : qAsConst(s_accessors)) {
        if (QFileInfo(accessor->m_db.databaseName()).absoluteFilePath() == file)
            same << accessor;
    }
    return same;
}

void TdbAccessor::tellWrittenAgain(const QStringList &keptAside)
{
    for (const QPointer<TdbAccessor> &accessor : accessorsOfFile()) {
        if (accessor)
            accessor->writtenAgain(m_kept->file(), keptAside.join(QLatin1Char('\n')));
    }
}

void TdbAccessor::writtenAgain(const OpenedFile &written, const QString &keptAside)
{
    m_kept->file().expect(written);
    // Opened on the new file by the next statement, or now.
    m_madeSideFiles.clear();
    emit fileLost(true, keptAside);
}

bool TdbAccessor::heldOpenElsewhere() const
{
    for (const QPointer<TdbAccessor> &accessor : accessorsOfFile()) {
        if (accessor != this && accessor->m_db.isOpen())
            return true;
    }
    return false;
}

bool TdbAccessor::ownFileAtPath()
{
    QStringList keptAside;
    OpenedFile::Opening opening = m_kept->file().beforeOpen(&keptAside, heldOpenElsewhere());
    if (opening == OpenedFile::Opening::Held) {
        // A connection still open on the file written finds another at the
        // path and writes it again there, telling this one.
        for (const QPointer<TdbAccessor> &accessor : accessorsOfFile()) {
            if (accessor && accessor != this && accessor->m_db.isOpen())
                accessor->keepFileAtPath(true);
        }
        opening = m_kept->file().beforeOpen(&keptAside, heldOpenElsewhere());
    }
    // None waits for the file written any more.
    if (opening == OpenedFile::Opening::TakenAsItStands) {
        for (const QPointer<TdbAccessor> &accessor : accessorsOfFile()) {
            if (accessor && accessor != this)
                accessor->m_kept->file().expect(m_kept->file());
        }
    }
    if (!keptAside.isEmpty())
        tellWrittenAgain(keptAside);
    return opening != OpenedFile::Opening::Held;
}

void TdbAccessor::noteMadeSideFiles(const QStringList &before)
{
    for (const QString &file : SideFiles::existing(m_db.databaseName())) {
        if (!before.contains(file) && !m_madeSideFiles.contains(file))
            m_madeSideFiles << file;
    }
}

void TdbAccessor::prepareConnection()
{
    // A read-only file refuses these; it still serves reads, so a refusal
    // is logged and not reported.
    for (const char *statement : kConnectionSetup) {
        QSqlQuery query(m_db);
        if (!query.exec(QLatin1String(statement)))
            qWarning().noquote() << "Unable to execute query - " + QLatin1String(statement)
                                 << query.lastError().text();
    }
}

bool TdbAccessor::importDB()
{
    return importDB(QLatin1String(kSchemaResource));
}

bool TdbAccessor::importDB(const QString &scriptPath)
{
    QSqlError cause;
    return SchemaFile::import(m_db, scriptPath, &cause) || failImport(cause);
}

bool TdbAccessor::ensureSchema()
{
    QSqlError cause;
    return SchemaFile::ensure(m_db, QLatin1String(kSchemaResource), &cause) || failImport(cause);
}

bool TdbAccessor::failImport(const QSqlError &cause)
{
    m_lastFailure = cause;
    m_errorFlag = true;
    emit errorSQL(ErrorImport);
    return false;
}

void TdbAccessor::reportStatementFailure(const QString &statement, const QSqlError &error)
{
    logStatementFailure(statement, error.text());
    noteFailure(error);
    emit errorSQL(ErrorStatement);
}

QSqlError TdbAccessor::lastFailure() const
{
    return storageOnFullDisk(m_lastFailure, m_db.databaseName());
}

void TdbAccessor::noteFailure(const QSqlError &error)
{
    // A write refused because the file moved is written again from this
    // connection at the next statement, never opened again by its path.
    m_kept->refused(error, &m_lastFailure);
}

bool TdbAccessor::run(QSqlQuery &query, const QString &statement, const QVariantList &values)
{
    if (runBound(query, statement, values))
        return true;
    noteFailure(query.lastError());
    emit errorSQL(ErrorStatement);
    return false;
}

bool TdbAccessor::execQuery(const QString &statement, const QVariantList &values)
{
    if (!checkDB())
        return false;
    QSqlQuery query(m_db);
    return run(query, statement, values);
}

bool TdbAccessor::execSelect(const QString &statement, const QVariantList &values)
{
    m_recordSet.clear();
    if (!checkDB())
        return false;
    QSqlQuery query(m_db);
    if (!run(query, statement, values))
        return false;
    const QSqlRecord record = query.record();
    const int columns = record.count();
    while (query.next()) {
        m_recordSet.addRow();
        for (int i = 0; i < columns; ++i)
            m_recordSet.addValue(record.fieldName(i), query.value(i));
    }
    return true;
}

bool TdbAccessor::execExists(const QString &statement, const QVariantList &values)
{
    if (!checkDB())
        return false;
    QSqlQuery query(m_db);
    return run(query, statement, values) && query.next();
}

bool TdbAccessor::execHasRows(const QString &statement, const QVariantList &values)
{
    return execExists(statement, values);
}

int TdbAccessor::getMaxID(int table)
{
    if (!checkDB())
        return -1;
    const QString name = tableName(table);
    if (name.isEmpty()) {
        qWarning() << "Error in table's name";
        return -1;
    }
    QSqlQuery query(m_db);
    // The name comes from the fixed table list, never from the caller.
    if (!run(query, QStringLiteral("SELECT MAX(ID) FROM %1").arg(name), QVariantList()))
        return 0;
    if (!query.next())
        return 0;
    return query.value(0).toInt();
}

bool TdbAccessor::isExist(int table, int id)
{
    const QString name = tableName(table);
    if (name.isEmpty()) {
        qWarning() << "Error in table's name";
        return false;
    }
    return execExists(QStringLiteral("SELECT * FROM %1 WHERE ID=?").arg(name), {id});
}

bool TdbAccessor::inTransaction(const std::function<bool()> &work)
{
    if (m_transactionDepth > 0)
        return work();
    if (!checkDB())
        return false;
    if (!m_db.transaction()) {
        reportStatementFailure(QStringLiteral("BEGIN"), m_db.lastError());
        return false;
    }
    ++m_transactionDepth;
    ++s_openTransactions;
    const bool ok = work();
    --s_openTransactions;
    --m_transactionDepth;
    if (ok && m_db.commit())
        return true;
    if (ok)
        reportStatementFailure(QStringLiteral("COMMIT"), m_db.lastError());
    m_db.rollback();
    return false;
}

bool TdbAccessor::checkWritable()
{
    if (!checkDB())
        return false;
    QSqlError refusal;
    if (WriteProbe::rewriteVersion(m_db, &refusal))
        return true;
    reportStatementFailure(QStringLiteral("PRAGMA user_version"), refusal);
    return false;
}

bool TdbAccessor::execAll(const QList<QPair<QString, QVariantList>> &statements)
{
    for (const auto &statement : statements) {
        if (!execQuery(statement.first, statement.second))
            return false;
    }
    return true;
}

QList<int> TdbAccessor::collectIDs(const QString &field)
{
    QList<int> ids;
    while (m_recordSet.next()) {
        bool ok = false;
        const int id = m_recordSet.value(field, &ok).toInt(&ok);
        if (ok)
            ids.append(id);
    }
    return ids;
}

int TdbAccessor::insertWithNextKey(int table, const QString &statement, QVariantList values)
{
    const int maxID = getMaxID(table);
    if (maxID < 0)
        return -1;
    const int key = maxID + 1;
    values.prepend(key);
    return execQuery(statement, values) ? key : -1;
}
