#pragma once

#include <QAbstractTableModel>
#include <QList>

#include "celltexts.h"
#include "rowsort.h"
#include "tplacecolumns.h"

class TMemberPlace;

// The finished series of a shot list: one row per member place, one column per
// series of the current page and a TOTAL column. A series is shown only once
// all its shots are in. Rows follow the shot list, which owns the places.
class TSeries : public QAbstractTableModel, public CellTexts
{
    Q_OBJECT

public:
    // places: the shot list's rows (not owned). compact: the practice layout.
    TSeries(const QList<TMemberPlace *> *places, int seriesCount, bool compact,
            QObject *parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList possibleTexts(int column) const override;
    bool showsPictures(int column) const override;
    bool givesWay(int column) const override { return m_columns.givesWay(column); }

    // count series of size shots each.
    void setSeries(int count, int size);
    void setShowTenths(bool showTenths);
    int seriesCount() const { return m_seriesCount; }
    int seriesSize() const { return m_seriesSize; }
    int firstShotColumn() const { return m_columns.firstShot; }
    int totalColumn() const { return m_columns.firstShot + m_seriesCount; }

    // The shot list has added (removed) the place at this index of its rows.
    void rowInserted(int index);
    void rowRemoved(int index);
    void removeAllRows();
    void refreshAll();
    void refreshRow(int index);

    // The match result of the place on the target; false when no place is on it.
    bool seriesResultInt(int target, int &sum, int &marked) const;
    bool seriesResultTenths(int target, double &sum, int &marked) const;

private:
    // The shot list reorders the shared places and moves these rows with them.
    template <class Model>
    friend void RowSort::movePersistentIndexes(Model &, const QVector<int> &);

    const TMemberPlace *placeOfRow(int row) const;
    const TMemberPlace *placeOfTarget(int target) const;
    QVariant seriesText(const TMemberPlace *place, int column) const;
    QVariant totalText(const TMemberPlace *place) const;
    // "sum *marked" over the match series firstSeries..lastSeries.
    QString resultText(const TMemberPlace *place, int firstSeries, int lastSeries) const;

    int m_firstRow = 0;
    TPlaceColumns m_columns; // the labels; the series follow them
    const QList<TMemberPlace *> *m_places = nullptr; // the shot list's; not owned
    int m_seriesCount = 1;
    int m_seriesSize = 1;
    int m_rowCount = 0;
    bool m_showTenths = false;
    bool m_compact = false;
};
