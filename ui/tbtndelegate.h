#pragma once

#include <QItemDelegate>
#include <QList>
#include <QWidget>

#include <memory>

class QHBoxLayout;
class QPushButton;

// The editor of one shoot-off cell: a single button that reports the row it
// was made for.
class MyButtonWGT : public QWidget
{
    Q_OBJECT

public:
    MyButtonWGT(int row, bool enabled, QWidget *parent = nullptr);

    void setRow(int row) { m_row = row; }
    int row() const { return m_row; }

signals:
    void clickButton(int row);

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void clicked();

private:
    QPushButton *m_button = nullptr; // child of the widget
    QHBoxLayout *m_layout = nullptr; // the widget's
    int m_row = -1;
};

// Puts a shoot-off button into a cell as a persistent editor. Which rows may
// use theirs is decided before the editors are opened: a flag is read only
// when its row's editor is created.
class TbtnDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    explicit TbtnDelegate(int rows, QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    // At least as wide as a button that shows its caption whole in the
    // option's font, so that a table which fits its columns to their
    // delegates gives the buttons room.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // n rows, every one disabled.
    void setRowCount(int n);
    // A row outside the count stays disabled.
    void setRowEnabled(int row);
    void disableAllRows();

signals:
    void sig_btnClicked(int row);

public slots:
    void slot_btnClicked(int row);

private:
    QList<bool> m_rowEnabled;
    // A button never shown, measured in the font asked for.
    mutable std::unique_ptr<MyButtonWGT> m_sample;
};
