#include "tcountry.h"

void TCountry::setIcon(const QPixmap &pixmap)
{
    m_icon = QIcon(pixmap);
}
