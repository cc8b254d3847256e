#pragma once

#include <QString>

class QDomDocument;

// What kept an XML file from serving, as data, and its words for the operator
// (xmlFailureText), which the start-up box and every screen that meets a
// list it lacks use alike.
struct XmlFileFailure
{
    enum Cause {
        None,
        Missing,    // no file at the path
        Unopenable, // detail: the system's reason
        Empty,
        Malformed,  // detail: the parser's message, at line and column
        WrongRoot,  // detail: the root element found instead of expectedRoot
        NoEntries,  // the root holds no element (a reference list only)
    };
    Cause cause = None;
    QString path;
    QString expectedRoot;
    QString detail;
    int line = 0;
    int column = 0;

    bool failed() const { return cause != None; }
};

// Reads the XML file at path into *document. False when the file is missing,
// cannot be opened, is not well-formed or its root element is not named
// rootTag (the name compared with case); then *failure, when given, says
// which. The file is closed in every case.
bool readXmlFile(const QString &path, const QString &rootTag, QDomDocument *document,
                 XmlFileFailure *failure = nullptr);

// What keeps the reference list at path from serving: the failures of
// readXmlFile, or a root without a single entry. Not failed when it serves.
XmlFileFailure xmlListFailure(const QString &path, const QString &rootTag);

// Why the file cannot serve, in the operator's words: "файл не найден",
// "ошибка XML в строке 3, позиция 7: ..."; empty when it serves.
QString xmlFailureText(const XmlFileFailure &failure);
