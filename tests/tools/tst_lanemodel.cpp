// The lanes' START judgement over seeded roads of the line model (targets
// with their own clocks, a bus with its cadence and faults): every road must
// keep the model's invariants (nothing earlier stored, nothing twice, no right
// shot withdrawn or lost without a word, no proven shot left unstored, no lane
// asked in vain, no relay left open by a lane that could have its count, no
// word the truth contradicts), a lane's re-shoot among them. `lanemodel_cli
// --verbose SEED --drift D` prints a row's road (with --no-reshoots for the
// rows that play none).

#include <QtTest>

#include "lanemodel.h"

namespace {

// The roads a run plays from seed 1: the bus master's own loop and the
// judgement run several times slower under the sanitizers.
#ifdef __SANITIZE_ADDRESS__
constexpr quint64 kSeeds = 30;
constexpr quint64 kKindSeeds = 10;
#else
constexpr quint64 kSeeds = 2000;
constexpr quint64 kKindSeeds = 500;
#endif

} // namespace

class TestLaneModel : public QObject
{
    Q_OBJECT

private slots:
    void roads_data();
    void roads();
};

void TestLaneModel::roads_data()
{
    QTest::addColumn<quint64>("from");
    QTest::addColumn<quint64>("to");
    QTest::addColumn<int>("driftPermille"); // the targets' clocks, fast or slow
    // A lane re-shoots in a break now and then; the rows found before that
    // keep their roads.
    QTest::addColumn<bool>("reshoots");
    // Roads of a kind besides the ordinary mix (LaneModel::RoadKind; 0: ordinary).
    QTest::addColumn<int>("kind");

    QTest::newRow("seeds from 1") << quint64(1) << kSeeds << 20 << true << 0;
    // Precision, lane 2 deaf across the first START, its first shot 0.1 s
    // after it: stored, then withdrawn as earlier by its window's middle.
    QTest::newRow("seed 17838") << quint64(17838) << quint64(17838) << 0 << false << 0;
    // Rifle, one lane that missed the sighting START, deaf across the match
    // START; match shot 1, fired 0.3 s after it, passed over without a word.
    QTest::newRow("seed 2145") << quint64(2145) << quint64(2145) << 0 << false << 0;
    // Rapid fire, lane 1 a rig (the same point at the same moments each
    // window): told it did not take START 2, which it took.
    QTest::newRow("seed 18977") << quint64(18977) << quint64(18977) << 0 << false << 0;
    // Precision, lane 1 back from a 10-s silence; a late copy of a "no shot"
    // answers the poll for its last shot: the page taken as lost, stored twice.
    QTest::newRow("seed 10498") << quint64(10498) << quint64(10498) << 0 << false << 0;
    // Precision, lane 4 switched off and on across START 3 while silent, then
    // it misses START 4 though heard: its page begun at no START stored again.
    QTest::newRow("seed 2965") << quint64(2965) << quint64(2965) << 20 << false << 0;
    // Precision, lane 8 back from a silence; two late copies of a "no shot"
    // answer the polls for its last shot: the page it kept is not stored again.
    QTest::newRow("seed 16899") << quint64(16899) << quint64(16899) << 20 << false << 0;
    // Rifle, lane 4's last sighting shot fired in its last poll cycle, unread;
    // it misses the match START though heard: that shot stored as match shot 1.
    QTest::newRow("seed 669") << quint64(669) << quint64(669) << 0 << false << 0;
    // Rifle, lane 1's power cut inside a deafness across the match START: its
    // new page's sighting shot stored as match shot 1, kept when shot 2's own
    // time proves the page older than the START.
    QTest::newRow("seed 1113") << quint64(1113) << quint64(1113) << 0 << false << 0;
    // Rapid fire in one-shot windows, lane 2 misses STARTs 3 and 4 though
    // heard: window 2's shot stored again for window 4, window 4's own lost.
    QTest::newRow("seed 7786") << quint64(7786) << quint64(7786) << 0 << false << 0;
    // Precision, one lane that misses START 2 though heard, its clock 1% fast:
    // its first shot of series 2 withdrawn as earlier.
    QTest::newRow("seed 12077") << quint64(12077) << quint64(12077) << 20 << false << 0;
    // Rifle, lane 1 misses the match START though heard, its clock 1% fast:
    // its sighting shot stored again as a match shot.
    QTest::newRow("seed 71") << quint64(71) << quint64(71) << 20 << false << 0;
    // Rifle, lane 1 switched off and on in a silence of the sighting, which
    // began after the START it took; its one sighting shot is read only after
    // a deafness across the match START: stored as match shot 1.
    QTest::newRow("seed 219663") << quint64(219663) << quint64(219663) << 20 << false << 0;
    // Rapid fire, lane 2 back from a silence as window 1 ends; a late copy of
    // its window-1 shot is read just after START 2: told it missed START 2.
    QTest::newRow("seed 466320") << quint64(466320) << quint64(466320) << 20 << false << 0;
    // Rapid fire, lane 4 a rig that misses START 5 though heard: two late
    // copies of its "no shot 2" answer the polls for shot 1, and window 4's
    // shot 1 is stored again as window 5's.
    QTest::newRow("seed 646050") << quint64(646050) << quint64(646050) << 20 << false << 0;
    // Rapid fire, lane 2 switched off and on between two polls: never
    // silent, it lacks shot 3 to the window's end; the shots of its new page
    // are lost without a word.
    QTest::newRow("seed 255425") << quint64(255425) << quint64(255425) << 20 << false << 0;
    // Precision, lane 6 with late copies: its page wrongly taken for lost
    // twice; the second time its shot 1 is stored again.
    QTest::newRow("seed 365412") << quint64(365412) << quint64(365412) << 20 << false << 0;
    // Precision, lane 4 a rig: its page wrongly taken for lost, then START 3
    // missed though heard: series 2's shots stored again as series 3's.
    QTest::newRow("seed 384746") << quint64(384746) << quint64(384746) << 20 << false << 0;
    // Rifle, lane 2 switched off and on in the sighting, its one shot 0.3 s
    // after power came back, deaf across the match START it misses: that
    // sighting shot stored as match shot 1.
    QTest::newRow("seed 1048068") << quint64(1048068) << quint64(1048068) << 20 << false << 0;
    // Rapid fire in one-shot windows, lane 4 a rig with late copies: a late
    // copy of "no shot 3" read as "no shot 2" declares its page lost.
    QTest::newRow("seed 1194017") << quint64(1194017) << quint64(1194017) << 20 << false << 0;
    // Rifle, lane 4 with late copies, asked for its sighting shot again
    // after lacking the next one for 5 s: its page taken for lost at 14.9 s.
    QTest::newRow("seed 46") << quint64(46) << quint64(46) << 20 << false << 0;
    // Rapid fire, lane 1 heard again after a short silence with its shot 4,
    // which the "no shot 3" answers read since START 5 prove after it: the
    // answer is dropped while its page is checked, and the lane goes deaf.
    QTest::newRow("seed 9312") << quint64(9312) << quint64(9312) << 20 << false << 0;
    // One-shot windows read until the next START is confirmed: lane 1's
    // shot 2 of window 2, read in the millisecond of START 3's
    // confirmation, was taken for one of window 3's page, so at START 4
    // (missed) no account of window 3 was left and its shot 1, read again,
    // was stored a second time.
    QTest::newRow("seed 14033") << quint64(14033) << quint64(14033) << 20 << false << 0;
    // A rig: lane 3, switched off and on in series 2, comes back with a
    // first shot just like the one it is asked for again; series 2's shot
    // 3, read in series 3 after a silence across its START, was stored.
    QTest::newRow("seed 451933") << quint64(451933) << quint64(451933) << 20 << false << 0;
    // Lane 6, silent through window 2, heard again just before START 3,
    // which it misses: its window-1 shot, never read, fits START 3 by its
    // own time; taken to have started, the lane stored it.
    QTest::newRow("seed 575760") << quint64(575760) << quint64(575760) << 20 << false << 0;
    // A rig on lane 4, switched off and on between the sighting and the
    // match while not polled, misses the match START: its first three
    // shots, put before it by the sighting's page, were passed over for
    // good, though the next answers proved that page was not the one.
    QTest::newRow("seed 481405") << quint64(481405) << quint64(481405) << 20 << false << 0;
    // Lane 2 shoots one point; switched off and on, its page is lost, and
    // its new shot 1 matches the old page's to the tenth: taken for the
    // old one, it was not stored, though "no shot 1" came between.
    QTest::newRow("seed 537872") << quint64(537872) << quint64(537872) << 20 << false << 0;
    // Lane 1, heard again while its page is asked for shot 2 again: the
    // "no shot 3" read then, which proves its shot 3 after START 6, was
    // dropped with the other answers to earlier polls.
    QTest::newRow("seed 867501") << quint64(867501) << quint64(867501) << 20 << false << 0;
    // Rapid fire in one-shot windows, lane 1 deaf across START 7 after a
    // miss of START 5: a "no shot 3" read after START 7 went out, before it
    // was confirmed, was judged on window 6's page (a shot stored twice,
    // one lost). The exercise stops reading a window at its grace time's
    // end, before the next START goes out.
    QTest::newRow("seed 3147607") << quint64(3147607) << quint64(3147607) << 20 << false << 0;
    // Rapid fire in one-shot windows, lane 2 a rig that misses START 3
    // though heard: window 2's first shot was stored for window 3 and the
    // right second shot lost without a word, read across the START.
    QTest::newRow("seed 3194115") << quint64(3194115) << quint64(3194115) << 20 << false << 0;
    // Rifle, lane 1 a rig switched off and on unpolled between the
    // sighting and the match, deaf across the match START: its 7 shots,
    // held, are the operator's to rule on once they make its count.
    QTest::newRow("seed 3348648") << quint64(3348648) << quint64(3348648) << 20 << false << 0;
    // Rapid fire, lane 2 missing START 5 and silent for a moment after its
    // shot 2: a page begun in that silence must read the shot as it was
    // read last, not at its first reading, or it fits without it.
    QTest::newRow("seed 4517026") << quint64(4517026) << quint64(4517026) << 20 << false << 0;
    // Precision, lane 1 switched off and on: back, it gives its new shot 1
    // for 1.5 s and goes deaf. Twice unlike the shot asked again, the page
    // is lost, and the new shot is stored at once.
    QTest::newRow("seed 5780748") << quint64(5780748) << quint64(5780748) << 20 << false << 0;
    QTest::newRow("seed 5607689") << quint64(5607689) << quint64(5607689) << 20 << false << 0;
    // Rifle, lane 1 shoots one point; switched off and on, its page is
    // proven lost by "no shot 1" answers, and its new shot 1 matches the
    // old one to the tenth: it is new, stored.
    QTest::newRow("seed 4520080") << quint64(4520080) << quint64(4520080) << 20 << false << 0;
    // Rapid fire, lane 5 gives window 1's shot again after START 2, is
    // switched off and on: back, "no shot 1" is no late copy of the answer
    // before the silence, and proves its new shot 1 after the START.
    QTest::newRow("seed 4707186") << quint64(4707186) << quint64(4707186) << 20 << false << 0;
    // Rapid fire, lane 4 switched off and on, back it says "no shot 1"
    // three times and gives another shot 1, then goes deaf: the page asked
    // about held a shot 1, so it is lost, and the new shot is stored.
    QTest::newRow("seed 3916509") << quint64(3916509) << quint64(3916509) << 20 << false << 0;
    // Rapid fire, lane 8 switched off and on between two polls: its new
    // shot 2's own time runs against the stored shot 1's. Its shot 1 is
    // asked for again, the page found lost and the new shot 1 stored.
    QTest::newRow("seed 5765414") << quint64(5765414) << quint64(5765414) << 20 << false << 0;
    // Precision, lane 3 missed START 1 from long before; two late copies of
    // "no shot 1" after its shot 1 was read once: neither counts, or shot
    // 1 is put after shot 3 and no page fits.
    QTest::newRow("seed 5829911") << quint64(5829911) << quint64(5829911) << 20 << false << 0;
    // Rifle, lane 6 a rig switched off and on unpolled between the
    // sighting and the match, heard across the match START, which it
    // misses: its shots fit the sighting's page; it is told it did not take
    // the START.
    QTest::newRow("seed 4657928") << quint64(4657928) << quint64(4657928) << 20 << false << 0;
    // Rapid fire, lane 5 deaf across START 3, which it misses: its shot 2,
    // older than the START by its own time, is read once; one late copy of
    // "no shot 2" follows, then the shot again, and the lane goes deaf. The
    // copy does not undo the first reading: the second confirms it.
    QTest::newRow("seed 7981469") << quint64(7981469) << quint64(7981469) << 20 << false << 0;
    // Rapid fire, lane 8 silent for 11 s in window 5, heard again just
    // before START 6: the page begun in that silence is listed before
    // window 5's, whose answers were dropped with the older ones; window
    // 5's shot 1, given again after START 6, was no repeat any more and was
    // stored a second time.
    QTest::newRow("seed 9771037") << quint64(9771037) << quint64(9771037) << 20 << false << 0;
    // Rapid fire, lane 2 switched off and on just after START 2, which it
    // took: back, it says "no shot 1", then gives a new shot 1 3 s after
    // the START and goes deaf. Heard again since the START, it gives no copy
    // of an answer from before: the shot is stored, not asked again.
    QTest::newRow("seed 11623782") << quint64(11623782) << quint64(11623782) << 20 << false << 0;
    // Rifle, lane 2 shoots one point, switched off and on in the match:
    // back, it says twice that it lacks shot 1, then gives a shot 1 just
    // like the old one. Its page is lost; the shot is the new page's.
    QTest::newRow("seed 11553067") << quint64(11553067) << quint64(11553067) << 20 << false << 0;
    // Rapid fire, lane 1 a rig whose every window gives the same shots:
    // once only START 4's page fits, its shot 5, just like window 3's read
    // 14 s before, is read at once; asked again, it was lost when the lane
    // was switched off.
    QTest::newRow("seed 11130358") << quint64(11130358) << quint64(11130358) << 20 << false << 0;
    // Rapid fire, lane 4 one point, heard around START 3: its shot 5 is
    // just like window 2's to the tenth; a "no shot" between its two
    // readings had it asked again each time until the lane went deaf, though
    // no page before the START fitted any more.
    QTest::newRow("seed 12496599") << quint64(12496599) << quint64(12496599) << 20 << false << 0;
    // Precision, lane 6 re-shoots its missed shots after series 1, deaf from
    // before its own START for nearly two minutes: the START goes out again
    // in its turns until the target gives it back, and the re-shoot is read
    // from then on, the next series after it.
    // Rapid fire, lane 3 missing START 1 though heard, its old shot 1
    // (older than the START) read once; switched off and on, back it says
    // "no shot 1" and gives a new shot 1. Heard again, the first "no shot"
    // is no late copy: it counts, and the new shot is stored.
    QTest::newRow("seed 15566437") << quint64(15566437) << quint64(15566437) << 20 << true << 0;
    // Precision with a re-shoot: lane 1, one point, switched off and on while
    // silent after its re-shoot's first shot; its new page's first shot is
    // just like the old one to the tenth and is taken for it. Not a page its
    // own START began: what the README says the program does not see.
    QTest::newRow("seed 15192967") << quint64(15192967) << quint64(15192967) << 20 << true << 0;
    // Precision with a re-shoot given at once: lane 1's old shot 1, read
    // just before its own START, comes again as a late copy after the START
    // was given back; it was stored as the re-shoot's first shot and the
    // page then taken for lost.
    QTest::newRow("seed 16339035") << quint64(16339035) << quint64(16339035) << 20 << true << 0;
    // The same with the old shot given last as the answer to the page's
    // check after a silence, which the lane's trace does not keep.
    QTest::newRow("seed 17387885") << quint64(17387885) << quint64(17387885) << 20 << true << 0;
    QTest::newRow("seed 63") << quint64(63) << quint64(63) << 20 << true << 0;
    // Rapid fire, lane 1 misses START 3 though heard and re-shoots its
    // missed shot as soon as window 3 is settled: its own START goes out
    // while a poll of the window's page awaits its answer; the shot fired
    // 0.1 s after it is stored for the re-shoot, nothing of the page before.
    QTest::newRow("seed 7328") << quint64(7328) << quint64(7328) << 20 << true << 0;
    // Rifle, lane 2 heard through the sighting: two late copies in a row of
    // "no shot 3", given before its shot 3, are read after it and put it
    // later than its own time allows. Deaf across the match START, its
    // sighting page fitted nothing; sighting shot 4 was stored for the match.
    QTest::newRow("seed 18393124") << quint64(18393124) << quint64(18393124) << 20 << true << 0;
    // Precision with STARTs at once, lane 6 deaf across START 3, which it
    // misses: two late copies of its "no shot 11" given before the START
    // are read as "no shot 1" after it. Nothing fitted with them; series
    // 1's shot 2 was stored for series 3 and series 3's shots held.
    QTest::newRow("seed 18680299") << quint64(18680299) << quint64(18680299) << 20 << true << 0;
    // Precision with STARTs at once, lane 3 a rig that missed START 2 and
    // misses START 3 though heard: two late copies of its "no shot 11" read
    // as "no shot 1" after START 3 passed it for a lane that took it, and
    // its page's shots 1-5, read 48 s before, were stored for series 3.
    QTest::newRow("seed 20359594") << quint64(20359594) << quint64(20359594) << 20 << true << 0;
    // Rapid fire, lane 6 back from a silence just before START 6, which it
    // takes: two late copies of its old shot 1, given as the check's
    // answer, came after the START and made it "did not take the START".
    QTest::newRow("seed 22349460") << quint64(22349460) << quint64(22349460) << 20 << true << 0;
    // Precision, lane 1 a rig that missed START 3 though heard and takes
    // START 4. Its true "no shot 1" answers were forgotten, which let back a
    // page begun in a 23-ms silence that nothing then put out.
    QTest::newRow("seed 22187843") << quint64(22187843) << quint64(22187843) << 20 << true << 0;
    // Precision with a re-shoot, lane 4 switched off and on after its own
    // START, then deaf across STARTs 3 and 4: back, its series-2 shot 1 was
    // proven after START 4 by a page begun in its silence, and stayed
    // stored once its later shots put that page out.
    QTest::newRow("seed 25201021") << quint64(25201021) << quint64(25201021) << 20 << true << 0;
    // Precision with STARTs at once, lane 5 missed START 1 deaf and START
    // 2 though heard, deaf across START 3; back, it gives shots 1 and 2
    // again (held) and loses power: its "no shot 3" then put out the page
    // that gave them, and the ruling was given shot 1 as taken from 58 s
    // on, not at 3.6 s.
    QTest::newRow("seed 16022") << quint64(16022) << quint64(16022) << 20 << true << 0;
    // Precision, lane 2 re-shoots at once after series 2: its old shot 1,
    // read last 5 s before its own START, was given again to the poll just
    // before it, unread; a late copy of that answer after the START was
    // stored as the re-shoot's shot 1, and the page then taken for lost.
    QTest::newRow("seed 126014") << quint64(126014) << quint64(126014) << 20 << true << 0;
    // Rapid fire, lane 2 takes START 2 and answers a poll the START
    // overtook (dropped by the bus master), then its polls go unanswered
    // and it is called silent: it was on the line after the START, and is
    // not told it did not answer when the START went out.
    QTest::newRow("seed 27548388") << quint64(27548388) << quint64(27548388) << 20 << true << 0;
    // Rifle, lane 5 switched off and on in the sighting: its new page's shot
    // 2 proves the page lost; read again from shot 1, it goes deaf after it:
    // shot 2, read and proven, was never stored.
    QTest::newRow("seed 28854402") << quint64(28854402) << quint64(28854402) << 20 << true << 0;
    // Rifle, lane 6 deaf across the match START, its sighting shot 1 held,
    // power cut: shown taken 26.5-60.6 s, its answer read at 4.3 s.
    QTest::newRow("seed 27808396") << quint64(27808396) << quint64(27808396) << 20 << true << 0;
    // Pistol, lane 9 ruled to count from its shot 2, then switched off and
    // on: the page begun in that silence was no case of the ruling.
    QTest::newRow("seed 37220") << quint64(37220) << quint64(37220) << 20 << true << 0;
    // Rapid fire, lane 10 switched off and on in window 2, never heard
    // silent, misses START 3: its page fits no START, only one begun at a
    // moment none tells. Two "no shot 2" answers read after the START prove
    // shots 2-5 after it; they were forgotten as late copies, and all five
    // passed over.
    QTest::newRow("seed 33096484") << quint64(33096484) << quint64(33096484) << 20 << true << 0;
    // Rapid fire, lane 3 switched off and on in its own re-shoot's page,
    // then deaf across START 3: the page begun in that silence was no case,
    // and its shots were shown taken seconds before they were.
    QTest::newRow("seed 31776190") << quint64(31776190) << quint64(31776190) << 20 << true << 0;
    // Rapid fire, lane 4 stored window 1's shots as they came; three late
    // copies in a row of its "no shot 4", given before shot 4, were read
    // after it, and every shot's reading and own time left room for them.
    // Deaf across START 2, back with window 1's shots again: its shot 3 is
    // shown taken 7.3-18.0 s, fired at 7.2 s, which no answer could tell.
    QTest::newRow("seed 33533063") << quint64(33533063) << quint64(33533063) << 20 << true << 0;
    // Rapid fire, lane 2 back from a silence after START 2 is asked for
    // window 1's shot 5 again and answers with its new page's shot 5; the
    // answer was dropped to be read in its turn, and the target lost power
    // before it was: a right shot the "no shot" answers proved, never stored.
    QTest::newRow("seed 34910717") << quint64(34910717) << quint64(34910717) << 20 << true << 0;
    // Rifle, lane 6 switched off and on unseen in the break, missing the
    // match START though heard, "no shot 1" after it, then deaf and back:
    // forgetting those "no shot" answers as possible late copies forgot the
    // sighting's "no shot 1" answers too, and its shots 1 and 2, right, were
    // withdrawn as the sighting page's and said wrong.
    QTest::newRow("seed 43185604") << quint64(43185604) << quint64(43185604) << 20 << true << 0;
    // Rapid fire read late across each START with late copies around it:
    // lane 5, deaf across START 2, is back with window 1's page and asked
    // for its shot 5; two late copies of the ping's "no shot" that told it
    // hears, named by that poll, said it lacked shot 5: no page fitted, and
    // window 1's shot 5 was stored for window 2.
    QTest::newRow("seed 12616, read late") << quint64(12616) << quint64(12616) << 20 << true
                                           << int(LaneModel::RoadKind::BusyCopiesAtStarts);
    // Rifle, lane 6 switched off and on in the sighting, misses the match
    // START; back from a silence with its match shot 1 stored, it says "no
    // shot 2" within a copy's age of hearing: taken for a copy, it let the
    // sighting's page fit and shot 1 was withdrawn as earlier.
    QTest::newRow("seed 34541445") << quint64(34541445) << quint64(34541445) << 20 << true << 0;
    // Behind a lost converter: rapid fire, lane 5 deaf to START 4's first
    // copy fires as it goes out, and the second copy clears that shot from
    // its page; rifle and precision, lanes 2 and 4 switched off and on
    // unasked, their new pages counting on past shots read before.
    QTest::newRow("seed 90016942") << quint64(90016942) << quint64(90016942) << 20 << true << 0;
    QTest::newRow("seed 90105451") << quint64(90105451) << quint64(90105451) << 20 << true << 0;
    QTest::newRow("seed 90444861") << quint64(90444861) << quint64(90444861) << 20 << true << 0;
    // Rapid fire, lanes 7 and 9 take a window's START and fire while their
    // converter is lost; found again in the break, each answers a ping that
    // tells nothing of its page, and misses the next START though it hears
    // it: the old shot was stored for the new window and its own shot 2
    // lost without a word.
    QTest::newRow("seed 90016899") << quint64(90016899) << quint64(90016899) << 20 << true << 0;
    QTest::newRow("seed 90129076") << quint64(90129076) << quint64(90129076) << 20 << true << 0;
    // The same, found again without a ping: lane 9 fires window 2's shot 1 unread behind
    // its lost converter, found again just before START 3, which it misses.
    QTest::newRow("seed 40122860") << quint64(40122860) << quint64(40122860) << 20 << true << 0;
    // Ten lanes, lane 6 deaf from before the sighting START: hearing again,
    // its terminal answered first; its target, unanswered since, is rightly
    // told silent at the next poll.
    QTest::newRow("seed 511 of the deaf lane") << quint64(511) << quint64(511) << 20 << true
                                               << int(LaneModel::RoadKind::DeafManyLanes);
    // Lane 9 deaf across both STARTs, the match's too briefly to be told
    // silent: its sighting page read again, each shot twice, past the STOP.
    QTest::newRow("seed 99 of the deaf lane") << quint64(99) << quint64(99) << 20 << true
                                              << int(LaneModel::RoadKind::DeafManyLanes);
    // Lane 1 a rig, every series alike to the tenth: read on after its fifth
    // shot a moment after START 3, before its new page held one; one held.
    QTest::newRow("seed 1175 read late") << quint64(1175) << quint64(1175) << 20 << true
                                         << int(LaneModel::RoadKind::BusyCopiesAtStarts);
    // Read late across each START: rapid fire, lane 2 deaf across STARTs 5
    // and 6, back after START 6 with two copies of the answer that told it
    // hears read as "no shot 1", then its old shot 1: held, and shown taken
    // only after START 6 (the page begun in a silence alone), 20 s after it
    // was. With late copies, lane 1 deaf from START 9 to 1 s before START
    // 10, the same with the copies read before START 10.
    QTest::newRow("seed 6347, read late") << quint64(6347) << quint64(6347) << 20 << true
                                          << int(LaneModel::RoadKind::BusyCopiesAtStarts);
    QTest::newRow("seed 36310, late copies") << quint64(36310) << quint64(36310) << 20 << true
                                             << int(LaneModel::RoadKind::CopiesAtStarts);
    // Rifle, one lane missing the sighting START: its shot 1, older than the
    // START by its own time, read, then late copies of "no shot 1", then
    // the shot again, which confirms the first reading; the copies bounded
    // it after the START by 0.5 s, and the sighting's shot 2 fitted no page.
    QTest::newRow("seed 15774, read late") << quint64(15774) << quint64(15774) << 20 << true
                                           << int(LaneModel::RoadKind::BusyCopiesAtStarts);
    // The same in rapid fire, with the true "no shot 1" answers read before
    // the shot still bounding it: stored.
    QTest::newRow("seed 2037, late copies") << quint64(2037) << quint64(2037) << 20 << true
                                            << int(LaneModel::RoadKind::CopiesAtStarts);
    // Rapid fire read late, lane 3 behind a lost converter across START 3,
    // heard after it: two copies of "no shot 1" read with its shot 1 of
    // START 2's page fitted no page; all the "no shot" answers of the
    // moments after hearing were forgotten, the true "no shot 2" ones too,
    // and its shot 2, proven after START 3 by them, was held.
    QTest::newRow("seed 17560, read late") << quint64(17560) << quint64(17560) << 20 << true
                                           << int(LaneModel::RoadKind::BusyCopiesAtStarts);
    // Read late, a lane deaf from before the first START (its page counts
    // from minutes before) heard after a later START: two copies of the
    // answer that told it hears read as "no shot 1" before its old shot 1,
    // held, which was shown taken only after that START.
    QTest::newRow("seed 5276, read late") << quint64(5276) << quint64(5276) << 20 << true
                                          << int(LaneModel::RoadKind::BusyCopiesAtStarts);
    QTest::newRow("seed 7297, read late") << quint64(7297) << quint64(7297) << 20 << true
                                          << int(LaneModel::RoadKind::BusyCopiesAtStarts);
    QTest::newRow("seed 16753, read late") << quint64(16753) << quint64(16753) << 20 << true
                                           << int(LaneModel::RoadKind::BusyCopiesAtStarts);
    // Rapid fire read late, lane 9 deaf across window 1, its re-shoot's
    // START taken: two late copies of its old shot 1, given just before it,
    // stored that shot for the re-shoot.
    QTest::newRow("seed 44586, read late") << quint64(44586) << quint64(44586) << 20 << true
                                           << int(LaneModel::RoadKind::BusyCopiesAtStarts);
    // Precision, lane 9's power cut while its converter was away, no START
    // after: its new page, read from shot 2 on, fitted no page at all, yet
    // "no shot 3" read after the START proved shots 3 and 4 after it: held.
    QTest::newRow("seed 40139907") << quint64(40139907) << quint64(40139907) << 20 << true << 0;
    // Rifle, lane 2 switched off and on in the sighting, its page found
    // lost, then missing the match START though it heard it: the new page's
    // shot 1, stored on the START and withdrawn when shot 2 was read again,
    // was told not proven earlier, as if that page might have begun at the
    // START. It gave an answer before the START, so it began before it.
    QTest::newRow("seed 41050964") << quint64(41050964) << quint64(41050964) << 20 << true << 0;
    // Rifle, lane 3's converter away across the match START and again for
    // 79 s after it, its target switched off and on in the second outage:
    // the bus master did not tell that silence, and the new page's "no shot
    // 5" had the sighting's shot 1, held, stored again for the match.
    QTest::newRow("seed 40431467") << quint64(40431467) << quint64(40431467) << 20 << true << 0;
    // Rifle with late copies, lane 3 a rig behind a converter found again
    // just before the match START, which it missed though heard: the ping's
    // answers, read late as "no shot 1", kept its sighting page out, and
    // the 3 sighting shots stored again were withdrawn as not proven earlier.
    QTest::newRow("seed 3312, late copies") << quint64(3312) << quint64(3312) << 20 << true
                                            << int(LaneModel::RoadKind::CopiesAtStarts);
    // Rapid fire with late copies, lane 9 deaf for a minute and heard again
    // at the last START: its answer with an old shot, given just before the
    // START, could not be taken for its poll, and two late copies of it read
    // after the START told the lane it missed the START it took.
    QTest::newRow("seed 3579, late copies") << quint64(3579) << quint64(3579) << 20 << true
                                            << int(LaneModel::RoadKind::CopiesAtStarts);
    // Rifle at x10 pace on 9 lanes, lane 3's converter away for a minute
    // across the match START: back with 25 shots unread, it is read one a
    // poll round while its shooter fires one every 2-2.6 s, and cannot have
    // its count by the STOP.
    QTest::newRow("seed 2865, deaf lane") << quint64(2865) << quint64(2865) << 20 << true
                                          << int(LaneModel::RoadKind::DeafManyLanes);
    // Rifle at x10 pace on 8 lanes, lane 8's power cut in the sighting while
    // heard, its last shot asked for again, then deaf across the match
    // START: its new page's sighting shot 5 was stored for the match.
    QTest::newRow("seed 8151, deaf lane") << quint64(8151) << quint64(8151) << 20 << true
                                          << int(LaneModel::RoadKind::DeafManyLanes);
    // Rifle at x10 pace on 10 lanes, lane 5's converter away across the
    // sighting START, then the lane switched off and on: its new page's
    // shot 3, read once 6 s after its "no shot 2" before the converter was
    // lost again to the sighting's end, was held and passed over.
    QTest::newRow("seed 28783, deaf lane") << quint64(28783) << quint64(28783) << 20 << true
                                           << int(LaneModel::RoadKind::DeafManyLanes);
    // Rifle at x10 pace on 10 lanes, lanes 1 and 6 deaf from the relay's
    // start: the target search held the STARTs two minutes while lane 2,
    // found at once, was asked nothing, switched off and on, and deaf across
    // the START; its turns went to unanswered set-up frames, its silence
    // untold, and its new page's shot 1 was stored for the match.
    QTest::newRow("seed 95982, deaf lane") << quint64(95982) << quint64(95982) << 20 << true
                                           << int(LaneModel::RoadKind::DeafManyLanes);
    // Rapid fire, one shot a window: a machine firing one point gives its
    // window 2 shot just like its window 1 one, to the tenth; it took the
    // START and must not be told it missed it.
    QTest::newRow("seed 46892424, one point") << quint64(46892424) << quint64(46892424) << 20 << true << 0;
    // Rifle at x10 pace on 7 lanes, lane 7 switched off and on between two
    // polls in the sighting, its new page's shots stored as they came, then
    // deaf across the match START: back with its new page's shot 1, never
    // read, and the rest just as read before, shots 8-10 were stored again.
    QTest::newRow("seed 288230, deaf lane") << quint64(288230) << quint64(288230) << 20 << true
                                            << int(LaneModel::RoadKind::DeafManyLanes);
    // Rifle at x10 pace on 10 lanes, the converter of lanes 4-10 away for
    // most of the match: back, lane 4 is asked first for the number it was
    // last read at before the START (32), which its match page holds too,
    // then reads that page from its first shot, so the shots it has to
    // read are those not read, not those past the highest number read;
    // with 31 of them the STOP comes before it has its count: no fault.
    QTest::newRow("seed 451405, converter away") << quint64(451405) << quint64(451405) << 20 << true
                                                 << int(LaneModel::RoadKind::DeafManyLanes);
    // Rifle at x10 pace on 9 lanes, lane 4 losing 30 % of its answers: its
    // polls after the sighting START go unanswered for 3.8 s while its
    // terminal answers once; told unheard, which the road must not call
    // false (a terminal's answer tells nothing of its target's hearing).
    QTest::newRow("seed 289726, terminal answers") << quint64(289726) << quint64(289726) << 20 << true
                                                   << int(LaneModel::RoadKind::DeafManyLanes);
    // Rifle, a rig on lane 8 firing one point: its match page gives the
    // sighting page's shots again, so its "no shot 4" of a shot the
    // sighting page gave must not have the page found lost.
    QTest::newRow("seed 61384, a rig") << quint64(61384) << quint64(61384) << 20 << true << 0;
    // Rifle at x10 pace on 10 lanes, lane 2 deaf across the match START
    // and back with its sighting shot 1 twice (its page kept), then
    // switched off and on: its "no shot" of the sighting shot it was last
    // read at put the kept page out, and the held shot 1 was shown taken in
    // the silence; it is asked for that shot again, and the page found lost.
    QTest::newRow("seed 366693, kept then switched off") << quint64(366693) << quint64(366693) << 20 << true
                                                         << int(LaneModel::RoadKind::DeafManyLanes);
    // Rifle at x10 pace on 8 lanes, lane 1 switched off and on at the
    // sighting's end and missing the match START though heard: its 3 new
    // shots stored for the match are withdrawn when its shot 4 shows the
    // page older; 2 are said wrong, the third, taken 5 s before the START,
    // which the answers leave on either side of it, is held again.
    QTest::newRow("seed 54916, deaf lane") << quint64(54916) << quint64(54916) << 20 << true
                                           << int(LaneModel::RoadKind::DeafManyLanes);
    // Rifle at x10 pace on 10 lanes, lane 2 losing a quarter of its answers
    // while its shooter fires every 2-2.6 s: read one shot in 2.7 s, and
    // asked again for its last shot after each silence, it may end the match
    // a shot short.
    QTest::newRow("seed 47872, deaf lane") << quint64(47872) << quint64(47872) << 20 << true
                                           << int(LaneModel::RoadKind::DeafManyLanes);
    // Rifle at x10 pace on 10 lanes, lane 6 losing a quarter of its answers
    // and missing the match START though heard: 18 sighting shots behind at
    // the START, it reads them before its match shots and cannot have its
    // count by the STOP.
    QTest::newRow("seed 191693, deaf lane") << quint64(191693) << quint64(191693) << 20 << true
                                            << int(LaneModel::RoadKind::DeafManyLanes);
    // x10 on 9 lanes, a rig losing 28 %: back from each silence with a new
    // shot older than any page begun in it, it was asked its last shot again.
    QTest::newRow("seed 611417, lossy rig") << quint64(611417) << quint64(611417) << 20 << true
                                            << int(LaneModel::RoadKind::DeafManyLanes);
    // x10 on 5 lanes, a power cut in a silence: the new shot first read back
    // is the new page's, and the check must still ask.
    QTest::newRow("seed 11228, power cut in a silence") << quint64(11228) << quint64(11228) << 20 << true
                                                        << int(LaneModel::RoadKind::DeafManyLanes);
    // x10 on 10 lanes, a power cut after the START: a silence after the check
    // got the new page's shot 2 began the check anew on its shot 3.
    QTest::newRow("seed 738706, power cut after the START") << quint64(738706) << quint64(738706) << 20 << true
                                                            << int(LaneModel::RoadKind::DeafManyLanes);
    // x10, a converter away across the match START: proven to have missed it
    // late, the lanes read their sighting page again from its first shot.
    QTest::newRow("seed 906358, converter away") << quint64(906358) << quint64(906358) << 20 << true
                                                 << int(LaneModel::RoadKind::DeafManyLanes);
    QTest::newRow("seed 891524, converter away") << quint64(891524) << quint64(891524) << 20 << true
                                                 << int(LaneModel::RoadKind::DeafManyLanes);
    // x10 on 10 lanes, lane 9 deaf from the sighting's end to 4 s after the
    // match START: its polls after the START alone were too few to call it
    // silent, and its sighting page's shot 1 was stored for the match.
    QTest::newRow("seed 845077, deaf across the START") << quint64(845077) << quint64(845077) << 20 << true
                                                        << int(LaneModel::RoadKind::DeafManyLanes);
    // Rifle at x10 pace on 10 lanes, lane 1 losing more than a quarter of
    // its answers: read one shot in 2.8 s while its shooter fires every
    // 2-2.6 s, its last 6 match shots are not read by the STOP: the bus's
    // pace, not a shot the judgement lost.
    QTest::newRow("seed 239994, deaf lane") << quint64(239994) << quint64(239994) << 20 << true
                                            << int(LaneModel::RoadKind::DeafManyLanes);
    // The kinds the ordinary mix plays seldom: late copies of the lanes'
    // answers around every START, the same read late across each START,
    // rapid-fire windows settled 5 s after their end, and 5-10 lanes at the
    // range's poll gap with a lane deaf across the match START.
    QTest::newRow("late copies at STARTs") << quint64(1) << kKindSeeds << 20 << true << int(LaneModel::RoadKind::CopiesAtStarts);
    QTest::newRow("late copies, read late") << quint64(1) << kKindSeeds << 20 << true << int(LaneModel::RoadKind::BusyCopiesAtStarts);
    QTest::newRow("windows settled late") << quint64(1) << kKindSeeds << 20 << true << int(LaneModel::RoadKind::PistolSettledLate);
    // Lanes back from a long silence across the match START with a page
    // the bus reads one shot a round: the relay waits only where it could
    // have been read.
    QTest::newRow("deaf lane, 5-10 lanes") << quint64(1) << kKindSeeds << 20 << true << int(LaneModel::RoadKind::DeafManyLanes);
}

void TestLaneModel::roads()
{
    QFETCH(quint64, from);
    QFETCH(quint64, to);
    QFETCH(int, driftPermille);
    QFETCH(bool, reshoots);
    QFETCH(int, kind);
    LaneModel::Options options;
    options.kind = LaneModel::RoadKind(kind);
    options.maxDriftPermille = driftPermille;
    options.reshoots = reshoots;
    QStringList broken;
    for (quint64 seed = from; seed <= to; ++seed) {
        const LaneModel::Outcome o = LaneModel::runRoad(seed, options);
        for (const LaneModel::Failure &f : o.failures)
            broken << QStringLiteral("seed %1 lane %2 START %3: %4, %5 [%6]")
                          .arg(seed).arg(f.lane).arg(f.page)
                          .arg(LaneModel::invariantName(f.invariant), f.detail, o.road);
    }
    QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("%1 faults, first: %2")
                                              .arg(broken.size()).arg(broken.mid(0, 3).join('\n'))));
}

QTEST_GUILESS_MAIN(TestLaneModel)
#include "tst_lanemodel.moc"
