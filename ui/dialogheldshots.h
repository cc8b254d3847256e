#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

#include "myevent.h"

namespace Ui {
class DialogHeldShots;
}

// The operator's ruling on the shots a lane holds: they are consecutive
// shots of its target's page, so the START fell at one place among them.
// The dialog names the lane's member and target and lists the shots in page
// order with what the answers tell of each: the moments it can have been
// taken at against the START, for each account of the page apart (the
// target took the START, or kept its earlier page, ...), whether the same
// answer was read before the START, and its distance from the shot before
// it by the target's count. It asks which one is the first taken after the
// START, or none. A choice is needed to confirm: the question cannot be put
// away without one. At STOP it is asked modally; in the run it stays open
// while the exercise goes on.
class DialogHeldShots : public QDialog
{
    Q_OBJECT

public:
    // The answer a test gives in place of the operator: the index of the
    // first shot to count, or LaneStart::kNone.
    using TestRuling = std::function<int(int target, const QList<HeldShot> &shots)>;

    // Whose shots they are, and what the exercise does with those it lacks:
    // a pistol stage flags them to be shot again in the break.
    struct Lane
    {
        int target = 0;
        QString member;       // empty: none known
        int startNumber = -1; // -1: none
        bool reshotInBreak = false;
    };

    explicit DialogHeldShots(QWidget *parent = nullptr);
    ~DialogHeldShots() override;

    void setShots(const Lane &lane, const QList<HeldShot> &shots, bool atStop);
    int target() const { return m_lane.target; }
    // The index chosen; LaneStart::kNone for "none"; -2 while nothing is chosen.
    int chosen() const;
    // Sizes the dialog to what it can show of the list within room (the
    // screen's free area, where setShots puts it): every column, and every
    // row where the room allows.
    void fitTo(const QRect &room);

    // The texts of the question, each built in one place: what a test
    // records of it, the title, the moments of one shot (a line for each
    // case the accounts leave), whether it was read before the START, and
    // what becomes of the shots once ruled.
    static QString questionText(const Lane &lane, const QList<HeldShot> &shots, bool atStop);
    static QString titleText(const Lane &lane);
    static QString momentsText(const HeldShot &shot);
    static QString readBeforeText(const HeldShot &shot);
    static QString outcomeText(const Lane &lane, bool atStop);

    // Test seam: with boxes off (Warnings::testMode), rulings are answered
    // by this function; with none set, no held shot is counted.
    static void setTestRuling(const TestRuling &ruling);
    static int testRuling(int target, const QList<HeldShot> &shots);

signals:
    void sig_ruled(int target, int first);

public slots:
    // Escape: the question stays.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_pbConfirm_clicked();

private:
    // The list's texts; narrow: the wide ones on two lines.
    void showShots(bool narrow);
    void showPlaces();

    std::unique_ptr<Ui::DialogHeldShots> m_ui;
    QList<HeldShot> m_shots;
    Lane m_lane;
};
