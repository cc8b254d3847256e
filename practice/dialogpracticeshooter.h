#pragma once

#include <QDialog>

#include <memory>

class QFrame;
class QHBoxLayout;
class TPracticeModul;
class formPracticeShooter;

// The dialog in which one participant of the practice is changed, its
// target address included. It hosts the shooter form in change mode and
// closes once a save has stored the change; when the change could not be
// stored it stays open (the form has said so), with what was typed.
class DialogPracticeShooter : public QDialog
{
    Q_OBJECT

public:
    // The module is not owned.
    explicit DialogPracticeShooter(TPracticeModul *module, QWidget *parent = nullptr);
    ~DialogPracticeShooter() override;

    void showShooter(int id);

private slots:
    void slot_changeBTNClicked();

private:
    // The dialog's own widgets; it has no form file.
    struct Widgets
    {
        QHBoxLayout *horizontalLayout = nullptr;
        QFrame *frameInfo = nullptr;
    };

    std::unique_ptr<Widgets> m_widgets;
    TPracticeModul *m_module = nullptr;
    formPracticeShooter *m_shooterForm = nullptr; // owned; deleted before the widgets
};
