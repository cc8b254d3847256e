// Operations on competitions, shooters, teams, qualifications, members and
// relay places.
#include "tdbaccessor.h"

#include "sqlvalues.h"
#include "tshooter.h"

void TdbAccessor::selectCompetitions(bool finished)
{
    execSelect(QStringLiteral("SELECT ID, fTypeXMLID FROM TCompetitions WHERE fFinished=? ORDER BY ID"),
               {sqlBool(finished)});
}

void TdbAccessor::selectCompetition(int competitionID)
{
    execSelect(QStringLiteral("SELECT * FROM TCompetitions WHERE ID = ?"), {competitionID});
}

void TdbAccessor::selectShooters(int gender)
{
    if (gender == -1)
        execSelect(QStringLiteral("SELECT * FROM TShooters"));
    else
        execSelect(QStringLiteral("SELECT * FROM TShooters WHERE fGender=?"), {gender});
}

void TdbAccessor::selectShooter(int shooterID)
{
    execSelect(QStringLiteral("SELECT * FROM TShooters WHERE ID=?"), {shooterID});
}

void TdbAccessor::selectTeams()
{
    execSelect(QStringLiteral("SELECT * FROM tteam ORDER BY ID"));
}

void TdbAccessor::selectTeam(int teamID)
{
    execSelect(QStringLiteral("SELECT * FROM tteam WHERE ID=?"), {teamID});
}

void TdbAccessor::selectQualifications()
{
    execSelect(QStringLiteral("SELECT * FROM tqualifications ORDER BY ID"));
}

void TdbAccessor::selectQualification(int qualificationID)
{
    execSelect(QStringLiteral("SELECT * FROM tqualifications WHERE ID=?"), {qualificationID});
}

void TdbAccessor::selectMembers(int competitionID)
{
    execSelect(QStringLiteral("SELECT * FROM TMembers WHERE fCompetitionID=? ORDER BY fStartNumber"),
               {competitionID});
}

void TdbAccessor::selectEventRelays(int eventID)
{
    execSelect(QStringLiteral("SELECT * FROM TRelays WHERE fEventID=?"), {eventID});
}

void TdbAccessor::selectMemberRelays(int eventID, int memberID)
{
    execSelect(QStringLiteral("SELECT * FROM TRelays WHERE fEventID=? AND fMemberID=?"),
               {eventID, memberID});
}

bool TdbAccessor::isShooterInCompetition(int competitionID, int shooterID)
{
    return execExists(QStringLiteral("SELECT * FROM TMembers WHERE fShooterID=? AND fCompetitionID = ?"),
                      {shooterID, competitionID});
}

bool TdbAccessor::isRelayPlaceExist(int memberID, int eventID, int relayNum)
{
    return execExists(
        QStringLiteral("SELECT * FROM TRelays WHERE fMemberID=? AND fRelayNum=? AND fEventID=?"),
        {memberID, relayNum, eventID});
}

bool TdbAccessor::isMemberInEventRelays(int memberID, int eventID)
{
    return execExists(QStringLiteral("SELECT * FROM TRelays WHERE fEventID=? AND fMemberID=?"),
                      {eventID, memberID});
}

bool TdbAccessor::isRelayNumExist(int eventID, int relayNum)
{
    return execExists(QStringLiteral("SELECT * FROM TRelays WHERE fEventID=? AND fRelayNum=?"),
                      {eventID, relayNum});
}

bool TdbAccessor::isShooterUsed(int shooterID)
{
    execSelect(QStringLiteral("SELECT * FROM TMembers WHERE fShooterID=?"), {shooterID});
    const QList<int> memberIDs = collectIDs();
    for (int memberID : memberIDs) {
        if (execHasRows(QStringLiteral("SELECT * FROM TBullets WHERE fMemberID=?"), {memberID}))
            return true;
    }
    return false;
}

bool TdbAccessor::isTeamUsed(int teamID)
{
    return execExists(QStringLiteral("SELECT ID FROM tshooters WHERE fTeamID=?"), {teamID});
}

bool TdbAccessor::isQualificationUsed(int qualificationID)
{
    return execExists(QStringLiteral("SELECT ID FROM tshooters WHERE fQualityID=?"),
                      {qualificationID});
}

int TdbAccessor::insertCompetition(bool finished, int countryXMLID, int typeXMLID, bool final,
                                   const QTime &startTime, const QDate &startDate,
                                   const QString &name, int key)
{
    const QString statement = QStringLiteral(
        "INSERT INTO TCompetitions (ID, fFinished, fCountryXMLID, fTypeXMLID, fFinal, fstartDate, fName) "
        "VALUES (?, ?, ?, ?, ?, ?, ?)");
    const QVariantList values = {sqlBool(finished), countryXMLID, typeXMLID, sqlBool(final),
                                 dateTimeSql(startDate, startTime), sqlText(name)};
    if (key < 0)
        return insertWithNextKey(TableCompetitions, statement, values);
    if (isCompetitionExist(key))
        return -1;
    return execQuery(statement, QVariantList{key} + values) ? key : -1;
}

int TdbAccessor::insertShooter(const TShooter *shooter)
{
    return insertWithNextKey(
        TableShooters,
        QStringLiteral("INSERT INTO TShooters (ID, fName, fFamily, fDateofBirth, fGender, "
                       "fCountryXMLID, fTeamID, fQualityID) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        {sqlText(shooter->name()), sqlText(shooter->family()), shooter->dateOfBirthSql(),
         shooter->gender(), shooter->countryXMLID(), shooter->teamID(), shooter->qualityID()});
}

int TdbAccessor::insertTeam(int countryXMLID, const QString &name)
{
    return insertWithNextKey(TableTeam,
                             QStringLiteral("INSERT INTO tteam (ID, fName, fCountryXMLID) VALUES (?, ?, ?)"),
                             {sqlText(name), countryXMLID});
}

int TdbAccessor::insertQualification(const QString &name, const QString &shortName)
{
    return insertWithNextKey(
        TableQualifications,
        QStringLiteral("INSERT INTO tqualifications (ID, fName, fshortName) VALUES (?, ?, ?)"),
        {sqlText(name), sqlText(shortName)});
}

int TdbAccessor::insertMember(const TShooter *member, int competitionID)
{
    return insertWithNextKey(
        TableMembers,
        QStringLiteral("INSERT INTO TMembers (ID, fCompetitionID, fShooterID, fStartNumber) "
                       "VALUES (?, ?, ?, ?)"),
        {competitionID, member->id(), member->startNumber()});
}

bool TdbAccessor::insertRelay(int eventID, int relayNum, int memberID, int target)
{
    return execQuery(QStringLiteral("INSERT INTO TRelays (fEventID, fMemberID, fMemberTarget, fRelayNum) "
                                    "VALUES (?, ?, ?, ?)"),
                     {eventID, memberID, target, relayNum});
}

bool TdbAccessor::updateCompetition(int competitionID, bool finished, int countryXMLID,
                                    int typeXMLID, bool final, const QTime &startTime,
                                    const QDate &startDate, const QString &name)
{
    if (!isCompetitionExist(competitionID))
        return false;
    return execQuery(QStringLiteral("UPDATE TCompetitions SET fFinished=?, fCountryXMLID=?, "
                                    "fTypeXMLID=?, fFinal=?, fstartDate=?, fName=? WHERE ID=?"),
                     {sqlBool(finished), countryXMLID, typeXMLID, sqlBool(final),
                      dateTimeSql(startDate, startTime), sqlText(name), competitionID});
}

bool TdbAccessor::setCompetitionFinished(int competitionID, bool finished)
{
    if (!isCompetitionExist(competitionID))
        return false;
    return execQuery(QStringLiteral("UPDATE TCompetitions SET fFinished=? WHERE ID=?"),
                     {sqlBool(finished), competitionID});
}

bool TdbAccessor::updateShooter(int shooterID, const TShooter *shooter)
{
    if (!isShooterExist(shooterID))
        return false;
    return execQuery(QStringLiteral("UPDATE tshooters SET fName=?, fFamily=?, fDateofBirth=?, "
                                    "fGender=?, fCountryXMLID=?, fTeamID=?, fQualityID=? WHERE ID=?"),
                     {sqlText(shooter->name()), sqlText(shooter->family()),
                      shooter->dateOfBirthSql(), shooter->gender(), shooter->countryXMLID(),
                      shooter->teamID(), shooter->qualityID(), shooterID});
}

bool TdbAccessor::updateTeam(int teamID, const QString &name, int countryXMLID)
{
    if (!isTeamExist(teamID))
        return false;
    return execQuery(QStringLiteral("UPDATE tteam SET fName=?, fCountryXMLID=? WHERE ID=?"),
                     {sqlText(name), countryXMLID, teamID});
}

bool TdbAccessor::updateQualification(int qualificationID, const QString &name,
                                      const QString &shortName)
{
    if (!isQualificationExist(qualificationID))
        return false;
    return execQuery(QStringLiteral("UPDATE tqualifications SET fName=?, fshortname=? WHERE ID=?"),
                     {sqlText(name), sqlText(shortName), qualificationID});
}

bool TdbAccessor::setMemberTarget(int memberID, int relayNum, int eventID, int target)
{
    if (!isRelayPlaceExist(memberID, eventID, relayNum))
        return false;
    return execQuery(QStringLiteral("UPDATE TRelays SET fMemberTarget=? WHERE fMemberID=? "
                                    "AND fRelayNum=? AND fEventID=?"),
                     {target, memberID, relayNum, eventID});
}

bool TdbAccessor::setStartNumber(int memberID, int startNumber)
{
    if (!isMemberExist(memberID))
        return false;
    return execQuery(QStringLiteral("UPDATE TMembers SET fStartNumber=? WHERE ID=?"),
                     {startNumber, memberID});
}

bool TdbAccessor::deleteMemberBullets(int memberID)
{
    return execQuery(QStringLiteral("DELETE FROM tbullets WHERE fMemberID=?"), {memberID});
}

bool TdbAccessor::deleteMemberBullets(int eventID, int memberID)
{
    return execQuery(QStringLiteral("DELETE FROM tbullets WHERE fEventID=? AND fMemberID=?"),
                     {eventID, memberID});
}

bool TdbAccessor::deleteMemberRelays(int eventID, int memberID)
{
    return execQuery(QStringLiteral("DELETE FROM trelays WHERE fMemberID=? AND fEventID=?"),
                     {memberID, eventID});
}

bool TdbAccessor::deleteRelay(int eventID, int relayNum)
{
    return execQuery(QStringLiteral("DELETE FROM TRelays WHERE fEventID=? AND fRelayNum=?"),
                     {eventID, relayNum});
}

bool TdbAccessor::deleteTeam(int teamID)
{
    return execQuery(QStringLiteral("DELETE FROM tteam WHERE ID=?"), {teamID});
}

bool TdbAccessor::deleteQualification(int qualificationID)
{
    return execQuery(QStringLiteral("DELETE FROM tqualifications WHERE ID=?"), {qualificationID});
}

bool TdbAccessor::deleteMember(int memberID)
{
    return inTransaction([&] {
        return execAll({{QStringLiteral("DELETE FROM tmembers WHERE ID=?"), {memberID}},
                        {QStringLiteral("DELETE FROM trelays WHERE fMemberID=?"), {memberID}}})
            && deleteMemberBullets(memberID);
    });
}

bool TdbAccessor::deleteShooterMember(int shooterID, int competitionID)
{
    return inTransaction([&] {
        const bool ran = execSelect(
            QStringLiteral("SELECT ID FROM tmembers WHERE fCompetitionID=? AND fShooterID=?"),
            {competitionID, shooterID});
        if (ran && !m_recordSet.first()) {
            bool ok = false;
            const int memberID = m_recordSet.value(QStringLiteral("ID"), &ok).toInt(&ok);
            if (ok && memberID >= 0)
                return deleteMember(memberID);
        }
        return ran;
    });
}

bool TdbAccessor::deleteCompetition(int competitionID)
{
    return inTransaction([&] {
        // Without the keys the cascade would leave orphans behind.
        if (!execSelect(QStringLiteral("SELECT ID FROM tmembers WHERE fCompetitionID=?"),
                        {competitionID}))
            return false;
        const QList<int> memberIDs = collectIDs();
        if (!execSelect(QStringLiteral("SELECT ID FROM tevents WHERE fCompetitionID=?"),
                        {competitionID}))
            return false;
        const QList<int> eventIDs = collectIDs();

        QList<QPair<QString, QVariantList>> statements = {
            {QStringLiteral("DELETE FROM tcompetitions WHERE ID=?"), {competitionID}},
            {QStringLiteral("DELETE FROM tevents WHERE fCompetitionID=?"), {competitionID}},
            {QStringLiteral("DELETE FROM tmembers WHERE fCompetitionID=?"), {competitionID}},
        };
        for (int eventID : eventIDs)
            statements.append({QStringLiteral("DELETE FROM trelays WHERE fEventID=?"), {eventID}});
        for (int memberID : memberIDs)
            statements.append({QStringLiteral("DELETE FROM tbullets WHERE fMemberID=?"), {memberID}});
        return execAll(statements);
    });
}

int TdbAccessor::deleteShooter(int shooterID, bool checkInUse)
{
    int result = 0;
    const bool committed = inTransaction([&] {
        if (checkInUse && isShooterUsed(shooterID)) {
            result = -1;
            return true;
        }
        if (!execSelect(QStringLiteral("SELECT ID FROM tmembers WHERE fShooterID=?"), {shooterID}))
            return false;
        const QList<int> memberIDs = collectIDs();
        QList<QPair<QString, QVariantList>> statements = {
            {QStringLiteral("DELETE FROM tshooters WHERE ID=?"), {shooterID}},
            {QStringLiteral("DELETE FROM tmembers WHERE fShooterID=?"), {shooterID}},
        };
        for (int memberID : memberIDs) {
            statements.append({QStringLiteral("DELETE FROM trelays WHERE fMemberID=?"), {memberID}});
            statements.append({QStringLiteral("DELETE FROM tbullets WHERE fMemberID=?"), {memberID}});
        }
        result = execAll(statements) ? 1 : 0;
        return result == 1;
    });
    // A commit that fails rolls the deletes back: nothing was deleted.
    if (!committed && result == 1)
        return 0;
    return result;
}

bool TdbAccessor::clearAll()
{
    return inTransaction([&] {
        return execAll({{QStringLiteral("DELETE FROM tcompetitions"), {}},
                        {QStringLiteral("DELETE FROM tevents"), {}},
                        {QStringLiteral("DELETE FROM tshooters"), {}},
                        {QStringLiteral("DELETE FROM tteam"), {}},
                        {QStringLiteral("DELETE FROM tqualifications"), {}},
                        {QStringLiteral("DELETE FROM tmembers"), {}},
                        {QStringLiteral("DELETE FROM trelays"), {}},
                        {QStringLiteral("DELETE FROM tbullets"), {}}});
    });
}
