#pragma once

#include "testdatadir.h"
#include "tmemberspractice.h"
#include "tmemberspracticeused.h"
#include "tpracticemodul.h"
#include "teventlist.h"
#include "teventlistproxy.h"

#include <QAbstractItemModelTester>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariantList>

#include <memory>
#include <vector>

// A run folder with the default data, the practice module built and reloaded
// on it as the main window does, and every model of the module under a
// model tester for as long as the fixture lives.
class PracticeFixture
{
public:
    PracticeFixture()
    {
        modul = std::make_unique<TPracticeModul>();
        modul->reload();
        for (QAbstractItemModel *model :
             std::initializer_list<QAbstractItemModel *>{
                 modul->eventList(), modul->eventListProxy(), modul->membersPractice(),
                 modul->usedShooters(), modul->freeShooters()})
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                model, QAbstractItemModelTester::FailureReportingMode::QtTest));
    }
    ~PracticeFixture()
    {
        testers.clear();
        modul.reset();
    }

    TMembersPractice *roster() const { return modul->membersPractice(); }

    TestDataDir dir;
    std::unique_ptr<TPracticeModul> modul;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
};

// What "shooters.sqlite" holds, read or changed through a connection of the
// test's own, as another program would see the file.
namespace StoredRows {

inline const QString kConnection = QStringLiteral("check");

// Each row's columns in statement order; empty when the statement failed.
inline QList<QVariantList> rows(const QString &statement)
{
    QList<QVariantList> result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        db.setDatabaseName(TPracticeModul::databasePath());
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(statement)) {
                while (query.next()) {
                    QVariantList row;
                    for (int i = 0; i < query.record().count(); ++i)
                        row.append(query.value(i));
                    result.append(row);
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(kConnection);
    return result;
}

inline bool exec(const QString &statement)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        db.setDatabaseName(TPracticeModul::databasePath());
        ok = db.open() && QSqlQuery(db).exec(statement);
        db.close();
    }
    QSqlDatabase::removeDatabase(kConnection);
    return ok;
}

} // namespace StoredRows
