#include "reportengine.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QPrinter>
#include <QPrinterInfo>

#include <atomic>

#include "reportlayout.h"
#include "resultsresources.h"

namespace Report {

namespace {

std::atomic<bool> g_systemPrintersEnabled{true};

// The templates name Arial, which Debian does not ship; Liberation Sans has
// the same metrics, so the cells hold the same text.
void mapTemplateFonts()
{
    const QString arial = QStringLiteral("Arial");
    const QString liberation = QStringLiteral("Liberation Sans");
    if (!QFont::substitutes(arial).contains(liberation))
        QFont::insertSubstitution(arial, liberation);
}

} // namespace

Engine::Engine(QObject *parent) : QObject(parent), m_data(new DataManager(this))
{
    initResultsResources();
    mapTemplateFonts();
}

bool Engine::loadFromFile(const QString &fileName)
{
    Template loaded;
    m_loaded = readTemplate(fileName, &loaded, &m_loadError);
    m_template = m_loaded ? loaded : Template();
    return m_loaded;
}

bool Engine::printReport(QPrinter *printer)
{
    m_writtenPdfFile.clear();
    if (printer)
        return paintOn(printer);
    if (systemPrinterAvailable()) {
        QPrinter systemPrinter(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
        return paintOn(&systemPrinter);
    }
    if (m_fallbackPdfFile.isEmpty() || !printToPdf(m_fallbackPdfFile))
        return false;
    m_writtenPdfFile = m_fallbackPdfFile;
    return true;
}

bool Engine::printToPdf(const QString &fileName)
{
    if (!m_loaded || !QDir().mkpath(QFileInfo(fileName).absolutePath()))
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    return paintOn(&printer) && QFileInfo(fileName).size() > 0;
}

bool Engine::systemPrinterAvailable()
{
    return g_systemPrintersEnabled && !QPrinterInfo::defaultPrinter().isNull();
}

void Engine::setSystemPrintersEnabled(bool enabled)
{
    g_systemPrintersEnabled = enabled;
}

bool Engine::paintOn(QPrinter *printer)
{
    if (!m_loaded)
        return false;
    const QList<Sheet> sheets = layoutReport(m_template, m_data);
    m_pageCount = sheets.size();
    return paintSheets(printer, sheets);
}

} // namespace Report
