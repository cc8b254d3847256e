#pragma once

#include <QString>

class QDomDocument;

// Reads the XML file at path into *document. False when the file is missing,
// cannot be opened, is not well-formed or its root element is not named
// rootTag (the name compared with case). The file is closed in every case.
bool readXmlFile(const QString &path, const QString &rootTag, QDomDocument *document);
