#include "storageerror.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QStorageInfo>

namespace {

// SQLite's primary result codes (the low byte of an extended one) and its
// fixed message for each: the driver leaves the code out of some errors
// (a failed commit), never the message.
struct KnownCause
{
    int code;
    const char *message;
    const char *cause;
    const char *remedy;
};

const char *const kNoWriteRemedy =
    "Разрешите запись в папку ServerDatas/DataBase и в файлы в ней (права доступа, защита "
    "от записи).";

const KnownCause kKnownCauses[] = {
    {8, "readonly database", "нет права записи: файл или папка только для чтения", kNoWriteRemedy},
    {3, "access permission denied", "нет права доступа к файлу", kNoWriteRemedy},
    {14, "unable to open database file",
     "файл не открывается и не создаётся: нет права записи в папку или папки нет", kNoWriteRemedy},
    {13, "database or disk is full", "на диске нет места",
     "Освободите место на диске с папкой ServerDatas/DataBase."},
    {10, "disk I/O error", "ошибка ввода-вывода диска",
     "Проверьте диск с папкой ServerDatas/DataBase: место на нём, подключение, исправность."},
};

// What the program puts before SQLite's own words (the error's driver
// text) when it knows more than SQLite: a reopen that found no file, or no
// folder; a file removed or replaced while it was open that could not be
// written again, with or without its folder; a write refused because
// another file came to the path, or none is there.
const char *const kFileMissing = "Database file is missing";
const char *const kFolderMissing = "Database folder is missing";
const char *const kFileGone = "Database file was removed while open";
const char *const kFileGoneOnFullDisk = "Database file was removed while open, disk is full";
const char *const kFolderGone = "Database folder was removed while open";
const char *const kFileMoved = "Database file was replaced while open";

// Each known by its tag, in the message's place.
const KnownCause kTaggedCauses[] = {
    {14, kFileMissing, "файла нет на месте",
     "Верните файл в папку ServerDatas/DataBase: программа запишет в него всё, что ждёт записи."},
    {14, kFolderMissing,
     "папки ServerDatas/DataBase нет на месте: она убрана или переименована вместе с файлом",
     "Верните папку ServerDatas/DataBase на место или создайте её заново: программа запишет в "
     "файл всё, что ждёт записи."},
    // The cause of the failed rewrite and its remedy come before these.
    {14, kFileGone,
     "файл удалён или заменён во время работы программы, а записать его заново не удалось",
     "Программа запишет файл заново из того, что держит открытым, вместе со всем, что ждёт "
     "записи. Не закрывайте программу: записанное после удаления файла есть только в ней."},
    {13, kFileGoneOnFullDisk,
     "файл удалён или заменён во время работы программы, а записать его заново не удалось",
     "Программа запишет файл заново из того, что держит открытым, вместе со всем, что ждёт "
     "записи. Не закрывайте программу: записанное после удаления файла есть только в ней."},
    {14, kFolderGone,
     "папка ServerDatas/DataBase убрана или переименована вместе с файлом во время работы "
     "программы",
     "Верните папку ServerDatas/DataBase на место или создайте её заново: программа запишет "
     "файл заново из того, что держит открытым, вместе со всем, что ждёт записи. Не "
     "закрывайте программу: записанное после удаления файла есть только в ней."},
    {8, kFileMoved,
     "на месте файла оказался другой файл или его нет: файл заменён или убран во время работы "
     "программы",
     "Ничего делать не нужно: эту причину программа устранит сама, записав свой файл заново на "
     "прежнее место из того, что держит открытым, а найденный там файл сохранит рядом под "
     "другим именем."},
};

// What the program puts before SQLite's account of a failure it found the
// disk full at.
const char *const kDiskFull = "Disk is full";

constexpr int kPrimaryCodeMask = 0xff;
constexpr int kMovedCode = 1032; // SQLITE_READONLY_DBMOVED
constexpr int kReadOnlyCode = 8;
constexpr int kIoErrorCode = 10;
constexpr int kFullCode = 13;
constexpr int kCannotOpenCode = 14;
// Less room than this is none for SQLite: a file in WAL mode needs its
// 32 KiB index beside it before the first read, and a write a few pages.
constexpr qint64 kRoomNeededBytes = 64 * 1024;

const KnownCause *causeOfCode(int code)
{
    for (const KnownCause &known : kKnownCauses) {
        if (known.code == code)
            return &known;
    }
    return nullptr;
}

const KnownCause *taggedCause(const QSqlError &error)
{
    for (const KnownCause &tagged : kTaggedCauses) {
        if (error.driverText() == QLatin1String(tagged.message))
            return &tagged;
    }
    return nullptr;
}

const KnownCause *knownCause(const QSqlError &error)
{
    if (const KnownCause *tagged = taggedCause(error))
        return tagged;
    if (error.driverText() == QLatin1String(kDiskFull))
        return causeOfCode(kFullCode);
    const QString sqliteText = error.databaseText().trimmed();
    bool hasCode = false;
    const int code = error.nativeErrorCode().toInt(&hasCode) & kPrimaryCodeMask;
    for (const KnownCause &known : kKnownCauses) {
        if ((hasCode && code == known.code)
            || sqliteText.contains(QLatin1String(known.message), Qt::CaseInsensitive))
            return &known;
    }
    return nullptr;
}

} // namespace

QString storageErrorText(int code)
{
    switch (code) {
    case StorageErrorImport:
        return QStringLiteral("Ошибка импорта Базы Данных");
    case StorageErrorOpen:
        return QStringLiteral("Не могу открыть Базу Данных");
    case StorageErrorStatement:
        return QStringLiteral("Ошибка при запросе/ответе Базы Данных");
    default:
        return QString();
    }
}

StorageCause storageFailureCause(const QSqlError &error)
{
    const QString sqliteText = error.databaseText().trimmed();
    if (!error.isValid() && sqliteText.isEmpty())
        return {};
    const QString said = QStringLiteral("SQLite: «%1»").arg(sqliteText);
    const KnownCause *known = knownCause(error);
    if (known && (known->message == kFileGone || known->message == kFileGoneOnFullDisk)) {
        // Only what made the rewrite fail is told, and only its remedy.
        const KnownCause *why = known->message == kFileGoneOnFullDisk
            ? causeOfCode(kFullCode)
            : knownCause(QSqlError(QString(), sqliteText, error.type(), error.nativeErrorCode()));
        QString cause = QString::fromUtf8(known->cause);
        if (why)
            cause += QStringLiteral(" (%1)").arg(QString::fromUtf8(why->cause));
        const QString remedy = why ? QString::fromUtf8(why->remedy)
                                   : QStringLiteral("Проверьте папку ServerDatas/DataBase и диск, "
                                                    "на котором она лежит.");
        return {cause, remedy + QLatin1Char(' ') + QString::fromUtf8(known->remedy), said};
    }
    if (known)
        return {QString::fromUtf8(known->cause), QString::fromUtf8(known->remedy), said};
    return {QStringLiteral("ошибка SQLite"),
            QStringLiteral("Проверьте файл Базы Данных и диск, на котором он лежит."), said};
}

bool storageRefusedAsReadOnly(const QSqlError &error)
{
    const KnownCause *known = knownCause(error);
    return known && known->message != kFileMoved && known->code == kReadOnlyCode;
}

bool storageRefusedAsMoved(const QSqlError &error)
{
    return error.nativeErrorCode().toInt() == kMovedCode;
}

namespace {

bool folderMissing(const QString &databasePath)
{
    return !QFileInfo(databasePath).absoluteDir().exists();
}

QSqlError tagged(const char *tag, const QSqlError &failure, QSqlError::ErrorType type)
{
    return QSqlError(QLatin1String(tag), failure.databaseText(), type, failure.nativeErrorCode());
}

} // namespace

QSqlError storageFileMissing(const QSqlError &openFailure, const QString &databasePath)
{
    return tagged(folderMissing(databasePath) ? kFolderMissing : kFileMissing, openFailure,
                  openFailure.type());
}

QSqlError storageFileGone(const QSqlError &rewriteFailure, const QString &databasePath)
{
    const char *tag = folderMissing(databasePath)    ? kFolderGone
        : storageFailedOnFullDisk(rewriteFailure, databasePath) ? kFileGoneOnFullDisk
                                                                : kFileGone;
    return tagged(tag, rewriteFailure, QSqlError::ConnectionError);
}

QSqlError storageFileMoved(const QSqlError &refusal)
{
    return tagged(kFileMoved, refusal, refusal.type());
}

bool storageFailedOnFullDisk(const QSqlError &error, const QString &databasePath)
{
    const KnownCause *known = knownCause(error);
    const bool fullDiskGives = known && !taggedCause(error)
        && (known->code == kReadOnlyCode || known->code == kIoErrorCode || known->code == kFullCode
            || known->code == kCannotOpenCode);
    if (!fullDiskGives)
        return false;
    const QStorageInfo disk(QFileInfo(databasePath).absolutePath());
    return disk.isValid() && disk.bytesAvailable() < kRoomNeededBytes;
}

QSqlError storageOnFullDisk(const QSqlError &error, const QString &databasePath)
{
    if (error.driverText() == QLatin1String(kDiskFull)
        || !storageFailedOnFullDisk(error, databasePath))
        return error;
    return QSqlError(QLatin1String(kDiskFull), error.databaseText(), error.type(),
                     error.nativeErrorCode());
}
