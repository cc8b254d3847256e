#include "dialogpracticeshooter.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>

#include "formpracticeshooter.h"

namespace {
constexpr int kWidth = 400;
constexpr int kHeight = 300;
} // namespace

DialogPracticeShooter::DialogPracticeShooter(TPracticeModul *module, QWidget *parent)
    : QDialog(parent)
    , m_widgets(std::make_unique<Widgets>())
    , m_module(module)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("DialogPracticeShooter"));
    resize(kWidth, kHeight);
    setModal(true);
    m_widgets->horizontalLayout = new QHBoxLayout(this);
    m_widgets->horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    m_widgets->frameInfo = new QFrame(this);
    m_widgets->frameInfo->setObjectName(QStringLiteral("frameInfo"));
    m_widgets->frameInfo->setFrameShape(QFrame::StyledPanel);
    m_widgets->frameInfo->setFrameShadow(QFrame::Sunken);
    m_widgets->horizontalLayout->addWidget(m_widgets->frameInfo);
    setWindowTitle(QCoreApplication::translate("DialogPracticeShooter", "Dialog"));
    QMetaObject::connectSlotsByName(this);

    m_shooterForm = formPracticeShooter::embed(m_widgets->frameInfo, m_module,
                                               formPracticeShooter::ChangeMode);
    connect(m_shooterForm, &formPracticeShooter::sig_changeBTNClicked, this,
            &DialogPracticeShooter::slot_changeBTNClicked);
}

DialogPracticeShooter::~DialogPracticeShooter()
{
    delete m_shooterForm;
}

void DialogPracticeShooter::showShooter(int id)
{
    // Teams and qualifications made elsewhere since: with a stale box the
    // shooter's own would show as none and be saved so.
    m_shooterForm->refillTeamsQualities();
    m_shooterForm->showShooter(id);
    // The style gives buttons a small fixed minimum width, below their text:
    // open large enough for every caption.
    resize(size().expandedTo(sizeHint()));
    show();
}

void DialogPracticeShooter::slot_changeBTNClicked()
{
    hide();
}
