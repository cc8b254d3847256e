#include "reportdata.h"

namespace Report {

CallbackSource::CallbackSource(const QString &name, QObject *parent)
    : QObject(parent), m_name(name)
{
}

QVariant CallbackSource::ask(RequestKind kind, int index, const QString &columnName)
{
    Request request;
    request.kind = kind;
    request.index = index;
    request.columnName = columnName;
    QVariant answer;
    emit sig_dataRequested(request, answer);
    return answer;
}

bool CallbackSource::move(Move move)
{
    bool answer = false;
    emit sig_moveRequested(move, answer);
    return answer;
}

QStringList CallbackSource::fieldNames()
{
    QStringList names;
    const int count = ask(RequestKind::ColumnCount).toInt();
    for (int i = 0; i < count; ++i)
        names << ask(RequestKind::ColumnHeaderData, i).toString();
    return names;
}

DataManager::DataManager(QObject *parent) : QObject(parent) {}

void DataManager::setReportVariable(const QString &name, const QVariant &value)
{
    m_variables.insert(name, value);
}

CallbackSource *DataManager::createCallbackSource(const QString &name)
{
    const QString key = name.toLower();
    delete m_sources.take(key);
    auto *source = new CallbackSource(name, this);
    m_sources.insert(key, source);
    return source;
}

CallbackSource *DataManager::source(const QString &name) const
{
    return m_sources.value(name.toLower());
}

} // namespace Report
