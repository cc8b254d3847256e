#pragma once

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

using Rows = QList<QVariantList>;

// The competitions database of the current run folder as the program left
// it, read (and, for a test that stages a failure, written) through a
// connection of its own. The connection opens at the first statement and
// goes with the object.
class StoredRows
{
public:
    StoredRows();
    ~StoredRows();

    StoredRows(const StoredRows &) = delete;
    StoredRows &operator=(const StoredRows &) = delete;

    // Each selected row as its values, in the statement's column order.
    Rows rows(const QString &statement, const QVariantList &values = {});
    bool exec(const QString &statement, const QVariantList &values = {});

private:
    QSqlQuery prepared(const QString &statement, const QVariantList &values);

    QString m_connection;
};
