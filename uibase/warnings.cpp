#include "warnings.h"

#include <QEventLoop>
#include <QQueue>
#include <QTimer>

namespace {

struct TestState
{
    bool on = false;
    bool modalLoops = false;
    int open = 0; // boxes being shown
    QQueue<QMessageBox::StandardButton> answers;
    QList<Warnings::Shown> shown;
};

// One GUI thread: the state of the test seam is plain process state.
TestState &state()
{
    static TestState s;
    return s;
}

QMessageBox::StandardButton recordAndAnswer(const QMessageBox &box)
{
    TestState &s = state();
    s.shown.append({box.icon(), box.windowTitle(), box.text(), s.open});
    if (s.modalLoops) {
        ++s.open;
        QEventLoop loop;
        // Posted after whatever waits already, so it ends the loop after them.
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
        loop.exec();
        --s.open;
    }
    // An answer waits for a box that offers it: a warning that comes first
    // does not take a question's answer.
    if (!s.answers.isEmpty() && box.button(s.answers.head()))
        return s.answers.dequeue();
    const QList<QAbstractButton *> buttons = box.buttons();
    if (buttons.isEmpty())
        return QMessageBox::Ok;
    // The box's first button in layout order is not defined across styles;
    // take the first standard button in the order the caller added them.
    for (QAbstractButton *button : buttons) {
        const QMessageBox::StandardButton standard = box.standardButton(button);
        if (standard != QMessageBox::NoButton)
            return standard;
    }
    return QMessageBox::Ok;
}

} // namespace

namespace Warnings {

void warning(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.setDefaultButton(static_cast<QPushButton *>(nullptr));
    exec(box);
}

QMessageBox::StandardButton exec(QMessageBox &box)
{
    if (state().on)
        return recordAndAnswer(box);
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    if (!clicked)
        return QMessageBox::NoButton;
    return box.standardButton(clicked);
}

void record(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    state().shown.append({icon, title, text, state().open});
}

void setTestMode(bool on)
{
    state().on = on;
    if (!on) {
        state().answers.clear();
        state().modalLoops = false;
    }
}

void setModalLoops(bool on)
{
    state().modalLoops = on;
}

bool testMode()
{
    return state().on;
}

void setNextAnswer(QMessageBox::StandardButton answer)
{
    state().answers.enqueue(answer);
}

QList<Shown> shown()
{
    return state().shown;
}

Shown last()
{
    return state().shown.isEmpty() ? Shown{} : state().shown.last();
}

void clear()
{
    state().shown.clear();
    state().answers.clear();
}

} // namespace Warnings
