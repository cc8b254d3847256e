#include "viewmodel.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QSet>

void setViewModel(QAbstractItemView *view, QAbstractItemModel *model)
{
    view->setModel(model);
    // The view's headers (and any view within) share or own the ones in use.
    QSet<QItemSelectionModel *> inUse{view->selectionModel()};
    for (const QAbstractItemView *inner : view->findChildren<QAbstractItemView *>())
        inUse.insert(inner->selectionModel());
    // Later: the old one may be the sender of the signal that led here.
    for (QItemSelectionModel *selection : view->findChildren<QItemSelectionModel *>()) {
        if (!inUse.contains(selection))
            selection->deleteLater();
    }
}
