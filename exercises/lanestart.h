#pragma once

#include <QPoint>
#include <QVector>
#include <QtGlobal>

// What a target answer carries of a shot: its number on the target's page,
// its point and its own time (tenths of a second the target counts from the
// START it took, in real time).
struct LaneShot
{
    int number = 0;
    QPoint point;
    int timeTenths = 0;
};

// Moments on the clock the targets count their own time by (real time, not
// the exercise clock, which a demonstration may speed up), in ms.
struct StartMoments
{
    qint64 earlierStartMs = -1; // the START before this one; -1: none in this exercise
    qint64 startMs = -1;        // confirmation of this START
    qint64 nowMs = 0;           // when the answer is judged
};

// Whether one lane's target took the last START of the whole line (the one
// that began the current page: a rifle sighting or match, a pistol series or
// window) and so what to do with each of its shot answers. A target that
// missed the START still holds its earlier page and answers with its shots.
//
// Every state ends, within bounded answers, in stored shots or a word to the
// operator (told once per page):
//   Taken    the first answer repeating an earlier page's shot is asked for
//            again; the same repeat twice leads to InDoubt. A shot the
//            earlier page cannot hold: Proven.
//   Unheard  its polls went unanswered around the START: the first answer
//            decides. A repeat of the earlier page twice, or a shot older than
//            the START: Missed. A shot the earlier page proves new: Proven.
//            Nothing proving either way: Unproven.
//   InDoubt  repeats are passed over (bounded by the earlier page's length);
//            an older shot: Missed; a shot the earlier page cannot hold:
//            Proven; any other answer: Trusted. The page is then read again
//            from its first shot.
//   Trusted  the target took the START, as far as its times tell: a repeat of
//            the earlier page now proves it kept that page (Missed), never a
//            new doubt.
//   Proven   the target's page is not the earlier one: every answer is
//            stored, a shot equal to an earlier one included (a shooter may
//            put two shots alike).
//   Missed   told; the earlier page is read past by the shots' own times
//            when the lane took the START before, else nothing is stored.
//   Unproven told; the answers are stored.
class LaneStart
{
public:
    enum class State { Taken, Unheard, InDoubt, Trusted, Proven, Missed, Unproven };
    enum class Action {
        Store,    // a shot of this page
        AskAgain, // ask the target for its next wanted shot once more
        Skip      // no shot of this page: ask for the numbers after it
    };
    enum class Word {
        None,
        Missed, // the target did not take the START; its earlier shots are passed over
        InDoubt // whether it took the START cannot be known: re-shoot or STOP
    };
    struct Verdict
    {
        Action action = Action::Store;
        Word word = Word::None;
    };

    // Room for the target's own clock against ours.
    static constexpr qint64 kClockSlackMs = 5000;
    // Room for the moment a target took a START against our reading of its
    // confirmation.
    static constexpr qint64 kStartSlackMs = 1000;

    // A START of the whole line began a new page; earlierPage holds the
    // answers stored on the page it ends. A page on which no answer was
    // stored leaves the earlier trace as it was: its target may still hold the page
    // before it (a pistol lane that missed two windows in a row).
    void beginPage(const QVector<LaneShot> &earlierPage);
    // The page's shooting time is over (a pistol series or window): a lane
    // that answered only with its earlier page is settled as Missed and the
    // operator is told, once.
    Word endPage();
    // The target's memory was reset (it confirmed): a fresh page, nothing earlier.
    void targetReset();
    // The bus master found the lane's polls unanswered (false) or heard it
    // again (true).
    void setHeard(bool heard);

    Verdict decide(const LaneShot &answer, const StartMoments &moments);

    State state() const { return m_state; }
    // Target numbers of this page passed over as no shots of it.
    int skippedUpTo() const { return m_skippedUpTo; }

private:
    // The answer repeats a shot of the earlier page, which that page's count
    // stamped before this START.
    bool heldOnEarlierPage(const LaneShot &answer, const StartMoments &moments) const;
    // The earlier page cannot hold this answer: it holds that number with
    // another shot, or a lower number shot later.
    bool provedNew(const LaneShot &answer) const;
    // The same earlier shot answered twice in a row.
    bool repeatedTwice(const LaneShot &answer);
    Verdict miss(const LaneShot &answer, const StartMoments &moments);
    Action readPast(const LaneShot &answer, const StartMoments &moments) const;
    Verdict skip(int number);

    State m_state = State::Taken;
    QVector<LaneShot> m_earlierPage;
    int m_skippedUpTo = 0;
    int m_repeatedNumber = 0;
    bool m_answered = false;     // an answer of this page was stored
    bool m_heard = true;
    bool m_earlierTaken = false; // the lane took the START of the earlier page
    bool m_pageBegun = false;
};
