#include "mainwindow.h"

#include "ui_mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QThread>
#include <QVBoxLayout>

#include "appstyle.h"
#include "busframe.h"
#include "busthread.h"
#include "datapaths.h"
#include "dialogcheckmembercolbull.h"
#include "dialogpracticeshooter.h"
#include "dialogpracticeshooterlist.h"
#include "dialogrelay.h"
#include "dialogshooter.h"
#include "dialogshooterlist.h"
#include "dialogstartnumchange.h"
#include "emuproc.h"
#include "eventwiring.h"
#include "filewords.h"
#include "formcompetitions.h"
#include "formexecuteevent.h"
#include "formcurrentrelay.h"
#include "formmembers.h"
#include "formpracticesetting.h"
#include "formrelays.h"
#include "formwellcome.h"
#include "storageerror.h"
#include "tdbaccessor.h"
#include "tmemberspractice.h"
#include "tpracticemodul.h"
#include "tusermodul.h"
#include "tviewmodul.h"
#include "openedfile.h"
#include "waitms.h"
#include "warnings.h"

namespace {
const QString kClientsGroup = QStringLiteral("SET_CLIENTS");
const QString kAddrStartKey = QStringLiteral("AddrStart");
const QString kAddrColKey = QStringLiteral("AddrCol");
constexpr int kDefaultAddrStart = 1;
constexpr int kDefaultAddrCol = 10;
// The bus master works the serial converters.
constexpr int kSerialMode = 0;
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    initUiResources();
    ui->setupUi(this);
    readSettings();
    // The modules open their databases in there; a folder that cannot be
    // made shows up as their failure to open them.
    QDir().mkdir(DataPaths::path(DataPaths::kDataBaseDir));
    clearLeftovers();

    userModul = new TUserModul;
    parentless.append(userModul);
    practiceModul = new TPracticeModul;
    parentless.append(practiceModul);
    practiceModul->reload();
    viewModul = new TViewModul;
    parentless.append(viewModul);
    currentEvent = nullptr;

    createBus();
    createLog();
    emit sig_logenable(logsEnabled);
    createPages();
    createEventWiring();
    connectPages();
    connectPracticePages();
    warnStartupStorageErrors();
    warnUnreadableFiles();
}

void MainWindow::warnUnreadableFiles()
{
    QStringList problems = FileWords::referenceListProblems();
    const QStringList pictures = missingStylePictures(qApp->styleSheet());
    if (!pictures.isEmpty()) {
        problems << QStringLiteral("styles: нет рисунков оформления (%1 шт., например %2), "
                                   "надписи кнопок плохо видны")
                        .arg(pictures.size())
                        .arg(pictures.first());
    }
    if (problems.isEmpty())
        return;
    warnOnceRunning(QStringLiteral("Файлы программы не прочитаны!"),
                    problems.join(QLatin1Char('\n')) + QLatin1Char('\n')
                        + FileWords::listsRemedy());
}

void MainWindow::warnOnceRunning(const QString &title, const QString &text)
{
    // Told once the window runs, so the box stands over it; one box after
    // the other, as each is closed, never one over the other.
    startupBoxes.append({title, text});
    if (startupBoxes.size() == 1)
        QMetaObject::invokeMethod(this, [this] { tellStartupBoxes(); }, Qt::QueuedConnection);
}

void MainWindow::tellStartupBoxes()
{
    // Taken off only once closed: a box added meanwhile waits for this loop.
    while (!startupBoxes.isEmpty()) {
        Warnings::warning(this, startupBoxes.first().first, startupBoxes.first().second);
        startupBoxes.removeFirst();
    }
}

void MainWindow::clearLeftovers()
{
    // Before the modules open the files, which would apply a log found there.
    QString text;
    for (const QString &file : {DataPaths::kCompetitionsDb, DataPaths::kShootersDb}) {
        const QString path = DataPaths::path(DataPaths::kDataBaseDir, file);
        QStringList keptAside;
        OpenedFile::clearLeftovers(path, &keptAside);
        for (const QString &name : qAsConst(keptAside)) {
            text += QStringLiteral("Файл, оставшийся рядом с %1 от прошлой работы программы, "
                                   "не внесён в него и сохранён как %2.\n")
                        .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(name));
        }
    }
    if (!text.isEmpty())
        warnOnceRunning(QStringLiteral("Найдены файлы прошлой работы"), text.trimmed());
}

void MainWindow::warnStartupStorageErrors()
{
    QList<FileWords::StorageFailure> failures;
    if (userModul->hasError())
        failures.append({DataPaths::kCompetitionsDb, userModul->errorText(), userModul->lastFailure(),
                         userModul->storageHeals()});
    if (practiceModul->hasError()) {
        failures.append(
            {DataPaths::kShootersDb, practiceModul->errorText(), practiceModul->lastFailure(),
             practiceModul->storageHeals()});
    }
    if (!failures.isEmpty())
        warnOnceRunning(QStringLiteral("Ошибка Базы Данных!"), FileWords::storageFailures(failures));
}

void MainWindow::slot_storage(int word, const QString &file, const QSqlError &failure,
                              const QString &keptAside)
{
    const QString path = QDir::toNativeSeparators(file);
    if (word == StorageFileRewritten) {
        QString text = QStringLiteral("Файл %1 удалён или заменён другим во время работы "
                                      "программы. Программа записала его заново на прежнее "
                                      "место из того, что держала открытым: ничего из "
                                      "записанного не потеряно, работа продолжается.")
                           .arg(path);
        // One line for each file found there, however often one came.
        for (const QString &name : keptAside.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            text += QStringLiteral("\nФайл, найденный на его месте, сохранён как %1.")
                        .arg(QDir::toNativeSeparators(name));
        }
        shotStorage.news.append({QStringLiteral("Файл Базы Данных записан заново"), text});
    } else if (word == StorageFileBack) {
        shotStorage.news.append(
            {QStringLiteral("Файл Базы Данных снова на месте"),
             QStringLiteral("Файл %1 был убран со своего места во время работы программы и "
                            "теперь снова на нём, тот же самый. Программа пишет в него, как "
                            "прежде: всё, что ждало записи, записывается в него.")
                 .arg(path)});
    } else {
        FileTold &state = shotStorage.files[path];
        state.waiting = word & StorageWaitFlags;
        state.failure = failure;
    }
    // Told from the event loop, not from inside the write of a shot, whose
    // lane the box's own loop goes on serving. A change while a box is
    // queued or open is told after it, so the operator never dismisses a box
    // that no longer holds.
    if (shotStorage.telling)
        return;
    shotStorage.telling = true;
    QMetaObject::invokeMethod(this, [this] { tellShotStorage(); }, Qt::QueuedConnection);
}

void MainWindow::tellShotStorage()
{
    const auto changed = [this] {
        for (auto it = shotStorage.files.cbegin(); it != shotStorage.files.cend(); ++it) {
            if (it->told != it->waiting)
                return it.key();
        }
        return QString();
    };
    for (QString file = changed(); !shotStorage.news.isEmpty() || !file.isEmpty();
         file = changed()) {
        if (!shotStorage.news.isEmpty()) {
            const QPair<QString, QString> box = shotStorage.news.takeFirst();
            Warnings::warning(this, box.first, box.second);
            continue;
        }
        FileTold &state = shotStorage.files[file];
        const int before = state.told;
        state.told = state.waiting;
        const int fresh = state.told & ~before;
        const StorageCause why = storageFailureCause(state.failure);
        if (fresh & StorageFileGone) {
            // It says that writes wait: no word of refused shots after it.
            Warnings::warning(
                this, QStringLiteral("Файл Базы Данных удалён!"),
                QStringLiteral("Файл %1: %2.\n%3\nЗаписи ждут, как при отказе записи: выстрелы "
                               "мишени хранят, программа запрашивает их снова и запишет всё в "
                               "файл, как только сможет записать его заново.")
                    .arg(file, why.cause, why.remedy)
                    + QLatin1Char('\n') + why.said);
        } else if ((fresh & StorageShotsWait) && !(state.told & StorageFileGone)) {
            Warnings::warning(
                this, QStringLiteral("Выстрелы не записываются!"),
                QStringLiteral("Выстрел не записан в файл Базы Данных %1: %2.\n%3\n"
                               "Стрельба продолжается: мишени хранят выстрелы, программа "
                               "запрашивает их снова и запишет все, как только причина будет "
                               "устранена. Не выключайте мишени и не закрывайте программу.")
                    .arg(file, why.cause, why.remedy)
                    + QLatin1Char('\n') + why.said);
        } else if (fresh & StorageResetWaits) {
            Warnings::warning(
                this, QStringLiteral("Выстрелы участника не удалены!"),
                QStringLiteral("Выстрелы участника не удалены из файла Базы Данных %1: %2.\n%3\n"
                               "Упражнение не предлагается участнику заново, пока его прежние "
                               "выстрелы не удалены: программа пробует удалить их каждую "
                               "секунду и удалит все сразу, как только причина будет "
                               "устранена. Закрытая раньше программа оставит прежние выстрелы "
                               "в файле целиком, и вопрос о них будет задан снова.")
                    .arg(file, why.cause, why.remedy)
                    + QLatin1Char('\n') + why.said);
        } else if (state.told == StorageNothingWaits && (before & ~StorageFileGone)) {
            // A file written again was told by its own box.
            const QString text = before & StorageShotsWait
                ? QStringLiteral("Запись в файл Базы Данных %1 снова работает: выстрелы, "
                                 "ожидавшие записи, запрашиваются у мишеней и записываются.")
                : QStringLiteral("Запись в файл Базы Данных %1 снова работает: прежние "
                                 "выстрелы участника удалены, упражнение можно стрелять заново.");
            QMessageBox box(QMessageBox::Information, QStringLiteral("Выстрелы снова записываются"),
                            text.arg(file), QMessageBox::Ok, this);
            Warnings::exec(box);
        }
    }
    shotStorage.telling = false;
}

MainWindow::~MainWindow()
{
    stopBusAtOnce();
    disconnectEvent();
    delete ui;
    // The pages and the dialogs hold the modules' models and records.
    delete pages;
    pages = nullptr;
    while (!parentless.isEmpty())
        delete parentless.takeLast();
}

void MainWindow::readSettings()
{
    QSettings settings(DataPaths::path(DataPaths::kServerDatasDir, DataPaths::kConfigFile),
                       QSettings::IniFormat);
    settings.beginGroup(kClientsGroup);
    addrStart = settings.value(kAddrStartKey, kDefaultAddrStart).toInt();
    addrCol = settings.value(kAddrColKey, kDefaultAddrCol).toInt();
    if (!BusAddress::isLaneRange(addrStart, addrCol)) {
        // An address goes out as one byte, so one past 255 polls another
        // lane, and a broadcast address would start or stop every lane.
        // As the file has them ("AddrCol=abc" reads as 0).
        const QString readStart = settings.value(kAddrStartKey, kDefaultAddrStart).toString();
        const QString readCol = settings.value(kAddrColKey, kDefaultAddrCol).toString();
        if (addrCol < 1)
            addrCol = kDefaultAddrCol;
        if (!BusAddress::isLaneRange(addrStart, addrCol)) {
            addrStart = kDefaultAddrStart;
            addrCol = kDefaultAddrCol;
        }
        Warnings::warning(
            this, QStringLiteral("Неверный диапазон адресов!"),
            QStringLiteral("Адреса мишеней AddrStart=%1, AddrCol=%2 (файл %3, группа %4) "
                           "должны лежать в пределах %5-%6 и не включать общие адреса шины "
                           "%7 и %8.\nИспользуются адреса AddrStart=%9, AddrCol=%10.")
                .arg(readStart, readCol, DataPaths::kConfigFile, kClientsGroup)
                .arg(BusAddress::kFirstLane)
                .arg(BusAddress::kLastLane)
                .arg(int(BusAddress::kAllTerminals))
                .arg(int(BusAddress::kAllTargets))
                .arg(addrStart)
                .arg(addrCol));
    }
    settings.endGroup();
}

void MainWindow::createBus()
{
    workerThread = new QThread;
    emu = new EMUProc(kSerialMode, addrStart, addrCol);
    connect(this, &MainWindow::stopAll, emu, &EMUProc::stop);
    // Queued from the bus master's thread behind every report it emitted
    // before: the exercise has taken each of its answers when this comes.
    connect(emu, &EMUProc::sig_finished, this, &MainWindow::onBusFinished);
    // Before emitquit: once the thread has finished, neither object is ours
    // to touch.
    connect(workerThread, &QThread::finished, this, &MainWindow::onWorkerFinished);
    connect(workerThread, &QThread::finished, this, &MainWindow::emitquit);
    // Connections that must hear the bus master's first reports go here,
    // before it starts.
    connect(this, &MainWindow::sig_findTargets, emu, &EMUProc::slot_view_StartFinding);
    connect(this, &MainWindow::sig_AddTarget, emu, &EMUProc::slot_view_AddMember);
    connectBusReports();
    startBusMaster(emu, workerThread, QThread::InheritPriority);
}

void MainWindow::createPages()
{
    // The dialogs are windows of their own.
    dialogShooter = new DialogShooter(userModul);
    parentless.append(dialogShooter);
    dialogShooterList = new DialogShooterList(userModul);
    parentless.append(dialogShooterList);
    dialogStartNumChange = new DialogStartNumChange;
    parentless.append(dialogStartNumChange);
    dialogRelay = new DialogRelay(addrStart, addrCol);
    parentless.append(dialogRelay);
    dialogCheckMemberColBull = new DialogCheckMemberColBull;
    parentless.append(dialogCheckMemberColBull);
    dialogPracticeshooterlist = new DialogPracticeshooterlist(practiceModul);
    parentless.append(dialogPracticeshooterlist);
    dialogPracticeShooter = new DialogPracticeShooter(practiceModul);
    parentless.append(dialogPracticeShooter);

    pages = new QStackedWidget;
    // The pages, each at its place in the stack whatever the order in which
    // they are made here.
    formWellcome = new FormWellcome;
    addPage(Page::Welcome, formWellcome);
    formCompetitions = new FormCompetitions(userModul);
    addPage(Page::Competitions, formCompetitions);
    formMembers = new FormMembers(userModul);
    addPage(Page::Members, formMembers);
    formRelays = new FormRelays(userModul, addrStart, addrCol);
    addPage(Page::Relays, formRelays);
    formCurrentRelay = new FormCurrentRelay(userModul);
    addPage(Page::CurrentRelay, formCurrentRelay);
    formPracticeSetting = new FormPracticeSetting(practiceModul);
    addPage(Page::Practice, formPracticeSetting);
    createTotalsPages();
    createViewerPage();
    pages->setCurrentWidget(formWellcome);
    formExecuteEvent = new FormExecuteEvent(userModul, practiceModul);
    addPage(Page::Run, formExecuteEvent);

    auto *layout = new QVBoxLayout;
    layout->addWidget(ui->Frame_manage);
    layout->addWidget(pages);
    layout->setContentsMargins(0, 0, 0, 0);
    // The bar sits right on the pages: on a small screen the run page needs
    // every line for the lanes of a relay.
    layout->setSpacing(0);
    ui->centralWidget->setLayout(layout);
}

void MainWindow::connectPages()
{
    connect(formWellcome, &FormWellcome::sig_setCompetition, this,
            qOverload<int>(&MainWindow::slot_setCompetitionsWidget));
    connect(formCompetitions, &FormCompetitions::sig_Back, this,
            &MainWindow::slot_setWellComeWidget);
    connect(formCompetitions, &FormCompetitions::sig_Next, this,
            &MainWindow::slot_setMemersWidget);
    connect(formMembers, &FormMembers::sig_Back, this,
            qOverload<>(&MainWindow::slot_setCompetitionsWidget));
    connect(formMembers, &FormMembers::sig_Next, this, &MainWindow::slot_setRelaysWidget);
    connect(formRelays, &FormRelays::sig_Back, this, &MainWindow::slot_setRelaysBackWidget);
    connect(formRelays, &FormRelays::sig_Next, this, &MainWindow::slot_setCurrentRelayWidget);
    connect(formCurrentRelay, &FormCurrentRelay::sig_Back, this, &MainWindow::slot_setRelaysWidget);
    connect(formCurrentRelay, &FormCurrentRelay::sig_Next, this,
            &MainWindow::slot_setExecutableEvent);
    connect(formExecuteEvent, &FormExecuteEvent::sig_Back, this,
            &MainWindow::slot_setCurrentRelayWidgetBACK);
    connect(formExecuteEvent, &FormExecuteEvent::sig_Next, this, &MainWindow::slot_setRelayFinished);
    connect(formExecuteEvent, &FormExecuteEvent::sig_Print, this, &MainWindow::slot_PrintEvent);

    connect(formMembers, &FormMembers::sig_dialogShooter, dialogShooter,
            &DialogShooter::slot_Show);
    connect(formMembers, &FormMembers::sig_dialogShooterList, dialogShooterList,
            &DialogShooterList::show);
    connect(dialogShooterList, &DialogShooterList::sig_dialogShooter, dialogShooter,
            &DialogShooter::slot_Show);
    connect(dialogShooterList, &DialogShooterList::sig_memberselected, formMembers,
            &FormMembers::slot_addMember);
    connect(dialogShooter, &DialogShooter::sig_shooterChanged, this,
            &MainWindow::slot_shooterChanged);
    connect(formMembers, &FormMembers::sig_changeNum, dialogStartNumChange,
            &DialogStartNumChange::show_dialog);
    connect(dialogStartNumChange, &DialogStartNumChange::sig_hide, formMembers,
            &FormMembers::slot_changeNum);
    connect(formRelays, &FormRelays::sig_changeRelay, dialogRelay, &DialogRelay::show_dialog);
    connect(formRelays, &FormRelays::sig_relayCount, dialogRelay, &DialogRelay::setRelayCount);
    connect(dialogRelay, &DialogRelay::sig_setData, formRelays, &FormRelays::slot_changeRelay);
    connect(userModul, &TUserModul::sig_askColBull, dialogCheckMemberColBull,
            &DialogCheckMemberColBull::slot_show);
    connect(dialogCheckMemberColBull, &DialogCheckMemberColBull::sig_answer, userModul,
            &TUserModul::slot_ColBullDialogClosed);
    connect(userModul, &TUserModul::sig_colBullCheckEnded, this,
            &MainWindow::onShotCountCheckEnded);
    connect(userModul, &TUserModul::sig_storage, this, &MainWindow::slot_storage);
    connect(practiceModul, &TPracticeModul::sig_storage, this, &MainWindow::slot_storage);
}

void MainWindow::addPage(Page page, QWidget *widget)
{
    const int slot = static_cast<int>(page);
    int index = 0;
    for (int before = 0; before < slot; ++before) {
        if (pageWidgets[before])
            ++index;
    }
    pageWidgets[slot] = widget;
    pages->insertWidget(index, widget);
}

void MainWindow::emitquit()
{
    // A file put at a database's path since the last look is written again
    // now, and what was found there told, before the program goes.
    userModul->db()->keepFileBeforeClose();
    viewModul->db()->keepFileBeforeClose();
    practiceModul->membersPractice()->keepFileBeforeClose();
    if (!shotStorage.news.isEmpty())
        tellShotStorage();
    emit sig_quit();
}

void MainWindow::on_closeBTN_clicked()
{
    closeApplication();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The window goes only once the bus master has closed the line.
    if (!workerThread) {
        event->accept();
        return;
    }
    event->ignore();
    closeApplication();
}

void MainWindow::closeApplication()
{
    if (closing)
        return;
    closing = true;
    emit sig_Event_StopEvent();
    // A running exercise stays on the line through the wait: the shots the
    // targets answer meanwhile are stored. Then it asks the bus master for
    // nothing more, so that none of its commands is queued behind the
    // closing frames; but the bus master polls on for the last shots asked
    // until the stop reaches its thread, so the exercise goes only once the
    // bus master has finished (onBusFinished) and each answer is stored.
    waitMs(kCloseDelayMs);
    if (eventWiring)
        eventWiring->stopEventCommands();
    emit stopAll();
}

void MainWindow::onBusFinished()
{
    disconnectEvent();
}

void MainWindow::onWorkerFinished()
{
    workerThread = nullptr;
    emu = nullptr;
}

void MainWindow::stopBusAtOnce()
{
    if (!workerThread)
        return;
    // The window goes without the shutdown: nothing may call back into it,
    // and the line is still closed before the thread and the bus master go.
    disconnect(workerThread, nullptr, this, nullptr);
    emit stopAll();
    if (workerThread->wait(kBusStopTimeoutMs))
        delete workerThread;
    workerThread = nullptr;
    emu = nullptr;
}

void MainWindow::showOnScreen()
{
    // Without a window manager (a bare X server) nobody acts on the
    // maximised state: the window takes the screen's free area itself.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);
    show();
}

bool MainWindow::showPage(Page page)
{
    QWidget *widget = pageWidgets[static_cast<int>(page)];
    if (!widget)
        return false;
    pages->setCurrentWidget(widget);
    return true;
}

bool MainWindow::hasPage(Page page) const
{
    return pageWidgets[static_cast<int>(page)] != nullptr;
}

MainWindow::Page MainWindow::currentPage() const
{
    QWidget *current = pages ? pages->currentWidget() : nullptr;
    for (int slot = 0; slot < kPageCount; ++slot) {
        if (current && pageWidgets[slot] == current)
            return static_cast<Page>(slot);
    }
    return Page::Welcome;
}
