#pragma once

#include <QDialog>
#include <QModelIndex>

class TPracticeModul;
class formPracticeShooter;

namespace Ui {
class DialogPracticeshooterlist;
}

// The modal dialog in which roster shooters are put into the practice: it
// lists the free shooters, offers the target address one above the highest
// in use, adds the selected shooter there, deletes a free shooter from the
// roster and its database, and hosts the shooter form in which shooters are
// created and changed. Everything goes through the practice module; the
// list and the set-up page follow its models.
class DialogPracticeshooterlist : public QDialog
{
    Q_OBJECT

public:
    // The module is not owned.
    explicit DialogPracticeshooterlist(TPracticeModul *module, QWidget *parent = nullptr);
    ~DialogPracticeshooterlist() override;

    // Refreshes the form's teams and qualifications and the suggested
    // address, and shows the dialog.
    void showDialog();

    // Roster ID of the free shooter last clicked; -1 for none.
    int selectedID() const { return m_selectedID; }

private slots:
    void on_lwShooters_clicked(QModelIndex index);
    void on_pBCansel_2_clicked();
    void on_pBOK_2_clicked();
    void on_pbRemove_clicked();
    void on_lwShooters_doubleClicked(QModelIndex index);

private:
    int maxTargetAddress() const;
    void addSelectedShooter();
    // After an addition or a deletion: no selection, an empty form, a new suggestion.
    void resetSelection();
    // The selection and the list's selected row (none for -1) go together:
    // the row lit is the shooter "ДОБАВИТЬ" and "Удалить" act on.
    void select(int id);

    Ui::DialogPracticeshooterlist *ui = nullptr; // owned
    int m_selectedID = -1;
    TPracticeModul *m_module = nullptr;
    formPracticeShooter *m_shooterForm = nullptr; // owned; deleted before the form
};
