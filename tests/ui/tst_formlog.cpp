// The bus log window on its own: the rows it makes of the traffic, the limit
// of its list, its buttons, the port indicators and dragging it.

#include <QLabel>
#include <QPixmap>
#include <QTime>
#include <QTreeWidget>
#include <QtTest>

#include "appstyle.h"
#include "formlog.h"

namespace {
constexpr int kWritten = 0;
constexpr int kRead = 1;
constexpr int kPortCount = FormLog::kPortCount;

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// The icon as an indicator label shows it.
QImage indicator(const QString &file)
{
    return QPixmap(file).scaled(25, 25, Qt::IgnoreAspectRatio, Qt::FastTransformation).toImage();
}
} // namespace

class TestFormLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void rowsOfTheTraffic();
    void listLimit();
    void loggingOff();
    void portIndicators();
    void dragging();

private:
    QTreeWidget *list() const { return m_log->findChild<QTreeWidget *>("TW_Report"); }
    int rows() const { return list()->topLevelItemCount(); }
    QTreeWidgetItem *top() const { return list()->topLevelItem(0); }
    QString text(const char *label) const { return m_log->findChild<QLabel *>(label)->text(); }
    QImage icon(int port) const
    {
        return m_log->findChild<QLabel *>(QStringLiteral("l_imgNet%1").arg(port))
            ->pixmap(Qt::ReturnByValue)
            .toImage();
    }
    void fill(int count);

    QWidget *m_parent = nullptr;
    FormLog *m_log = nullptr; // child of m_parent
    QImage m_green;
    QImage m_red;
};

void TestFormLog::initTestCase()
{
    initUiResources();
    m_green = indicator(QStringLiteral(":/nets/img/net/net_green.png"));
    m_red = indicator(QStringLiteral(":/nets/img/net/net_red.png"));
    QVERIFY(!m_green.isNull() && !m_red.isNull());
    QVERIFY(m_green != m_red);
}

void TestFormLog::init()
{
    m_parent = new QWidget;
    m_parent->resize(1000, 800);
    m_log = new FormLog(m_parent);
    m_parent->show();
    m_log->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_parent));
}

void TestFormLog::cleanup()
{
    delete m_parent;
    m_parent = nullptr;
    m_log = nullptr;
}

void TestFormLog::fill(int count)
{
    for (int i = 0; i < count; ++i)
        m_log->slot_addReport(kWritten, 1, 3, QByteArray(1, char(i)), 0);
}

void TestFormLog::rowsOfTheTraffic()
{
    const QTime before = QTime::currentTime();
    m_log->slot_addReport(kWritten, 2, 7, bytes("01A30F"), 1);
    const QTime after = QTime::currentTime();
    QCOMPARE(rows(), 1);
    const QTime at = QTime::fromString(top()->text(0), QStringLiteral("hh:mm:ss.zzz"));
    QVERIFY2(at.isValid(), qPrintable(top()->text(0)));
    QVERIFY(at >= before.addMSecs(-1) && at <= after.addMSecs(1));
    QCOMPARE(top()->text(1), QStringLiteral("2 COM7"));
    QCOMPARE(top()->text(2), QStringLiteral(" >>> "));
    QCOMPARE(top()->text(3), QStringLiteral("01 a3 0f"));
    // A written frame is green whatever the answer flag says.
    for (int column = 0; column < 4; ++column)
        QCOMPARE(top()->background(column).color(), QColor(0xf0, 0xff, 0xf0));

    // A chunk as the port delivered it, then the frame found in it: newest on top.
    m_log->slot_addReport(kRead, 5, 12, bytes("ff"), 0);
    m_log->slot_addReport(kRead, 5, 12, bytes("0a0b"), 1);
    QCOMPARE(rows(), 3);
    const QTreeWidgetItem *frame = list()->topLevelItem(0);
    const QTreeWidgetItem *chunk = list()->topLevelItem(1);
    QCOMPARE(frame->text(1), QStringLiteral("5 COM12"));
    QCOMPARE(frame->text(2), QStringLiteral(" <<< "));
    QCOMPARE(frame->text(3), QStringLiteral("0a 0b"));
    QCOMPARE(chunk->text(3), QStringLiteral("ff"));
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(frame->background(column).color(), QColor(0xfd, 0xff, 0xe7));
        QCOMPARE(chunk->background(column).color(), QColor(0xff, 0xf0, 0xf0));
    }
    QCOMPARE(list()->topLevelItem(2)->text(3), QStringLiteral("01 a3 0f"));

    // Nothing to show: no row.
    m_log->slot_addReport(kRead, 1, 1, QByteArray(), 1);
    QCOMPARE(rows(), 3);
    QCOMPARE(FormLog::hexText(bytes("00ff10")), QStringLiteral("00 ff 10"));
}

void TestFormLog::listLimit()
{
    fill(99);
    m_log->slot_addReport(kWritten, 1, 3, bytes("63"), 0);
    QCOMPARE(rows(), 100);
    // A full list is emptied at once, and the new row is the only one.
    m_log->slot_addReport(kWritten, 1, 3, bytes("64"), 0);
    QCOMPARE(rows(), 1);
    QCOMPARE(top()->text(3), QStringLiteral("64"));
    // Even an empty report empties a full list.
    fill(99);
    QCOMPARE(rows(), 100);
    m_log->slot_addReport(kRead, 1, 3, QByteArray(), 0);
    QCOMPARE(rows(), 0);

    // A long run of traffic never holds more than the limit.
    m_log->hide();
    int most = 0;
    for (int i = 1; i <= 100000; ++i) {
        m_log->slot_addReport(i % 2, 1, 3, QByteArray::number(i), i % 3);
        most = qMax(most, rows());
    }
    QCOMPARE(most, 100);
    QCOMPARE(rows(), 100);
    QCOMPARE(top()->text(3), FormLog::hexText(QByteArray::number(100000)));
    QCOMPARE(list()->topLevelItem(99)->text(3), FormLog::hexText(QByteArray::number(99901)));
}

// The switch itself and the buttons are walked on the main window.
void TestFormLog::loggingOff()
{
    fill(FormLog::kMaxRows);
    m_log->slot_logsenable(false);
    // Off: nothing changes, not even a full list.
    m_log->slot_addReport(kWritten, 1, 3, bytes("01"), 0);
    m_log->slot_addReport(kRead, 1, 3, QByteArray(), 0);
    QCOMPARE(rows(), FormLog::kMaxRows);
    QCOMPARE(top()->text(3), QStringLiteral("63"));
    m_log->slot_logsenable(true);
    m_log->slot_addReport(kWritten, 1, 3, bytes("02"), 0);
    QCOMPARE(rows(), 1);
}

void TestFormLog::portIndicators()
{
    for (int port = 1; port <= kPortCount; ++port) {
        QCOMPARE(text(qPrintable(QStringLiteral("l_Addr%1").arg(port))), QStringLiteral("-"));
        QCOMPARE(icon(port), m_red);
    }
    m_log->setPortState(1, 4, true);
    QCOMPARE(text("l_Addr1"), QStringLiteral("COM4"));
    QCOMPARE(icon(1), m_green);
    // Text and icon are independent.
    m_log->setPortState(3, -1, true);
    QCOMPARE(text("l_Addr3"), QStringLiteral("-"));
    QCOMPARE(icon(3), m_green);
    m_log->setPortState(5, 9, false);
    QCOMPARE(text("l_Addr5"), QStringLiteral("COM9"));
    QCOMPARE(icon(5), m_red);
    m_log->setPortState(1, -1, false);
    QCOMPARE(text("l_Addr1"), QStringLiteral("-"));
    QCOMPARE(icon(1), m_red);

    // Ports the bus master does not have change nothing.
    m_log->setPortState(0, 2, true);
    m_log->setPortState(6, 2, true);
    QCOMPARE(text("l_Addr1"), QStringLiteral("-"));
    QCOMPARE(text("l_Addr5"), QStringLiteral("COM9"));
    QCOMPARE(icon(1), m_red);
    QCOMPARE(icon(5), m_red);
}

void TestFormLog::dragging()
{
    m_log->move(100, 100);
    QTest::mousePress(m_log, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QMouseEvent drag(QEvent::MouseMove, QPointF(30, 25), m_log->mapToGlobal(QPoint(30, 25)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_log, &drag);
    QCOMPARE(m_log->pos(), QPoint(120, 115));
    // The cursor keeps its place on the window: the same spot moves it no more.
    QMouseEvent again(QEvent::MouseMove, QPointF(10, 10), m_log->mapToGlobal(QPoint(10, 10)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_log, &again);
    QCOMPARE(m_log->pos(), QPoint(120, 115));

    QTest::mouseRelease(m_log, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    // A held button after the release, before a new press, drags nothing.
    QMouseEvent stray(QEvent::MouseMove, QPointF(50, 50), m_log->mapToGlobal(QPoint(50, 50)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_log, &stray);
    QCOMPARE(m_log->pos(), QPoint(120, 115));
    // Without a button the pointer only passes over it.
    QTest::mousePress(m_log, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QMouseEvent hover(QEvent::MouseMove, QPointF(40, 40), m_log->mapToGlobal(QPoint(40, 40)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(m_log, &hover);
    QCOMPARE(m_log->pos(), QPoint(120, 115));
}

QTEST_MAIN(TestFormLog)
#include "tst_formlog.moc"
