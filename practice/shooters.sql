CREATE TABLE "TShooters" ( "ID" INTEGER PRIMARY KEY, "fName" TEXT, "fFamily" TEXT, "fDateofBirth" DATE, "fGender" INTEGER, "fCountryXMLID" INTEGER, "fTeamID" INTEGER, "fQualityID" INTEGER, "fAddition" BOOLEAN );
CREATE TABLE "TTeam" ( "ID" INTEGER PRIMARY KEY, "fName" TEXT, "fCountryXMLID" INTEGER );
CREATE TABLE "tQualifications" ( "ID" INTEGER PRIMARY KEY, "fName" TEXT, "fshortname" TEXT );
INSERT INTO "TTeam" ( "ID","fName","fCountryXMLID" ) VALUES ( '0','NONE','0' );
INSERT INTO "tQualifications" ( "ID","fName" ) VALUES ( '0','NONE' );
