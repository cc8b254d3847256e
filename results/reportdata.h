#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

// The data side of our report engine: named report variables and callback
// data sources, whose owner answers the engine's requests synchronously
// through reference arguments while a report is laid out.
namespace Report {

// What a source is asked; the numbers are part of the engine's contract.
enum class RequestKind {
    IsEmpty = 0,
    HasNext = 1,
    ColumnHeaderData = 2,
    ColumnData = 3,
    ColumnCount = 4,
    RowCount = 5,
};

// How a source's record cursor is moved.
enum class Move { First = 0, Next = 1 };

struct Request
{
    RequestKind kind = RequestKind::IsEmpty;
    int index = 0;       // the record (ColumnData) or the field (ColumnHeaderData)
    QString columnName;  // the field of a ColumnData request
};

// A data source whose records and fields are answered by whoever is connected
// to its two signals. The connections must be direct: the answer is written
// into the reference before the signal returns.
class CallbackSource : public QObject
{
    Q_OBJECT

public:
    CallbackSource(const QString &name, QObject *parent);

    QString name() const { return m_name; }

    // The answer starts invalid (false for a move) for every request, so a
    // receiver that leaves it untouched answers "nothing" and never an old
    // answer that could keep a data band running.
    QVariant ask(RequestKind kind, int index = 0, const QString &columnName = QString());
    bool move(Move move);

    // The field names as the source lists them (ColumnCount, then
    // ColumnHeaderData for each); empty when it does not say.
    QStringList fieldNames();

signals:
    void sig_dataRequested(const Report::Request &request, QVariant &answer);
    void sig_moveRequested(Report::Move move, bool &answer);

private:
    QString m_name;
};

class DataManager : public QObject
{
    Q_OBJECT

public:
    explicit DataManager(QObject *parent);

    void setReportVariable(const QString &name, const QVariant &value);
    bool containsVariable(const QString &name) const { return m_variables.contains(name); }
    // Invalid when nothing set it.
    QVariant variable(const QString &name) const { return m_variables.value(name); }

    // A new source owned by the manager; one of the same name (names are
    // matched without regard to case) is replaced.
    CallbackSource *createCallbackSource(const QString &name);
    CallbackSource *source(const QString &name) const;

private:
    QHash<QString, QVariant> m_variables;
    QHash<QString, CallbackSource *> m_sources; // by lower-case name; children
};

} // namespace Report
