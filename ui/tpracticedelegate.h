#pragma once

#include <QImage>
#include <QItemDelegate>
#include <QString>

// Item delegate of the run screen's shot table: while a place is still in its
// sighting shots, its shot cells and its sum cell carry the sighting mark at
// their top-right corner. Every other cell is painted as usual.
class TPracticeDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    explicit TPracticeDelegate(QObject *parent = nullptr);
    // With another mark than the program's; an empty path gives no mark.
    TPracticeDelegate(const QString &markPath, QObject *parent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    // Decoded on first use: a full table repaint draws it on every sighting
    // cell, and the resource does not change while the program runs.
    const QImage &mark() const;

    QString m_markPath;
    mutable QImage m_mark;
    mutable bool m_markLoaded = false;
};
