#pragma once

#include "openedfile.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>

#include <functional>

class QTimer;

// The one rule by which an owner of a connection (the competitions
// accessor, the practice roster) keeps the database file it holds at its
// path: the connection opens only on the program's file, the path is
// looked at every second and before statements, the file is written again
// from the connection when another came, a write refused because the file
// moved is taken as that, and the path is looked at once more before the
// connection closes for good.
class KeptFile : public QObject
{
    Q_OBJECT

public:
    // db: the owner's connection, which outlives this child of the owner.
    explicit KeptFile(QSqlDatabase *db, QObject *parent);

    OpenedFile &file() { return m_file; }
    // The handle opened only reads, or a write was refused as read-only
    // while the file is at its path.
    bool onlyReads() const { return m_onlyReads; }
    void setOnlyReads(bool onlyReads) { m_onlyReads = onlyReads; }
    // While this says so (a transaction is open) the file is neither
    // looked at nor written again.
    void setHeldWhile(std::function<bool()> held) { m_held = std::move(held); }

    enum class Opened { Yes, No, AnotherCame };
    // Opens the connection on the path it names, once the path names the
    // program's file (OpenedFile::beforeOpen): only a file that is there,
    // never a new one, so that writes wait for a file taken away; on a full
    // disk the file as it stands. The file opened is noted, a copy written
    // again proven in place, and onlyReads set. AnotherCame when another
    // file came to the path as it opened; failure says why it did not open.
    // prepare runs on the open connection before its first write.
    Opened open(QSqlError *failure, const std::function<void()> &prepare = {});

    // The path looked at (now when lookNow or the handle only reads, else
    // when it was last found a second ago or longer) and the file written
    // again when another is there. Each outcome is told once: back,
    // writtenAgain, lost. False while the file is lost: a handle that only
    // reads is never written again, as it wrote nothing, and waits.
    bool keepAtPath(bool lookNow, QSqlError *cause);

    enum class Refusal { Other, Moved, ReadOnly };
    // A statement refused: Moved when the file moved (written again at the
    // next keep; told as a file replaced, the failure in told), ReadOnly
    // when the handle only reads while the file is at its path.
    Refusal refused(const QSqlError &refusal, QSqlError *told);

    // Before the connection closes for good: the path looked at now and
    // the file written again when another is there.
    void keepBeforeClose();

signals:
    void back();
    void writtenAgain(const QStringList &keptAside);
    void lost(const QSqlError &cause);
    // The look of a second wrote the file again: the connection, closed
    // with the old file, is opened at once, not at the next statement.
    void reopenNow();

private:
    QSqlDatabase *m_db;
    OpenedFile m_file;
    QTimer *m_check = nullptr;
    bool m_onlyReads = false;
    std::function<bool()> m_held;
};
