#pragma once

#include "tdbaccessor.h"
#include "testdatadir.h"

#include <QDir>
#include <QVariantList>

#include <memory>

// A temporary data tree with a fresh competitions database, optionally with
// a competition type list of the test's own.
struct CompetitionFixture
{
    explicit CompetitionFixture(const QByteArray &competitionTypes = QByteArray())
    {
        valid = dir.isValid() && QDir().mkpath(dir.filePath(QStringLiteral("ServerDatas/DataBase")));
        if (!competitionTypes.isEmpty())
            valid = valid
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
