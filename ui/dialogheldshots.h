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
// The dialog lists them in page order with what the answers tell of each
// (the moments it can have been taken at against the START, its distance
// from the shot before it by the target's count) and asks which one is the
// first taken after the START, or none. A choice is needed to confirm: the
// question cannot be put away without one. At STOP it is asked modally; in
// the run it stays open while the exercise goes on.
class DialogHeldShots : public QDialog
{
    Q_OBJECT

public:
    // The answer a test gives in place of the operator: the index of the
    // first shot to count, or LaneStart::kNone.
    using TestRuling = std::function<int(int target, const QList<HeldShot> &shots)>;

    explicit DialogHeldShots(QWidget *parent = nullptr);
    ~DialogHeldShots() override;

    // A pistol stage: what the series' time leaves held or missing is
    // flagged to be shot again in the break, not filled with misses at STOP.
    void setReshotInBreak(bool reshot) { m_reshotInBreak = reshot; }
    void setShots(int target, const QList<HeldShot> &shots, bool atStop);
    int target() const { return m_target; }
    // The index chosen; LaneStart::kNone for "none"; -2 while nothing is chosen.
    int chosen() const;

    // The question as text: what a test records of it.
    static QString questionText(int target, const QList<HeldShot> &shots, bool atStop);
    // When the moment is known between fromMs and toMs against the START.
    static QString momentsText(const HeldShot &shot);

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
    void showPlaces();
    void fitToScreen();

    std::unique_ptr<Ui::DialogHeldShots> m_ui;
    QList<HeldShot> m_shots;
    int m_target = 0;
    bool m_reshotInBreak = false;
};
