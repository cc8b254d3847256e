#include "memberplaces.h"

#include <QImage>

#include "tbulletlist.h"
#include "tcountry.h"
#include "tmembers.h"
#include "tshooter.h"
#include "tusermodul.h"

void addMemberPlace(TUserModul *modul, TBulletList *list, const TShooter *member, int target)
{
    const int teamID = member->teamID();
    const TCountry *country = teamID < 1
                                  ? modul->countryByID(member->countryXMLID())
                                  : modul->countryByID(modul->teamCountryXMLID(teamID));
    list->addPlace(member->memberID(), target,
                   member->family() + QLatin1Char(' ') + member->name(), member->startNumber(),
                   country ? country->flag() : QImage(),
                   country ? country->nameShort() : QString(),
                   teamID < 1 ? QString() : modul->teamName(teamID),
                   modul->qualityShortName(member->qualityID()));
}

void placeAllMembers(TUserModul *modul, TBulletList *list)
{
    list->reload();
    int number = 1;
    TMembers *members = modul->members();
    for (TShooter *member = members->memberAt(0); member; member = members->nextMember(member))
        addMemberPlace(modul, list, member, number++);
}
