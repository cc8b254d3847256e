#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QVector>

// The rows of one select, copied out of the query so that the connection is
// free again before the caller reads them. Fields are found by the column
// name exactly as the schema declares it; case counts.
class TdbRecordSet
{
public:
    // True when the set is empty; otherwise places the cursor on the first row.
    bool first();
    // Moves the cursor on; true while it stands on a row. Moving past the
    // last row frees the rows: the set is then empty.
    bool next();
    // The field of the row under the cursor; *ok false (and an invalid value)
    // when there is no such row or field.
    QVariant value(const QString &field, bool *ok = nullptr) const;

    bool addRow();
    bool addValue(const QString &field, const QVariant &value, bool newRow = false);
    void clear();

    int rowCount() const { return m_rows.size(); }

private:
    QVector<QVariantMap> m_rows;
    int m_writeRow = -1;
    int m_cursor = -1;
};
