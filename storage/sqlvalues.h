#pragma once

#include <QString>
#include <QVariant>

// Stored forms of bound values: booleans as 0 and 1, texts never NULL (a
// null QString binds as NULL, while the tables hold an empty text).
inline QVariant sqlBool(bool value)
{
    return value ? 1 : 0;
}

inline QVariant sqlText(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}
