#pragma once

#include <QList>

#include "rowsort.h"
#include "totalsmodel.h"

class TBulletList;
class TViewBulletList;

// One row of the pistol match table: the member's key in both stages and the
// figures that order the rows.
class TTotalRow
{
public:
    TTotalRow(int memberId, int points, int marked, int startNumber)
        : m_memberId(memberId), m_points(points), m_marked(marked), m_startNumber(startNumber)
    {
    }

    // The member ID over running lists, the shooter ID over stored ones.
    int memberId() const { return m_memberId; }
    // Precision plus rapid-fire points, and their inner tens.
    int points() const { return m_points; }
    int marked() const { return m_marked; }
    int startNumber() const { return m_startNumber; }

private:
    int m_memberId = -1;
    int m_points = 0;
    int m_marked = 0;
    int m_startNumber = -1;
};

// The higher sum first; equal sums by inner tens, then by start number.
bool compareTotalDesc(const TTotalRow *a, const TTotalRow *b);

// Standings of a pistol match of a precision stage and a rapid-fire stage:
// each stage's points and their sum, in whole points, highest sum first. The
// rows are the precision stage's members, made once when the model is built;
// the figures are read from the places on every call.
class TOTAL_MP_5 : public TotalsModel
{
    Q_OBJECT

public:
    enum Column { Precision = FirstFigure, RapidFire, Total };

    // A member's figures; a stage the member has no place in reads -1.
    struct StageResults
    {
        int precisionPoints = -1;
        int precisionMarked = -1;
        int rapidFirePoints = -1;
        int rapidFireMarked = -1;
        int totalPoints = 0;
        int totalMarked = 0;
    };

    // Both lists (not owned) outlive the model; without either no row is made.
    TOTAL_MP_5(TBulletList *precision, TBulletList *rapidFire, QObject *parent = nullptr);
    // The rapid-fire list may be null: the stage then reads blank.
    TOTAL_MP_5(TViewBulletList *precision, TViewBulletList *rapidFire, QObject *parent = nullptr);
    ~TOTAL_MP_5() override;

    // The column and order are not used: the rows always run from the highest sum.
    void sort(int column = 0, Qt::SortOrder order = Qt::AscendingOrder) override;

    // False when the model has no sources to read.
    bool stageResults(int memberId, StageResults *results) const;

protected:
    int rows() const override { return m_rows.size(); }
    TotalsPlace placeOfRow(int row) const override;
    QVariant figureCell(const TotalsPlace &place, int row, int column) const override;

private:
    template <class Model>
    friend void RowSort::movePersistentIndexes(Model &, const QVector<int> &);

    void fill();

    TotalsSource m_rapidFire;
    bool m_complete = false; // the sources the rows need are there
    QList<TTotalRow *> m_rows; // owned
};
