#include "tpracticedelegate.h"

#include <QPainter>

#include "tbulletlist.h"
#include "tmemberplace.h"

namespace {

const char *const kSightingMark = ":/practice/img/practice/pract1.png";
// Gaps, in pixels, between the cell's left edge, its image and its text.
constexpr int kImageLeft = 5;
constexpr int kTextAfterImage = 10;
constexpr int kTextLeft = 5;

} // namespace

TPracticeDelegate::TPracticeDelegate(QObject *parent)
    : TPracticeDelegate(QString::fromLatin1(kSightingMark), parent)
{
}

TPracticeDelegate::TPracticeDelegate(const QString &markPath, QObject *parent)
    : QItemDelegate(parent)
    , m_markPath(markPath)
{
}

const QImage &TPracticeDelegate::mark() const
{
    if (!m_markLoaded) {
        m_markLoaded = true;
        if (!m_markPath.isEmpty())
            m_mark.load(m_markPath);
    }
    return m_mark;
}

void TPracticeDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    const QVariant stage = index.model()
        ? index.data(TBulletList::BulletPracticeRole)
        : QVariant();
    if (!stage.isValid() || stage.toInt() != TMemberPlace::kSighting) {
        QItemDelegate::paint(painter, option, index);
        return;
    }

    const QString text = index.data(Qt::DisplayRole).toString();
    const QVariant decoration = index.data(Qt::DecorationRole);
    const QImage image = decoration.canConvert<QImage>() ? decoration.value<QImage>() : QImage();
    const QRect cell = option.rect;
    QRect textRect;
    if (!image.isNull()) {
        const int y = cell.top() + ((cell.bottom() - cell.top() + 1) - image.height()) / 2;
        painter->drawImage(cell.left() + kImageLeft, y, image);
        textRect = cell.translated(image.width() + kTextAfterImage, 0);
    } else if (text.isNull()) {
        QItemDelegate::paint(painter, option, index);
        return;
    } else {
        textRect = cell.translated(kTextLeft, 0);
    }
    // In the middle of the row, as the other cells have their text.
    painter->save();
    painter->setFont(option.font);
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text);
    painter->restore();
    const QImage &icon = mark();
    if (!icon.isNull())
        painter->drawImage(cell.right() + 1 - icon.width(), cell.top(), icon);
}
