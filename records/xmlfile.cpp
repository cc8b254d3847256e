#include "xmlfile.h"

#include <QDomDocument>
#include <QFile>

#include "datapaths.h"

bool readXmlFile(const QString &path, const QString &rootTag, QDomDocument *document,
                 QString *problem)
{
    const auto fail = [problem](const QString &why) {
        if (problem)
            *problem = why;
        return false;
    };
    QFile file(path);
    if (!file.exists())
        return fail(QStringLiteral("файл не найден"));
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("файл не открывается (%1)").arg(file.errorString()));
    if (file.size() == 0)
        return fail(QStringLiteral("файл пуст"));
    QString message;
    int line = 0;
    int column = 0;
    const bool parsed = document->setContent(&file, &message, &line, &column);
    file.close();
    if (!parsed) {
        return fail(QStringLiteral("ошибка XML в строке %1, позиция %2: %3")
                        .arg(line)
                        .arg(column)
                        .arg(message));
    }
    const QString root = document->documentElement().tagName();
    if (root != rootTag)
        return fail(QStringLiteral("корневой элемент <%1> вместо <%2>").arg(root, rootTag));
    return true;
}

QString xmlListProblem(const QString &path, const QString &rootTag)
{
    QDomDocument document;
    QString problem;
    if (!readXmlFile(path, rootTag, &document, &problem))
        return problem;
    if (document.documentElement().firstChildElement().isNull())
        return QStringLiteral("в списке нет ни одной записи");
    return QString();
}

QStringList referenceListProblems()
{
    struct List
    {
        const QString &dir;
        const QString &file;
        const QString &root;
    };
    const List lists[] = {
        {DataPaths::kEventsDir, DataPaths::kCompetitionsTypeFile, DataPaths::kCompetitionsTypeRoot},
        {DataPaths::kEventsDir, DataPaths::kEventsTypeFile, DataPaths::kEventsTypeRoot},
        {DataPaths::kEventsDir, DataPaths::kPracticeEventsTypeFile, DataPaths::kEventsTypeRoot},
        {DataPaths::kCountriesDir, DataPaths::kCountriesFile, DataPaths::kCountriesRoot},
    };
    QStringList problems;
    for (const List &list : lists) {
        const QString problem = xmlListProblem(DataPaths::path(list.dir, list.file), list.root);
        if (!problem.isEmpty())
            problems << QStringLiteral("%1/%2: %3").arg(list.dir, list.file, problem);
    }
    return problems;
}
