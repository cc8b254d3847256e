#pragma once

class TBulletList;
class TShooter;
class TUserModul;

// The member's row in a shot list of the current competition: its target
// (or running number), family and first name, start number, the flag and
// short name of its team's country (its own country without a team), the
// team's name and its qualification's short name.
void addMemberPlace(TUserModul *modul, TBulletList *list, const TShooter *member, int target);

// Empties the list and gives every member of the competition a row, numbered
// 1, 2, ... in member order, as the total pages show an exercise.
void placeAllMembers(TUserModul *modul, TBulletList *list);
