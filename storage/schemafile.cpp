#include "schemafile.h"

#include "fileconnections.h"
#include "fileuri.h"
#include "openedfile.h"
#include "sidefiles.h"
#include "storageerror.h"
#include "sqlstatement.h"

#include <QDebug>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace {

enum class Content { Complete, NoTables, SomeTables, Unreadable };

// One statement per line; a line is read up to its first zero byte.
bool readScript(const QString &scriptPath, QStringList *statements)
{
    if (!QFile::exists(scriptPath)) {
        qWarning().noquote() << "fileImport: " + scriptPath + " dont exist";
        return false;
    }
    QFile script(scriptPath);
    if (!script.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "Cannot open fileImport: " + scriptPath;
        return false;
    }
    while (!script.atEnd()) {
        QByteArray line = script.readLine();
        const int zero = line.indexOf('\0');
        if (zero >= 0)
            line.truncate(zero);
        const QString statement = QString::fromUtf8(line);
        if (!statement.trimmed().isEmpty())
            statements->append(statement);
    }
    return true;
}

// Opens the connection afresh; *existed tells whether the file was there
// before, and a file the failed open itself made is removed again.
bool open(QSqlDatabase &db, bool *existed, QSqlError *cause)
{
    *existed = QFile::exists(db.databaseName());
    if (db.isOpen())
        db.close();
    if (db.open())
        return true;
    qWarning().noquote() << "Cannot open database:" << db.lastError().text();
    *cause = db.lastError();
    if (!*existed)
        SideFiles::removeAll(db.databaseName());
    return false;
}

// SQLite matches table names without regard to case, and so does this.
Content content(QSqlDatabase &db, const QStringList &tables, QSqlError *cause)
{
    const QString statement = QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'");
    QSqlQuery query(db);
    if (!query.exec(statement)) {
        logStatementFailure(statement, query.lastError().text());
        *cause = query.lastError();
        return Content::Unreadable;
    }
    QSet<QString> present;
    while (query.next())
        present.insert(query.value(0).toString().toLower());
    int found = 0;
    for (const QString &table : tables)
        found += present.contains(table.toLower()) ? 1 : 0;
    if (found == tables.size())
        return Content::Complete;
    return found == 0 ? Content::NoTables : Content::SomeTables;
}

// On an open connection; closes it.
bool importStatements(QSqlDatabase &db, const QStringList &statements, bool existed,
                      QSqlError *cause)
{
    bool ok = db.transaction();
    if (!ok) {
        logStatementFailure(QStringLiteral("BEGIN"), db.lastError().text());
        *cause = db.lastError();
    }
    for (int i = 0; ok && i < statements.size(); ++i) {
        QSqlQuery query(db);
        if (!query.exec(statements.at(i))) {
            logStatementFailure(statements.at(i), query.lastError().text());
            *cause = query.lastError();
            ok = false;
        }
    }
    if (ok && !db.commit()) {
        logStatementFailure(QStringLiteral("COMMIT"), db.lastError().text());
        *cause = db.lastError();
        ok = false;
    }
    if (!ok)
        db.rollback();
    db.close();
    if (!ok && !existed)
        SideFiles::removeAll(db.databaseName());
    return ok;
}

} // namespace

namespace SchemaFile {

QStringList createdTables(const QStringList &statements)
{
    static const QRegularExpression create(
        QStringLiteral("^\\s*CREATE\\s+TABLE\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?[\"`\\[]?(\\w+)"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList tables;
    for (const QString &statement : statements) {
        const QRegularExpressionMatch match = create.match(statement);
        if (match.hasMatch())
            tables.append(match.captured(1));
    }
    return tables;
}

bool import(QSqlDatabase &db, const QString &scriptPath, QSqlError *cause)
{
    QSqlError ignored;
    cause = cause ? cause : &ignored;
    QStringList statements;
    bool existed = false;
    if (!readScript(scriptPath, &statements) || !open(db, &existed, cause))
        return false;
    return importStatements(db, statements, existed, cause);
}

bool ensure(QSqlDatabase &db, const QString &scriptPath, QSqlError *cause)
{
    QSqlError ignored;
    cause = cause ? cause : &ignored;
    QStringList statements;
    bool existed = false;
    // The modules are made at start, and the first finds what a program
    // stopped in a rewrite left; with a connection of ours on the file, the
    // log there is its own.
    if (!FileConnections::anyOpen(db.databaseName())) {
        QStringList keptAside;
        OpenedFile::clearLeftovers(db.databaseName(), &keptAside);
        if (!keptAside.isEmpty())
            qWarning().noquote() << "Left beside" << db.databaseName() << "and kept as:" << keptAside;
    }
    if (!readScript(scriptPath, &statements) || !open(db, &existed, cause))
        return false;
    Content found = content(db, createdTables(statements), cause);
    if (found == Content::Unreadable && existed
        && storageFailedOnFullDisk(*cause, db.databaseName())) {
        // Read as it stands: a file with its tables is left to be read so.
        const QString path = db.databaseName();
        db.close();
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        db.setDatabaseName(FileUri::asItStands(path));
        if (db.open() && content(db, createdTables(statements), cause) == Content::Complete)
            found = Content::Complete;
        db.close();
        db.setDatabaseName(path);
        db.setConnectOptions();
    }
    switch (found) {
    case Content::Complete:
        db.close();
        return true;
    case Content::NoTables:
        return importStatements(db, statements, existed, cause);
    case Content::SomeTables:
        qWarning().noquote() << "Data Base not accepted:" << db.databaseName()
                             << "lacks some of its tables";
        break;
    case Content::Unreadable:
        break;
    }
    db.close();
    return false;
}

} // namespace SchemaFile
