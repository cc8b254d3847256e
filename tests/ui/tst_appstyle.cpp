// The program's look as the operator sees it: the style sheet is applied, its
// pictures are where it looks for them, and each button state, the close
// button and the read-only fields are drawn from the right picture.

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include "mainwindowtest.h"

namespace {

// Tolerance per colour channel between a picture and the widget it is
// stretched over.
constexpr int kChannelTolerance = 10;

bool near(const QColor &a, const QColor &b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

QString describe(const QColor &colour)
{
    return QStringLiteral("(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

// Grey: no channel far from the others (the brown pictures are far from grey).
bool neutral(const QColor &colour)
{
    return qAbs(colour.red() - colour.blue()) <= 8 && qAbs(colour.red() - colour.green()) <= 8;
}

} // namespace

class TestAppStyle : public MainWindowTest
{
    Q_OBJECT

private slots:
    void resourcesTheScreensName_data();
    void resourcesTheScreensName();
    void everyPictureOfTheSheetExists();
    void buttonStates_data();
    void buttonStates();
    void closeButtonKeepsItsGradient();
    void readOnlyFieldShowsThePaper();
    void withoutTheStylesFolder();
    void logoFrame();

private:
    // A button shown on its own, in a state, grabbed.
    QImage grabButton(const std::function<void(QPushButton &)> &state);
};

void TestAppStyle::resourcesTheScreensName_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("logo") << ":/logo/img/logo/logo.png";
    QTest::newRow("converter answers") << ":/nets/img/net/net_green.png";
    QTest::newRow("converter silent") << ":/nets/img/net/net_red.png";
    QTest::newRow("target answers") << ":/clasters/img/clasters/green_ico.png";
    QTest::newRow("target silent") << ":/clasters/img/clasters/red_ico.png";
    for (int code = 0; code <= 8; ++code)
        QTest::newRow(qPrintable(QStringLiteral("arrow %1").arg(code)))
            << QStringLiteral(":/arrows/img/arrows/arr%1.png").arg(code);
    QTest::newRow("flagged shot") << ":/arrows/img/arrows/err.png";
}

void TestAppStyle::resourcesTheScreensName()
{
    QFETCH(QString, path);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    // Drawn, not blank: more than one colour.
    const QRgb first = image.pixel(0, 0);
    bool varied = false;
    for (int y = 0; y < image.height() && !varied; ++y) {
        for (int x = 0; x < image.width() && !varied; ++x)
            varied = image.pixel(x, y) != first;
    }
    QVERIFY(varied);
}

void TestAppStyle::everyPictureOfTheSheetExists()
{
    const QString sheet = qApp->styleSheet();
    QVERIFY(sheet.contains(QStringLiteral("QPushButton#closeBTN")));
    const QRegularExpression url(QStringLiteral("url\\((styles/[^)]+)\\)"));
    int named = 0;
    for (auto match = url.globalMatch(sheet); match.hasNext();) {
        const QString file = match.next().captured(1);
        QVERIFY2(QFile::exists(runFolder().filePath(file)), qPrintable(file));
        ++named;
    }
    // backgrounds 2, logo 1, buttons 5, combo box 3, scroll bars 18,
    // radio buttons 4, check boxes 4, spin boxes 6.
    QVERIFY(named >= 43);
}

QImage TestAppStyle::grabButton(const std::function<void(QPushButton &)> &state)
{
    QPushButton button(QStringLiteral(" "));
    button.resize(160, 40);
    state(button);
    button.show();
    return button.grab().toImage();
}

void TestAppStyle::buttonStates_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("picture");

    QTest::newRow("normal") << "normal" << "brown_btn_normal.png";
    QTest::newRow("disabled") << "disabled" << "brown_btn_diabled.png";
    QTest::newRow("pressed") << "pressed" << "brown_btn_pressed.png";
    QTest::newRow("checked") << "checked" << "brown_btn_checked.png";
}

void TestAppStyle::buttonStates()
{
    QFETCH(QString, state);
    QFETCH(QString, picture);

    const QImage grabbed = grabButton([&state](QPushButton &button) {
        button.setEnabled(state != QLatin1String("disabled"));
        button.setDown(state == QLatin1String("pressed"));
        button.setCheckable(state == QLatin1String("checked"));
        button.setChecked(state == QLatin1String("checked"));
    });
    const QImage source(runFolder().filePath(QStringLiteral("styles/brown_btn/") + picture));
    QVERIFY(!source.isNull());
    // The middle of the picture is stretched over the middle of the button,
    // away from the text.
    const QColor shown = grabbed.pixelColor(12, grabbed.height() / 2);
    const QColor expected = source.pixelColor(source.width() / 2, source.height() / 2);
    QVERIFY2(near(shown, expected, kChannelTolerance),
             qPrintable(describe(shown) + QStringLiteral(" instead of ") + describe(expected)));
}

void TestAppStyle::closeButtonKeepsItsGradient()
{
    auto *close = widget<QPushButton>(QStringLiteral("closeBTN"));
    QVERIFY(close);
    const QImage image = close->grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            QVERIFY2(neutral(colour), qPrintable(QStringLiteral("(%1, %2) is ").arg(x).arg(y)
                                                 + describe(colour)));
        }
    }
    // Dark at the bottom, lighter at the top.
    const int middle = image.width() / 2;
    QVERIFY(image.pixelColor(middle, image.height() - 4).value()
            < image.pixelColor(middle, 3).value());
}

void TestAppStyle::readOnlyFieldShowsThePaper()
{
    QLineEdit editable;
    QLineEdit readOnly;
    readOnly.setReadOnly(true);
    for (QLineEdit *edit : {&editable, &readOnly}) {
        edit->resize(160, 30);
        edit->show();
    }
    const QImage field = editable.grab().toImage();
    const QImage paper = readOnly.grab().toImage();
    const QColor fieldColour = field.pixelColor(field.width() / 2, field.height() / 2);
    const QColor paperColour = paper.pixelColor(paper.width() / 2, paper.height() / 2);
    // The pale field colour is near white; the paper is warmer.
    QVERIFY2(fieldColour.blue() > 225, qPrintable(describe(fieldColour)));
    QVERIFY2(paperColour.blue() < fieldColour.blue() - 15,
             qPrintable(describe(paperColour) + QStringLiteral(" against ") + describe(fieldColour)));
}

void TestAppStyle::withoutTheStylesFolder()
{
    QVERIFY(QDir(runFolder().filePath(QStringLiteral("styles"))).removeRecursively());
    // The pictures are read when a widget is drawn.
    const QImage grabbed = grabButton([](QPushButton &) {});
    const QColor middle = grabbed.pixelColor(12, grabbed.height() / 2);
    QVERIFY2(neutral(middle), qPrintable(describe(middle)));
    // The rules themselves still hold: the button keeps its white border.
    QCOMPARE(grabbed.pixelColor(0, grabbed.height() / 2), QColor(Qt::white));
}

void TestAppStyle::logoFrame()
{
    auto *logo = widget<QFrame>(QStringLiteral("frLogo"));
    QVERIFY(logo);
    const QImage picture = logo->palette().brush(logo->backgroundRole()).textureImage();
    QCOMPARE(picture.size(), QSize(300, 300));
    for (const QSize &size : {QSize(1000, 700), QSize(1920, 1200)}) {
        window()->resize(size);
        QTRY_COMPARE(window()->size(), size);
        QCOMPARE(logo->size(), QSize(300, 300));
    }
}

QTEST_MAIN(TestAppStyle)
#include "tst_appstyle.moc"
