#pragma once

#include <QString>

class QWidget;

// One run folder serves one copy of the program: two copies on the same
// files would each take the other's database writes for a stranger's and
// undo them. The copy that starts takes a kernel lock (flock) on a file in
// the run folder (the current directory) and holds it open for its life.
// The kernel lets the lock go with the process however it ends (closed,
// killed, the machine's power lost), so the file left behind refuses no
// later start; only a copy that still runs does.
class RunFolderLock
{
public:
    // The lock file in the run folder.
    static constexpr const char *kFileName = "range.lock";

    RunFolderLock() = default;
    ~RunFolderLock(); // lets the folder go
    RunFolderLock(const RunFolderLock &) = delete;
    RunFolderLock &operator=(const RunFolderLock &) = delete;

    // Takes the run folder for this copy, first thing at start, before
    // anything in the folder is read for use or written: true when it is
    // this copy's now. False when another running copy holds it, after
    // telling the operator so in a box over parent; nothing in the folder
    // is changed then. A folder where no lock can be made (read-only, a
    // file system without locks) is not refused for that: the program
    // tells its own failures to write there.
    bool take(QWidget *parent = nullptr);

    // The absolute path of the run folder.
    static QString folder();

private:
    int m_fd = -1; // the lock file, open while the folder is held
};
