#include "tbtndelegate.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>

MyButtonWGT::MyButtonWGT(int row, bool enabled, QWidget *parent)
    : QWidget(parent)
    , m_button(new QPushButton(QStringLiteral("перестрелка"), this))
    , m_layout(new QHBoxLayout(this))
    , m_row(row)
{
    m_button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_button->setEnabled(enabled);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->addWidget(m_button);
    connect(m_button, &QPushButton::clicked, this, &MyButtonWGT::clicked);
}

void MyButtonWGT::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Under a style sheet a child keeps the font it was polished with.
    if (event->type() == QEvent::FontChange)
        m_button->setFont(font());
}

void MyButtonWGT::clicked()
{
    emit clickButton(m_row);
}

TbtnDelegate::TbtnDelegate(int rows, QObject *parent)
    : QItemDelegate(parent)
{
    setRowCount(rows);
}

QWidget *TbtnDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    const int row = index.row();
    const bool enabled = row >= 0 && row < m_rowEnabled.size() && m_rowEnabled.at(row);
    auto *editor = new MyButtonWGT(row, enabled, parent);
    editor->setFont(option.font);
    connect(editor, &MyButtonWGT::clickButton, this, &TbtnDelegate::slot_btnClicked);
    return editor;
}

void TbtnDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    Q_UNUSED(index)
    editor->setGeometry(option.rect);
    // The font the table fitted its cells to, whenever it changes.
    editor->setFont(option.font);
}

QSize TbtnDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (!m_sample)
        m_sample = std::make_unique<MyButtonWGT>(-1, true);
    m_sample->setFont(option.font);
    return QItemDelegate::sizeHint(option, index).expandedTo(m_sample->sizeHint());
}

void TbtnDelegate::setRowCount(int n)
{
    m_rowEnabled = QList<bool>();
    for (int i = 0; i < n; ++i)
        m_rowEnabled.append(false);
}

void TbtnDelegate::setRowEnabled(int row)
{
    if (row >= 0 && row < m_rowEnabled.size())
        m_rowEnabled[row] = true;
}

void TbtnDelegate::disableAllRows()
{
    for (bool &enabled : m_rowEnabled)
        enabled = false;
}

void TbtnDelegate::slot_btnClicked(int row)
{
    emit sig_btnClicked(row);
}
