#pragma once

#include "totalsmodel.h"

class TBulletList;
class TViewBulletList;

// Standings of a three-position exercise: kneeling, prone and standing, each
// seriesPerPosition series of 10 shots, and the total, in whole points. The
// compact form (a practice's result) shows only the name and the figures.
// The rows are ranked by those whole points, though the exercise's shot list
// ranks by tenths when it shows them (three positions with "VIew10").
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
    int rows() const override { return int(m_keys.size()); }
    TotalsPlace placeOfRow(int row) const override;
    QVariant figureCell(const TotalsPlace &place, int row, int column) const override;

private:
    void rankPlaces();

    int m_seriesPerPosition = 0;
    // The places' keys (TotalsPlace::key) in rank order, fixed when the
    // model is built.
    QVector<int> m_keys;
};
