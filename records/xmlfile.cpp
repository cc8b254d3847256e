#include "xmlfile.h"

#include <QDomDocument>
#include <QFile>

bool readXmlFile(const QString &path, const QString &rootTag, QDomDocument *document)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return false;
    const bool parsed = document->setContent(&file);
    file.close();
    return parsed && document->documentElement().tagName() == rootTag;
}
