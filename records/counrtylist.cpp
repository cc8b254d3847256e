#include "counrtylist.h"

#include "datapaths.h"
#include "tcountry.h"
#include "xmlfile.h"

#include <QDomDocument>
#include <QFile>

namespace {

// The text of the first child element of that name; empty when none.
QString childText(const QDomNode &node, const QString &tag)
{
    return node.firstChildElement(tag).text();
}

} // namespace

CounrtyList::~CounrtyList()
{
    clear();
}

bool CounrtyList::load(const QString &folder, const QString &fileName)
{
    clear();
    m_folder = folder;

    QDomDocument doc;
    if (!readXmlFile(folder + QLatin1Char('/') + fileName, DataPaths::kCountriesRoot, &doc))
        return false;

    const QDomNodeList nodes = doc.documentElement().childNodes();
    for (int i = 0; i < nodes.count(); ++i) {
        const QDomNode node = nodes.at(i);
        // Comments and text between the country elements are no countries.
        if (!node.isElement())
            continue;
        auto *country = new TCountry;
        country->setID(childText(node, QStringLiteral("ID")).toInt());
        country->setNameShort(childText(node, QStringLiteral("NameShort")));
        country->setNameShort1(childText(node, QStringLiteral("NameShort1")));
        country->setNameRus(childText(node, QStringLiteral("NameRus")));
        country->setNameEng(childText(node, QStringLiteral("NameEng")));
        country->setFFile(childText(node, QStringLiteral("FFile")));
        country->setFlag(loadFlag(country->fFile()));
        country->setIcon(loadIcon(country->fFile()));
        m_countries.append(country);
    }
    return true;
}

void CounrtyList::clear()
{
    qDeleteAll(m_countries);
    m_countries.clear();
}

TCountry *CounrtyList::at(int index) const
{
    if (index < 0 || index >= m_countries.size())
        return nullptr;
    return m_countries.at(index);
}

TCountry *CounrtyList::countryByID(int id) const
{
    return at(indexOfID(id));
}

int CounrtyList::indexOfID(int id) const
{
    for (int i = 0; i < m_countries.size(); ++i) {
        if (m_countries.at(i)->id() == id)
            return i;
    }
    return -1;
}

TCountry *CounrtyList::nextCountry(const TCountry *country) const
{
    if (!country)
        return nullptr;
    const int index = m_countries.indexOf(const_cast<TCountry *>(country));
    if (index < 0)
        return nullptr;
    return at(index + 1);
}

void CounrtyList::setCurrentIndex(int index)
{
    m_currentIndex = index;
    m_currentID = -1;
}

void CounrtyList::setCurrentID(int id)
{
    m_currentID = id;
    m_currentIndex = -1;
}

void CounrtyList::clearCurrent()
{
    m_currentIndex = -1;
    m_currentID = -1;
}

TCountry *CounrtyList::current() const
{
    if (m_currentIndex >= 0)
        return at(m_currentIndex);
    // IDs 0 and 1 stand for "no country" in the lists that set the current one.
    if (m_currentID > 1)
        return countryByID(m_currentID);
    return nullptr;
}

QImage CounrtyList::loadFlag(const QString &fileName) const
{
    const QString path = m_folder + QLatin1Char('/') + fileName;
    if (fileName.isEmpty() || !QFile::exists(path))
        return QImage();
    return QImage(path);
}

QPixmap CounrtyList::loadIcon(const QString &fileName) const
{
    const QString path = m_folder + QLatin1Char('/') + fileName;
    if (fileName.isEmpty() || !QFile::exists(path))
        return QPixmap();
    return QPixmap(path);
}
