#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "tbullet.h"

struct TTargetType;

// x (tenths of a millimetre, on the horizontal axis) of a shot worth `tenths`
// on the face; shots lose value as they move out, so a binary search finds
// the innermost point of that value. -1 when no point has it.
inline int xForValue(const TTargetType *face, int calibre, int tenths)
{
    const auto valueAt = [&](int x) {
        return TBullet(0, 1, x, 0, 1, 0, face, calibre, 10.0, 0).range10();
    };
    int low = 0;
    int high = 100000;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (valueAt(mid) <= tenths)
            high = mid;
        else
            low = mid + 1;
    }
    return valueAt(low) == tenths ? low : -1;
}

// "3*105 95": three shots worth 10.5 and one worth 9.5, in tenths of a point;
// 0 is a miss.
inline QList<int> shotValues(const QString &text)
{
    QList<int> values;
    for (const QString &part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList countAndValue = part.split(QLatin1Char('*'));
        const int count = countAndValue.size() == 2 ? countAndValue.at(0).toInt() : 1;
        for (int i = 0; i < count; ++i)
            values << countAndValue.last().toInt();
    }
    return values;
}
