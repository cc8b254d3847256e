#include "formcompetitiontotal.h"
#include "ui_formcompetitiontotal.h"

#include <QHeaderView>

#include "tcompetition.h"
#include "totalfactories.h"
#include "tusermodul.h"
#include "viewmodel.h"

namespace {

// Competition types whose report can be printed.
constexpr int kFirstPrintedType = 1;
constexpr int kLastPrintedType = 7;
// NAME in the full tables.
constexpr int kStretchedSection = 1;

} // namespace

FormCompetitionTotal::FormCompetitionTotal(TUserModul *userModul, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::FormCompetitionTotal>()), m_userModul(userModul)
{
    ui->setupUi(this);
}

FormCompetitionTotal::~FormCompetitionTotal()
{
    releaseModel();
}

void FormCompetitionTotal::setCompetition()
{
    ui->l_c->hide();
    releaseModel();
    const TCompetition *competition = m_userModul ? m_userModul->currentCompetition() : nullptr;
    if (!competition)
        return;
    ui->l_conpetitionType->setText(QStringLiteral("%1").arg(competition->nameEng()));
    ui->l_conpetitionName->setText(QStringLiteral("%1").arg(competition->name()));

    m_model.reset(createCompetitionTotalModel(m_userModul));
    setViewModel(ui->tvTotal, m_model.get());
    ui->f_print->setVisible(competition->type() >= kFirstPrintedType
                            && competition->type() <= kLastPrintedType);

    QHeaderView *header = ui->tvTotal->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (header->count() > kStretchedSection)
        header->setSectionResizeMode(kStretchedSection, QHeaderView::Stretch);
}

void FormCompetitionTotal::releaseModel()
{
    setViewModel(ui->tvTotal, nullptr);
    m_model.reset();
}

void FormCompetitionTotal::on_pBNext_clicked()
{
    emit sig_Next();
}

void FormCompetitionTotal::on_pushButton_clicked()
{
    emit sig_Print();
}
