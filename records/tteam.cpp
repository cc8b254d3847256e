#include "tteam.h"

TTeam::TTeam(int id, int countryXMLID, const QString &name)
    : m_id(id)
    , m_countryXMLID(countryXMLID)
    , m_name(name)
{
}
