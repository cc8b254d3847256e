#include "keptfile.h"

#include "fileuri.h"
#include "storageerror.h"

#include <QDebug>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTimer>

namespace {

// A file removed or replaced is noticed within this time, with no
// statement run.
constexpr int kFileCheckMs = 1000;

// Why the open connection cannot read the file; no error when it can.
QSqlError readFailure(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) && query.next())
        return QSqlError();
    return query.lastError();
}

} // namespace

KeptFile::KeptFile(QSqlDatabase *db, QObject *parent)
    : QObject(parent), m_db(db)
{
    m_check = new QTimer(this);
    m_check->setInterval(kFileCheckMs);
    connect(m_check, &QTimer::timeout, this, [this] {
        QSqlError cause;
        if (m_db->isOpen() && keepAtPath(true, &cause) && !m_db->isOpen())
            emit reopenNow();
    });
    m_check->start();
}

KeptFile::Opened KeptFile::open(QSqlError *failure, const std::function<void()> &prepare)
{
    const QString path = m_db->databaseName();
    const QString options = m_db->connectOptions();
    const bool readOnly = options.contains(QStringLiteral("QSQLITE_OPEN_READONLY"));
    // SQLite makes a missing file on open unless its URI says not to: a
    // file taken away meanwhile stays missing, and the program's writes
    // wait for it instead of going into a new one nobody will look at.
    m_db->setConnectOptions(options.isEmpty() ? QStringLiteral("QSQLITE_OPEN_URI")
                                              : options + QStringLiteral(";QSQLITE_OPEN_URI"));
    m_db->setDatabaseName(FileUri::existing(path, readOnly));
    bool opened = m_db->open();
    *failure = opened ? readFailure(*m_db) : m_db->lastError();
    if (opened && storageFailedOnFullDisk(*failure, path)) {
        m_db->close();
        m_db->setDatabaseName(FileUri::asItStands(path));
        opened = m_db->open();
        *failure = opened ? readFailure(*m_db) : m_db->lastError();
        if (failure->isValid()) {
            m_db->close();
            opened = false;
        }
    }
    m_db->setDatabaseName(path);
    m_db->setConnectOptions(options);
    if (!opened) {
        qWarning().noquote() << "Cannot open database:" << failure->text();
        return Opened::No;
    }
    if (!m_file.noteOpened(path)) {
        m_db->close();
        *failure = storageFileMoved(QSqlError(
            QString(), QStringLiteral("another file came to %1").arg(path),
            QSqlError::ConnectionError));
        return Opened::AnotherCame;
    }
    *failure = QSqlError();
    if (prepare)
        prepare();
    m_file.proveInPlace(*m_db);
    // A read-only handle is replaced before the first write the operator
    // makes once the file may be written, not after that write is refused.
    // The probe waits for no lock while a transaction is open; the refusal
    // replaces the handle then. A refusal because the file moved is no
    // read-only file's: it is written again.
    m_onlyReads = !(m_held && m_held()) && m_file.onlyReads(*m_db);
    return Opened::Yes;
}

bool KeptFile::keepAtPath(bool lookNow, QSqlError *cause)
{
    if (!m_db->isOpen() || (m_held && m_held()))
        return true;
    // A connection opened by another owner of it: the file it holds is the
    // one first seen open.
    if (!m_file.known()) {
        m_file.noteOpened(m_db->databaseName());
        return true;
    }
    // A handle that only reads, about to be opened again by its path, wrote
    // nothing since it was opened so: a file taken away with all it holds
    // is waited for, not written again.
    if (m_onlyReads && !QFileInfo::exists(m_db->databaseName()))
        return true;
    QStringList keptAside;
    switch (m_file.keep(*m_db, lookNow || m_onlyReads, &keptAside, cause)) {
    case OpenedFile::Kept::AtPath:
        return true;
    case OpenedFile::Kept::Back:
        emit back();
        return true;
    case OpenedFile::Kept::Rewritten:
        m_onlyReads = false;
        emit writtenAgain(keptAside);
        return true;
    case OpenedFile::Kept::Lost:
        emit lost(*cause);
        return false;
    case OpenedFile::Kept::StillLost:
        return false;
    }
    return false;
}

KeptFile::Refusal KeptFile::refused(const QSqlError &refusal, QSqlError *told)
{
    *told = refusal;
    if (!storageRefusedAsReadOnly(refusal) && !storageRefusedAsMoved(refusal))
        return Refusal::Other;
    if (m_file.refusedAsMoved(refusal)) {
        *told = storageFileMoved(refusal);
        return Refusal::Moved;
    }
    m_onlyReads = true;
    return Refusal::ReadOnly;
}

void KeptFile::keepBeforeClose()
{
    if (m_db->isOpen() && !(m_held && m_held()))
        m_file.keepBeforeClose(*m_db);
}
