#include "tablepictures.h"

#include "tbullet.h"
#include "tmemberplace.h"

namespace {
const char *const kArrowImage = ":/arrows/img/arrows/arr%1.png";
const char *const kErrorArrowImage = ":/arrows/img/arrows/err.png";
} // namespace

QImage TablePictures::arrowOf(const TBullet *shot) const
{
    // The place code is the target's signed byte.
    const QString path = shot->fine() == 0
        ? QString::fromLatin1(kArrowImage).arg(int(qint8(shot->positionCode())))
        : QString::fromLatin1(kErrorArrowImage);
    auto cached = m_pictures.constFind(path);
    if (cached == m_pictures.constEnd())
        cached = m_pictures.insert(path, QImage(path));
    return *cached;
}

QImage TablePictures::icon(const QString &path) const
{
    auto cached = m_icons.constFind(path);
    if (cached == m_icons.constEnd())
        cached = m_icons.insert(path, TMemberPlace::scaledIcon(QImage(path)));
    return *cached;
}
