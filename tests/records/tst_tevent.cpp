#include "tevent.h"
#include "ttargettype.h"

#include "testdatadir.h"

#include <QDomDocument>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace {

const QString kEventsDir = QStringLiteral("ServerDatas/Events");

// "Key=value;Key=value" into the exercise's parameters.
void insertParams(TEvent &event, const QString &text)
{
    const QStringList pairs = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &pair : pairs) {
        const int eq = pair.indexOf(QLatin1Char('='));
        event.insertParam(pair.left(eq), pair.mid(eq + 1));
    }
}

// The parameters as "Key=value;..." in key order, for comparing whole maps.
QString paramsText(const TEvent &event, const QStringList &keys)
{
    QStringList pairs;
    for (const QString &key : keys) {
        if (event.param(key) != QLatin1String("NONE"))
            pairs << key + QLatin1Char('=') + event.param(key);
    }
    return pairs.join(QLatin1Char(';'));
}

const QByteArray kList = R"(<?xml version="1.0" encoding="UTF-8"?>
<EventsList>
  <T ID="4" NameEng="Other" NameRus="Другое"/>
  <T ID="1" NameEng="Rifle" NameRus="Винтовки">
    <S SubNum="1" SubNameEng="Air Rifle" SubNameRus="Винтовка" MatchCount="60" TargetNum="8"/>
    <S SubNum="2" SubNameEng="Air Pistol" SubNameRus="Пистолет" MatchCount="40" TargetNum="9"
       Calibre="450" VIew10="0" Extra="x"/>
    <S SubNum="2" SubNameEng="Second" MatchCount="99"/>
    <S SubNum="3" MatchCount="20"/>
  </T>
  <T ID="1" NameEng="Later" NameRus="Позже"/>
  <T ID="05" NameEng="Padded"/>
  <T ID="7" NameEng="NoRussian"><S SubNum="1" SubNameEng="Only"/></T>
</EventsList>
)";

} // namespace

class TstTEvent : public QObject
{
    Q_OBJECT

private slots:
    void typedParams_data();
    void typedParams();
    void paramLookup_data();
    void paramLookup();
    void derivedNames_data();
    void derivedNames();
    void startDateTimeTexts();
    void readEventsType_data();
    void readEventsType();
    void realExerciseList();
    void order_data();
    void order();
};

void TstTEvent::typedParams_data()
{
    QTest::addColumn<QString>("params");
    QTest::addColumn<int>("matchCount");
    QTest::addColumn<int>("targetId"); // -1: no row
    QTest::addColumn<double>("controlValue");
    QTest::addColumn<bool>("view10");
    QTest::addColumn<bool>("oldID");
    QTest::addColumn<int>("calibre");

    // Defaults: 10 shots, row 3, 10.4, tenths on, OldID on, 4.5 mm.
    QTest::newRow("none given") << "" << 10 << 3 << 10.4 << true << true << 450;
    QTest::newRow("all given")
        << "MatchCount=60;TargetNum=8;ControlValue=9.5;VIew10=1;OldID=0;Calibre=560" << 60 << 8
        << 9.5 << true << false << 560;
    QTest::newRow("no numbers")
        << "MatchCount=abc;TargetNum=x;ControlValue=ten;VIew10=yes;OldID=no;Calibre=5.6" << 10
        << 3 << 10.4 << true << true << 450;
    QTest::newRow("decimal comma") << "ControlValue=10,2" << 10 << 3 << 10.4 << true << true << 450;
    QTest::newRow("TargetNum 2 names no row") << "TargetNum=2" << 10 << -1 << 10.4 << true << true
                                              << 450;
    QTest::newRow("TargetNum 0") << "TargetNum=0" << 10 << 0 << 10.4 << true << true << 450;
    QTest::newRow("VIew10 0") << "VIew10=0" << 10 << 3 << 10.4 << false << true << 450;
    QTest::newRow("VIew10 2") << "VIew10=2" << 10 << 3 << 10.4 << false << true << 450;
    QTest::newRow("OldID 5") << "OldID=5" << 10 << 3 << 10.4 << true << true << 450;
    QTest::newRow("negative calibre kept") << "Calibre=-600" << 10 << 3 << 10.4 << true << true
                                           << -600;
    // The typed getters need the exact key.
    QTest::newRow("keys in other case")
        << "matchcount=60;targetnum=8;View10=0;oldid=0;CALIBRE=560" << 10 << 3 << 10.4 << true
        << true << 450;
}

void TstTEvent::typedParams()
{
    QFETCH(QString, params);
    QFETCH(int, matchCount);
    QFETCH(int, targetId);
    QFETCH(double, controlValue);
    QFETCH(bool, view10);
    QFETCH(bool, oldID);
    QFETCH(int, calibre);

    TEvent event;
    insertParams(event, params);
    QCOMPARE(event.matchCount(), matchCount);
    QCOMPARE(event.targetType(), targetTypeById(targetId));
    QCOMPARE(event.controlValue(), controlValue);
    QCOMPARE(event.isView10(), view10);
    QCOMPARE(event.isOldID(), oldID);
    QCOMPARE(event.calibre(), calibre);
}

void TstTEvent::paramLookup_data()
{
    QTest::addColumn<QString>("params");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("intValue");

    QTest::newRow("exact") << "MatchCount=60" << "MatchCount" << "60" << 60;
    QTest::newRow("any case") << "MatchCount=60" << "matchcount" << "60" << 60;
    QTest::newRow("missing") << "MatchCount=60" << "Calibre" << "NONE" << -1;
    QTest::newRow("not an integer") << "ControlValue=10.4" << "controlvalue" << "10.4" << -1;
    QTest::newRow("own key") << "Series=6" << "SERIES" << "6" << 6;
    QTest::newRow("negative") << "Shift=-7" << "Shift" << "-7" << -7;
    // Upper case sorts first, so "Calibre" comes before "calibre".
    QTest::newRow("first in key order") << "calibre=560;Calibre=450" << "CALIBRE" << "450" << 450;
    QTest::newRow("replaced value") << "MatchCount=60;MatchCount=40" << "MatchCount" << "40" << 40;
}

void TstTEvent::paramLookup()
{
    QFETCH(QString, params);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, intValue);

    TEvent event;
    insertParams(event, params);
    QCOMPARE(event.param(key), value);
    QCOMPARE(event.paramInt(key), intValue);
    event.clearParams();
    QCOMPARE(event.param(key), QStringLiteral("NONE"));
}

void TstTEvent::derivedNames_data()
{
    QTest::addColumn<QString>("nameEng");
    QTest::addColumn<QString>("expectedEng");
    QTest::addColumn<QString>("expectedRus");
    QTest::addColumn<QString>("expectedFull");

    // Sub-type names "Sub"/"Под", type Russian name "Тип".
    QTest::newRow("SimpleOne") << "SimpleOne" << "Sub" << "Под" << "Sub";
    QTest::newRow("DifficultOne") << "DifficultOne" << "Sub" << "Под" << "Sub";
    QTest::newRow("other type") << "Precision" << "Precision" << "Тип" << "Precision Sub";
    QTest::newRow("case matters") << "simpleone" << "simpleone" << "Тип" << "simpleone Sub";
}

void TstTEvent::derivedNames()
{
    QFETCH(QString, nameEng);
    QFETCH(QString, expectedEng);
    QFETCH(QString, expectedRus);
    QFETCH(QString, expectedFull);

    const TEvent event(5, 1, 2, 0, nameEng, QStringLiteral("Тип"), QStringLiteral("Sub"),
                       QStringLiteral("Под"));
    QCOMPARE(event.nameEng(), expectedEng);
    QCOMPARE(event.nameRus(), expectedRus);
    QCOMPARE(event.fullNameEng(), expectedFull);
}

void TstTEvent::startDateTimeTexts()
{
    TEvent event;
    event.setStartDateTime(QDate(2024, 3, 5), QTime(7, 45, 9));
    QCOMPARE(event.startDateTimeSql(), QStringLiteral("2024-03-05 07:45:09"));
    // Hours before minutes on screen.
    QCOMPARE(event.startDateTimeText(), QStringLiteral("05/03/2024 07:45"));
}

void TstTEvent::readEventsType_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no file at all
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("subType");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("names"); // NameEng|NameRus|SubNameEng|SubNameRus afterwards
    QTest::addColumn<QString>("params");

    // The record starts with names "E|R|SE|SR" and the parameter Keep=1; the list's
    // type 1 is not a series type, so nameEng and nameRus show the type's own names.
    const QString untouched = QStringLiteral("E|R|SE|SR");
    const QString kept = QStringLiteral("Keep=1");

    QTest::newRow("no file") << QByteArray() << 1 << 1 << false << untouched << kept;
    QTest::newRow("malformed") << QByteArray("<EventsList><T ID=\"1\">") << 1 << 1 << false
                               << untouched << kept;
    QTest::newRow("empty file") << QByteArray("") << 1 << 1 << false << untouched << kept;
    QTest::newRow("root in other case")
        << QByteArray(kList).replace("EventsList", "eventsList") << 1 << 1 << false << untouched
        << kept;
    QTest::newRow("type -1") << kList << -1 << 1 << false << untouched << kept;
    QTest::newRow("unknown type") << kList << 9 << 1 << false << untouched << kept;
    QTest::newRow("ID written 05") << kList << 5 << 1 << false << untouched << kept;
    QTest::newRow("sub-type 0 keeps params")
        << kList << 1 << 0 << true << "Rifle|Винтовки|SE|SR" << kept;
    QTest::newRow("five attributes give two params")
        << kList << 1 << 1 << true << "Rifle|Винтовки|Air Rifle|Винтовка"
        << "MatchCount=60;TargetNum=8";
    QTest::newRow("first of two equal SubNums")
        << kList << 1 << 2 << true << "Rifle|Винтовки|Air Pistol|Пистолет"
        << "Calibre=450;Extra=x;MatchCount=40;TargetNum=9;VIew10=0";
    QTest::newRow("sub-type without names")
        << kList << 1 << 3 << true << "Rifle|Винтовки|SE|SR" << "MatchCount=20";
    QTest::newRow("no such sub-type empties params")
        << kList << 1 << 8 << true << "Rifle|Винтовки|SE|SR" << "";
    QTest::newRow("type without Russian name")
        << kList << 7 << 1 << true << "NoRussian||Only|SR" << "";
    QTest::newRow("type without sub-types")
        << kList << 4 << 1 << true << "Other|Другое|SE|SR" << "";
}

void TstTEvent::readEventsType()
{
    QFETCH(QByteArray, file);
    QFETCH(int, type);
    QFETCH(int, subType);
    QFETCH(bool, found);
    QFETCH(QString, names);
    QFETCH(QString, params);

    TestDataDir dir(TestDataDir::Empty);
    QVERIFY(dir.isValid());
    if (!file.isNull())
        QVERIFY(dir.writeFile(kEventsDir + QStringLiteral("/EventsType.xml"), file));

    TEvent event(3, type, subType, 0, QStringLiteral("E"), QStringLiteral("R"),
                 QStringLiteral("SE"), QStringLiteral("SR"));
    event.insertParam(QStringLiteral("Keep"), QStringLiteral("1"));

    QCOMPARE(event.readEventsType(dir.filePath(kEventsDir)), found);
    const QString actualNames = QStringList{event.nameEng(), event.nameRus(), event.subNameEng(),
                                            event.subNameRus()}
                                    .join(QLatin1Char('|'));
    QCOMPARE(actualNames, names);
    const QStringList keys = {QStringLiteral("Calibre"), QStringLiteral("Extra"),
                              QStringLiteral("Keep"),    QStringLiteral("MatchCount"),
                              QStringLiteral("SubNum"),  QStringLiteral("SubNameEng"),
                              QStringLiteral("TargetNum"), QStringLiteral("VIew10")};
    QCOMPARE(paramsText(event, keys), params);
}

void TstTEvent::realExerciseList()
{
    TestDataDir dir;
    QVERIFY(dir.isValid());
    const QString eventsDir = dir.filePath(kEventsDir);

    QFile file(eventsDir + QStringLiteral("/EventsType.xml"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QDomDocument document;
    QVERIFY(document.setContent(&file));

    // Every exercise kind the engine runs is present, and every entry is usable.
    QSet<int> typeIds;
    int entries = 0;
    for (QDomElement type = document.documentElement().firstChildElement(); !type.isNull();
         type = type.nextSiblingElement()) {
        const int typeId = type.attribute(QStringLiteral("ID")).toInt();
        QVERIFY2(!typeIds.contains(typeId), qPrintable(QString::number(typeId)));
        typeIds.insert(typeId);
        QSet<int> subNums;
        for (QDomElement sub = type.firstChildElement(); !sub.isNull();
             sub = sub.nextSiblingElement()) {
            const int subNum = sub.attribute(QStringLiteral("SubNum")).toInt();
            const QByteArray where = QByteArray::number(typeId) + '/' + QByteArray::number(subNum);
            QVERIFY2(subNum >= 1 && !subNums.contains(subNum), where);
            subNums.insert(subNum);

            TEvent event;
            event.setTypeXMLID(typeId);
            event.setSubType(subNum);
            QVERIFY2(event.readEventsType(eventsDir), where);
            QVERIFY2(!event.nameEng().isEmpty() && !event.nameRus().isEmpty(), where);
            QVERIFY2(!event.subNameEng().isEmpty() && !event.subNameRus().isEmpty(), where);
            for (const char *key : {"MatchCount", "TargetNum", "ControlValue", "VIew10",
                                    "OldID", "Calibre"})
                QVERIFY2(event.param(QLatin1String(key)) != QLatin1String("NONE"),
                         where + ' ' + key);
            QVERIFY2(event.targetType() != nullptr, where);
            QVERIFY2(event.paramInt(QStringLiteral("TargetNum")) == event.targetType()->ID, where);
            QVERIFY2(event.calibre() > 0 && event.matchCount() > 0, where);
            if (typeId == 2 || typeId == 3)
                QVERIFY2(event.matchCount() == 30, where);
            if (typeId == 6)
                QVERIFY2(event.matchCount() % 30 == 0, where);
            ++entries;
        }
        QVERIFY2(!subNums.isEmpty(), qPrintable(QString::number(typeId)));
    }
    QCOMPARE(typeIds, (QSet<int>{1, 2, 3, 6}));
    QVERIFY(entries >= 10);
}

void TstTEvent::order_data()
{
    QTest::addColumn<QList<int>>("nums");
    QTest::addColumn<QList<bool>>("finals");
    QTest::addColumn<QList<int>>("expectedNonFinals");

    QTest::newRow("3, final 1, 2") << QList<int>{3, 1, 2} << QList<bool>{false, true, false}
                                   << QList<int>{2, 3};
    QTest::newRow("finals only") << QList<int>{4, 2, 9} << QList<bool>{true, true, true}
                                 << QList<int>{};
    QTest::newRow("finals first in input")
        << QList<int>{1, 2, 8, 7, 6, 5} << QList<bool>{true, true, false, false, false, false}
        << QList<int>{5, 6, 7, 8};
    // More elements than std::sort's insertion-sort threshold, with many equal finals.
    QList<int> nums;
    QList<bool> finals;
    QList<int> expected;
    for (int i = 0; i < 64; ++i) {
        nums << (i * 37) % 64;
        finals << (i % 3 == 0);
        if (i % 3 != 0)
            expected << (i * 37) % 64;
    }
    std::sort(expected.begin(), expected.end());
    QTest::newRow("64 mixed") << nums << finals << expected;
}

void TstTEvent::order()
{
    QFETCH(QList<int>, nums);
    QFETCH(QList<bool>, finals);
    QFETCH(QList<int>, expectedNonFinals);

    std::vector<std::unique_ptr<TEvent>> owned;
    std::vector<TEvent *> events;
    for (int i = 0; i < nums.size(); ++i) {
        owned.push_back(std::make_unique<TEvent>());
        owned.back()->setNum(nums.at(i));
        owned.back()->setFinal(finals.at(i));
        events.push_back(owned.back().get());
    }
    std::mt19937 random(7);
    std::shuffle(events.begin(), events.end(), random);
    std::sort(events.begin(), events.end(), TEvent::lessThan);

    QList<int> nonFinals;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (i < std::size_t(expectedNonFinals.size())) {
            QVERIFY(!events[i]->isFinal());
            nonFinals << events[i]->num();
        } else {
            QVERIFY(events[i]->isFinal());
        }
    }
    QCOMPARE(nonFinals, expectedNonFinals);
    for (const TEvent *a : events) {
        QVERIFY(!TEvent::lessThan(a, a));
        for (const TEvent *b : events) {
            if (a->isFinal() && b->isFinal())
                QVERIFY(!TEvent::lessThan(a, b));
        }
    }
}

QTEST_GUILESS_MAIN(TstTEvent)
#include "tst_tevent.moc"
