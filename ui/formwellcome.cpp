#include "formwellcome.h"

#include "ui_formwellcome.h"

#include <QImage>
#include <QPalette>

namespace {
const QString kLogo = QStringLiteral(":/logo/img/logo/logo.png");
constexpr int kLogoSide = 300;
} // namespace

FormWellcome::FormWellcome(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::FormWellcome)
{
    ui->setupUi(this);
    // The logo is square art; the frame is square too, so ignoring the
    // aspect ratio only guards against a picture of another shape.
    const QImage logo = QImage(kLogo).scaled(kLogoSide, kLogoSide, Qt::IgnoreAspectRatio,
                                             Qt::FastTransformation);
    QPalette palette;
    palette.setBrush(ui->frLogo->backgroundRole(), QBrush(logo));
    ui->frLogo->setPalette(palette);
    ui->frLogo->setAutoFillBackground(true);
    ui->frLogo->setFixedSize(kLogoSide, kLogoSide);
}

FormWellcome::~FormWellcome()
{
    delete ui;
}

void FormWellcome::on_pbNEW_clicked()
{
    emit sig_setCompetition(NewCompetition);
}

void FormWellcome::on_pBContinue_clicked()
{
    emit sig_setCompetition(ContinueCompetition);
}

void FormWellcome::on_pushButton_clicked()
{
    emit sig_setCompetition(Practice);
}

void FormWellcome::on_pBView_clicked()
{
    emit sig_setCompetition(ViewResults);
}
