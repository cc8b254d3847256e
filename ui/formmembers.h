#pragma once

#include <QModelIndex>
#include <QString>
#include <QWidget>

namespace Ui {
class FormMembers;
}

class TUserModul;

// The page on which the operator composes the members of the current
// competition. The members, the member marked for the next action and the
// duplicate start number marks all live in the module's members model; the
// page keeps nothing of its own.
class FormMembers : public QWidget
{
    Q_OBJECT

public:
    // The module is not owned.
    explicit FormMembers(TUserModul *modul, QWidget *parent = nullptr);
    ~FormMembers() override;

signals:
    // Always (-1, 1, 0): a new shooter, from this page, to be created.
    void sig_dialogShooter(int _shID, int _sourse, int _mode);
    void sig_dialogShooterList();
    // First name and family name, and the member's start number.
    void sig_changeNum(const QString &_name, int _num);
    void sig_Back();
    void sig_Next();

public slots:
    void slot_addMember(int _id, int _sNum);
    void slot_changeNum(int _num);

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void on_pbChangeStartNum_clicked();
    void on_pBAdd_clicked();
    void on_pBRemove_clicked();
    void on_pBCreate_clicked();
    void on_pbBack_clicked();
    void on_pBNext_clicked();
    void on_tw_members_clicked(const QModelIndex &index);
    void on_tw_members_doubleClicked(const QModelIndex &index);

private:
    void askStartNumber();

    Ui::FormMembers *ui = nullptr; // owned
    TUserModul *m_modul = nullptr; // not owned
};
