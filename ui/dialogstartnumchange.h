#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class DialogStartNumChange;
}

// Asks for one member's new start number. It knows nothing of members or
// the database: the caller gives a name and a number, and the accepted
// number comes back through sig_hide.
class DialogStartNumChange : public QDialog
{
    Q_OBJECT

public:
    explicit DialogStartNumChange(QWidget *parent = nullptr);
    ~DialogStartNumChange() override;

signals:
    void sig_hide(int num);

public slots:
    // Shows the dialog without waiting; a number outside the spin box's
    // range shows as the nearer bound.
    void show_dialog(const QString &name, int num);

private slots:
    void on_pbOK_clicked();
    void on_pBCansel_clicked();

private:
    Ui::DialogStartNumChange *ui = nullptr; // owned
};
