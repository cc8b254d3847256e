#include "xmlfile.h"

#include <QDomDocument>
#include <QFile>

bool readXmlFile(const QString &path, const QString &rootTag, QDomDocument *document,
                 XmlFileFailure *failure)
{
    XmlFileFailure found;
    found.path = path;
    found.expectedRoot = rootTag;
    const auto fail = [&](XmlFileFailure::Cause cause) {
        found.cause = cause;
        if (failure)
            *failure = found;
        return false;
    };
    QFile file(path);
    if (!file.exists())
        return fail(XmlFileFailure::Missing);
    if (!file.open(QIODevice::ReadOnly)) {
        found.detail = file.errorString();
        return fail(XmlFileFailure::Unopenable);
    }
    if (file.size() == 0)
        return fail(XmlFileFailure::Empty);
    const bool parsed =
        document->setContent(&file, &found.detail, &found.line, &found.column);
    file.close();
    if (!parsed)
        return fail(XmlFileFailure::Malformed);
    const QString root = document->documentElement().tagName();
    if (root != rootTag) {
        found.detail = root;
        return fail(XmlFileFailure::WrongRoot);
    }
    if (failure)
        *failure = found;
    return true;
}

XmlFileFailure xmlListFailure(const QString &path, const QString &rootTag)
{
    QDomDocument document;
    XmlFileFailure failure;
    if (readXmlFile(path, rootTag, &document, &failure)
        && document.documentElement().firstChildElement().isNull())
        failure.cause = XmlFileFailure::NoEntries;
    return failure;
}

QString xmlFailureText(const XmlFileFailure &failure)
{
    switch (failure.cause) {
    case XmlFileFailure::Missing:
        return QStringLiteral("файл не найден");
    case XmlFileFailure::Unopenable:
        return QStringLiteral("файл не открывается (%1)").arg(failure.detail);
    case XmlFileFailure::Empty:
        return QStringLiteral("файл пуст");
    case XmlFileFailure::Malformed:
        return QStringLiteral("ошибка XML в строке %1, позиция %2: %3")
            .arg(failure.line)
            .arg(failure.column)
            .arg(failure.detail);
    case XmlFileFailure::WrongRoot:
        return QStringLiteral("корневой элемент <%1> вместо <%2>")
            .arg(failure.detail, failure.expectedRoot);
    case XmlFileFailure::NoEntries:
        return QStringLiteral("в списке нет ни одной записи");
    case XmlFileFailure::None:
        break;
    }
    return QString();
}
