#pragma once

#include <QStringList>

// A table whose cell texts are known ahead: for each column the texts its
// cells can come to show while the rows stay the same (for the value
// columns, the widest such text). A view sizes its columns from these once,
// instead of measuring every cell again whenever a shot changes one.
class CellTexts
{
public:
    virtual ~CellTexts() = default;
    virtual QStringList possibleTexts(int column) const = 0;
    // Whether the column's cells can carry a picture (a flag, an arrow, a
    // presence icon) beside their text.
    virtual bool showsPictures(int column) const = 0;
    // Whether the column's texts may be cut short (names, teams) when the
    // room is short: the others are what the table is read for.
    virtual bool givesWay(int column) const = 0;
};
