#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

// Every message box the screens show goes through here: the operator's
// warnings (title names the failure, text says what to do, one OK button,
// no default button) and the few questions with buttons of their own.
//
// Tests switch the boxes off: nothing is shown, each box is recorded and
// answered from a queue of answers the test set beforehand (OK, or the
// box's first button, when the queue is empty or its next answer is no
// button of the box).
namespace Warnings {

// A modal warning box with the single button OK and no default button.
void warning(QWidget *parent, const QString &title, const QString &text);

// Runs a box the caller built (icon, title, text, buttons) modally and
// returns the button pressed, as QMessageBox::exec would: the standard
// button, or the escape button's when the box is dismissed.
QMessageBox::StandardButton exec(QMessageBox &box);

struct Shown
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    int over = 0; // boxes still open when this one came: it stands over them
};

// Test seam. While on, no box is shown.
// Records a box that a test answers by other means (a dialog of the screens).
void record(QMessageBox::Icon icon, const QString &title, const QString &text);
void setTestMode(bool on);
bool testMode();
// While on, each box in test mode runs its own event loop until the events
// already posted are through, as a box the operator reads would run them:
// a box that such an event opens comes over it.
void setModalLoops(bool on);
// Queues the answer to the next box shown in test mode that has that button.
void setNextAnswer(QMessageBox::StandardButton answer);
// The boxes shown since the last clear, oldest first.
QList<Shown> shown();
Shown last();
void clear();

} // namespace Warnings
