#pragma once

#include <QList>
#include <QSqlError>
#include <QString>
#include <QStringList>

// The operator's words for the program's files that fail it (the reference
// lists, the style pictures, the two databases), said at start and where an
// action meets the failure, so both say the same.
namespace FileWords {

// The list a file holds, in words ("список упражнений"); empty for a file
// that is not a reference list.
QString listName(const QString &file);

// "Список упражнений ServerDatas/Events/EventsType.xml: файл не найден" for
// each reference list of the run folder that cannot serve.
QStringList referenceListProblems();

// Why the list file in that folder of the run folder cannot serve ("файл не
// найден"); empty when it serves.
QString listFailure(const QString &dir, const QString &file, const QString &root);

// Where the lists and pictures belong (the run folder), that they come with
// the program, and the restart that reads them.
QString listsRemedy();

// A database file the module could not open, make or write.
struct StorageFailure
{
    QString file;       // its name, e.g. "competitions.sqlite"
    QString text;       // the module's text of its failure
    QSqlError failure;  // SQLite's account
    // The program writes the file again by itself once the cause is gone
    // (it opens the file anew); otherwise only a restart does.
    bool healsWhileRunning = false;
};

// Each failure with its cause, then each remedy once and what the program
// does once they are followed: writes by itself, or after a restart.
QString storageFailures(const QList<StorageFailure> &failures);

} // namespace FileWords
