#include "nameentry.h"

#include <QLineEdit>

#include <limits>

#include "warnings.h"

namespace NameEntry {

void keepWholeText(QLineEdit *edit)
{
    edit->setMaxLength(std::numeric_limits<int>::max());
}

bool named(QWidget *parent, const QString &text, const QString &title, const QString &ask)
{
    if (text.isEmpty() || !text.trimmed().isEmpty())
        return true;
    Warnings::warning(parent, title, ask);
    return false;
}

} // namespace NameEntry
