#pragma once

// Base class of the tests that walk a whole road of the program as the
// operator meets it: the real main window on a run folder, the range
// simulator on pseudo-terminals with simulated shooters, and the exercise
// clock sped up. It adds to MainWindowTest the operator's steps that every
// road takes (a new competition, its members, its relays, a relay shot on
// the run page), each through the window's widgets and dialogs only, and
// saves a screenshot of each page and dialog on the way when
// scripts/screenshots.sh asks for them (MainWindowTest::sight).

#include <QList>
#include <QString>

#include <functional>

#include "mainwindowtest.h"

struct ShooterSettings;

class RoadTest : public MainWindowTest
{
    Q_OBJECT

public:
    // The exercise clock runs this many times faster than real time: a
    // 15-minute sighting takes 3 s.
    static constexpr int kClockSpeed = 300;

protected slots:
    void init();
    void cleanup();

protected:
    // The exercise objects made from now on run their clocks that many
    // times faster than real time.
    void setClockSpeed(int speed);

    // Types the text into the visible line edit (or spin box) of that name
    // as the keyboard does, replacing what it held.
    bool type(const QString &objectName, const QString &text);

    // Welcome page, "new competition": a competition of the type from the
    // list, without its final, under that name; the members page shows it.
    // Its ID, -1 when any step failed.
    int createCompetition(int type, const QString &name);
    // Members page: a new shooter made in the shooter dialog opened from the
    // shooter list, then added from the list with that start number. Its
    // member ID, -1 when any step failed.
    int addNewMember(const QString &name, const QString &family, int startNumber);

    // The practice roster's shooter of that family name, -1 when none; and
    // a click (twice: a double click) on its row of a practice view.
    int practiceShooterID(const QString &family) const;
    bool clickPracticeShooter(const QString &view, int id, bool twice = false);

    // Relays page: the member of that row of the members table moved to the
    // relay and target through the relay dialog.
    bool moveMember(int row, int relay, int target);
    // Relays page Next: the current relay page of the next relay, once every
    // target and terminal of it answers.
    bool openCurrentRelay();
    // The current relay page, once every target and terminal answers.
    bool lineAnswers();
    // Current relay page Next: the run page; START; once the sighting time
    // is over START again for the match; the simulated shooters on the lanes
    // fire until the exercise has finished. atShot, when given, runs once
    // while the match goes on, when the first lane's target has that many
    // match shots.
    bool shootOnePositionRelay(const QList<int> &lanes, int atShot = -1,
                               const std::function<void()> &duringMatch = {});
    // Run page START in the sighting's state; the match's START waits until
    // the exercise offers it.
    bool startSighting();
    bool startMatch();

    // The window's bus master (and every later one) keeps the line tests'
    // short gaps between its writes.
    void shortenBusGaps();
    // The range simulator with one converter for the lanes, its targets
    // taking a start for a copy of the last one only within the line tests'
    // short window, and the window reopened on it with the line tests' short
    // bus gaps.
    bool startRange(const QList<int> &lanes);
    // A simulated shooter on each lane firing every paceMs around the centre.
    void startShooters(const QList<int> &lanes, int paceMs, int spreadTenthsMm = 60);
    void stopShooters(const QList<int> &lanes);
    // Shots the lane's target has recorded since the simulator started
    // (from its traffic log, which target resets do not clear).
    int firedShots(int lane);
    // The highest shot number the program has asked the lane's target for.
    int highestPolledShot(int lane);

    // Whether a line of the run page's words on the targets and converters
    // begins so and says that.
    bool runPageSays(const QString &start, const QString &what) const;
    // Those lines, as the band holds them (newest first).
    QStringList runPageWords() const;

    // The stored match shots of a member in an exercise.
    int storedShots(int eventID, int memberID);

private:
    QByteArray m_previousClockSpeed;
};
