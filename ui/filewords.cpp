#include "filewords.h"

#include "datapaths.h"
#include "storageerror.h"
#include "xmlfile.h"

#include <QDir>

namespace {

struct ReferenceList
{
    const QString &dir;
    const QString &file;
    const QString &root;
    const char *name;
};

const ReferenceList kReferenceLists[] = {
    {DataPaths::kEventsDir, DataPaths::kCompetitionsTypeFile, DataPaths::kCompetitionsTypeRoot,
     "список типов соревнований"},
    {DataPaths::kEventsDir, DataPaths::kEventsTypeFile, DataPaths::kEventsTypeRoot,
     "список упражнений"},
    {DataPaths::kEventsDir, DataPaths::kPracticeEventsTypeFile, DataPaths::kEventsTypeRoot,
     "список упражнений тренировки"},
    {DataPaths::kCountriesDir, DataPaths::kCountriesFile, DataPaths::kCountriesRoot,
     "список стран"},
};

} // namespace

namespace FileWords {

QString listName(const QString &file)
{
    for (const ReferenceList &list : kReferenceLists) {
        if (list.file == file)
            return QString::fromUtf8(list.name);
    }
    return QString();
}

QString listFailure(const QString &dir, const QString &file, const QString &root)
{
    return xmlFailureText(xmlListFailure(DataPaths::path(dir, file), root));
}

QStringList referenceListProblems()
{
    QStringList problems;
    for (const ReferenceList &list : kReferenceLists) {
        const QString failure = listFailure(list.dir, list.file, list.root);
        if (!failure.isEmpty()) {
            const QString name = QString::fromUtf8(list.name);
            problems << QStringLiteral("%1 %2/%3: %4")
                            .arg(name.left(1).toUpper() + name.mid(1), list.dir, list.file, failure);
        }
    }
    return problems;
}

QString listsRemedy()
{
    return QStringLiteral(
               "Эти файлы должны лежать в папке, в которой запущена программа (%1), по "
               "указанным путям. Они поставляются вместе с программой: скопируйте их туда из "
               "её комплекта. Затем перезапустите программу.")
        .arg(QDir::toNativeSeparators(QDir::currentPath()));
}

QString storageFailures(const QList<StorageFailure> &failures)
{
    QStringList lines;
    QStringList remedies;
    bool heals = true;
    for (const StorageFailure &failed : failures) {
        heals = heals && failed.healsWhileRunning;
        const StorageCause why = storageFailureCause(failed.failure);
        lines << (why.cause.isEmpty()
                      ? QStringLiteral("%1: %2").arg(failed.file, failed.text)
                      : QStringLiteral("%1: %2: %3 (%4).")
                            .arg(failed.file, failed.text, why.cause, why.said));
        if (!why.remedy.isEmpty() && !remedies.contains(why.remedy))
            remedies << why.remedy;
    }
    if (remedies.isEmpty())
        remedies << QStringLiteral("Проверьте папку ServerDatas/DataBase.");
    const QString after =
        heals ? QStringLiteral("Программа начнёт запись, как только причина будет устранена: "
                               "закрывать и перезапускать её не нужно.")
              : QStringLiteral("Затем перезапустите программу.");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n') + remedies.join(QLatin1Char('\n'))
        + QLatin1Char('\n') + after;
}

} // namespace FileWords
