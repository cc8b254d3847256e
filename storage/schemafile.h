#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

// Brings a database file to the tables of its schema script. Whether the
// schema is there is read from the file's content, never from the file's
// existence: a program killed while it made the file leaves an empty or
// table-less file behind, and that file must get its tables on the next
// start instead of failing every statement for good. Both database files of
// the program go through here.
namespace SchemaFile {

// Opens the connection (which makes a missing file), imports the script
// when the file holds none of the tables the script creates, and closes the
// connection. False when the script or the file cannot be read, when the
// import fails, or when the file holds only some of those tables: no import
// of ours leaves such a file, so it is kept as it is for someone to look at.
// A file there that a full disk keeps SQLite from reading is read as it
// stands to tell.
// cause, when given, receives SQLite's account of a failed open or import.
bool ensure(QSqlDatabase &db, const QString &scriptPath, QSqlError *cause = nullptr);

// Runs the script's statements, one per line, in one transaction and closes
// the connection. On failure nothing of the script stays, and a file that
// this import itself created is removed with its side files.
bool import(QSqlDatabase &db, const QString &scriptPath, QSqlError *cause = nullptr);

// The names of the tables that CREATE TABLE statements make, as written.
QStringList createdTables(const QStringList &statements);

} // namespace SchemaFile
