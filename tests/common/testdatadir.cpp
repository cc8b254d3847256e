#include "testdatadir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

bool copyDirectoryRecursively(const QString &from, const QString &to)
{
    QDir source(from);
    if (!source.exists() || !QDir().mkpath(to))
        return false;
    const QFileInfoList entries =
        source.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo &entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir()) {
            if (!copyDirectoryRecursively(entry.absoluteFilePath(), target))
                return false;
        } else if (!QFile::copy(entry.absoluteFilePath(), target)) {
            return false;
        } else {
            // Copies of read-only sources must stay writable for the tests.
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
        }
    }
    return true;
}

QString TestDataDir::defaultDataPath()
{
    return QStringLiteral(RANGE_SOURCE_DIR) + QStringLiteral("/data/ServerDatas");
}

TestDataDir::TestDataDir(Content content)
{
    if (!m_dir.isValid())
        return;
    m_path = m_dir.path();
    const QString dataPath = m_dir.filePath(QStringLiteral("ServerDatas"));
    if (content == CopyDefaultData)
        m_valid = copyDirectoryRecursively(defaultDataPath(), dataPath);
    else
        m_valid = true;
    // The program makes its database folder at start; the tests' databases go there.
    m_valid = QDir().mkpath(dataPath + QStringLiteral("/DataBase")) && m_valid;
    m_previousDir = QDir::currentPath();
    m_valid = QDir::setCurrent(m_dir.path()) && m_valid;
}

TestDataDir::TestDataDir(const QString &existingPath)
    : m_path(QDir(existingPath).absolutePath())
{
    m_dir.setAutoRemove(false);
    m_dir.remove(); // the unused temporary folder
    m_previousDir = QDir::currentPath();
    m_valid = QFileInfo(m_path).isDir() && QDir::setCurrent(m_path);
}

TestDataDir::~TestDataDir()
{
    if (!m_previousDir.isEmpty())
        QDir::setCurrent(m_previousDir);
}

bool TestDataDir::writeFile(const QString &relative, const QByteArray &content) const
{
    const QString target = filePath(relative);
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return false;
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}
