#pragma once

#include "totalsmodel.h"

class TBulletList;
class TViewBulletList;

// Standings of a three-position exercise: kneeling, prone and standing, each
// seriesPerPosition series of 10 shots, and the total, in whole points. The
// compact form (a practice's result) shows only the name and the figures.
class TOTAL_DIFFICULT_ONE_MODEL : public TotalsModel
{
    Q_OBJECT

public:
    enum Column { Kneeling = FirstFigure, Prone, Standing, Total };

    // The source (not owned) outlives the model.
    TOTAL_DIFFICULT_ONE_MODEL(TBulletList *source, int seriesPerPosition, bool compact,
                              QObject *parent = nullptr);
    TOTAL_DIFFICULT_ONE_MODEL(TViewBulletList *source, int seriesPerPosition, bool compact,
                              QObject *parent = nullptr);

protected:
    QVariant figureCell(const TotalsPlace &place, int row, int column) const override;

private:
    int m_seriesPerPosition = 0;
};
