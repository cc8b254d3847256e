#pragma once

#include <QByteArray>
#include <QHash>
#include <QVariant>

class TShooter;

// The item roles that every model of members shares (the members table, a
// relay), numbered from the first user role plus one. Role 260 and 266 are
// each model's own.
namespace MemberRoles {

enum Role {
    ShooterIDRole = Qt::UserRole + 1,
    MemberIDRole,
    MemberStartNumRole,
    OwnRole260,
    ShooterFamilyNameRole,
    ShooterNameRole,
    ShooterBirthDateRole,
    ShooterGenderRole,
    MemberRole,
    OwnRole266,
};

// The member's value of a shared role; invalid for any other role.
QVariant data(const TShooter *member, int role);
// Names of the shared roles.
QHash<int, QByteArray> names();

// The personal data a member takes over from its shooter: names, date of
// birth, gender, country, team and qualification.
void copyPersonalData(const TShooter *from, TShooter *to);

} // namespace MemberRoles
