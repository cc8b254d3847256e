#pragma once

#include <QWidget>

#include <memory>

class QAbstractItemModel;
class TBulletList;
class TEvent;

namespace Ui {
class FormEventTotal;
}

// The result table of one exercise: shown after the last relay of a stage of
// a pistol match and after a practice run. The page reports its two buttons;
// the main window decides what follows.
class FormEventTotal : public QWidget
{
    Q_OBJECT

public:
    explicit FormEventTotal(QWidget *parent = nullptr);
    ~FormEventTotal() override;

    // useTotalsModel false: the list's own series table; true: the table
    // createEventTotalModel makes for the exercise's type, without the print
    // frame (a practice run).
    void setEvent(TEvent *event, TBulletList *list, bool useTotalsModel);
    void setPrintVisible(bool visible);

    // Leaves the table without a model and forgets the exercise and its list,
    // which their module may delete once the page is no longer shown.
    void releaseModel();

signals:
    void sig_Next();
    void sig_Print();

private slots:
    void on_pBNext_clicked();
    void on_pushButton_clicked();

private:
    std::unique_ptr<Ui::FormEventTotal> ui;
    TEvent *m_event = nullptr;     // not owned
    TBulletList *m_list = nullptr; // not owned
    // A table built for the page (the compact three-position table); a
    // list's series table belongs to its list.
    std::unique_ptr<QAbstractItemModel> m_ownModel;
};
