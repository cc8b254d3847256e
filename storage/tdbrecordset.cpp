#include "tdbrecordset.h"

bool TdbRecordSet::first()
{
    if (m_rows.isEmpty()) {
        m_cursor = -1;
        return true;
    }
    m_cursor = 0;
    return false;
}

bool TdbRecordSet::next()
{
    if (m_cursor < m_rows.size())
        ++m_cursor;
    if (m_cursor < m_rows.size())
        return true;
    // Read to the end: the rows (a whole exercise's shots on a reload) are
    // not kept until the next select.
    clear();
    return false;
}

QVariant TdbRecordSet::value(const QString &field, bool *ok) const
{
    bool found = false;
    QVariant result;
    if (m_cursor >= 0 && m_cursor < m_rows.size()) {
        const QVariantMap &row = m_rows.at(m_cursor);
        const auto it = row.constFind(field);
        if (it != row.constEnd()) {
            found = true;
            result = it.value();
        }
    }
    if (ok)
        *ok = found;
    return result;
}

bool TdbRecordSet::addRow()
{
    m_rows.append(QVariantMap());
    m_writeRow = m_rows.size() - 1;
    return true;
}

bool TdbRecordSet::addValue(const QString &field, const QVariant &value, bool newRow)
{
    if (newRow)
        addRow();
    if (m_writeRow < 0 || m_writeRow >= m_rows.size())
        return false;
    m_rows[m_writeRow].insert(field, value);
    return true;
}

void TdbRecordSet::clear()
{
    m_rows = QVector<QVariantMap>(); // clear() would keep the capacity
    m_writeRow = -1;
    m_cursor = -1;
}
