#include "ticondelegate.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

// Room left above and below the picture, in pixels.
constexpr int kVerticalRoom = 4;
// Gap between the picture and the text, in pixels.
constexpr int kTextGap = 5;

QImage decorationImage(const QVariant &value, int side)
{
    switch (value.userType()) {
    case QMetaType::QImage:
        return value.value<QImage>();
    case QMetaType::QPixmap:
        return value.value<QPixmap>().toImage();
    case QMetaType::QIcon: {
        const QIcon icon = value.value<QIcon>();
        return icon.isNull() ? QImage() : icon.pixmap(side, side).toImage();
    }
    default:
        return value.value<QImage>();
    }
}

} // namespace

TIconDelegate::TIconDelegate(QObject *parent)
    : QItemDelegate(parent)
{
}

void TIconDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const
{
    const QRect cell = option.rect;
    const int side = cell.height() - kVerticalRoom;
    const QString text = index.data(Qt::DisplayRole).toString();
    QImage image = decorationImage(index.data(Qt::DecorationRole), side);
    if (image.isNull() || side <= 0) {
        QItemDelegate::paint(painter, option, index);
        return;
    }
    image = image.scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const int x = cell.left() + (cell.width() - image.width()) / 2;
    const int y = cell.top() + (cell.height() - image.height()) / 2;
    painter->drawImage(QPoint(x, y), image);
    if (text.isNull())
        return;
    painter->drawText(QRect(x + image.width() + kTextGap, y, cell.width(), cell.height()), text);
}
