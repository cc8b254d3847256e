#include "counrtylist.h"
#include "datapaths.h"
#include "tcountry.h"
#include "testdatadir.h"

#include <QImage>
#include <QSet>
#include <QtTest>

namespace {

const QString kFolder = QStringLiteral("ServerDatas/Countries");

QByteArray countryXml(const QByteArray &body, const QByteArray &root = "CountriesList")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + ">" + body + "</" + root + ">\n";
}

// Loads a list file of that content (no file when null) from a fresh data tree.
void loadFrom(CounrtyList &list, const QByteArray &content)
{
    TestDataDir dir(TestDataDir::Empty);
    QVERIFY(dir.isValid());
    if (!content.isNull())
        QVERIFY(dir.writeFile(kFolder + QStringLiteral("/l.xml"), content));
    list.load(dir.filePath(kFolder), QStringLiteral("l.xml"));
}

} // namespace

class TestCountryList : public QObject
{
    Q_OBJECT

private slots:
    void readsFields();
    void idConversion_data();
    void idConversion();
    void unreadableFiles_data();
    void unreadableFiles();
    void walkingAndCurrent();
    void secondLoadReplaces();
    void shippedList();
};

void TestCountryList::readsFields()
{
    TestDataDir dir(TestDataDir::Empty);
    QVERIFY(dir.isValid());
    QImage flag(6, 4, QImage::Format_RGB32);
    flag.fill(Qt::red);
    QVERIFY(QDir().mkpath(dir.filePath(kFolder)));
    QVERIFY(flag.save(dir.filePath(kFolder + QStringLiteral("/red.png"))));
    QVERIFY(dir.writeFile(kFolder + QStringLiteral("/list.xml"), countryXml(
        "<Country><ID>7</ID><NameShort>RUS</NameShort><NameShort1>RU</NameShort1>"
        "<NameRus>Россия</NameRus><NameEng>Russia</NameEng><NameEng>Second</NameEng>"
        "<FFile>red.png</FFile></Country>"
        "<!-- a comment is no country -->"
        "<Other><ID>8</ID><FFile>missing.png</FFile></Other>")));

    CounrtyList list;
    list.load(dir.filePath(kFolder), QStringLiteral("list.xml"));
    QCOMPARE(list.count(), 2);
    const TCountry *first = list.at(0);
    QCOMPARE(first->id(), 7);
    QCOMPARE(first->nameShort(), QStringLiteral("RUS"));
    QCOMPARE(first->nameShort1(), QStringLiteral("RU"));
    QCOMPARE(first->nameRus(), QStringLiteral("Россия"));
    QCOMPARE(first->nameEng(), QStringLiteral("Russia")); // the first of two counts
    QCOMPARE(first->flag().size(), QSize(6, 4));
    QVERIFY(!first->icon().isNull());

    // The element name is not examined; a missing flag file leaves both null.
    const TCountry *second = list.at(1);
    QCOMPARE(second->id(), 8);
    QVERIFY(second->nameRus().isEmpty());
    QVERIFY(second->flag().isNull());
    QVERIFY(second->icon().isNull());
}

void TestCountryList::idConversion_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<int>("id");
    QTest::newRow("decimal") << QByteArray("<ID>42</ID>") << 42;
    QTest::newRow("no ID element gives 0") << QByteArray() << 0;
    QTest::newRow("12a is no number, 0") << QByteArray("<ID>12a</ID>") << 0;
}

void TestCountryList::idConversion()
{
    QFETCH(QByteArray, element);
    QFETCH(int, id);
    CounrtyList list;
    loadFrom(list, countryXml("<Country>" + element + "<NameEng>X</NameEng></Country>"));
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.at(0)->id(), id);
}

void TestCountryList::unreadableFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("wrong root") << countryXml("<Country><ID>2</ID></Country>", "CountryList");
    QTest::newRow("malformed") << QByteArray("<CountriesList><Country><ID>2</ID></CountriesList>");
    QTest::newRow("no file") << QByteArray();
}

void TestCountryList::unreadableFiles()
{
    QFETCH(QByteArray, content);
    CounrtyList list;
    loadFrom(list, content);
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.at(0), nullptr);
}

void TestCountryList::walkingAndCurrent()
{
    CounrtyList list;
    loadFrom(list, countryXml("<C><ID>1</ID></C><C><ID>5</ID></C><C><ID>9</ID></C><C><ID>5</ID></C>"));
    QCOMPARE(list.count(), 4);
    QCOMPARE(list.indexOfID(5), 1); // the first of duplicate IDs
    QCOMPARE(list.countryByID(5), list.at(1));
    QCOMPARE(list.indexOfID(4), -1);
    QCOMPARE(list.nextCountry(list.at(0)), list.at(1));
    QCOMPARE(list.nextCountry(list.at(3)), nullptr);
    TCountry stranger;
    QCOMPARE(list.nextCountry(&stranger), nullptr);
    QCOMPARE(list.nextCountry(nullptr), nullptr);

    QCOMPARE(list.current(), nullptr);
    list.setCurrentID(5);
    QCOMPARE(list.current(), list.at(1));
    list.setCurrentIndex(2);
    QCOMPARE(list.current(), list.at(2));
    list.setCurrentID(1); // IDs 0 and 1 select nothing, though a country has ID 1
    QCOMPARE(list.current(), nullptr);
    list.setCurrentIndex(7);
    QCOMPARE(list.current(), nullptr);
    list.setCurrentIndex(0);
    list.clearCurrent();
    QCOMPARE(list.current(), nullptr);
}

void TestCountryList::secondLoadReplaces()
{
    CounrtyList list;
    loadFrom(list, countryXml("<C><ID>2</ID></C><C><ID>3</ID></C>"));
    QCOMPARE(list.count(), 2);
    loadFrom(list, countryXml("<C><ID>4</ID></C>"));
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.at(0)->id(), 4);
}

void TestCountryList::shippedList()
{
    TestDataDir dir;
    QVERIFY(dir.isValid());
    CounrtyList list;
    list.load(DataPaths::path(DataPaths::kCountriesDir), DataPaths::kCountriesFile);
    QVERIFY2(list.count() >= 50, qPrintable(QString::number(list.count())));
    QSet<int> ids;
    QSet<QString> shortNames;
    for (const TCountry *country = list.at(0); country; country = list.nextCountry(country)) {
        const QString what = country->nameEng();
        QVERIFY2(country->id() > 1, qPrintable(what)); // 0 and 1 select no country
        QVERIFY2(!ids.contains(country->id()), qPrintable(what));
        ids.insert(country->id());
        QVERIFY2(!shortNames.contains(country->nameShort()), qPrintable(what));
        shortNames.insert(country->nameShort());
        QVERIFY2(!country->nameRus().isEmpty() && !what.isEmpty(), qPrintable(what));
        QVERIFY2(!country->nameShort1().isEmpty(), qPrintable(what));
        QVERIFY2(!country->flag().isNull() && !country->icon().isNull(), qPrintable(what));
    }
    QCOMPARE(ids.size(), list.count());
    QVERIFY(list.indexOfID(list.at(0)->id()) == 0);
    QVERIFY(shortNames.contains(QStringLiteral("RUS")));
}

QTEST_MAIN(TestCountryList)
#include "tst_countrylist.moc"
