#pragma once

#include <QDir>
#include <QString>

// Names of the data folders and files. Every data file is found below the
// current directory, so the program's working folder decides which range
// data it uses.
namespace DataPaths {

inline const QString kDataBaseDir = QStringLiteral("/ServerDatas/DataBase");
inline const QString kCompetitionsDb = QStringLiteral("competitions.sqlite");
inline const QString kShootersDb = QStringLiteral("shooters.sqlite");
inline const QString kServerDatasDir = QStringLiteral("ServerDatas");
inline const QString kConfigFile = QStringLiteral("Config.ini");
inline const QString kCountriesDir = QStringLiteral("ServerDatas/Countries");
inline const QString kCountriesFile = QStringLiteral("CountyList.xml");
inline const QString kEventsDir = QStringLiteral("ServerDatas/Events");
inline const QString kCompetitionsTypeFile = QStringLiteral("CompetitionsType.xml");
inline const QString kEventsTypeFile = QStringLiteral("EventsType.xml");
inline const QString kPracticeEventsTypeFile = QStringLiteral("EventsTypeForPractice.xml");
// The root element of each list, spelled as the range's files have it.
inline const QString kCountriesRoot = QStringLiteral("CountriesList");
inline const QString kCompetitionsTypeRoot = QStringLiteral("CompetititonList");
inline const QString kEventsTypeRoot = QStringLiteral("EventsList");
// Where a report goes as a PDF file when the machine has no printer.
inline const QString kReportsDir = QStringLiteral("ServerDatas/Reports");

// The absolute current directory, a slash, the folder and, when given, a
// slash and the file name ("/ServerDatas/DataBase" keeps a single slash).
inline QString path(const QString &dir, const QString &file = QString())
{
    QString result = QDir::currentPath();
    if (!dir.startsWith(QLatin1Char('/')))
        result += QLatin1Char('/');
    result += dir;
    if (!file.isEmpty())
        result += QLatin1Char('/') + file;
    return result;
}

} // namespace DataPaths
