#include "dialogstartnumchange.h"

#include "ui_dialogstartnumchange.h"

DialogStartNumChange::DialogStartNumChange(QWidget *parent)
    : QDialog(parent), ui(new Ui::DialogStartNumChange)
{
    ui->setupUi(this);
}

DialogStartNumChange::~DialogStartNumChange()
{
    delete ui;
}

void DialogStartNumChange::show_dialog(const QString &name, int num)
{
    ui->l_shooter->setText(name);
    ui->sB_startNumEdit->setValue(num);
    show();
}

void DialogStartNumChange::on_pbOK_clicked()
{
    emit sig_hide(ui->sB_startNumEdit->value());
    hide();
}

void DialogStartNumChange::on_pBCansel_clicked()
{
    hide();
}
