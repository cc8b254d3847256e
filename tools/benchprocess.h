#pragma once

// What the benchmarks read of their own process on Linux.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <ctime>

// Resident memory in kB; -1 when /proc cannot be read.
inline qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Open file descriptors (files, sockets, pseudo-terminals, pipes).
inline int openHandles()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
                   .size());
}

// CPU time of the calling thread, microseconds.
inline qint64 threadCpuUs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}
