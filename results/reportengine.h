#pragma once

#include <QObject>
#include <QString>

#include "reportdata.h"
#include "reporttemplate.h"

class QPrinter;

namespace Report {

// Our report engine: a template file (see reporttemplate.h) filled from the
// variables and callback sources of its data manager, and printed through Qt
// PrintSupport. Variables and sources belong to the engine, not to the
// template, so they may be set before or after a template is loaded.
class Engine : public QObject
{
    Q_OBJECT

public:
    explicit Engine(QObject *parent = nullptr);

    DataManager *dataManager() const { return m_data; }

    // False, keeping no template, when the file cannot be read or is not a
    // template; loadError() says why.
    bool loadFromFile(const QString &fileName);
    bool isLoaded() const { return m_loaded; }
    QString loadError() const { return m_loadError; }

    // Prints the loaded template on printer. Without one it goes to the
    // system's default printer, and where there is none into the PDF file
    // set by setFallbackPdfFile. False when nothing is loaded or the output
    // failed.
    bool printReport(QPrinter *printer = nullptr);
    bool printToPdf(const QString &fileName);
    void setFallbackPdfFile(const QString &fileName) { m_fallbackPdfFile = fileName; }
    // The PDF file the last printReport wrote; empty when it went to a
    // printer or failed.
    QString writtenPdfFile() const { return m_writtenPdfFile; }
    // Sheets of the last report printed.
    int pageCount() const { return m_pageCount; }

    // Whether printReport without a printer finds the system's default one.
    static bool systemPrinterAvailable();
    // Tests keep every report away from the printers of the machine they
    // run on: while off, printReport without a printer always writes the PDF.
    static void setSystemPrintersEnabled(bool enabled);

private:
    bool paintOn(QPrinter *printer);

    DataManager *m_data = nullptr; // child
    Template m_template;
    bool m_loaded = false;
    QString m_loadError;
    QString m_fallbackPdfFile;
    QString m_writtenPdfFile;
    int m_pageCount = 0;
};

} // namespace Report
