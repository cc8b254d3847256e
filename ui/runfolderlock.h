#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class QWidget;

// One run folder serves one copy of the program: two copies on the same
// files would each take the other's database writes for a stranger's and
// undo them. The copy that starts takes a kernel lock (flock) on the
// folders every copy works in: the run folder (the current directory), its
// ServerDatas and the database folder in it, each opened only to be read,
// for its life. A lock needs no right to write, and no file of its own that
// another user could leave unreadable: a folder's mode is its owner's, and
// a copy that can use the database can read at least one of them. A later
// copy needs each of them it can open, so it meets the lock of a copy
// running with any of them, however their modes differ. The kernel lets
// the locks go with the process however it ends (closed, killed, the
// machine's power lost); only a copy that still runs refuses a start.
class RunFolderLock
{
public:
    RunFolderLock() = default;
    ~RunFolderLock(); // lets the folders go
    RunFolderLock(const RunFolderLock &) = delete;
    RunFolderLock &operator=(const RunFolderLock &) = delete;

    // Takes the run folder for this copy, first thing at start, before
    // anything in it is read for use or written: true when it is this
    // copy's now. False after telling the operator so in a box over parent
    // when another running copy holds it, or when none of the folders can
    // be locked; nothing in the folder is opened or changed then.
    bool take(QWidget *parent = nullptr);

    // The absolute path of the run folder.
    static QString folder();
    // The folders locked, relative to the run folder, outermost first.
    static QStringList lockedFolders();

private:
    void release();

    QVector<int> m_fds; // the folders, open while they are held
};
