#pragma once

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

// The text of a PDF file page by page, as poppler's pdftotext lays it out
// (-layout keeps a table row on one line); empty when the file cannot be read
// or pdftotext is missing (scripts/setup.sh installs poppler-utils).
inline QStringList pdfPages(const QString &pdfFile)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                   pdfFile, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
    // pdftotext ends every page with a form feed.
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The lines of a page with their runs of blanks made single, so that a row
// reads as its cells separated by one blank.
inline QStringList simplifiedLines(const QString &page)
{
    QStringList lines;
    for (const QString &line : page.split(QLatin1Char('\n'))) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            lines << simple;
    }
    return lines;
}

// The PDF files of a folder, oldest name first.
inline QStringList pdfFilesIn(const QString &folder)
{
    QStringList files;
    for (const QString &name : QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files,
                                                       QDir::Name))
        files << QDir(folder).filePath(name);
    return files;
}
