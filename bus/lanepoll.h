#pragma once

#include <QtGlobal>

// How the bus master reads one lane's answers to its polls for shots. The
// line brings answers late, lost or twice, and a target answers with what
// its page holds when the poll reaches it, so an answer is taken only for
// what it can prove:
// - a "no shot" answer names no number: it speaks of the last poll written;
// - a shot is taken only when it is the number the lane waits for;
// - after a START that went out while a poll awaited its answer, the next
//   answer read may have been given before the target took the START and
//   tell of the page before it: it is dropped and the lane asked again. The
//   mark holds through the polls written meanwhile, and through a stop of
//   the lane's polling, since that late answer still comes first;
// - a target that left kSilentAfterPolls polls and kSilentAfterMs unanswered
//   is silent until it answers again. After a stop of its polling (a break,
//   a START given meanwhile) its silence is told again once the polls since
//   go unanswered as long: whether it was heard after that START is told by
//   what came first, the silence or an answer. The pings of the break count
//   among those polls: a target deaf since before the START has had them.
// It sees only the order of polls, STARTs and answers and the time the
// caller gives, so a model of the line on a simulated clock drives it as the
// bus master does.
class LanePoll
{
public:
    static constexpr int kSilentAfterPolls = 2;
    static constexpr qint64 kSilentAfterMs = 1000;

    struct Reading
    {
        enum Kind { Dropped, NoShot, Shot };
        Kind kind = Dropped;
        int number = 0; // NoShot: the number that poll asked for; Shot: the shot's
    };

    // The shot number to poll for; below 1 the lane is not polled.
    int wanted() const { return m_wanted; }
    // The exercise asks for this shot next. Below 1 the lane stops being
    // polled, and an answer still on its way says nothing (but still comes
    // before the answer to a later poll).
    void want(int number);
    // A poll for wanted() is about to be written at nowMs (the caller's clock).
    // True once, when this poll finds the target silent.
    bool pollDue(qint64 nowMs);
    // That poll reached the line: the next answer read speaks of it.
    void pollWritten();
    // A ping asks for no shot: its answer speaks of no poll. Left
    // unanswered, it counts towards the next poll's finding it silent.
    void pingWritten(qint64 nowMs);
    // A START for this lane's target reached the line.
    void startWritten();
    // No line reaches the target (its converter lost, a START gone out
    // meanwhile): it is silent as one whose polls went unanswered. True
    // once, when that finds it silent.
    bool unreached();
    // The target answered anything. True when it had been silent.
    bool heard();
    // Its polls went unanswered, and it has not answered since.
    bool silent() const { return m_silent; }
    // The target's answer to a poll, read now; number 0 is "no shot".
    Reading read(int number);

private:
    // A frame the target answers went out, or is about to: one more unanswered.
    void unanswered(qint64 nowMs);

    int m_wanted = -1;
    // The number of the last poll on the wire that no answer has taken; 0: none.
    int m_polled = 0;
    // A poll was written that no answer has followed yet, wanted or not.
    bool m_awaiting = false;
    bool m_startOvertook = false;
    int m_unanswered = 0;
    qint64 m_unansweredSinceMs = 0;
    bool m_silent = false;
    bool m_silenceTold = false; // since its polling last began
};

// How long the bus master has waited for one lane's target, for the
// operator: from the first frame it answers written to it since its last
// answer, or since its converter was found again (while the converter was
// away, the silence was the converter's). Told once, and told again when
// the target answers.
class LaneWait
{
public:
    static constexpr qint64 kToldAfterMs = 5000;

    // A frame the target answers goes out to it at nowMs (the caller's
    // clock). True once, when it has then been waited for over kToldAfterMs.
    bool asked(qint64 nowMs);
    // The target answered. True when it had been told missing.
    bool answered();
    // Its converter was lost: the wait counts again from the next ask.
    void restart() { m_sinceMs = -1; }
    // It was asked, and has not answered since.
    bool waiting() const { return m_sinceMs >= 0; }

private:
    qint64 m_sinceMs = -1;
    bool m_told = false;
};
