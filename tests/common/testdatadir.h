#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh working directory for one test: a temporary folder holding a copy of
// the project's default "ServerDatas" tree (or an empty one), made the current
// directory for the object's lifetime, since the program finds every data file
// relative to the current directory. The previous current directory comes back
// and the folder is removed when the object goes.
class TestDataDir
{
public:
    enum Content { CopyDefaultData, Empty };

    explicit TestDataDir(Content content = CopyDefaultData);
    // A folder that outlives the object (another process's run folder, which
    // a test hands over): made current, never copied into nor removed.
    explicit TestDataDir(const QString &existingPath);
    ~TestDataDir();

    TestDataDir(const TestDataDir &) = delete;
    TestDataDir &operator=(const TestDataDir &) = delete;

    bool isValid() const { return m_valid; }
    // Absolute path of the temporary folder (the program's current directory).
    QString path() const { return m_path; }
    // Absolute path of a file or folder below it, e.g. filePath("ServerDatas/Events").
    QString filePath(const QString &relative) const { return m_path + QLatin1Char('/') + relative; }
    // Writes text into a file below the folder, creating the folders it needs.
    bool writeFile(const QString &relative, const QByteArray &content) const;

    // The source tree's default data folder ("<source>/data/ServerDatas").
    static QString defaultDataPath();

private:
    QTemporaryDir m_dir; // unused for an existing folder
    QString m_path;
    QString m_previousDir;
    bool m_valid = false;
};

// Copies a folder with everything below it; false when anything could not be copied.
bool copyDirectoryRecursively(const QString &from, const QString &to);
