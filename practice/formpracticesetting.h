#pragma once

#include <QModelIndex>
#include <QWidget>

class TPracticeModul;

namespace Ui {
class FormPracticeSetting;
}

// The page on which a practice is set up: which weapon's exercises are
// offered, which exercise is shot, and which roster shooters take part on
// which targets. It keeps nothing of the practice itself: the exercise list,
// the roster and its participant view live in the practice module, and the
// table follows the module's models. Adding and changing shooters happen in
// the dialogs the main window opens when the page asks for them.
class FormPracticeSetting : public QWidget
{
    Q_OBJECT

public:
    // The module is not owned.
    explicit FormPracticeSetting(TPracticeModul *module, QWidget *parent = nullptr);
    ~FormPracticeSetting() override;

    // Roster ID of the participant last clicked in the table; -1 for none.
    int selectedID() const { return m_selectedID; }

signals:
    void sig_AddShooter();
    void sig_ChangeShooter(int id);
    void sig_Back();
    void sig_Next();

private slots:
    void on_cBWeaponRifle_clicked();
    void on_cBWeaponPistol_clicked();
    void on_pBAdd_clicked();
    void on_pBRemove_clicked();
    void on_tw_members_clicked(QModelIndex index);
    void on_tw_members_doubleClicked(QModelIndex index);
    void on_pbBack_clicked();
    void on_pBNext_clicked();

private:
    void applyWeaponFilter();
    bool isReadyToStart() const;
    // Hands the exercise of the combo box to the module; false when there
    // is none to hand.
    bool chooseExercise();

    Ui::FormPracticeSetting *ui = nullptr; // owned
    TPracticeModul *m_module = nullptr;
    int m_selectedID = -1;
};
