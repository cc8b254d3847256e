#pragma once

#include "tdbaccessor.h"
#include "testdatadir.h"

#include <QDir>
#include <QVariantList>

#include <memory>

// Competition types of the record tests, over the project's own exercise list.
// Type 1: three non-finals listed out of order, two of them of exercise type
// 1, and a final of type 1 too. Type 2: the two pistol stages. Type 3:
// precision stage 1, rapid-fire stage 2 and a final 3. Type 4: the two
// stages without a final.
inline const QByteArray kFixtureTypes = R"(<?xml version="1.0" encoding="UTF-8"?>
<CompetititonList>
  <Type ID="1" NameEng="Chain" NameRus="Цепь" weapon="0">
    <Event Final="0" Num="3" TypeID="1" SubType="5"/>
    <Event Final="1" Num="4" TypeID="1" SubType="7"/>
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
    <Event Final="0" Num="2" TypeID="6" SubType="1"/>
  </Type>
  <Type ID="2" NameEng="Pistol" NameRus="Пистолет" weapon="1">
    <Event Final="0" Num="1" TypeID="2" SubType="1"/>
    <Event Final="0" Num="2" TypeID="3" SubType="1"/>
  </Type>
  <Type ID="3" NameEng="With final" NameRus="С финалом" weapon="1">
    <Event Final="0" Num="1" TypeID="2" SubType="1"/>
    <Event Final="0" Num="2" TypeID="3" SubType="1"/>
    <Event Final="1" Num="3" TypeID="1" SubType="8"/>
  </Type>
  <Type ID="4" NameEng="Stages" NameRus="Этапы" weapon="1">
    <Event Final="0" Num="1" TypeID="2" SubType="1"/>
    <Event Final="0" Num="2" TypeID="3" SubType="1"/>
  </Type>
</CompetititonList>
)";

// A temporary data tree with a fresh competitions database and a competition
// type list (kFixtureTypes unless the test brings its own).
struct CompetitionFixture
{
    explicit CompetitionFixture(const QByteArray &competitionTypes = kFixtureTypes)
    {
        valid = dir.isValid() && QDir().mkpath(dir.filePath(QStringLiteral("ServerDatas/DataBase")))
            && dir.writeFile(QStringLiteral("ServerDatas/Events/CompetitionsType.xml"),
                             competitionTypes);
        db = std::make_unique<TdbAccessor>(QStringLiteral("competition-tests"));
        valid = valid && !db->isError();
    }

    // Rows a select returns.
    int rows(const QString &statement, const QVariantList &values = QVariantList())
    {
        db->execSelect(statement, values);
        int count = 0;
        while (db->next())
            ++count;
        return count;
    }

    // The first row's integer field of a select; -1 without a row.
    int intOf(const QString &statement, const QVariantList &values, const QString &field)
    {
        db->execSelect(statement, values);
        return db->first() ? -1 : db->value(field).toInt();
    }

    TestDataDir dir;
    std::unique_ptr<TdbAccessor> db;
    bool valid = false;
};
