#pragma once

#include <QWidget>

namespace Ui {
class FormWellcome;
}

// The first page: the logo and the four things an operator can start. It
// only says which one was chosen; the main window decides what follows.
class FormWellcome : public QWidget
{
    Q_OBJECT

public:
    // The choices of sig_setCompetition.
    enum Mode { NewCompetition = 0, ContinueCompetition = 1, Practice = 2, ViewResults = 3 };

    explicit FormWellcome(QWidget *parent = nullptr);
    ~FormWellcome() override;

signals:
    void sig_setCompetition(int mode);

private slots:
    void on_pbNEW_clicked();
    void on_pBContinue_clicked();
    void on_pushButton_clicked();
    void on_pBView_clicked();

private:
    Ui::FormWellcome *ui = nullptr; // owned
};
