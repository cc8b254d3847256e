#include "mainwindowtest.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include "appstyle.h"
#include "emuproc.h"
#include "eventwiring.h"
#include "emuproc.h"
#include "reportengine.h"
#include "serialportdirectory.h"
#include "simulatorthread.h"
#include "tdbaccessor.h"
#include "tpracticemodul.h"
#include "tusermodul.h"
#include "tviewmodul.h"

namespace {
const QString kComFolder = QStringLiteral("com");

QString describe(const Warnings::Shown &box)
{
    return QStringLiteral("\"%1\" / \"%2\"").arg(box.title, box.text);
}
} // namespace

MainWindowTest::MainWindowTest() = default;

MainWindowTest::~MainWindowTest()
{
    closeWindow();
}

void MainWindowTest::init()
{
    Warnings::setTestMode(true);
    Warnings::setModalLoops(false);
    Warnings::clear();
    // A report printed by a test goes into a PDF file, never to a printer
    // of the machine.
    Report::Engine::setSystemPrintersEnabled(false);
    m_warningsTaken = 0;
    m_busGaps.reset();
    m_storageErrors.clear();
    m_shutdownFailed = false;
    m_runFolder = m_givenRunFolder.isEmpty() ? std::make_unique<TestDataDir>()
                                             : std::make_unique<TestDataDir>(m_givenRunFolder);
    QVERIFY(m_runFolder->isValid());
    m_stored = std::make_unique<StoredRows>();
    // The style sheet's pictures, as the program's run folder has them.
    if (!QFileInfo::exists(m_runFolder->filePath(QStringLiteral("styles")))) {
        QVERIFY(copyDirectoryRecursively(QStringLiteral(RANGE_SOURCE_DIR) + QStringLiteral("/data/styles"),
                                         m_runFolder->filePath(QStringLiteral("styles"))));
    }
    // The bus master must not probe the machine's own serial ports.
    const QString comDir = m_runFolder->filePath(kComFolder);
    QVERIFY(QDir().mkpath(comDir));
    qputenv(SerialPortDirectory::kEnvironmentVariable, comDir.toLocal8Bit());
    applyApplicationStyle(*qobject_cast<QApplication *>(QCoreApplication::instance()));
    QVERIFY(openWindow());
}

void MainWindowTest::cleanup()
{
    // Everything goes before the checks, so a failing test leaves no window
    // or thread behind for the next one.
    const bool shutDownInTime = shutDown() && !m_shutdownFailed;
    closeWindow();
    m_simulator.reset();
    m_stored.reset();
    m_runFolder.reset();
    qunsetenv(SerialPortDirectory::kEnvironmentVariable);
    const QList<Warnings::Shown> unexpected = takeWarnings();
    const QList<int> errors = takeStorageErrors();
    Warnings::clear();

    QVERIFY2(shutDownInTime, "the bus master's worker thread did not finish");
    for (const Warnings::Shown &box : unexpected)
        qWarning("unexpected message box %s", qPrintable(describe(box)));
    QVERIFY2(unexpected.isEmpty(), "message boxes nobody expected");
    QVERIFY2(errors.isEmpty(),
             qPrintable(QStringLiteral("storage errors nobody expected: %1").arg(errors.size())));
}

bool MainWindowTest::openWindow()
{
    // As the program starts: the run folder taken first.
    m_runFolderLock = std::make_unique<RunFolderLock>();
    if (!m_runFolderLock->take()) {
        m_runFolderLock.reset();
        return false;
    }
    m_window = new MainWindow(nullptr);
    // The module reports what went wrong while it was built, before anyone
    // could listen.
    if (userModul()->hasError())
        m_storageErrors.append(userModul()->lastError());
    watchStorageErrors(userModul()->db());
    if (practiceModul()->hasError())
        m_storageErrors.append(practiceModul()->lastError());
    watchStorageErrors(practiceModul());
    watchStorageErrors(viewModul()->db());
    if (m_busGaps)
        setBusGaps(*m_busGaps);
    // As the program shows it: over the whole screen.
    m_window->showOnScreen();
    return true;
}

void MainWindowTest::setBusGaps(const BusGaps &gaps)
{
    m_busGaps = gaps;
    if (!m_window || !m_window->emu)
        return;
    // The bus master reads its gaps in its own thread, between its waits.
    EMUProc *bus = m_window->emu;
    QMetaObject::invokeMethod(bus, [bus, gaps] { bus->setGaps(gaps); });
}

QString MainWindowTest::screenshotFolder()
{
    return qEnvironmentVariable(kScreenshotVariable);
}

void MainWindowTest::sight(const QString &name, QWidget *shown)
{
    const QString folder = screenshotFolder();
    if (folder.isEmpty())
        return;
    QWidget *what = shown ? shown : m_window;
    // Let a window that has just been shown get its size and paint.
    if (!QTest::qWaitForWindowExposed(what, 2000))
        qWarning("sight: %s is not on the screen", qPrintable(name));
    QTest::qWait(100);
    const QString file = QStringLiteral("%1/%2-%3.png")
                             .arg(folder, QString::fromLatin1(metaObject()->className()).toLower(), name);
    if (!QDir().mkpath(folder) || !what->grab().save(file))
        qWarning("sight: could not save %s", qPrintable(file));
}

void MainWindowTest::closeWindow()
{
    if (!m_window)
        return;
    for (QSignalSpy *spy : qAsConst(m_errorSpies)) {
        for (const QList<QVariant> &arguments : qAsConst(*spy))
            m_storageErrors.append(arguments.value(0).toInt());
    }
    qDeleteAll(m_errorSpies);
    m_errorSpies.clear();
    delete m_window;
    m_window = nullptr;
    m_runFolderLock.reset();
}

bool MainWindowTest::shutDown()
{
    if (!m_window)
        return true;
    if (m_window->workerThread) {
        QPointer<QThread> thread = m_window->workerThread;
        m_window->on_closeBTN_clicked();
        if (!QTest::qWaitFor([&thread] { return thread.isNull(); }, kTimeoutMs)) {
            m_shutdownFailed = true;
            return false;
        }
    }
    return true;
}

bool MainWindowTest::reopenWindow()
{
    if (!shutDown())
        return false;
    closeWindow();
    return openWindow();
}

bool MainWindowTest::startSimulator(const QList<int> &lanes)
{
    if (!shutDown())
        return false;
    closeWindow();
    m_simulator = std::make_unique<SimulatorThread>();
    const QString comDir = m_runFolder->filePath(kComFolder);
    const bool made =
        m_simulator->call([&](RangeSimulator &sim) { return sim.setComDirectory(comDir); })
        && m_simulator->call([&](RangeSimulator &sim) { return sim.addSerialConverter(lanes); })
            >= 0;
    return openWindow() && made;
}

bool MainWindowTest::click(const QString &objectName)
{
    QWidget *target = findWidget(objectName, &QWidget::staticMetaObject);
    if (!target) {
        qWarning("click: no single visible widget \"%s\"", qPrintable(objectName));
        return false;
    }
    if (!target->isVisible() || !target->isEnabled()) {
        qWarning("click: \"%s\" is %s", qPrintable(objectName),
                 target->isVisible() ? "disabled" : "hidden");
        return false;
    }
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->rect().center());
    return true;
}

QWidget *MainWindowTest::findWidget(const QString &objectName, const QMetaObject *type) const
{
    QList<QWidget *> found;
    auto collect = [&](QWidget *root) {
        if (root->objectName() == objectName && type->cast(root))
            found.append(root);
        const QList<QWidget *> children = root->findChildren<QWidget *>(objectName);
        for (QWidget *child : children) {
            if (type->cast(child))
                found.append(child);
        }
    };
    if (m_window)
        collect(m_window);
    // Dialogs are windows of their own, without a parent.
    const QList<QWidget *> topLevels = QApplication::topLevelWidgets();
    for (QWidget *topLevel : topLevels) {
        if (topLevel != m_window && !topLevel->parentWidget())
            collect(topLevel);
    }
    if (found.size() == 1)
        return found.first();
    QList<QWidget *> visible;
    for (QWidget *candidate : qAsConst(found)) {
        if (candidate->isVisible())
            visible.append(candidate);
    }
    return visible.size() == 1 ? visible.first() : nullptr;
}

bool MainWindowTest::clickRow(const QString &view, int row, bool twice)
{
    auto *list = widget<QAbstractItemView>(view);
    if (!list || !list->isVisible() || !list->model() || row < 0)
        return false;
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    const QPoint at = list->visualRect(index).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    return true;
}

int MainWindowTest::rowOf(const QString &view, int role, int value) const
{
    const auto *list = widget<QAbstractItemView>(view);
    const QAbstractItemModel *model = list ? list->model() : nullptr;
    for (int row = 0; model && row < model->rowCount(); ++row) {
        if (model->index(row, 0).data(role).toInt() == value)
            return row;
    }
    return -1;
}

QStringList MainWindowTest::column(const QString &view, int column) const
{
    QStringList texts;
    const auto *list = widget<QAbstractItemView>(view);
    const QAbstractItemModel *model = list ? list->model() : nullptr;
    for (int row = 0; model && row < model->rowCount(); ++row)
        texts.append(model->index(row, column).data().toString());
    return texts;
}

Rows MainWindowTest::rows(const QString &statement, const QVariantList &values)
{
    return m_stored->rows(statement, values);
}

bool MainWindowTest::exec(const QString &statement, const QVariantList &values)
{
    return m_stored->exec(statement, values);
}

bool MainWindowTest::setDatabaseReadOnly(bool readOnly)
{
    // The header's write and read versions: 1 for a rollback journal, 2 for
    // a write-ahead log; a write version above 2 is for a newer SQLite.
    constexpr qint64 kWriteVersionOffset = 18;
    constexpr char kNewerWriter = 3;
    m_stored = std::make_unique<StoredRows>();
    const QString path = TdbAccessor::databasePath();
    if (QFileInfo(path + QStringLiteral("-wal")).size() > 0)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(kWriteVersionOffset))
        return false;
    const QByteArray versions = file.read(2);
    return versions.size() == 2 && file.seek(kWriteVersionOffset)
        && file.putChar(readOnly ? kNewerWriter : versions.at(1));
}

bool MainWindowTest::setDatabaseWritable(bool writable)
{
    m_stored = std::make_unique<StoredRows>();
    const QFile::Permissions readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    return QFile::setPermissions(TdbAccessor::databasePath(),
                                 writable ? readable | QFile::WriteOwner : readable);
}

bool MainWindowTest::expectBox(const QString &title, const QString &text)
{
    const Warnings::Shown box = takeWarning();
    if (box.title == title && box.text == text)
        return true;
    qWarning("expected \"%s\" / \"%s\", got \"%s\" / \"%s\"", qPrintable(title), qPrintable(text),
             qPrintable(box.title), qPrintable(box.text));
    return false;
}

Warnings::Shown MainWindowTest::takeWarning()
{
    const QList<Warnings::Shown> shown = Warnings::shown();
    if (m_warningsTaken >= shown.size())
        return {};
    return shown.at(m_warningsTaken++);
}

QList<Warnings::Shown> MainWindowTest::takeWarnings()
{
    const QList<Warnings::Shown> shown = Warnings::shown();
    const QList<Warnings::Shown> taken = shown.mid(m_warningsTaken);
    m_warningsTaken = shown.size();
    return taken;
}

QList<int> MainWindowTest::takeStorageErrors()
{
    QList<int> errors = m_storageErrors;
    m_storageErrors.clear();
    for (QSignalSpy *spy : qAsConst(m_errorSpies)) {
        for (const QList<QVariant> &arguments : qAsConst(*spy))
            errors.append(arguments.value(0).toInt());
        spy->clear();
    }
    return errors;
}

void MainWindowTest::watchStorageErrors(TdbAccessor *db)
{
    m_errorSpies.append(new QSignalSpy(db, &TdbAccessor::errorSQL));
}

QWidget *MainWindowTest::pageWidgetOf(Page page) const
{
    return m_window->pageWidgets[static_cast<int>(page)];
}

void MainWindowTest::watchStorageErrors(TPracticeModul *module)
{
    m_errorSpies.append(new QSignalSpy(module, &TPracticeModul::errorSQL));
}

TUserModul *MainWindowTest::userModul() const
{
    return m_window->userModul;
}

TPracticeModul *MainWindowTest::practiceModul() const
{
    return m_window->practiceModul;
}

TViewModul *MainWindowTest::viewModul() const
{
    return m_window->viewModul;
}

int MainWindowTest::workMode() const
{
    return m_window->workMode;
}

int MainWindowTest::addrStart() const
{
    return m_window->addrStart;
}

int MainWindowTest::addrCol() const
{
    return m_window->addrCol;
}

QThread *MainWindowTest::workerThread() const
{
    return m_window->workerThread;
}

void MainWindowTest::showEventTotal(TEvent *event)
{
    m_window->showEventTotal(event);
}

void MainWindowTest::showCompetitionTotal()
{
    m_window->showCompetitionTotal();
}

EMUProc *MainWindowTest::bus() const
{
    return m_window->emu;
}

MyEvent *MainWindowTest::currentEvent() const
{
    return m_window->currentEvent;
}

bool MainWindowTest::connectEvent(TEvent *event, TBulletList *list, TBulletList *prevStage)
{
    return m_window->connectEvent(event, list, prevStage);
}

void MainWindowTest::holdEvent(MyEvent *event)
{
    m_window->disconnectEvent();
    m_window->currentEvent = m_window->eventWiring->adopt(event);
}

void MainWindowTest::disconnectEvent()
{
    m_window->disconnectEvent();
}

void MainWindowTest::registerLine(const QList<LineTarget> &line)
{
    m_window->registerLine(line);
}

void MainWindowTest::shortenLineWaits()
{
    constexpr BusGaps kShortGaps{5, 7, 20};
    constexpr qint64 kStartCopyWindowMs = 150;
    // The gaps belong to the bus master's thread, which is running already.
    EMUProc *busMaster = m_window->emu;
    QMetaObject::invokeMethod(
        busMaster, [busMaster, kShortGaps] { busMaster->setGaps(kShortGaps); }, Qt::QueuedConnection);
    if (m_simulator)
        m_simulator->call([](RangeSimulator &sim) { sim.setStartCopyWindowMs(kStartCopyWindowMs); });
}
