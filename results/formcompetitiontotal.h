#pragma once

#include <QWidget>

#include <memory>

class QAbstractItemModel;
class TUserModul;

namespace Ui {
class FormCompetitionTotal;
}

// The final standings of the current competition, in the totals table its
// type calls for. The page owns the table; the main window decides what
// follows its two buttons.
class FormCompetitionTotal : public QWidget
{
    Q_OBJECT

public:
    // userModul: not owned; it and its shot lists outlive the page's tables.
    explicit FormCompetitionTotal(TUserModul *userModul, QWidget *parent = nullptr);
    ~FormCompetitionTotal() override;

    // A new table from the current shot lists; the one before is deleted.
    void setCompetition();
    // Deletes the table: the competition module may delete the lists it reads
    // once the page is no longer shown.
    void releaseModel();

signals:
    void sig_Next();
    void sig_Print();

private slots:
    void on_pBNext_clicked();
    void on_pushButton_clicked();

private:
    std::unique_ptr<Ui::FormCompetitionTotal> ui;
    TUserModul *m_userModul = nullptr;
    std::unique_ptr<QAbstractItemModel> m_model;
};
