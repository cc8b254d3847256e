#include "dialogcheckmembercolbull.h"

#include "ui_dialogcheckmembercolbull.h"

#include <QCloseEvent>

namespace {

constexpr int kAnswerClear = 0;
constexpr int kAnswerAdd = 1;

} // namespace

DialogCheckMemberColBull::DialogCheckMemberColBull(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::DialogCheckMemberColBull>())
{
    m_ui->setupUi(this);
    // No close button in the frame: only the two answers end the question.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

DialogCheckMemberColBull::~DialogCheckMemberColBull() = default;

void DialogCheckMemberColBull::slot_show(int _eveID, int _memID, const QString &name,
                                         const QString &eventName)
{
    m_eventID = _eveID;
    m_memberID = _memID;
    m_ui->L_Name->setText(name);
    m_ui->L_text->setText(
        QStringLiteral("имеет незавершенное упр-е %1\n"
                       "нажмите кнопку ОБНУЛИТЬ для удаления результатов упражнения %1\n"
                       "или нажмите кнопку ДОБАВТЬЬ для добавления `нулевых` пробоин.")
            .arg(eventName));
    show();
}

void DialogCheckMemberColBull::reject()
{
}

void DialogCheckMemberColBull::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void DialogCheckMemberColBull::on_pbClear_clicked()
{
    answer(kAnswerClear);
}

void DialogCheckMemberColBull::on_pbAdd_clicked()
{
    answer(kAnswerAdd);
}

void DialogCheckMemberColBull::answer(int anwer)
{
    const bool repeat = m_ui->CB_repeat->isChecked();
    // Hidden before the answer goes out: the module may put its next question
    // while it handles this one, and that question must stay on screen.
    hide();
    emit sig_answer(m_eventID, m_memberID, anwer, repeat);
}
