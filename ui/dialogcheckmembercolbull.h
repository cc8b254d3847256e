#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class DialogCheckMemberColBull;
}

// Asks what becomes of a member who has some, but too few, match shots in an
// exercise of the competition being opened: clear them or fill the rest with
// misses, and whether the same holds for every further such member. The
// competition module waits for the answer before it checks further members,
// so the question cannot be put away without one.
class DialogCheckMemberColBull : public QDialog
{
    Q_OBJECT

public:
    explicit DialogCheckMemberColBull(QWidget *parent = nullptr);
    ~DialogCheckMemberColBull() override;

signals:
    // anwer: 0 clear the member's shots of the exercise, 1 add misses.
    void sig_answer(int _eveID, int _memID, int anwer, bool repeat);

public slots:
    void slot_show(int _eveID, int _memID, const QString &name, const QString &eventName);
    // Escape: the question stays.
    void reject() override;

protected:
    // The window's close button: the question stays.
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_pbClear_clicked();
    void on_pbAdd_clicked();

private:
    void answer(int anwer);

    std::unique_ptr<Ui::DialogCheckMemberColBull> m_ui;
    int m_eventID = -1;
    int m_memberID = -1;
};
