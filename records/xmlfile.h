#pragma once

#include <QString>
#include <QStringList>

class QDomDocument;

// Reads the XML file at path into *document. False when the file is missing,
// cannot be opened, is not well-formed or its root element is not named
// rootTag (the name compared with case); then *problem, when given, says which
// in words the operator reads. The file is closed in every case.
bool readXmlFile(const QString &path, const QString &rootTag, QDomDocument *document,
                 QString *problem = nullptr);

// What keeps the reference list at path from serving: the reasons of
// readXmlFile, or a root without a single entry. Empty when it serves.
QString xmlListProblem(const QString &path, const QString &rootTag);

// One line per reference list of the run folder that cannot serve
// ("EventsType.xml: файл не найден"); empty when all of them serve.
QStringList referenceListProblems();
