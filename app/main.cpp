// The operator's program of the shooting range. It reads and writes its data
// below the current directory ("ServerDatas/...", the style pictures under
// "styles/").
#include <QApplication>

#include "appstyle.h"
#include "mainwindow.h"
#include "runfolderlock.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    applyApplicationStyle(app);
    // Before anything in the run folder is opened: a copy already running
    // with it keeps it, and this one changes nothing there.
    RunFolderLock runFolder;
    if (!runFolder.take())
        return 1;
    MainWindow window(nullptr);
    QObject::connect(&window, &MainWindow::sig_quit, &app, &QApplication::quit);
    window.showOnScreen();
    return app.exec();
}
