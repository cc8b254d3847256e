#pragma once

#include "totalsmodel.h"

class TBulletList;
class TViewBulletList;

// Final standings of a one-position competition: rank, name, team, start
// number and the total, one row per place in its list's rank order.
class TOTAL_SIMPLE_ONE_MODEL : public TotalsModel
{
    Q_OBJECT

public:
    enum Column { Total = FirstFigure };

    // The source (not owned) outlives the model.
    explicit TOTAL_SIMPLE_ONE_MODEL(TBulletList *source, QObject *parent = nullptr);
    explicit TOTAL_SIMPLE_ONE_MODEL(TViewBulletList *source, QObject *parent = nullptr);

protected:
    QVariant figureCell(const TotalsPlace &place, int row, int column) const override;
};
