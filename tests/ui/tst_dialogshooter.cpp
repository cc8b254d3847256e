// The shooter dialog over a real competitions database: names kept exactly,
// the new member of the members page, and references to rows that are gone.

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "dialogshooter.h"
#include "storedrows.h"
#include "testdatadir.h"
#include "tmembers.h"
#include "tshooter.h"
#include "tusermodul.h"
#include "warnings.h"

namespace {
constexpr int kRussia = 2;       // first country of the default list
constexpr int kRifle60 = 1;      // a competition type of the default list
} // namespace

class TestDialogShooter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void namesKeptExactly_data();
    void namesKeptExactly();
    void newMemberFromMembersPage();
    void goneReferencesSaveAsNone();
    void blankTeamRefused();

private:
    template <class T>
    T *field(const char *name) const
    {
        T *widget = m_dialog->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    // Fails on a button the operator could not press.
    bool click(const char *name)
    {
        QPushButton *button = field<QPushButton>(name);
        if (!button->isVisible() || !button->isEnabled())
            return false;
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }
    void typeNames(const QString &name, const QString &family);
    // The first stored row the statement selects; empty when none.
    QVariantList row(const QString &statement, const QVariantList &values = {})
    {
        return m_stored->rows(statement, values).value(0);
    }
    int count(const char *table)
    {
        return row(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))).value(0).toInt();
    }
    int lastShooterID() { return row(QStringLiteral("SELECT MAX(ID) FROM tshooters")).value(0).toInt(); }

    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<TUserModul> m_modul;
    std::unique_ptr<DialogShooter> m_dialog;
    std::unique_ptr<QSignalSpy> m_closed;
    std::unique_ptr<StoredRows> m_stored;
};

void TestDialogShooter::init()
{
    m_dir = std::make_unique<TestDataDir>();
    QVERIFY(m_dir->isValid());
    Warnings::setTestMode(true);
    Warnings::clear();
    m_modul = std::make_unique<TUserModul>();
    m_dialog = std::make_unique<DialogShooter>(m_modul.get());
    m_closed = std::make_unique<QSignalSpy>(m_dialog.get(), &DialogShooter::sig_shooterChanged);
    m_stored = std::make_unique<StoredRows>();
}

void TestDialogShooter::cleanup()
{
    m_stored.reset();
    m_closed.reset();
    m_dialog.reset();
    m_modul.reset();
    m_dir.reset();
    Warnings::clear();
}

void TestDialogShooter::typeNames(const QString &name, const QString &family)
{
    field<QLineEdit>("IEName_sh")->setText(name);
    field<QLineEdit>("IENameSecond_sh")->setText(family);
}

void TestDialogShooter::namesKeptExactly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");
    QTest::newRow("quotes") << "Д'Артаньян" << "\"Мушкетёр\" O'Neil";
    QTest::newRow("backslashes") << "C:\\temp\\" << "\\n\\'\\\"";
    QTest::newRow("statement text") << "x'); DROP TABLE tshooters;--" << "%_*?";
    QTest::newRow("Cyrillic") << "Ёлка-Йошкар" << "Щукина-Ъ";
    QTest::newRow("blanks around") << "  Анна " << " Петрова  ";
    // Past the 32767 characters a line edit keeps by default.
    QTest::newRow("long text") << QString(40000, QChar(0x416)) << QString(300, 'x');
}

void TestDialogShooter::namesKeptExactly()
{
    QFETCH(QString, name);
    QFETCH(QString, family);
    m_dialog->slot_Show(-1, DialogShooter::FromShooterList, DialogShooter::Create);
    typeNames(name, family);
    // The team gets the family name, created on the team page.
    QVERIFY(click("pB_EditTeam"));
    field<QLineEdit>("IEName_team")->setText(family);
    QVERIFY(click("pbCreate_team"));
    QVERIFY(click("pushButton"));
    QCOMPARE(field<QComboBox>("CB_Team")->currentText(), family);
    QVERIFY(click("pBOK"));
    QCOMPARE(m_closed->count(), 1);
    QCOMPARE(m_closed->at(0).at(0).toInt(), int(DialogShooter::FromShooterList));

    const int id = lastShooterID();
    const QVariantList stored = row(
        QStringLiteral("SELECT s.fName, s.fFamily, t.fName FROM tshooters s "
                       "JOIN tteam t ON t.ID = s.fTeamID WHERE s.ID=?"), {id});
    QCOMPARE(stored, QVariantList({name, family, family}));

    // Shown exactly for a change, and saved back unchanged.
    m_dialog->hide();
    m_dialog->slot_Show(id, DialogShooter::FromShooterList, DialogShooter::Change);
    QCOMPARE(field<QLineEdit>("IEName_sh")->text(), name);
    QCOMPARE(field<QLineEdit>("IENameSecond_sh")->text(), family);
    QCOMPARE(field<QComboBox>("CB_Team")->currentText(), family);
    QVERIFY(click("pBOK"));
    QCOMPARE(m_closed->count(), 2);
    QCOMPARE(row(QStringLiteral("SELECT fName, fFamily FROM tshooters WHERE ID=?"), {id}),
             QVariantList({name, family}));
    QVERIFY(Warnings::shown().isEmpty());
}

void TestDialogShooter::newMemberFromMembersPage()
{
    QVERIFY(m_modul->newCompetition(kRussia, kRifle60, false, QStringLiteral("Кубок")));
    const auto addFromMembers = [this](const QString &family) {
        m_dialog->slot_Show(-1, DialogShooter::FromMembers, DialogShooter::Create);
        typeNames(QString(), family);
        if (!click("pBOK"))
            return -1;
        m_dialog->hide();
        return lastShooterID();
    };
    const int first = addFromMembers(QStringLiteral("Иванов"));
    QVERIFY(m_modul->members()->memberByShooterID(first));
    m_modul->setStartNumber(m_modul->members()->memberByShooterID(first)->memberID(), 7);
    const int second = addFromMembers(QStringLiteral("Петров"));
    QVERIFY(first > 0 && second > first);
    QCOMPARE(row(QStringLiteral("SELECT fStartNumber FROM tmembers WHERE fShooterID=?"),
                       {second}),
             QVariantList({8})); // the largest start number + 1
    QCOMPARE(m_modul->members()->currentMember()->id(), second);

    // Blank names are refused; nothing is stored and the dialog stays.
    m_dialog->slot_Show(-1, DialogShooter::FromMembers, DialogShooter::Create);
    typeNames(QStringLiteral("  "), QString());
    QVERIFY(click("pBOK"));
    QCOMPARE(Warnings::last().text, QStringLiteral("Введите имя стрелка."));
    QCOMPARE(lastShooterID(), second);
    QCOMPARE(m_closed->count(), 2);

    // Without a competition the shooter is stored but cannot become a member:
    // the operator is told, and the dialog closes so that a second save
    // cannot store the shooter twice.
    m_modul->closeCompetition();
    Warnings::clear();
    typeNames(QString(), QStringLiteral("Сидоров"));
    QVERIFY(click("pBOK"));
    QCOMPARE(Warnings::shown().size(), 1);
    QCOMPARE(Warnings::last().title, QStringLiteral("Участник не добавлен!"));
    QCOMPARE(row(QStringLiteral("SELECT fFamily FROM tshooters WHERE ID=?"),
                       {lastShooterID()}),
             QVariantList({QStringLiteral("Сидоров")}));
    QCOMPARE(count("tmembers"), 2);
    QCOMPARE(m_closed->count(), 3);
    QCOMPARE(m_closed->last().at(0).toInt(), int(DialogShooter::FromMembers));
}

void TestDialogShooter::goneReferencesSaveAsNone()
{
    // Written by an older program that let teams go while in use.
    QCOMPARE(m_modul->addShooter(QStringLiteral("Олег"), QStringLiteral("Орлов"), QDate(1990, 5, 4),
                                 1, kRussia, 0, 0),
             1);
    QVERIFY(m_stored->exec(
        QStringLiteral("UPDATE tshooters SET fTeamID=9, fQualityID=9, fCountryXMLID=999")));
    m_modul->reloadShooters();
    m_dialog->slot_Show(1, DialogShooter::FromShooterList, DialogShooter::Change);
    QVERIFY(field<QRadioButton>("rBGender1")->isChecked());
    QCOMPARE(field<QDateEdit>("DEStart_sh")->date(), QDate(1990, 5, 4));
    QCOMPARE(field<QComboBox>("CB_Team")->currentIndex(), 0);
    QCOMPARE(field<QComboBox>("CB_Man_Country")->currentIndex(), -1);
    QVERIFY(click("pBOK"));
    QCOMPARE(row(QStringLiteral(
                 "SELECT fTeamID, fQualityID, fCountryXMLID, fGender FROM tshooters WHERE ID=1")),
             QVariantList({0, 0, 0, 1}));
}

QTEST_MAIN(TestDialogShooter)
void TestDialogShooter::blankTeamRefused()
{
    m_dialog->slot_Show(-1, DialogShooter::FromShooterList, DialogShooter::Create);
    QVERIFY(click("pB_EditTeam"));
    field<QLineEdit>("IEName_team")->setText(QStringLiteral("  "));
    QVERIFY(click("pbCreate_team"));
    QCOMPARE(Warnings::last().title, QStringLiteral("Коменда не создана!"));
    QCOMPARE(count("tteam"), 1); // the no-team row alone
}

#include "tst_dialogshooter.moc"
