#pragma once

#include <QString>
#include <QVariantList>

class QSqlQuery;

// Prepares the statement, binds the values to its "?" in order and runs it.
// Values never become statement text, so quotes, backslashes and any
// alphabet are stored as given. A failure writes the debug line.
bool runBound(QSqlQuery &query, const QString &statement,
              const QVariantList &values = QVariantList());

// The debug line of a failed statement: "Unable to execute query - " and the
// statement, then the driver's error.
void logStatementFailure(const QString &statement, const QString &driverError);
