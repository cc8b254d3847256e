#pragma once

#include "shootersdb.h"
#include "testdatadir.h"
#include "tmemberspractice.h"
#include "tmemberspracticeused.h"
#include "tpracticemodul.h"
#include "teventlist.h"
#include "teventlistproxy.h"

#include <QAbstractItemModelTester>

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
