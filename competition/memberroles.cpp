#include "memberroles.h"

#include "tshooter.h"

namespace MemberRoles {

QVariant data(const TShooter *member, int role)
{
    switch (role) {
    case ShooterIDRole:
        return member->id();
    case MemberIDRole:
        return member->memberID();
    case MemberStartNumRole:
        return member->startNumber();
    case ShooterFamilyNameRole:
        return member->family();
    case ShooterNameRole:
        return member->name();
    case ShooterBirthDateRole:
        return member->dateOfBirth();
    case ShooterGenderRole:
        return member->gender();
    case MemberRole:
        return true;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> names()
{
    return {
        {ShooterIDRole, "shooterID"},
        {MemberIDRole, "memberID"},
        {MemberStartNumRole, "memberStartNum"},
        {ShooterFamilyNameRole, "shooterFamilyName"},
        {ShooterNameRole, "shooterName"},
        {ShooterBirthDateRole, "shooterBirthDate"},
        {ShooterGenderRole, "shooterGender"},
        {MemberRole, "member"},
    };
}

void copyPersonalData(const TShooter *from, TShooter *to)
{
    to->setNames(from->name(), from->family());
    to->setDateOfBirth(from->dateOfBirth());
    to->setGender(from->gender());
    to->setCountryXMLID(from->countryXMLID());
    to->setTeamID(from->teamID());
    to->setQualityID(from->qualityID());
}

} // namespace MemberRoles
