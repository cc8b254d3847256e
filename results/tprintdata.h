#pragma once

#include <QDate>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include <memory>

#include "reportdata.h"

namespace Report {
class Engine;
}

// The print module: one report engine, the template to print, the four
// report variables and a table of text rows, which the engine reads through
// the data source "list1" (fields "Value1" to "Value<column count>") while it
// prints; "Pixmap1" serves one picture. One module lives for the whole run;
// every report starts afresh with setReport.
class TPrintData : public QObject
{
    Q_OBJECT

public:
    // Why the last print printed nothing.
    enum Failure { NoFailure, TemplateFailed, PrinterFailed, FileFailed };

    static inline const QString kDefaultReport = QStringLiteral(":/report/report/report1.lrxml");

    explicit TPrintData(int columnCount);
    ~TPrintData() override;

    // A new engine that knows nothing of the report before.
    void setReport(const QString &file, int columnCount);
    void setCompetitionName(const QString &name);
    void setCompetitionType(const QString &type);
    void setCompetitionDate(const QDate &date);
    void setRelay(int relay);
    void addRow(const QStringList &row);
    void clearRows();

    // Loads the template and prints it on the system's default printer, or
    // where there is none into a PDF file below "ServerDatas/Reports".
    bool print();
    bool printToPDF(const QString &path);

    // The reset: empty texts, today, relay 0, no picture, no rows, and the
    // four variables set from them.
    void setReportVariables();

    QString cell(int row, int column) const;
    static QString dateText(const QDate &date);
    static QString timeText(const QTime &time);
    QString relayText() const;

    // A white picture of the pixmap's size with the pixmap painted over it.
    void composePicture(const QPixmap &pixmap);
    QPixmap picture() const;

    QString reportFile() const { return m_reportFile; }
    int columnCount() const { return m_columnCount; }
    int rowCount() const { return m_rows.size(); }
    Report::Engine *engine() const { return m_engine; }
    Failure lastFailure() const { return m_failure; }
    // The PDF file the last print wrote (or, when it failed with FileFailed,
    // meant to write); empty when it went to a printer.
    QString pdfFile() const { return m_pdfFile; }

public slots:
    void slotGetCallbackData1(const Report::Request &request, QVariant &data);
    void slotChangePos1(Report::Move move, bool &result);
    void slotGetCallbackDataPixmap1(const Report::Request &request, QVariant &data);

private:
    void createEngine();
    void setVariable(const QString &name, const QVariant &value);
    QString fallbackPdfFile() const;

    Report::Engine *m_engine = nullptr; // child; replaced by setReport
    int m_rowCursor = 0;
    QString m_reportFile = kDefaultReport;
    QString m_competitionName;
    QString m_competitionType;
    QDate m_competitionDate;
    int m_relay = 0;
    std::unique_ptr<QPixmap> m_picture;
    int m_columnCount = 0;
    QList<QStringList> m_rows;
    Failure m_failure = NoFailure;
    QString m_pdfFile;
};
