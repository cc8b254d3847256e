// What a lane's start state makes of the answers of its target, START after
// START: each row is a road on the targets' clock (ms from the first START)
// with its starts, answers, "no shot" answers and silences, and is decided by
// the shots' own times and the "no shot" moments, not by their numbers.

#include <QtTest>

#include "lanestart.h"

namespace {

using State = LaneStart::State;
using Word = LaneStart::Word;

struct Step
{
    enum Kind { Start, OwnStart, Answer, NoShot, Deaf, Hear, EndPage, Rule, Ask };
    Kind kind = Answer;
    qint64 atMs = 0;
    LaneShot shot;
    qint64 takenMs = -1; // of an answer: when the shot was taken
};
using Road = QVector<Step>;

Step start(qint64 atMs)
{
    return {Step::Start, atMs, {}};
}

// Shot n at point (x, 50), taken at takenMs of a count that began at originMs,
// answered at atMs.
Step shot(int n, int x, qint64 originMs, qint64 takenMs, qint64 atMs)
{
    return {Step::Answer, atMs, {n, QPoint(x, 50), int((takenMs - originMs) / 100), 0}, takenMs};
}

// The operator's ruling with held shots held: first the number of the one
// counted first (0: none).
Step rule(qint64 atMs, int first, int held)
{
    return {Step::Rule, atMs, {first, {}, held, 0}};
}

Step noShot(int n, qint64 atMs)
{
    return {Step::NoShot, atMs, {n, {}, 0, 0}};
}

// The bus master asks the target for shot n (0: a ping).
Step ask(int n, qint64 atMs)
{
    return {Step::Ask, atMs, {n, {}, 0, 0}};
}

// "No shot n" answers every 100 ms from fromMs until toMs.
Road lacking(int n, qint64 fromMs, qint64 toMs)
{
    Road road;
    for (qint64 t = fromMs; t <= toMs; t += 100)
        road << noShot(n, t);
    return road;
}

// Shots first..last, one a second from firstMs, each answered 100 ms after
// it was taken (or all at atMs when it is given), counted from originMs; the
// two polls before a shot answered that it was not there yet.
Road shooter(int first, int last, int x, qint64 originMs, qint64 firstMs, qint64 atMs = -1)
{
    Road road;
    for (int n = first; n <= last; ++n) {
        const qint64 taken = firstMs + (n - first) * 1000;
        if (atMs < 0)
            road << noShot(n, taken - 150) << noShot(n, taken - 50);
        road << shot(n, x, originMs, taken, atMs < 0 ? taken + 100 : atMs + 10 * (n - first));
    }
    return road;
}

// Every answer twice in a row: a repeat of an earlier page's shot, or one
// that proves its page older than the START, is asked for again.
Road twice(const Road &road)
{
    Road both;
    for (const Step &step : road)
        both << step << step;
    return both;
}

QString wordName(Word word)
{
    switch (word) {
    case Word::None: return {};
    case Word::Missed: return QStringLiteral("missed");
    case Word::Withdrawn: return QStringLiteral("withdrawn");
    case Word::Unheard: return QStringLiteral("unheard");
    case Word::InDoubt: return QStringLiteral("in doubt");
    case Word::PageLost: return QStringLiteral("page lost");
    case Word::NoNewShots: return QStringLiteral("no new shots");
    case Word::PassedOver: return QStringLiteral("flagged");
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Road)

class TestLaneStart : public QObject
{
    Q_OBJECT

private slots:
    void road_data();
    void road();
    void flappingLaneWeighsFewAccounts();
    void readMomentsFollowTheAnswers();
    void refusedShotIsHeldAgain();
};

void TestLaneStart::road_data()
{
    QTest::addColumn<Road>("steps");
    QTest::addColumn<QStringList>("stored"); // "page.number", as stored and not withdrawn
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("state");
    // The number the next poll asks for (-1: not looked at).
    QTest::addColumn<int>("asks");

    // Sighting from 0 to 15 s, match START at 20 s; the target's count
    // begins at the START it takes.
    constexpr qint64 kMatch = 20000;

    // A shooter who puts every shot on one point at the same second of
    // each count: the match page answers like the sighting page to the last
    // byte. "No shot 4" at 23.9 s: a shot 4 of the sighting page counts 4 s
    // from its START, so the match shot 4 is new, and the three before it.
    const auto alike = [](int n, qint64 originMs) {
        return shot(n, 10, originMs, originMs + n * 1000, originMs + n * 1000 + 100);
    };
    QTest::newRow("identical shots: a lacking moment proves the match page")
        << (Road{start(0), alike(1, 0), alike(2, 0), alike(3, 0)} + lacking(4, 3500, 15000)
            + Road{start(kMatch)} + twice(Road{alike(1, kMatch)})
            + twice(Road{alike(2, kMatch), alike(3, kMatch)}) + lacking(4, 23200, 23900)
            + Road{alike(4, kMatch)})
        << QStringList{"1.1", "1.2", "1.3", "2.1", "2.2", "2.3", "2.4"} << QStringList{}
        << int(State::New) << -1;

    QTest::newRow("match shot 1 like the only sighting shot")
        << (Road{start(0)} + shooter(1, 1, 10, 0, 1000) + lacking(2, 1200, 15000) + Road{start(kMatch)}
            + twice(Road{shot(1, 10, kMatch, 21000, 21100)}) + lacking(2, 21200, 22900)
            + Road{shot(2, 30, kMatch, 23000, 23100)})
        << QStringList{"1.1", "2.1", "2.2"} << QStringList{} << int(State::New) << -1;

    // Deaf from 0.3 s until 21 s, the match START missed: fifteen sighting
    // shots a second, then one at 22 s; their own times count from 0.
    QTest::newRow("deaf across the match start: the sighting page is read past")
        << (Road{start(0)} + lacking(1, 100, 300) + Road{{Step::Deaf, 300, {}}, start(kMatch),
                                                          {Step::Hear, 21000, {}}}
            + twice(shooter(1, 15, 10, 0, 1000, 21000)) + lacking(16, 21800, 21900)
            + Road{shot(16, 10, 0, 22000, 22100)})
        << QStringList{"2.16"} << QStringList{"missed"} << int(State::Kept) << -1;

    // Deaf since before the sighting, counting from an hour before it.
    QTest::newRow("deaf across both starts, counting from an hour before")
        << (Road{{Step::Deaf, 0, {}}, start(0), start(kMatch), {Step::Hear, 21000, {}}}
            + twice(shooter(1, 3, 10, -3600000, 1000, 21000)) + lacking(4, 21100, 21900)
            + Road{shot(4, 10, -3600000, 22000, 22100)})
        << QStringList{"2.4"} << QStringList{"missed"} << int(State::Kept) << -1;

    // Silent from 5.5 s to 9.5 s: switched off, it comes back empty. One
    // "no shot 5" may be noise or a late copy of an earlier "no shot 6";
    // lacking it for 2 s proves it.
    QTest::newRow("back from a silence with another page")
        << (Road{start(0)} + shooter(1, 5, 10, 0, 1000) + lacking(6, 5200, 5500)
            + Road{{Step::Deaf, 5500, {}}, {Step::Hear, 9500, {}}} + lacking(5, 9600, 11600)
            + shooter(1, 2, 20, 9000, 12000))
        << QStringList{"1.1", "1.2", "1.3", "1.4", "1.5", "1.1", "1.2"}
        << QStringList{"page lost"} << int(State::Fresh) << -1;

    // Switched off and on from 3.5 s to 5.5 s: back, asked for its shot 1
    // again, it lacks it for 1.9 s, then gives its new page's shot 1 once
    // and is heard no more. That answer proves the page lost and is the new
    // page's first shot: stored at once, not asked for again.
    QTest::newRow("back from a silence with another page's shot: stored once the page is lost")
        << (Road{start(0)} + shooter(1, 1, 10, 0, 1000) + lacking(2, 1200, 3000)
            + Road{{Step::Deaf, 3000, {}}, {Step::Hear, 6000, {}}} + lacking(1, 6100, 8000)
            + Road{shot(1, 20, 5500, 6200, 8300)})
        << QStringList{"1.1", "1.1"} << QStringList{"page lost"} << int(State::Fresh) << -1;
    // The same, giving its new shot 1 twice 0.2 s apart: a shot never read,
    // unlike the one asked for, twice, is no late copy: the page is lost.
    QTest::newRow("back from a silence, another shot twice: the page is lost at once")
        << (Road{start(0)} + shooter(1, 1, 10, 0, 1000) + lacking(2, 1200, 3000)
            + Road{{Step::Deaf, 3000, {}}, {Step::Hear, 6000, {}},
                   shot(1, 20, 5500, 6200, 6300), shot(1, 20, 5500, 6200, 6500)})
        << QStringList{"1.1", "1.1"} << QStringList{"page lost"} << int(State::Fresh) << -1;

    // Asked for its shot 2 again, it gives its new page's shot 2 twice: that
    // shot is stored at once (its page may end before it is asked again),
    // and the new page's shot 1 is asked next.
    QTest::newRow("back from a silence, another later shot twice: stored at once, the first asked next")
        << (Road{start(0)} + shooter(1, 2, 10, 0, 1000) + lacking(3, 2200, 3000)
            + Road{{Step::Deaf, 3000, {}}, {Step::Hear, 6000, {}},
                   shot(2, 20, 5500, 6200, 6300), shot(2, 20, 5500, 6200, 6500)})
        << QStringList{"1.1", "1.2", "1.2"} << QStringList{"page lost"} << int(State::Fresh) << 1;
    // Switched off and on between two polls: its new page's shot 3, stamped
    // before its stored shot 2, has that asked for again; the new page's
    // shot 2, twice, proves the page lost, and both are stored.
    QTest::newRow("a shot stamped before a stored one, then the page lost: both new shots stored")
        << (Road{start(0)} + shooter(1, 2, 10, 0, 1000)
            + Road{shot(3, 30, 5000, 6500, 6600), shot(2, 40, 5000, 6000, 6800), shot(2, 40, 5000, 6000, 7000)})
        << QStringList{"1.1", "1.2", "1.2", "1.3"} << QStringList{"page lost"} << int(State::Fresh) << 1;
    // A garbled shot 3 stamped before shot 2 has that asked again, given as
    // before: the page is kept and the garbled one is nothing. Switched off
    // and on later, the page lost stores its new shot 4 alone.
    QTest::newRow("a garbled shot on a kept page, the page lost later: nothing of it stored")
        << (Road{start(0)} + shooter(1, 2, 10, 0, 1000)
            + Road{shot(3, 30, 5000, 6500, 6600), shot(2, 10, 0, 2000, 6800)} + shooter(3, 4, 10, 0, 7000)
            + Road{{Step::Deaf, 9000, {}}, {Step::Hear, 12000, {}}}
            + twice(Road{shot(4, 40, 9000, 11500, 12100)}))
        << QStringList{"1.1", "1.2", "1.3", "1.4", "1.4"} << QStringList{"page lost"} << int(State::Fresh) << 1;
    // Its shots 1-3 stored, asked for shot 3 again after a silence, "no
    // shot 3" for 2 s (late copies of an earlier one) has the page taken for
    // lost; read again from shot 1, it gives shots 1 and 2 as before: the
    // page was kept, and they are not stored again.
    QTest::newRow("a page taken for lost that answers as before: nothing stored twice")
        << (Road{start(0)} + shooter(1, 3, 10, 0, 1000) + Road{{Step::Deaf, 3500, {}}, {Step::Hear, 5000, {}}}
            + lacking(3, 5100, 7200) + shooter(1, 2, 10, 0, 1000, 7300))
        << QStringList{"1.1", "1.2", "1.3"} << QStringList{"page lost"} << int(State::Fresh) << -1;
    // Switched off and on unseen after its shot 1, its new page's shots 2-4
    // stored as they came; deaf across the match START, it is back with
    // shot 4 just as read before, then the new page's shot 1, never read:
    // no page begun since gives shot 4 (its shots are not a machine's), so
    // it is not stored for the match.
    QTest::newRow("back with a shot read before the START on a page lost unseen: not stored")
        << (Road{start(0), shot(1, 10, 0, 1000, 1100)}
            + Road{shot(2, 20, 2000, 3500, 3600), shot(3, 30, 2000, 4000, 4100), shot(4, 40, 2000, 10000, 10100)}
            + Road{{Step::Deaf, 12000, {}}, start(20000), {Step::Hear, 40000, {}}}
            + Road{shot(4, 40, 2000, 10000, 40100), shot(4, 40, 2000, 10000, 40200), shot(4, 40, 2000, 10000, 43100)}
            + twice(Road{shot(1, 50, 2000, 2500, 43300)}))
        << QStringList{"1.1", "1.2", "1.3", "1.4"} << QStringList{"missed"} << int(State::Other) << -1;
    QTest::newRow("back from a silence with its page")
        << (Road{start(0)} + shooter(1, 2, 10, 0, 1000) + Road{{Step::Deaf, 2500, {}}, {Step::Hear, 4000, {}}}
            + Road{shot(2, 10, 0, 2000, 4100)} + shooter(3, 3, 10, 0, 5000))
        << QStringList{"1.1", "1.2", "1.3"} << QStringList{} << int(State::Taken) << -1;

    // Rapid fire, windows 10 s apart: nothing in window 2; window 3's START
    // missed deaf, a shot 1.5 s after it on window 2's count; window 4's
    // START missed while answering.
    QTest::newRow("rapid fire: a window's shot is not stored again as the next one's")
        << (Road{start(10000)} + lacking(1, 10100, 18000)
            + Road{{Step::Deaf, 19000, {}}, start(20000), {Step::Hear, 21000, {}}}
            + lacking(1, 21100, 21400) + twice(Road{shot(1, 10, 10000, 21500, 21600)})
            + lacking(2, 21700, 28000) + Road{start(30000)}
            + twice(Road{shot(1, 10, 10000, 21500, 30100)}) + lacking(2, 30200, 31400)
            + Road{shot(2, 20, 10000, 31500, 31600)})
        << QStringList{"2.1", "3.2"} << QStringList{"missed", "missed"} << int(State::Kept) << -1;

    // Page A's five shots passed over on page B are known on page C.
    QTest::newRow("a page missed twice: the shots passed over are known")
        << (Road{start(0)} + shooter(1, 5, 10, 0, 1000) + lacking(6, 5200, 15000) + Road{start(kMatch)}
            + twice(shooter(1, 5, 10, 0, 1000, 20100)) + shooter(6, 7, 10, 0, 22000)
            + Road{start(40000)} + twice(shooter(1, 5, 10, 0, 1000, 40100))
            + twice(Road{shot(6, 10, 0, 22000, 40150), shot(7, 10, 0, 23000, 40160)})
            + lacking(8, 40200, 40500))
        << QStringList{"1.1", "1.2", "1.3", "1.4", "1.5", "2.6", "2.7"}
        << QStringList{"missed", "missed"} << int(State::Kept) << -1;

    // Deaf across the match START, it comes back with two shots that no one
    // page counted from a START can hold (the second counts from long
    // before): read as one page begun at some moment, the first was taken
    // a minute before the second, so before the START; the second may be
    // either side.
    QTest::newRow("answers no START's page fits: passed over only where their times prove it")
        << (Road{start(0)} + shooter(1, 1, 10, 0, 1000) + lacking(2, 1200, 15000)
            + Road{{Step::Deaf, 15000, {}}, start(kMatch), {Step::Hear, 21000, {}},
                   shot(1, 30, kMatch, 20500, 21100)}
            + twice(Road{shot(2, 30, -40000, 21200, 21300)}))
        << QStringList{"1.1"} << QStringList{} << int(State::Other) << -1;

    // Deaf across the first START, back with an old page's shot 1, then
    // switched off and on: "no shot 2", and the new page's shots 2 and 3,
    // each read once, the lane then deaf to the page's end. Shot 3, read more
    // than a copy's age after that "no shot", was given after it, so taken
    // after the START; shot 2 is proven by shot 3 read after it.
    QTest::newRow("a page begun unseen: a shot read once a copy's age after its lack is stored")
        << (Road{{Step::Deaf, 0, {}}, start(1000), {Step::Hear, 3000, {}}}
            + twice(Road{shot(1, 30, -250000, -1000, 3100)}) + lacking(2, 6500, 7000)
            + Road{shot(2, 40, 7500, 9000, 9100), shot(3, 50, 7500, 10500, 10600),
                   {Step::Deaf, 11000, {}}, {Step::EndPage, 20000, {}}})
        << QStringList{"1.2", "1.3"} << QStringList{"missed", "flagged"} << int(State::Other) << -1;
    // The same with shot 3 read within a copy's age of the "no shot": it may
    // copy an earlier page's answer, and waits for a second reading.
    QTest::newRow("a page begun unseen: a shot read once within a copy's age of its lack is held")
        << (Road{{Step::Deaf, 0, {}}, start(1000), {Step::Hear, 3000, {}}}
            + twice(Road{shot(1, 30, -250000, -1000, 3100)}) + lacking(2, 6500, 7000)
            + Road{shot(2, 40, 7500, 8000, 8100), shot(3, 50, 7500, 9500, 9600),
                   {Step::Deaf, 10000, {}}, {Step::EndPage, 20000, {}}})
        << QStringList{"1.2"} << QStringList{"missed", "flagged"} << int(State::Other) << -1;

    // Deaf at the match START (told silent again 1 s into the polls after
    // it); one shot at 0.5 s of either count, and nothing more: held, and
    // told once the page has been read for 10 s (a rifle page has no end
    // before the relay's). Asked for its shot again after 5 s of "no shot",
    // it still holds it.
    QTest::newRow("unheard, nothing tells: held and told")
        << (Road{{Step::Deaf, 16000, {}}, start(kMatch), {Step::Deaf, 21000, {}}, {Step::Hear, 21000, {}},
                 shot(1, 10, kMatch, 20500, 21100)}
            + lacking(2, 21200, 26200) + Road{shot(1, 10, kMatch, 20500, 26300)}
            + lacking(2, 26400, 32000))
        << QStringList{} << QStringList{"unheard"} << int(State::Judging) << -1;
    // The same, then switched off and on: the page is found lost, and the
    // shot held of it is put to the operator, who counts it.
    QTest::newRow("a page lost with a shot held: the shot is still ruled on")
        << (Road{{Step::Deaf, 16000, {}}, start(kMatch), {Step::Hear, 21000, {}},
                 shot(1, 10, kMatch, 20500, 21100)}
            + lacking(2, 21200, 22000) + Road{{Step::Deaf, 22100, {}}, {Step::Hear, 24000, {}}}
            + lacking(1, 24100, 26500) + Road{rule(26500, 1, 1)})
        << QStringList{"1.1"} << QStringList{"page lost"} << int(State::Fresh) << -1;
    // Deaf across both STARTs, counting from an hour before: shots 1 and 2
    // 0.4 s before the match START, shot 3 0.2 s after it, read together;
    // shot 4, taken after a "no shot 4", is the match's, and its own time
    // proves the target missed the START. The operator places the START
    // before shot 3: it is stored, the first two are not.
    QTest::newRow("held on both sides of the START: the operator places it")
        << (Road{{Step::Deaf, 0, {}}, start(0), start(kMatch), {Step::Hear, 21500, {}}}
            + twice(Road{shot(1, 10, -3600000, 19600, 21600), shot(2, 20, -3600000, 19600, 21700),
                         shot(3, 30, -3600000, 20200, 21800)})
            + lacking(4, 21900, 23000) + twice(Road{shot(4, 40, -3600000, 23500, 23600)})
            + Road{rule(24000, 3, 3)})
        << QStringList{"2.4", "2.3"} << QStringList{"missed"} << int(State::Kept) << -1;
    // Counting from 3 s before the match START (deaf across it, told silent
    // again 1 s after it), its shots read one after another fit the
    // sighting's page, the match's and one begun in its silence: held, and
    // told after 3 s however it answers.
    Road readOn{{Step::Deaf, 0, {}}, start(0), start(kMatch), {Step::Deaf, 21000, {}}, {Step::Hear, 21500, {}}};
    for (int n = 1; n <= 8; ++n)
        readOn << twice(Road{shot(n, 10 * n, 17000, 19600 + 300 * n, 21600 + 500 * n)});
    QTest::newRow("held while read shot after shot: told")
        << readOn << QStringList{} << QStringList{"unheard"} << int(State::Judging) << -1;
    // Polled seldom against its shooter's pace, the lane said "no shot 2"
    // once, never twice, before its shot 2; deaf across the match START, it
    // is back with match shots 28 and 29 s on the sighting's count. That
    // "no shot 2", read 4 s into the page with no later number read in the
    // 3 s before, may be a late copy only of an answer given then to a
    // poll for shot 2 or 1: the page lacked shot 2 at 1 s, whenever it
    // began, and shots 3 and 4 were taken after the match START.
    QTest::newRow("one \"no shot\" read in order bounds the page")
        << (Road{start(0), shot(1, 10, 0, 500, 1600), noShot(2, 4000), shot(2, 20, 0, 5000, 5200),
                 {Step::Deaf, 15000, {}}, start(kMatch), {Step::Hear, 29500, {}}}
            + twice(Road{shot(1, 10, 0, 500, 29600), shot(2, 20, 0, 5000, 29800), shot(3, 30, 0, 28000, 30000),
                         shot(4, 40, 0, 29000, 30200)}))
        << QStringList{"1.1", "1.2", "2.3", "2.4"} << QStringList{"missed"} << int(State::Kept) << 5;
    // So does one read just after the first START, before which the lane
    // was asked for no later shot (its page held before may have begun at
    // any moment): copied or not, it says that page lacked shot 1 at -2 s.
    // Not after a ping, or a poll for shot 3 (a program started again with
    // two shots stored): a late copy of its answer, read for the poll of
    // shot 1, says nothing of it, and shots 3 and 4 may be of a page begun
    // long before.
    const auto firstLack = [](int asked, qint64 askedMs) {
        return Road{ask(asked, askedMs), start(0), ask(1, 900), noShot(1, 1000), ask(1, 2400),
                    shot(1, 10, 0, 2000, 2500), ask(2, 5000), shot(2, 20, 0, 5000, 5200), {Step::Deaf, 15000, {}},
                    start(kMatch), {Step::Hear, 29500, {}}}
            + twice(Road{shot(1, 10, 0, 2000, 29600), shot(2, 20, 0, 5000, 29800), shot(3, 30, 0, 28000, 30000),
                         shot(4, 40, 0, 29000, 30200)});
    };
    QTest::newRow("one \"no shot 1\" read just after the first START bounds the page before it")
        << firstLack(0, -4000) << QStringList{"1.1", "1.2", "2.3", "2.4"} << QStringList{"missed"}
        << int(State::Kept) << 5;
    QTest::newRow("one \"no shot 1\" read just after a ping bounds nothing")
        << firstLack(0, -500) << QStringList{"1.1", "1.2"} << QStringList{"missed"} << int(State::Kept) << 5;
    QTest::newRow("one \"no shot 1\" read just after a poll for shot 3 bounds nothing")
        << firstLack(3, -500) << QStringList{"1.1", "1.2"} << QStringList{"missed"} << int(State::Kept) << 5;
    // Not so one read just after a later number's: deaf across the match
    // START and switched off and on meanwhile (its page counts from 17 s,
    // shot 1 at 18 s), back at 21 s, it lacks its last sighting shot, the
    // second time at 23.8 s, and is asked from shot 1; the "no shot 1" read
    // 2.3 s later may copy that "no shot 8", and says nothing of shot 1.
    QTest::newRow("a \"no shot\" read just after a later number's bounds nothing")
        << (Road{start(0)} + shooter(1, 8, 10, 0, 1000) + lacking(9, 8200, 14500)
            + Road{{Step::Deaf, 15000, {}}, start(kMatch), {Step::Hear, 21000, {}}, noShot(8, 21500),
                   noShot(8, 23800), noShot(1, 26100), shot(1, 20, 17000, 18000, 28400)}
            + lacking(2, 28700, 31700))
        << QStringList{"1.1", "1.2", "1.3", "1.4", "1.5", "1.6", "1.7", "1.8"} << QStringList{"in doubt"}
        << int(State::Judging) << 2;
    // Back with nothing read since the START, the lane is asked first for
    // its last shot read before it (its page may go on); given again as it
    // was, the page is read on after it; another shot of its number is
    // another page's, read from its first shot.
    const Road sighting{start(0), noShot(1, 300), shot(1, 10, 0, 500, 1600), noShot(2, 11000),
                        shot(2, 20, 0, 12000, 12200), {Step::Deaf, 15000, {}}, start(kMatch),
                        {Step::Hear, 28500, {}}};
    QTest::newRow("back, nothing read since the START: its last shot asked")
        << sighting << QStringList{"1.1", "1.2"} << QStringList{} << int(State::Judging) << 2;
    QTest::newRow("back, its last shot given again: read on after it")
        << (sighting + twice(Road{shot(2, 20, 0, 12000, 28600)})) << QStringList{"1.1", "1.2"}
        << QStringList{"missed"} << int(State::Kept) << 3;
    // Read a copy's age after the START, no copy of an answer before it:
    // counted at its first reading; within it, asked again.
    QTest::newRow("back, its last shot given again once: read on after it")
        << (sighting + Road{shot(2, 20, 0, 12000, 28600)}) << QStringList{"1.1", "1.2"}
        << QStringList{"missed"} << int(State::Kept) << 3;
    QTest::newRow("back at the START, its last shot given again once: asked again")
        << (sighting.mid(0, sighting.size() - 1) + Road{{Step::Hear, 20500, {}}, shot(2, 20, 0, 12000, 21000)})
        << QStringList{"1.1", "1.2"} << QStringList{} << int(State::Judging) << 2;
    QTest::newRow("back, another shot of that number: read from the first")
        << (sighting + twice(Road{shot(2, 90, 24000, 26000, 28600)})) << QStringList{"1.1", "1.2"}
        << QStringList{} << int(State::Judging) << 1;
    // Behind its shooter (a shot a second, read one in 1.4 s), deaf from
    // 14.5 s across the match START, back at 22 s with its shot 10 again:
    // the shots its pace puts before the START are jumped over, but for
    // the last two; the one jumped to taken after the START (the shooter
    // paused) has the ones jumped over read first, as does a "no shot" of it.
    Road behind{start(0), noShot(1, 300), noShot(1, 600)};
    for (int n = 1; n <= 10; ++n)
        behind << shot(n, 10 * n, 0, 1000 * n, 1400 * n);
    behind << Road{{Step::Deaf, 14500, {}}, start(kMatch), {Step::Hear, 22000, {}}}
           << twice(Road{shot(10, 100, 0, 10000, 22100)});
    const QStringList sightingTen{"1.1", "1.2", "1.3", "1.4", "1.5", "1.6", "1.7", "1.8", "1.9", "1.10"};
    QTest::newRow("back behind its shooter, its last shot given again: read on past its pace")
        << behind << sightingTen << QStringList{"missed"} << int(State::Kept) << 15;
    QTest::newRow("back behind its shooter, the shot jumped to passed over: read on after it")
        << (behind + Road{shot(15, 150, 0, 15000, 22500)}) << sightingTen << QStringList{"missed"}
        << int(State::Kept) << 16;
    QTest::newRow("back behind its shooter, the shot jumped to after the START: the ones jumped over read")
        << (behind + Road{shot(15, 150, 0, 24000, 25000)}) << (sightingTen + QStringList{"2.15"})
        << QStringList{"missed"} << int(State::Kept) << 11;
    QTest::newRow("back behind its shooter, no shot jumped to: read on after its last")
        << (behind + Road{noShot(15, 22500)}) << sightingTen << QStringList{"missed"} << int(State::Kept) << 11;
    // Not so one that kept up with him: he may have paused since.
    Road keptUp{start(0), noShot(1, 300), noShot(1, 600)};
    for (int n = 1; n <= 10; ++n)
        keptUp << shot(n, 10 * n, 0, 1000 * n, 1000 * n + 100);
    keptUp << lacking(11, 10300, 14400) + behind.mid(behind.size() - 5);
    QTest::newRow("back, kept up with its shooter, its last shot given again: read on after it")
        << keptUp << sightingTen << QStringList{"missed"} << int(State::Kept) << 11;
    // Counting from 15 min before the sighting, deaf across the match START
    // (the page begun in that silence put out by its shot 3 read back
    // twice), and again from 23 s to 24.5 s, switched off and on in it (its
    // new shot 1 at 24.3 s). Asked for shot 3 again as it is back, a late
    // copy gives it, the new page lacks it: taken back as a copy, the page
    // begun in the first silence fits again, and its shot 1 may be older
    // than the START.
    Road takenBack{{Step::Deaf, 0, {}}, start(0), {Step::Hear, 1000, {}}};
    for (int n = 1; n <= 3; ++n)
        takenBack << noShot(n, n * 1000 + 800) << twice(Road{shot(n, 10 * n, -900000, n * 1000, n * 1000 + 1100)});
    QTest::newRow("an answer taken back brings back the pages it put out")
        << (takenBack + lacking(4, 4300, 17900)
            + Road{{Step::Deaf, 19000, {}}, start(kMatch), {Step::Hear, 21000, {}}, shot(3, 30, -900000, 3000, 21100),
                   shot(3, 30, -900000, 3000, 21200)}
            + lacking(4, 21300, 22000)
            + Road{{Step::Deaf, 23000, {}}, {Step::Hear, 24500, {}}, shot(3, 30, -900000, 3000, 24600),
                   noShot(3, 24650), noShot(3, 24800), noShot(3, 24900), shot(1, 50, 24000, 24300, 25300)}
            + lacking(2, 25400, 26000))
        << QStringList{} << QStringList{"missed", "missed"} << int(State::Judging) << 2;
    // A rig back 1.5 s after the START: its new page gives that shot (3 s
    // on its count) again, to the byte, by the time it is asked for.
    QTest::newRow("back, a rig's new page gives that shot again: read from the first")
        << (Road{start(0), shot(1, 10, 0, 500, 600), shot(2, 20, 0, 3000, 3100), {Step::Deaf, 15000, {}},
                 start(kMatch), {Step::Hear, 21500, {}}}
            + twice(Road{shot(2, 20, kMatch, 23000, 23100)}))
        << QStringList{"1.1", "1.2"} << QStringList{} << int(State::Judging) << 1;
    // Deaf across the match START too briefly to be told silent, it gives
    // its shot 1 as before: its last shot read before the START is asked.
    QTest::newRow("missed the START unseen, its shot 1 again: its last shot asked")
        << (Road{start(0)} + shooter(1, 3, 10, 0, 10000) + lacking(4, 12200, 19900) + Road{start(kMatch)}
            + twice(Road{shot(1, 10, 0, 10000, 22000)}))
        << QStringList{"1.1", "1.2", "1.3"} << QStringList{"missed"} << int(State::Kept) << 3;
    // The same, shot 1 taken 0.5 s into the sighting (a match page may
    // hold it), shot 3 at 12 s (none can for a while yet).
    QTest::newRow("missed the START unseen, a shot of either page again: its last shot asked")
        << (Road{start(0), noShot(1, 300), shot(1, 10, 0, 500, 600), shot(2, 20, 0, 6000, 6100),
                 shot(3, 30, 0, 12000, 12100)}
            + lacking(4, 12200, 19900) + Road{start(kMatch)} + twice(Road{shot(1, 10, 0, 500, 21000)}))
        << QStringList{"1.1", "1.2", "1.3"} << QStringList{} << int(State::Judging) << 3;
    // Heard around a START it missed: shot 1 (2 s on the count of the
    // START before) is read 50 ms after it, older than the START, and asked
    // again; read again 0.7 s later, when the START is 0.7 s old, what the
    // first reading proved stands: the shot is not this START's.
    QTest::newRow("an answer older than the START asked again: its proof stands")
        << (Road{start(7500)} + lacking(1, 7600, 9300)
            + Road{start(10000), shot(1, 10, 7500, 9500, 10050), shot(1, 10, 7500, 9500, 10700)}
            + lacking(2, 10800, 12000))
        << QStringList{} << QStringList{"missed"} << int(State::Kept) << -1;
    // Took START 1 (shot 1 at 2.2 s), deaf across START 2 at 10.75 s. Back,
    // its shot 2 (13.1 s on its count) is older than START 2, asked again,
    // and given again after a second silence: read as now, it puts out the
    // page begun in that silence, and START 1's page puts it after START 2.
    QTest::newRow("an older answer confirmed across a silence puts out the page begun in it")
        << (Road{start(0)} + lacking(1, 100, 2100) + Road{shot(1, 10, 0, 2200, 2300)} + lacking(2, 2400, 10600)
            + Road{{Step::Deaf, 10700, {}}, start(10750), {Step::Hear, 12700, {}}}
            + twice(Road{shot(1, 10, 0, 2200, 12700)})
            + Road{shot(2, 20, 0, 13100, 13130), {Step::Deaf, 14300, {}}, {Step::Hear, 15550, {}},
                   shot(2, 20, 0, 13100, 15550)})
        << QStringList{"1.1", "2.2"} << QStringList{"missed"} << int(State::Kept) << -1;
    // Took the START, answered "no shot 1", switched off and on from 3 s to
    // 6 s: its shot 1, 3 s on the new count, is stored, and it is not told
    // that it missed the START.
    QTest::newRow("switched off and on after the START: not told it missed it")
        << (Road{start(0)} + lacking(1, 100, 3000) + Road{{Step::Deaf, 3000, {}}, {Step::Hear, 6000, {}}}
            + lacking(1, 6100, 7000) + Road{shot(1, 10, 5000, 8000, 8100)})
        << QStringList{"1.1"} << QStringList{} << int(State::Kept) << -1;
    // A rig misses the match START while it answers "no shot 1", and fires
    // forty shots 40 ms apart from 20.5 s on its sighting page (or on one
    // begun at any moment before). Shot 1 was taken after the "no shot 1"
    // read at 20.3 s (confirmed by the next), given up to a second before; a
    // tenth of the count between two shots proves nothing, but shot 24 on
    // (21.4 s on its count, shot 1 at 20.5 s) lies over 0.7 s after shot 1,
    // so after the START.
    Road rig = Road{start(0)} + lacking(1, 100, 19900) + Road{start(kMatch)} + lacking(1, 20100, 20400);
    QStringList rigStored;
    for (int n = 1; n <= 40; ++n) {
        rig << twice(Road{shot(n, 10 + n, 0, 20460 + 40 * n, 21050 + 50 * n)});
        if (n >= 24)
            rigStored << QStringLiteral("2.%1").arg(n);
    }
    QTest::newRow("a rig's shots a tenth apart: the later ones proven by their count")
        << rig << rigStored << QStringList{"missed"} << int(State::Kept) << -1;
    // Took the match START, then silent from 19.5 s to 21.5 s (noticed at
    // 20.5 s): switched off and on there, its page may have begun after its
    // last answer, at 19.4 s, so shot 1 (0.5 s on its count) may be older
    // than the START; shots 2 and 3 (2.5 s, 4.5 s) cannot be. They are
    // stored as they come; shot 1 waits for the operator, who counts it: it
    // takes its place before them. Held over 3 s, it is told.
    QTest::newRow("silent across a start taken: only the first shot waits")
        << (Road{start(0)} + shooter(1, 3, 10, 0, 1000) + lacking(4, 3200, 19400)
            + Road{start(kMatch), {Step::Deaf, 20500, {}}, {Step::Hear, 21500, {}},
                   shot(1, 30, kMatch, 20500, 21600)}
            + shooter(2, 3, 30, kMatch, 22500) + lacking(4, 24700, 25000)
            + Road{rule(25000, 1, 1)})
        << QStringList{"1.1", "1.2", "1.3", "2.2", "2.3", "2.1"} << QStringList{"unheard"}
        << int(State::Judging) << -1;
    // Answered "no shot 1" 0.3 s and 0.6 s after the START, then silent:
    // its page may have begun in the silence, its shot 1 is held, and it is
    // not told it did not answer when the START went out.
    QTest::newRow("silent after answering the START: in doubt, not unheard")
        << (Road{start(0)} + shooter(1, 1, 10, 0, 1000) + lacking(2, 1200, 19900)
            + Road{start(kMatch), noShot(1, 20300), noShot(1, 20600), {Step::Deaf, 22000, {}},
                   {Step::Hear, 24000, {}}, shot(1, 30, kMatch, 20100, 24100)}
            + lacking(2, 24200, 27500))
        << QStringList{"1.1"} << QStringList{"in doubt"} << int(State::Judging) << -1;
    // Silent across START 2, which it took (told so again 1 s after it), it
    // gives a shot 1 just like its old one (a rig: the same point 0.3 s on
    // its count; held: a page kept, or begun in the silence) and then a new
    // shot 2, stored: it is never told it gave no new shot.
    QTest::newRow("an old shot again, then a new one stored: no word of no new shot")
        << (Road{start(0), shot(1, 10, 0, 300, 400)} + lacking(2, 500, 8000)
            + Road{{Step::Deaf, 9000, {}}, start(10000), {Step::Deaf, 11000, {}}, {Step::Hear, 11000, {}}}
            + twice(Road{shot(1, 10, 10000, 10300, 11100)}) + lacking(2, 11200, 11400)
            + Road{shot(2, 20, 10000, 11000, 11600)} + lacking(3, 11700, 14500)
            + Road{{Step::EndPage, 14500, {}}})
        << QStringList{"1.1", "2.2"} << QStringList{"unheard", "flagged"} << int(State::Judging) << -1;
    // Switched off and on at 13.5 s, between the sighting's reading and the
    // match, it shoots five shots on a page no START began (the fifth 1.7 s
    // before the match START, which it misses), and a sixth 0.5 s after it.
    // Read one a second from 20.1 s, the five each fit the START by their
    // own times and are stored as they come; shot 6's own time (7 s, read
    // 4.2 s after the START) proves that the target did not take it, and
    // that shots 1 and 2 (6.7 s and 5.7 s before it) are older than the
    // START: they are withdrawn. Nothing places shots 3 to 6 on either side
    // of it: the three stored on the guess are held again, with the sixth.
    QTest::newRow("missed start, a page begun unseen: shots stored on a guess are held again")
        << (Road{start(0)} + lacking(1, 100, 13000) + Road{start(kMatch)}
            + Road{shot(1, 10, 13500, 13800, 20100), shot(2, 10, 13500, 14800, 21100),
                   shot(3, 10, 13500, 15800, 22100), shot(4, 10, 13500, 16800, 23100),
                   shot(5, 10, 13500, 18300, 24100)}
            + twice(Road{shot(6, 10, 13500, 20500, 24200)}) + lacking(7, 24300, 25000))
        << QStringList{} << QStringList{"withdrawn"} << int(State::Other) << -1;
    // Took the START, deaf from 1.5 s to 14 s; the two "no shot 1" answers
    // as it is back may copy the ping's. Shot 1 (11.5 s on its count) is
    // stored; switched off and on between two polls at 15.3 s, its new
    // page's shot 2 (4.1 s on its count) runs against shot 1 on any page,
    // with them or without: they are forgotten as copies. A late "no shot
    // 2" takes that shot 2 back; what is left fits this START's page.
    QTest::newRow("no page fits with the answers as it is back: they are forgotten")
        << (Road{start(0), noShot(1, 300), noShot(1, 600), {Step::Deaf, 1500, {}}, {Step::Hear, 14000, {}},
                 noShot(1, 14100), noShot(1, 14600), shot(1, 10, 0, 11500, 15500)}
            + lacking(2, 15700, 19000) + Road{shot(2, 30, 15300, 19400, 19500), noShot(2, 19550)})
        << QStringList{"1.1"} << QStringList{} << int(State::Judging) << 2;
    // Window 1's reading stopped at 7.9 s; its shot 1 (taken at 8 s) was
    // never read. Window 2's START taken at 10 s, the line brings that
    // shot back 0.1 s after it, where the poll for the new shot 1 is
    // answered: older than the START, it is asked for again, and the
    // target's answers ("no shot 1", then its own shot 1) show it took it.
    QTest::newRow("a late copy of a shot older than the START, once: asked again")
        << (Road{start(0)} + lacking(1, 100, 7900)
            + Road{start(10000), shot(1, 10, 0, 8000, 10100)} + lacking(1, 10200, 11400)
            + Road{shot(1, 20, 10000, 11500, 11600)} + lacking(2, 11700, 12000))
        << QStringList{"2.1"} << QStringList{} << int(State::Taken) << -1;
    // A pistol series' end: a lane that answered only with shots like its
    // earlier page's, at own times this START can hold too, and never
    // lacked them: it may have missed the START or shot alike; held, and
    // told at the page's end that it gave no new shot (nothing but the
    // earlier page's shots, to the last byte), not that its shots cannot
    // tell, nor that it missed the START.
    QTest::newRow("shots like the earlier page's that this START can hold: no new shot")
        << (Road{start(0), shot(1, 10, 0, 300, 400), shot(2, 20, 0, 500, 600)}
            + lacking(3, 700, 8000) + Road{start(10000)}
            + twice(Road{shot(1, 10, 0, 300, 10100), shot(2, 20, 0, 500, 10110)})
            + lacking(3, 10200, 12000) + Road{{Step::EndPage, 12000, {}}})
        << QStringList{"1.1", "1.2"} << QStringList{"no new shots"} << int(State::Judging) << -1;
    // A pistol break: the lane last answered at 8 s, was switched off and
    // on at 57 s (called silent at 58 s, and again 1 s into the polls
    // after the START) and is deaf at the START at 60 s; back at 65 s, its
    // shot 1 (2.5 s on the count begun at 57 s) was taken before the START.
    // Its page may have begun at any moment since its last answer: the shot
    // cannot be this START's.
    const Road series1 = Road{start(0)} + shooter(1, 3, 10, 0, 1000) + lacking(4, 3200, 8000);
    QTest::newRow("pistol break: a page begun in a silence counts from the last answer")
        << (series1 + Road{{Step::Deaf, 58000, {}}, start(60000), {Step::Deaf, 61000, {}}, {Step::Hear, 65000, {}},
                   shot(1, 20, 57000, 59500, 65100)}
            + lacking(2, 65200, 70000) + Road{{Step::EndPage, 70000, {}}})
        << QStringList{"1.1", "1.2", "1.3"} << QStringList{"unheard", "flagged"} << int(State::Judging) << -1;
    // The same lane silent from 8 s, and nothing polled in the break: it
    // answers the first poll after the START (0.2 s), its shot 1 held (it
    // may have been switched off and on just before the START). It was
    // heard once asked: not told it did not answer at the START.
    QTest::newRow("pistol break without polls: a lane heard once asked is not unheard")
        << (series1 + Road{{Step::Deaf, 9000, {}}, start(60000), {Step::Hear, 60200, {}}}
            + Road{shot(1, 20, 60000, 60300, 60400)} + lacking(2, 60500, 64000))
        << QStringList{"1.1", "1.2", "1.3"} << QStringList{"in doubt"} << int(State::Judging) << -1;
    // Off at the START at 10 s, on at 12.99 s, heard at 13 s, its new shot 1
    // taken at 13.05 s (0.0 s on its count) is held: shown up to the end of
    // the tenth its own time leaves it, past the moment it was heard.
    QTest::newRow("a shot in its page's first tenth: shown to that tenth's end")
        << (Road{start(0)} + shooter(1, 1, 10, 0, 1000) + lacking(2, 1200, 8000)
            + Road{{Step::Deaf, 9000, {}}, start(10000), {Step::Hear, 13000, {}}, shot(1, 20, 12990, 13050, 13100)})
        << QStringList{"1.1"} << QStringList{} << int(State::Judging) << -1;
    // Deaf across the START, counting from an hour before: shot 1 is held.
    // Lacking shot 2 for 5 s, it is asked for shot 1 again; two "no shot 2"
    // read meanwhile (to polls before) put shot 2 after 25.3 s, and shot 2,
    // 5.0 s after shot 1 on its count, puts shot 1 after the START.
    QTest::newRow("a \"no shot\" read while the page is asked about again is kept")
        << (Road{{Step::Deaf, 16000, {}}, start(kMatch), {Step::Hear, 21000, {}}}
            + twice(Road{shot(1, 10, -3600000, 20600, 21100)}) + lacking(2, 21200, 26200)
            + Road{noShot(2, 26300), noShot(2, 26400), shot(1, 10, -3600000, 20600, 26500),
                   shot(2, 20, -3600000, 25600, 26600)})
        << QStringList{"1.1", "1.2"} << QStringList{"missed"} << int(State::Kept) << -1;
    // Deaf across both STARTs, counting from an hour before: shots 1 and 2
    // read together are held; the operator counts from shot 2. Shot 3, read
    // next, is of the same page: counted with it, and kept when shot 4 (read
    // 0.1 s after it was taken, 3.9 s on from shot 3) proves shot 3 older
    // than the START: the ruling is the operator's.
    QTest::newRow("ruled: the page's later shots are counted, and stay")
        << (Road{{Step::Deaf, 0, {}}, start(0), start(kMatch), {Step::Hear, 21500, {}}}
            + twice(Road{shot(1, 10, -3600000, 17000, 21600), shot(2, 20, -3600000, 17500, 21700)})
            + Road{rule(21800, 2, 2)} + twice(Road{shot(3, 30, -3600000, 18000, 21900)})
            + twice(Road{shot(4, 40, -3600000, 21950, 22050)}) + lacking(5, 22100, 23000))
        << QStringList{"2.2", "2.3", "2.4"} << QStringList{"missed"} << int(State::Kept) << -1;
    // Deaf across both STARTs on a page begun an hour before; "no shot 1"
    // read at 20.901 s (given from 19.901 s on), then shots 1 and 2, two
    // tenths apart on its count: shot 2 lies at least 0.098 s after shot 1
    // (0.1 s on a clock 2 % fast), so from 19.999 s: it may be 1 ms older
    // than the START, and is held with shot 1.
    QTest::newRow("a shot the answers leave 1 ms before the START is held")
        << (Road{{Step::Deaf, 0, {}}, start(0), start(kMatch), {Step::Hear, 20800, {}}, noShot(1, 20901),
                 noShot(1, 21001)}
            + twice(Road{shot(1, 10, -3600000, 21000, 21100), shot(2, 20, -3600000, 21200, 21300)}))
        << QStringList{} << QStringList{"missed"} << int(State::Kept) << -1;
    // The same page: shot 2 (5.2 s on from shot 1 by its count, so 5 s at
    // least) is read at 23.85 s, so shot 1 was taken by 19.05 s, 0.05 s
    // after the earliest moment the START can have gone out (a second
    // before it was read): held with shot 2, and the operator places the
    // START between them.
    QTest::newRow("a shot that may be 50 ms after the START went out is held")
        << (Road{{Step::Deaf, 0, {}}, start(0), start(kMatch), {Step::Hear, 23700, {}}}
            + twice(Road{shot(1, 10, -3600000, 18500, 23750), shot(2, 20, -3600000, 23700, 23850)})
            + Road{rule(24000, 2, 2)})
        << QStringList{"2.2"} << QStringList{"missed"} << int(State::Kept) << -1;
    // A late copy of "no shot 2" (given at 1.95 s) comes after shot 2 was
    // stored: the lane is asked for shot 2 again, and gives it; it is not
    // stored twice.
    QTest::newRow("a \"no shot\" for a shot stored: asked for again, not stored twice")
        << (Road{start(0)} + shooter(1, 2, 10, 0, 1000) + Road{noShot(2, 2200), shot(2, 10, 0, 2000, 2300)}
            + lacking(3, 2400, 4000))
        << QStringList{"1.1", "1.2"} << QStringList{} << int(State::Taken) << -1;
    // Stored at 0.4 s, shot 1 is asked for again after 5 s of "no shot 2"
    // and read at 5.6 s, 0.4 s before the START. A rig takes the START and
    // puts its shot 1 just where it did (after "no shot 1" twice): read at
    // 6.4, 6.6 and 6.8 s, the first two may be late copies of the answer of
    // 5.6 s, the third in a row is not. The window ends at 8 s.
    QTest::newRow("a shot like one read just before the START counts at its third reading")
        << (Road{start(0), shot(1, 10, 0, 300, 400)} + lacking(2, 500, 5500)
            + Road{shot(1, 10, 0, 300, 5600), start(6000), noShot(1, 6100), noShot(1, 6200)}
            + Road{shot(1, 10, 6000, 6300, 6400), shot(1, 10, 6000, 6300, 6600), shot(1, 10, 6000, 6300, 6800)}
            + lacking(2, 6900, 8000) + Road{{Step::EndPage, 8000, {}}})
        << QStringList{"1.1", "2.1"} << QStringList{} << int(State::New) << -1;
    // Shot 1 (3 s on its count) stored at 3.1 s is asked for again after
    // 5 s of "no shot 2" and read at 8.6 s. The lane takes the START at 9 s:
    // two late copies of that answer come at 9.1 and 9.2 s, then its own
    // "no shot 1" and its new shot 1. Two copies in a row prove nothing: it
    // is not told it missed the START.
    QTest::newRow("two late copies of a shot read just before the START: no word")
        << (Road{start(0), shot(1, 10, 0, 3000, 3100)} + lacking(2, 3200, 8500)
            + Road{shot(1, 10, 0, 3000, 8600), start(9000), shot(1, 10, 0, 3000, 9100), shot(1, 10, 0, 3000, 9200)}
            + lacking(1, 9300, 10000) + Road{shot(1, 20, 9000, 10000, 10100)}
            + lacking(2, 10200, 12000) + Road{{Step::EndPage, 12000, {}}})
        << QStringList{"1.1", "2.1"} << QStringList{} << int(State::Taken) << -1;
    // Shots 1-3 of START 1's page; START 2 missed though heard (they are
    // given again), deaf from 12 s across START 3 at 20 s. Back at 30 s it
    // gives shots 1 and 2 again: held (START 1's page, this START's or one
    // begun in the silence). Switched off at 30.5 s, back at 40 s with an
    // empty page: "no shot 3" (the page asked about held a shot 3), then
    // "no shot 2" over 2 s: the page is lost. Its held shots are shown
    // taken when they were, at 1 and 2 s.
    QTest::newRow("a page lost with shots held: they are shown at the moments its own answers leave")
        << (Road{start(0)} + shooter(1, 3, 10, 0, 1000) + lacking(4, 3200, 5000) + Road{start(10000)}
            + twice(shooter(1, 3, 10, 0, 1000, 10100)) + lacking(4, 10300, 12000)
            + Road{{Step::Deaf, 12000, {}}, start(20000), {Step::Hear, 30000, {}}}
            + twice(shooter(1, 2, 10, 0, 1000, 30100))
            + Road{{Step::Deaf, 30500, {}}, {Step::Hear, 40000, {}}, noShot(3, 40100), noShot(3, 40200)}
            + lacking(2, 40300, 42500))
        << QStringList{"1.1", "1.2", "1.3"} << QStringList{"missed", "page lost"} << int(State::Fresh) << -1;
    // Shot 1 (18.8 s) is read at 18.9 s and again at 24.1 s, asked for its
    // last shot after 5 s of "no shot 2"; asked again at 29.2 s, it gives
    // shot 1 once more, but that answer is lost on the line. The re-shoot's
    // START at 29.5 s, 5.4 s after shot 1 was last read; at 29.6 s a late
    // copy of the answer of 29.2 s comes in: asked again, "no shot 1". Its
    // new shot 1 at 35 s is the re-shoot's only one.
    QTest::newRow("a copy of a shot read long before an own START, given just before it: asked again")
        << (Road{start(0), shot(1, 10, 0, 18800, 18900)} + lacking(2, 19000, 24000)
            + Road{shot(1, 10, 0, 18800, 24100)} + lacking(2, 24200, 29200)
            + Road{{Step::OwnStart, 29500, {}}, shot(1, 10, 0, 18800, 29600)} + lacking(1, 29700, 34900)
            + Road{shot(1, 20, 29500, 35000, 35100)} + lacking(2, 35200, 36000))
        << QStringList{"1.1", "2.1"} << QStringList{} << int(State::Fresh) << -1;
    // Deaf from 0.5 s, its shot 1 (3 s) never read; heard at 13.5 s, its
    // own START at 13.6 s. Two late copies of the answer it gave just before
    // come at 14.0 and 14.4 s: no shot of a page begun at 13.6 s is that
    // old, and both may be copies: asked again. Its re-shoot's shots 1 and 2
    // (14.3 and 14.7 s) follow, and shot 1 is given again.
    QTest::newRow("two copies of an unread shot given just before an own START: asked again")
        << (Road{start(0), {Step::Deaf, 500, {}}, {Step::Hear, 13500, {}}, {Step::OwnStart, 13600, {}},
                 shot(1, 10, 0, 3000, 14000), shot(1, 10, 0, 3000, 14400), shot(1, 20, 13600, 14300, 14800),
                 shot(2, 30, 13600, 14700, 15200)}
            + twice(Road{shot(1, 20, 13600, 14300, 15600)}) + lacking(3, 15800, 16500))
        << QStringList{"2.1", "2.2"} << QStringList{} << int(State::Fresh) << -1;
    // Switched off and on at 4-5 s, after its shot 3: "no shot 4" from its
    // new page until its last shot is asked for again, "no shot 3" once,
    // then deaf from 9.7 s across the match START at 12 s, told silent
    // before or after it, back at 20 s. Its new page's shots were taken at
    // 6, 7 and 9.8 s, before the START, and at 14 and 15 s: none stored.
    const auto silentAround = [](const Step &start, qint64 toldSilentMs) {
        const Step silent{Step::Deaf, toldSilentMs, {}};
        return toldSilentMs < start.atMs ? Road{silent, start} : Road{start, silent};
    };
    const auto offOnWhileChecked = [&silentAround](qint64 toldSilentMs) {
        return Road{start(0)} + shooter(1, 3, 10, 0, 1000) + lacking(4, 3200, 9500)
            + Road{noShot(3, 9600)} + silentAround(start(12000), toldSilentMs) + Road{{Step::Hear, 20000, {}}}
            + twice(Road{shot(3, 33, 5000, 9800, 20100)})
            + twice(Road{shot(1, 31, 5000, 6000, 20300), shot(2, 32, 5000, 7000, 20500),
                         shot(4, 34, 5000, 14000, 20700), shot(5, 35, 5000, 15000, 20900)})
            + lacking(6, 21100, 22000);
    };
    QTest::newRow("switched off and on while its last shot was asked again, told silent before the START")
        << offOnWhileChecked(11000) << QStringList{"1.1", "1.2", "1.3"} << QStringList{} << int(State::Judging) << -1;
    QTest::newRow("switched off and on while its last shot was asked again, told silent after the START")
        << offOnWhileChecked(13000) << QStringList{"1.1", "1.2", "1.3"} << QStringList{} << int(State::Judging) << -1;
    // A re-shoot's START at 10 s, then switched off and on unseen (its page
    // counts from 12.5 s); "no shot 1" until 27.8 s, silent from 27.9 s
    // across START 3 at 30 s, back at 43 s. Its shot 1 (28 s) is read
    // first: only a page begun in that silence fits it, and puts it after
    // the START: stored. Shot 2, 14.9 s later on its count and read 0.3 s
    // after it was taken, puts that page out and shot 1 before the START:
    // shot 1 is withdrawn.
    QTest::newRow("a shot proven by a page begun in a silence, withdrawn once that page falls")
        << (Road{start(0)} + lacking(1, 100, 5000)
            + Road{{Step::OwnStart, 10000, {}}} + lacking(1, 12700, 27800)
            + Road{{Step::Deaf, 28900, {}}, start(30000), {Step::Hear, 43000, {}}}
            + twice(Road{shot(1, 10, 12500, 28000, 43100)}) + twice(Road{shot(2, 20, 12500, 42900, 43200)}))
        << QStringList{} << QStringList{"missed", "withdrawn"} << int(State::Other) << -1;
    // The lane missed START 2 while heard (its shot 6, 12 s on its count,
    // proves it), was silent for 0.1 s at 14 s, and takes START 3 at 20 s:
    // a rig's shots, just like its first page's. The "no shot 1" answers
    // after the START alone put out the page it held, and it gives that
    // page's shot 1 again, read a while before: they are forgotten. The
    // page begun in the silence, which they put out too, stays out: the
    // START's page alone is left, and every shot is stored. Held for a
    // while first, its answers all just like ones read before the START,
    // the lane is told so.
    Road rig3 = Road{start(0)} + shooter(1, 5, 10, 0, 1000) + lacking(6, 5200, 9900) + Road{start(kMatch / 2)}
        + twice(shooter(1, 5, 10, 0, 1000, 10100)) + Road{shot(6, 10, 0, 12000, 12100)}
        + Road{{Step::Deaf, 14000, {}}, {Step::Hear, 14100, {}}} + lacking(7, 14200, 19900)
        + Road{start(kMatch), noShot(1, 20100), noShot(1, 20200)};
    for (int n = 1; n <= 5; ++n)
        rig3 << twice(Road{shot(n, 10, kMatch, kMatch + n * 1000, kMatch + n * 1000 + 100)});
    QTest::newRow("a page begun in a silence stays out when the \"no shot\" answers are forgotten")
        << (rig3 + lacking(6, 25200, 30000))
        << QStringList{"1.1", "1.2", "1.3", "1.4", "1.5", "2.6", "3.1", "3.2", "3.3", "3.4", "3.5"}
        << QStringList{"missed", "no new shots"} << int(State::New) << -1;
    // A rig heard through the sighting misses the match START; its shots,
    // read slowly enough that this START's page could hold them, are held.
    // Ruled "none" over 1-4, that page is out: 5-8, read before the START,
    // are passed over unasked. Shot 9 is the match's.
    Road ruledNone = Road{start(0)} + shooter(1, 8, 10, 0, 1000) + lacking(9, 8200, 19900) + Road{start(kMatch)};
    for (int n = 1; n <= 8; ++n) {
        ruledNone << twice(Road{shot(n, 10, 0, n * 1000, kMatch + 1100 * n)});
        if (n == 4)
            ruledNone << rule(24600, 0, 4);
    }
    QTest::newRow("ruled \"none\": this START's page is out, the shots read before it are not asked about")
        << (ruledNone + Road{rule(29000, 0, 0)} + lacking(9, 29100, 29400) + twice(Road{shot(9, 10, 0, 29500, 29600)}))
        << QStringList{"1.1", "1.2", "1.3", "1.4", "1.5", "1.6", "1.7", "1.8", "2.9"}
        << QStringList{"no new shots", "missed"} << int(State::Kept) << -1;
    // Shot 1 (read at 3.8 s) given again after the missed START is passed
    // over; a page begun in a silence after that bounds it by its reading.
    QTest::newRow("a page begun after a shot was read bounds it by its reading: not held")
        << (Road{start(0), shot(1, 10, 0, 3700, 3800)} + lacking(2, 3900, 19900) + Road{start(kMatch)}
            + twice(Road{shot(1, 10, 0, 3700, 20100)}) + lacking(2, 20300, 22000)
            + Road{{Step::Deaf, 22000, {}}, {Step::Hear, 24000, {}}, shot(1, 10, 0, 3700, 24100)}
            + lacking(2, 24200, 26000) + Road{rule(26100, 0, 0)})
        << QStringList{"1.1"} << QStringList{"missed"} << int(State::Kept) << -1;
    // Missed START 2 while heard: its new shot 2, read after a silence, is
    // asked for again as older than the START; it is no "no new shot".
    QTest::newRow("a new shot asked for again: no word that it gave none")
        << (Road{start(0), shot(1, 10, 0, 2000, 2100)} + lacking(2, 2200, 11900) + Road{start(12000)}
            + twice(Road{shot(1, 10, 0, 2000, 12800)})
            + Road{{Step::Deaf, 14900, {}}, {Step::Hear, 15300, {}}, shot(2, 20, 0, 14900, 15400)}
            + Road{shot(1, 10, 0, 2000, 15900)} + twice(Road{shot(1, 10, 0, 2000, 16200)})
            + Road{shot(2, 20, 0, 14900, 16300), shot(2, 20, 0, 14900, 16350)})
        << QStringList{"1.1"} << QStringList{"in doubt", "missed"} << int(State::Kept) << -1;
    // Deaf across the match START, shot 1 given again is held; switched off
    // and on, that page bounds it by its first reading (census 27808396).
    QTest::newRow("a held shot is shown taken before its answer was first read")
        << (Road{start(0), shot(1, 10, 0, 3700, 3800)} + lacking(2, 3900, 9900)
            + Road{{Step::Deaf, 10000, {}}, start(kMatch), {Step::Deaf, 21000, {}}, {Step::Hear, 30000, {}}}
            + twice(Road{shot(1, 10, 0, 3700, 30100)})
            + Road{{Step::Deaf, 30500, {}}, {Step::Hear, 45000, {}}, shot(2, 10, 35000, 40000, 45100)})
        << QStringList{"1.1"} << QStringList{"unheard"} << int(State::Judging) << -1;
}

void TestLaneStart::road()
{
    QFETCH(Road, steps);
    LaneStart lane;
    int page = 0;
    QStringList stored;
    QStringList words;
    const auto note = [&](const LaneStart::Verdict &verdict) {
        for (int number : verdict.withdraw)
            stored.removeAll(QStringLiteral("%1.%2").arg(page).arg(number));
        for (const LaneStart::Take &take : verdict.store)
            stored << QStringLiteral("%1.%2").arg(page).arg(take.shot.number);
        if (verdict.word != Word::None)
            words << wordName(verdict.word);
    };
    for (const Step &step : qAsConst(steps)) {
        switch (step.kind) {
        case Step::Start:
        case Step::OwnStart:
            lane.beginPage(step.atMs, step.kind == Step::OwnStart);
            ++page;
            break;
        case Step::Answer:
            note(lane.answer(step.shot, step.atMs));
            break;
        case Step::NoShot:
            note(lane.noShot(step.shot.number, step.atMs));
            break;
        case Step::Ask:
            lane.asked(step.shot.number, step.atMs);
            break;
        case Step::Deaf:
        case Step::Hear:
            lane.setHeard(step.kind == Step::Hear, step.atMs);
            break;
        case Step::EndPage:
            note({{}, {}, 0, false, lane.endPage()});
            break;
        case Step::Rule: {
            // The operator places the START before the held shot the step
            // names by its number (the one it counts first), or after them
            // all (none named).
            const QVector<LaneStart::Doubt> held = lane.doubts();
            const auto first = std::find_if(held.cbegin(), held.cend(), [&](const LaneStart::Doubt &d) {
                return d.shot.number == step.shot.number;
            });
            QCOMPARE(held.size(), step.shot.timeTenths);
            note(lane.rule(first == held.cend() ? LaneStart::kNone : int(first - held.cbegin())));
            break;
        }
        }
        // Whatever the road, the judgement keeps its own rules at every step,
        // and the moments it shows a held shot at hold the one it was taken
        // at (of shots alike to the last byte, one of them).
        QVERIFY2(lane.brokenInvariant().isEmpty(),
                 qPrintable(QStringLiteral("at %1 ms: %2").arg(step.atMs).arg(lane.brokenInvariant())));
        for (const LaneStart::Doubt &held : lane.doubts()) {
            const bool within = std::any_of(steps.cbegin(), &step + 1, [&](const Step &s) {
                return s.kind == Step::Answer && s.shot.number == held.shot.number && s.shot.point == held.shot.point
                    && s.shot.timeTenths == held.shot.timeTenths && s.takenMs >= held.taken.from
                    && s.takenMs <= held.taken.to;
            });
            QVERIFY2(within, qPrintable(QStringLiteral("at %1 ms: shot %2 shown taken from %3 to %4 ms")
                                            .arg(step.atMs).arg(held.shot.number)
                                            .arg(held.taken.from).arg(held.taken.to)));
        }
    }
    QTEST(stored, "stored");
    QTEST(words, "words");
    QTEST(int(lane.state()), "state");
    QFETCH(int, asks);
    if (asks >= 0) {
        int storedUpTo = 0;
        for (const QString &row : qAsConst(stored)) {
            if (row.section('.', 0, 0).toInt() == page)
                storedUpTo = std::max(storedUpTo, row.section('.', 1).toInt());
        }
        QCOMPARE(lane.lastRead(storedUpTo) + 1, asks);
    }
}

// Deaf across the match START, then back from a silence after every shot
// for an hour: each silence's page is put out by the next shot, whose own
// time is longer than the time since that silence began, and is weighed no
// more, while the page begun in the silence across the START still fits.
void TestLaneStart::flappingLaneWeighsFewAccounts()
{
    constexpr int kShots = 200;
    constexpr qint64 kMatch = 20000;
    LaneStart lane;
    lane.beginPage(0);
    lane.setHeard(false, kMatch - 500);
    lane.beginPage(kMatch);
    lane.setHeard(true, kMatch + 1000);
    int stored = 0;
    for (int n = 1; n <= kShots; ++n) {
        const qint64 taken = kMatch + n * 18000;
        const LaneShot given = shot(n, n, kMatch, taken, 0).shot;
        lane.noShot(n, taken - 1000);
        lane.noShot(n, taken - 500);
        stored += lane.answer(given, taken + 100).store.size();
        lane.setHeard(false, taken + 1200);
        lane.setHeard(true, taken + 2500);
        lane.answer(given, taken + 2600); // its last shot, asked for again
        QVERIFY2(lane.brokenInvariant().isEmpty(), qPrintable(lane.brokenInvariant()));
    }
    QCOMPARE(stored, kShots);
    QCOMPARE(int(lane.state()), int(State::Judging));
    QVERIFY2(lane.accountCount() <= 4, qPrintable(QString::number(lane.accountCount())));
}

// The moments the shots read before a silence's page began were taken by,
// kept from one weighing to the next, follow the answers: a later one read
// within those moments' span, and one taken back.
void TestLaneStart::readMomentsFollowTheAnswers()
{
    PageTrace trace;
    trace.addAnswer(shot(1, 10, 0, 1000, 1100).shot, 1100);
    QCOMPARE(trace.takenBeforeRead(0, 5000).keys(), QList<int>{1});
    trace.addAnswer(shot(2, 20, 0, 3000, 3100).shot, 3100);
    const auto spans = trace.takenBeforeRead(0, 5000);
    QCOMPARE(spans.keys(), (QList<int>{1, 2}));
    QCOMPARE(spans.value(2).to, 3100 + PageTrace::kClockSlackMs);
    trace.dropLast();
    QCOMPARE(trace.takenBeforeRead(0, 5000).keys(), QList<int>{1});
}

// A shot the database refused is asked for again, and held till then: a
// page counted as holding nothing would be reset under it.
void TestLaneStart::refusedShotIsHeldAgain()
{
    LaneStart lane;
    QCOMPARE(lane.answer(shot(1, 10, 0, 1000, 1100).shot, 1100).store.size(), 1);
    QVERIFY(!lane.holdsShots());
    lane.refused(1);
    QCOMPARE(lane.heldCount(), 1);
}

QTEST_APPLESS_MAIN(TestLaneStart)
#include "tst_lanestart.moc"
