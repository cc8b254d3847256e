#include "tquality.h"

TQuality::TQuality(int id, const QString &name, const QString &shortName)
    : m_id(id)
    , m_name(name)
    , m_shortName(shortName)
{
}
