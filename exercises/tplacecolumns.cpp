#include "tplacecolumns.h"

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
