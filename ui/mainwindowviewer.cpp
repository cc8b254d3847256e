#include "mainwindow.h"

#include "formview.h"
#include "tviewmodul.h"
#include "warnings.h"

void MainWindow::createViewerPage()
{
    formVIEW = new FormVIEW(viewModul);
    addPage(Page::Viewer, formVIEW);
    connect(formVIEW, &FormVIEW::sig_Back, this, &MainWindow::slot_setWellComeWidget);
}

// Every entry starts on fresh lists: what was run or finished meanwhile
// shows up.
void MainWindow::showViewer()
{
    viewModul->closeAndRefreshLists();
    showPage(Page::Viewer);
    // Lists that could not be read would look as if nothing was stored.
    if (viewModul->hasError()) {
        Warnings::warning(this, QStringLiteral("Список соревнований не загружен!"),
                          QStringLiteral("Не удалось прочитать соревнования из Базы Данных (%1). "
                                         "Список неполон")
                              .arg(viewModul->errorText()));
    }
}
