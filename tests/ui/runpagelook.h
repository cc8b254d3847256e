#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

#include <memory>

#include "formexecuteevent.h"

// The run page as its tests look at it: its widgets by objectName.
class RunPageLook
{
protected:
    template <class W = QWidget>
    W *child(const char *name) const
    {
        return m_page->findChild<W *>(QLatin1String(name));
    }
    bool shown(const char *name) const { return !child(name)->isHidden(); }
    QString text(const char *name) const { return child<QLabel>(name)->text(); }

    std::unique_ptr<FormExecuteEvent> m_page;
};
