#pragma once

#include <QDialog>
#include <QModelIndex>

namespace Ui {
class DialogShooterList;
}

class TUserModul;

// Offers the shooters who are not yet members of the current competition,
// proposes a start number and hands the chosen shooter to the members page.
// The chosen shooter is the shooter list's current shooter, so it survives
// hiding the dialog and the shooter dialog opened from here.
class DialogShooterList : public QDialog
{
    Q_OBJECT

public:
    // The module is not owned.
    explicit DialogShooterList(TUserModul *modul, QWidget *parent = nullptr);
    ~DialogShooterList() override;

signals:
    // Shooter ID (-1 to create), source 0 (this dialog), mode 0 create / 1 change.
    void sig_dialogShooter(int _shID, int _sourse, int _mode);
    void sig_memberselected(int _shID, int startNum);

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void on_pBCreateShooter_clicked();
    void on_pBChangeShooter_clicked();
    void on_lwShooters_clicked(const QModelIndex &index);
    void on_pBOK_clicked();
    void on_pbRemove_clicked();
    void on_pBCansel_clicked();
    void on_lwShooters_doubleClicked(const QModelIndex &index);

private:
    void proposeStartNumber();
    // Hands the current shooter over; false when there is none.
    bool addCurrentShooter();
    void warnNoShooter();

    Ui::DialogShooterList *ui = nullptr; // owned
    TUserModul *m_modul = nullptr;       // not owned
};
