#include "tprintdata.h"

#include <QDateTime>
#include <QPainter>

#include "datapaths.h"
#include "reportengine.h"

namespace {

const QString kList = QStringLiteral("list1");
const QString kPixmap = QStringLiteral("Pixmap1");
const QString kPictureField = QStringLiteral("Picture");

QString fieldName(int column)
{
    return QStringLiteral("Value%1").arg(column + 1);
}

// A competition name as part of a file name on any system.
QString fileNamePart(const QString &text)
{
    QString part = text.trimmed();
    for (QChar &c : part) {
        if (c.category() == QChar::Other_Control || QStringLiteral("\\/:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    return part;
}

} // namespace

TPrintData::TPrintData(int columnCount)
{
    createEngine();
    setReportVariables();
    m_columnCount = columnCount;
}

TPrintData::~TPrintData() = default;

void TPrintData::createEngine()
{
    delete m_engine;
    m_engine = new Report::Engine(this);
    Report::DataManager *data = m_engine->dataManager();
    Report::CallbackSource *list = data->createCallbackSource(kList);
    connect(list, &Report::CallbackSource::sig_dataRequested, this,
            &TPrintData::slotGetCallbackData1);
    connect(list, &Report::CallbackSource::sig_moveRequested, this, &TPrintData::slotChangePos1);
    Report::CallbackSource *pixmap = data->createCallbackSource(kPixmap);
    connect(pixmap, &Report::CallbackSource::sig_dataRequested, this,
            &TPrintData::slotGetCallbackDataPixmap1);
}

void TPrintData::setReport(const QString &file, int columnCount)
{
    createEngine();
    m_reportFile = file;
    setReportVariables();
    m_columnCount = columnCount;
}

void TPrintData::setVariable(const QString &name, const QVariant &value)
{
    m_engine->dataManager()->setReportVariable(name, value);
}

void TPrintData::setCompetitionName(const QString &name)
{
    m_competitionName = name;
    setVariable(QStringLiteral("CompetitionName"), m_competitionName);
}

void TPrintData::setCompetitionType(const QString &type)
{
    m_competitionType = type;
    setVariable(QStringLiteral("CompetitionType"), m_competitionType);
}

void TPrintData::setCompetitionDate(const QDate &date)
{
    m_competitionDate = date;
    setVariable(QStringLiteral("CompetitionDate"), dateText(m_competitionDate));
}

void TPrintData::setRelay(int relay)
{
    m_relay = relay;
    setVariable(QStringLiteral("Realy"), relayText());
}

void TPrintData::addRow(const QStringList &row)
{
    m_rows << row;
}

void TPrintData::clearRows()
{
    m_rowCursor = 0;
    m_rows.clear();
}

void TPrintData::setReportVariables()
{
    m_competitionName.clear();
    m_competitionType.clear();
    m_competitionDate = QDate::currentDate();
    m_relay = 0;
    m_picture.reset();
    clearRows();
    setVariable(QStringLiteral("CompetitionName"), m_competitionName);
    setVariable(QStringLiteral("CompetitionType"), m_competitionType);
    setVariable(QStringLiteral("CompetitionDate"), m_competitionDate);
    setVariable(QStringLiteral("Realy"), relayText());
}

bool TPrintData::print()
{
    m_pdfFile.clear();
    m_failure = NoFailure;
    if (!m_engine->loadFromFile(m_reportFile)) {
        m_failure = TemplateFailed;
        return false;
    }
    const bool toFile = !Report::Engine::systemPrinterAvailable();
    const QString file = fallbackPdfFile();
    m_engine->setFallbackPdfFile(file);
    const bool printed = m_engine->printReport();
    m_pdfFile = toFile ? file : QString();
    if (!printed)
        m_failure = toFile ? FileFailed : PrinterFailed;
    return printed;
}

bool TPrintData::printToPDF(const QString &path)
{
    return m_engine->printToPdf(path);
}

QString TPrintData::fallbackPdfFile() const
{
    QString name = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    const QString competition = fileNamePart(m_competitionName);
    if (!competition.isEmpty())
        name += QLatin1Char('_') + competition;
    return DataPaths::path(DataPaths::kReportsDir, name + QStringLiteral(".pdf"));
}

QString TPrintData::cell(int row, int column) const
{
    return m_rows.value(row).value(column);
}

QString TPrintData::dateText(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString TPrintData::timeText(const QTime &time)
{
    return time.toString(QStringLiteral("hh:mm"));
}

QString TPrintData::relayText() const
{
    return m_relay < 1 ? QString() : QStringLiteral("Смена %1").arg(m_relay);
}

void TPrintData::composePicture(const QPixmap &pixmap)
{
    m_picture = std::make_unique<QPixmap>(pixmap.width(), pixmap.height());
    m_picture->fill(Qt::white);
    QPainter painter(m_picture.get());
    painter.drawPixmap(pixmap.rect(), pixmap);
}

QPixmap TPrintData::picture() const
{
    return m_picture ? *m_picture : QPixmap();
}

void TPrintData::slotGetCallbackData1(const Report::Request &request, QVariant &data)
{
    switch (request.kind) {
    case Report::RequestKind::IsEmpty:
        data = m_rows.isEmpty();
        break;
    case Report::RequestKind::HasNext:
        data = m_rowCursor < m_rows.size();
        break;
    case Report::RequestKind::ColumnHeaderData:
        if (request.index >= 0 && request.index < m_columnCount)
            data = fieldName(request.index);
        break;
    case Report::RequestKind::ColumnData:
        for (int column = 0; column < m_columnCount; ++column) {
            if (fieldName(column) == request.columnName) {
                data = cell(request.index, column);
                break;
            }
        }
        break;
    case Report::RequestKind::ColumnCount:
        data = m_columnCount;
        break;
    case Report::RequestKind::RowCount:
        data = m_rows.size();
        break;
    }
}

void TPrintData::slotChangePos1(Report::Move move, bool &result)
{
    if (m_rowCursor >= m_rows.size()) {
        m_rowCursor = 0;
        return;
    }
    if (move == Report::Move::First) {
        m_rowCursor = 0;
        result = true;
    } else {
        ++m_rowCursor;
        result = m_rowCursor < m_rows.size();
    }
}

void TPrintData::slotGetCallbackDataPixmap1(const Report::Request &request, QVariant &data)
{
    switch (request.kind) {
    case Report::RequestKind::IsEmpty:
    case Report::RequestKind::HasNext:
        data = false;
        break;
    case Report::RequestKind::ColumnHeaderData:
        data = kPictureField;
        break;
    case Report::RequestKind::ColumnData:
        if (m_picture)
            data = m_picture->toImage();
        break;
    case Report::RequestKind::ColumnCount:
    case Report::RequestKind::RowCount:
        data = 1;
        break;
    }
}
