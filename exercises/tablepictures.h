#pragma once

#include <QHash>
#include <QImage>
#include <QString>

class TBullet;

// The pictures the shot tables draw, decoded once per table: a view asks for
// them on every repaint.
class TablePictures
{
public:
    // The direction arrow of the shot's place code, or the error mark when
    // the shot carries a fine. A code without an arrow gives a null image.
    QImage arrowOf(const TBullet *shot) const;
    // A picture of the resources, scaled to a table's icon size.
    QImage icon(const QString &path) const;

private:
    mutable QHash<QString, QImage> m_pictures;
    mutable QHash<QString, QImage> m_icons;
};
