#include "formeventtotal.h"
#include "ui_formeventtotal.h"

#include <QHeaderView>

#include "tbulletlist.h"
#include "tevent.h"
#include "totalfactories.h"
#include "tseries.h"
#include "viewmodel.h"

FormEventTotal::FormEventTotal(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::FormEventTotal>())
{
    ui->setupUi(this);
}

FormEventTotal::~FormEventTotal()
{
    // The view lets go of the model before the model goes.
    releaseModel();
}

void FormEventTotal::setEvent(TEvent *event, TBulletList *list, bool useTotalsModel)
{
    if (event)
        ui->l_eventType->setText(event->nameEng());
    releaseModel();
    m_event = event;
    m_list = list;

    QAbstractItemModel *model = nullptr;
    if (!useTotalsModel) {
        model = list ? list->series() : nullptr;
    } else {
        if (event) {
            model = createEventTotalModel(list, event->typeXMLID(), event->subType());
            if (model && (!list || model != list->series()))
                m_ownModel.reset(model);
        }
        ui->framePrint->hide();
    }

    setViewModel(ui->tv_eventTotal, model);
    QHeaderView *header = ui->tv_eventTotal->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (header->count() > 0)
        header->setSectionResizeMode(0, QHeaderView::Stretch);
}

void FormEventTotal::setPrintVisible(bool visible)
{
    ui->framePrint->setVisible(visible);
}

void FormEventTotal::releaseModel()
{
    setViewModel(ui->tv_eventTotal, nullptr);
    m_ownModel.reset();
    m_event = nullptr;
    m_list = nullptr;
}

void FormEventTotal::on_pBNext_clicked()
{
    setViewModel(ui->tv_eventTotal, nullptr);
    emit sig_Next();
}

void FormEventTotal::on_pushButton_clicked()
{
    emit sig_Print();
}
