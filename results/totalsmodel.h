#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

#include "totalssource.h"

// What the three totals tables share: read-only standings over a running or a
// stored source, computed on every call from the source's current state and
// never announced as changed, so fresh figures mean a new model. Each table
// has logical columns, the member columns first, each shown in the section its
// position names (-1: not shown).
class TotalsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum MemberColumn { Rank = 0, Name = 1, Team = 2, StartNum = 3, FirstFigure = 4 };

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

protected:
    // titles: one per logical column; positions: the section of each.
    TotalsModel(const TotalsSource &source, const QStringList &titles,
                const QVector<int> &positions, QObject *parent);

    const TotalsSource &source() const { return m_source; }
    // The tables that keep an order of their own override both.
    virtual int rows() const { return m_source.placeCount(); }
    virtual TotalsPlace placeOfRow(int row) const { return m_source.placeAt(row); }
    // The display of a logical column from FirstFigure on.
    virtual QVariant figureCell(const TotalsPlace &place, int row, int column) const = 0;

private:
    int logicalColumn(int section) const;

    TotalsSource m_source;
    QStringList m_titles;
    QVector<int> m_positions;
    int m_columnCount = 0;
};
