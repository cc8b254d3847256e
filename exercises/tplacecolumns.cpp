#include "tplacecolumns.h"

#include "tbullet.h"
#include "tmemberplace.h"

TPlaceColumns TPlaceColumns::full()
{
    return TPlaceColumns();
}

TPlaceColumns TPlaceColumns::compact(bool withTerminal)
{
    TPlaceColumns columns;
    columns.team = kNone;
    columns.startNumber = kNone;
    columns.target = 1;
    columns.terminal = withTerminal ? 2 : kNone;
    columns.firstShot = withTerminal ? 3 : 2;
    return columns;
}

QVariant TPlaceColumns::header(int section, int closingColumn, const QString &closingText) const
{
    if (section < 0 || section > closingColumn)
        return QVariant();
    if (section == closingColumn)
        return closingText;
    if (section >= firstShot)
        return QStringLiteral("        %1       ").arg(section - firstShot + 1);
    if (section == team)
        return QStringLiteral("TEAM");
    if (section == startNumber)
        return QStringLiteral("START NUM");
    if (section == target)
        return QStringLiteral("TARGET");
    if (section == terminal)
        return QStringLiteral("TERMINAL");
    return QStringLiteral("NAME");
}

QVariant TPlaceColumns::text(const TMemberPlace *place, int column) const
{
    if (column < 0 || column >= firstShot)
        return QVariant();
    if (column == name)
        return place->name();
    if (column == team)
        return place->teamLabel();
    if (column == startNumber)
        return place->startNumber();
    if (column == target)
        return place->target();
    if (column == terminal)
        return QString();
    return QVariant();
}

QStringList TPlaceColumns::texts(const QList<TMemberPlace *> &places, int column) const
{
    QStringList shown;
    shown.reserve(places.size());
    for (const TMemberPlace *place : places)
        shown.append(text(place, column).toString());
    return shown;
}

QString resultText(bool tenths, double sumPoints, int marked)
{
    const QString sum = tenths ? QString::number(sumPoints, 'f', 1)
                               : QString::number(qRound(sumPoints));
    return sum + QStringLiteral(" *%1").arg(marked);
}

QString widestResultText(bool tenths, int shots)
{
    const int highest = tenths ? TBullet::kMaxRange10 : TBullet::kMaxRange10 / 10 * 10;
    return resultText(tenths, shots * highest / 10.0, shots);
}
