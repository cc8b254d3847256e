#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// The rules every name field of the screens keeps alike.
namespace NameEntry {

// A line edit cuts what it is given at 32767 characters by default, so a
// longer stored name would come back shortened after a save.
void keepWholeText(QLineEdit *edit);

// False, with a warning of that title and text, for a name of blanks only:
// it names nobody, and its record could not be told from another in a list
// (as the shooter dialog refuses it). An empty name stays allowed where it
// was.
bool named(QWidget *parent, const QString &text, const QString &title, const QString &ask);

} // namespace NameEntry
