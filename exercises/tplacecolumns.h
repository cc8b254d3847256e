#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class TMemberPlace;

// The label columns that the shot list and the series table put in front of
// their shot or series columns, one member place a row.
struct TPlaceColumns
{
    static constexpr int kNone = -1; // the layout has no such column

    int name = 0;
    int team = 1;
    int startNumber = 2;
    int target = 3;
    int terminal = kNone;
    int firstShot = 4; // the first column after the labels

    // NAME, TEAM, START NUM, TARGET.
    static TPlaceColumns full();
    // NAME, TARGET and, for the practice shot list, TERMINAL.
    static TPlaceColumns compact(bool withTerminal);

    // Headers of a row of labels, numbered columns from firstShot and a
    // closing column: "NAME", "TEAM", "START NUM", "TARGET", "TERMINAL",
    // then the numbers, then closingText; nothing past the closing column.
    QVariant header(int section, int closingColumn, const QString &closingText) const;
    // The name, "country/team", start number, target number or, for
    // TERMINAL, an empty text; nothing for a column that is no label.
    QVariant text(const TMemberPlace *place, int column) const;
    // The texts of a label column over these places.
    QStringList texts(const QList<TMemberPlace *> &places, int column) const;
    // NAME and TEAM, whose texts may be cut short.
    bool givesWay(int column) const { return column == name || column == team; }
};

// The result of a run of shots as the tables show it, "sum *marked": the
// sum in points with one decimal in tenths, else in whole points.
QString resultText(bool tenths, double sumPoints, int marked);
// The widest result text of that many shots: each of the highest value,
// each marked.
QString widestResultText(bool tenths, int shots);
