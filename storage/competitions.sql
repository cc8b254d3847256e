CREATE TABLE "TVersion" ( "fver_first" INTEGER, "fver_second" INTEGER );
CREATE TABLE "tbullets" ( "ID" INTEGER PRIMARY KEY, "fEventID" INTEGER, "fMemberID" INTEGER, "fRange10" DOUBLE, "fNumber" INTEGER, "fX" INTEGER, "fY" INTEGER, "fP" INTEGER, "fEventActive" INTEGER, "fTime" INTEGER, "fFine" INTEGER );
CREATE TABLE "tcompetitions" ( "ID" INTEGER PRIMARY KEY, "fFinished" INTEGER, "fCountryXMLID" INTEGER, "fTypeXMLID" INTEGER, "fFinal" INTEGER, "fstartDate" TIME, "fName" TEXT );
CREATE TABLE "tevents" ( "ID" INTEGER PRIMARY KEY, "fCompetitionID" INTEGER, "fTypeXMLID" INTEGER, "fFinal" INTEGER, "fFinished" INTEGER, "fStartDate" TIME );
CREATE TABLE "tmembers" ( "ID" INTEGER PRIMARY KEY, "fCompetitionID" INTEGER, "fShooterID" INTEGER, "fStartNumber" INTEGER );
CREATE TABLE "tqualifications" ( "ID" INTEGER PRIMARY KEY, "fName" TEXT, "fshortname" TEXT );
CREATE TABLE "trelays" ( "fEventID" INTEGER, "fMemberID" INTEGER, "fMemberTarget" INTEGER, "fRelayNum" INTEGER, PRIMARY KEY ( "fEventID", "fMemberID" ) );
CREATE TABLE "tshooters" ( "ID" INTEGER PRIMARY KEY, "fName" TEXT, "fFamily" TEXT, "fDateofBirth" DATE, "fGender" INTEGER, "fCountryXMLID" INTEGER, "fTeamID" INTEGER, "fQualityID" INTEGER );
CREATE TABLE "tteam" ( "ID" INTEGER PRIMARY KEY, "fName" TEXT, "fCountryXMLID" INTEGER, "fshortName" TEXT )
INSERT INTO "TVersion" ( "fver_first","fver_second" ) VALUES ( '2','1' );
INSERT INTO "tqualifications" ( "ID","fName","fshortname" ) VALUES ( '0','','' );
INSERT INTO "tteam" ( "ID","fName","fCountryXMLID", "fshortName") VALUES ( '0','','0', '');
