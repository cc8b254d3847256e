#include "pagetrace.h"

#include <algorithm>
#include <vector>

namespace {

constexpr qint64 kMsPerTenth = 100;
constexpr qint64 kUnbounded = PageTrace::kUnbounded;
constexpr qint64 kDrift = PageTrace::kDriftPerMille;

// Read by readMs, the shot was taken before a page begun at begunFromMs
// could have given it (its own time, at the fast end of the drift).
bool givenBeforeBegun(const LaneShot &shot, qint64 readMs, qint64 begunFromMs)
{
    return begunFromMs + leastApart(0, shot.timeTenths) > readMs + PageTrace::kClockSlackMs;
}

} // namespace

bool sameShot(const LaneShot &a, const LaneShot &b)
{
    return a.number == b.number && a.point == b.point && a.timeTenths == b.timeTenths
        && a.place == b.place;
}

qint64 leastApart(int fromTenths, int toTenths)
{
    const qint64 targetMs = std::max<qint64>(0, (toTenths - fromTenths - 1) * kMsPerTenth);
    return targetMs * 1000 / (1000 + kDrift);
}

qint64 mostApart(int fromTenths, int toTenths)
{
    const qint64 targetMs = (toTenths - fromTenths + 1) * kMsPerTenth;
    return targetMs * 1000 / (1000 - kDrift) + 1;
}

void PageTrace::clear()
{
    m_answers.clear();
    m_serials.clear();
    m_firstRead.clear();
    m_readAgain = 0;
    m_highest = 0;
    m_lacking.clear();
    m_lackedOnce.clear();
    m_lackedInOrder.clear();
    m_bounds.clear();
    m_readSpans.clear();
    ++m_answersGone;
}

void PageTrace::addAnswer(const LaneShot &shot, qint64 atMs)
{
    qint64 first = atMs;
    for (int i = m_answers.size() - 1; i >= 0; --i) {
        if (sameShot(m_answers.at(i).shot, shot)) {
            first = std::min(first, m_firstRead.at(i));
            break;
        }
    }
    m_answers.append({shot, atMs});
    m_serials.append(++m_lastSerial);
    m_firstRead.append(first);
    m_readAgain += first < atMs ? 1 : 0;
    m_highest = std::max(m_highest, shot.number);
}

void PageTrace::Lacks::add(qint64 atMs)
{
    constexpr int kKept = 16;
    if (!at.isEmpty() && atMs <= at.last())
        return;
    if (at.size() >= 2 && atMs - at.at(at.size() - 2) < kLateCopyMs)
        at.last() = atMs;
    else
        at.append(atMs);
    if (at.size() > kKept)
        at.removeFirst();
}

bool PageTrace::Lacks::forget(qint64 fromMs, qint64 toMs)
{
    at.erase(std::remove_if(at.begin(), at.end(), [=](qint64 t) { return t >= fromMs && t < toMs; }), at.end());
    return !at.isEmpty();
}

void PageTrace::addLacking(int number, qint64 atMs, bool inOrder)
{
    const auto once = m_lackedOnce.constFind(number);
    if (once != m_lackedOnce.cend()) {
        const auto it = m_lacking.constFind(number);
        if (it == m_lacking.cend() || it->last() < *once) {
            m_lacking[number].add(*once);
            if (number <= m_highest)
                ++m_lackingChanged;
        }
    }
    m_lackedOnce[number] = atMs;
    if (inOrder) {
        m_lackedInOrder[number].add(atMs);
        if (number <= m_highest)
            ++m_lackingChanged;
    }
}

qint64 PageTrace::lackedFrom(const QMap<int, Lacks> *lacking, qint64 atMs, qint64 sinceMs) const
{
    if (atMs < sinceMs)
        return -kUnbounded;
    return lacking == &m_lackedInOrder ? atMs - kLateCopyMs : atMs;
}

void PageTrace::dropLast()
{
    if (m_answers.isEmpty())
        return;
    const quint64 serial = m_serials.last();
    const qint64 atMs = m_answers.last().atMs;
    for (auto &entry : m_bounds) {
        Bounds &b = entry.second;
        if (serial > b.answersIn || atMs < std::get<0>(entry.first))
            continue;
        // Taken in last: as it was before (an answer read as proof that the
        // page is older than the START is asked for again, the page judged
        // as it was).
        if (b.undoSerial != serial) {
            b.built = false;
            continue;
        }
        if (b.undoNode)
            b.nodes.removeLast();
        for (const auto &was : qAsConst(b.undo))
            b.nodes[was.first].reach = was.second;
        b.fits = true; // else it took in nothing more
        b.answersIn = serial - 1;
        b.undoSerial = 0;
        b.spansDue = true;
    }
    m_readAgain -= m_firstRead.last() < atMs ? 1 : 0;
    m_answers.removeLast();
    m_serials.removeLast();
    m_firstRead.removeLast();
    ++m_answersGone;
    noteHighest();
}

void PageTrace::forget(int number, qint64 sinceMs)
{
    dropAnswers([=](const Answer &a) { return a.shot.number == number && a.atMs >= sinceMs; });
}

void PageTrace::dropAnswers(const std::function<bool(const Answer &)> &drops)
{
    int kept = 0;
    for (int i = 0; i < m_answers.size(); ++i) {
        if (drops(m_answers.at(i))) {
            unbuildWith(m_serials.at(i), m_answers.at(i).atMs);
            m_readAgain -= m_firstRead.at(i) < m_answers.at(i).atMs ? 1 : 0;
            continue;
        }
        m_answers[kept] = m_answers.at(i);
        m_firstRead[kept] = m_firstRead.at(i);
        m_serials[kept++] = m_serials.at(i);
    }
    if (kept < m_answers.size())
        ++m_answersGone;
    m_answers.resize(kept);
    m_serials.resize(kept);
    m_firstRead.resize(kept);
    noteHighest();
}

void PageTrace::dropBefore(qint64 sinceMs)
{
    dropAnswers([=](const Answer &a) { return a.atMs < sinceMs; });
    for (auto it = m_lackedOnce.begin(); it != m_lackedOnce.end();)
        it = it.value() < sinceMs ? m_lackedOnce.erase(it) : std::next(it);
    for (QMap<int, Lacks> *lacking : {&m_lacking, &m_lackedInOrder}) {
        for (auto it = lacking->begin(); it != lacking->end();)
            it = it->forget(-kUnbounded, sinceMs) ? std::next(it) : lacking->erase(it);
    }
    // An account since then took in nothing that goes.
    for (auto it = m_bounds.begin(); it != m_bounds.end();)
        it = std::get<0>(it->first) < sinceMs ? m_bounds.erase(it) : std::next(it);
}

bool PageTrace::forgetLacking(qint64 fromMs, qint64 toMs, int upTo)
{
    bool bounded = false;
    for (auto it = m_lackedOnce.begin(); it != m_lackedOnce.end() && it.key() <= upTo;) {
        if (it.value() < fromMs || it.value() >= toMs) {
            ++it;
            continue;
        }
        bounded = true;
        it = m_lackedOnce.erase(it);
    }
    for (QMap<int, Lacks> *lacking : {&m_lacking, &m_lackedInOrder}) {
        for (auto it = lacking->begin(); it != lacking->end() && it.key() <= upTo;) {
            const int before = it->at.size();
            const bool left = it->forget(fromMs, toMs);
            bounded = bounded || it->at.size() != before;
            it = left ? std::next(it) : lacking->erase(it);
        }
    }
    if (!bounded)
        return false;
    // Fewer bounds: every account is weighed anew.
    for (auto &entry : m_bounds)
        entry.second.built = false;
    return true;
}

void PageTrace::noteHighest()
{
    m_highest = 0;
    for (const Answer &a : qAsConst(m_answers))
        m_highest = std::max(m_highest, a.shot.number);
}

void PageTrace::unbuildWith(quint64 serial, qint64 atMs)
{
    for (auto &entry : m_bounds) {
        if (serial <= entry.second.answersIn && atMs >= std::get<0>(entry.first))
            entry.second.built = false;
    }
}

void PageTrace::sweepBounds()
{
    for (auto it = m_bounds.begin(); it != m_bounds.end();) {
        if (!it->second.used) {
            it = m_bounds.erase(it);
            continue;
        }
        it->second.used = false;
        ++it;
    }
    m_readSpans.clear();
}

void PageTrace::forgetAccount(qint64 sinceMs, Span origin)
{
    m_bounds.erase(BoundsKey{sinceMs, origin.from, origin.to});
    for (auto it = m_readSpans.begin(); it != m_readSpans.end();)
        it = it->first.second == sinceMs ? m_readSpans.erase(it) : std::next(it);
}

const PageTrace::Answer *PageTrace::answerOf(int number, qint64 sinceMs) const
{
    for (auto it = m_answers.crbegin(); it != m_answers.crend() && it->atMs >= sinceMs; ++it) {
        if (it->shot.number == number)
            return &*it;
    }
    return nullptr;
}

bool PageTrace::readBefore(const LaneShot &shot, qint64 sinceMs) const
{
    return lastReadBefore(shot, sinceMs).has_value();
}

std::optional<qint64> PageTrace::lastReadBefore(const LaneShot &shot, qint64 sinceMs) const
{
    std::optional<qint64> last;
    for (const Answer &a : m_answers) {
        if (a.atMs < sinceMs && sameShot(a.shot, shot))
            last = a.atMs;
    }
    return last;
}

bool PageTrace::givenBeforeFirstRead(qint64 sinceMs, qint64 begunFromMs) const
{
    // Read but once, an answer tells what bounds() weighs already.
    if (m_readAgain == 0)
        return false;
    for (int i = m_answers.size() - 1; i >= 0 && m_answers.at(i).atMs >= sinceMs; --i) {
        if (givenBeforeBegun(m_answers.at(i).shot, m_firstRead.at(i), begunFromMs))
            return true;
    }
    return false;
}

qint64 PageTrace::firstReadSince(qint64 sinceMs, qint64 noneMs) const
{
    qint64 first = noneMs;
    for (auto it = m_answers.crbegin(); it != m_answers.crend() && it->atMs >= sinceMs; ++it)
        first = std::min(first, it->atMs);
    return first;
}

const PageTrace::Answer *PageTrace::outOfOrder(const LaneShot &shot, qint64 sinceMs) const
{
    for (auto it = m_answers.crbegin(); it != m_answers.crend() && it->atMs >= sinceMs; ++it) {
        const LaneShot &other = it->shot;
        if ((other.number < shot.number && other.timeTenths > shot.timeTenths)
            || (other.number > shot.number && other.timeTenths < shot.timeTenths))
            return &*it;
    }
    return nullptr;
}

bool PageTrace::lacked(int number, qint64 sinceMs) const
{
    const auto it = m_lacking.constFind(number);
    return it != m_lacking.cend() && it->last() >= sinceMs;
}

qint64 PageTrace::lackedUpTo(int number, qint64 sinceMs) const
{
    qint64 from = -kUnbounded;
    for (const QMap<int, Lacks> *lacking : {&m_lacking, &m_lackedInOrder}) {
        for (auto it = lacking->cbegin(); it != lacking->cend() && it.key() <= number; ++it)
            from = std::max(from, lackedFrom(lacking, it->last(), sinceMs));
    }
    return from;
}

QVector<int> PageTrace::numbersSince(qint64 sinceMs) const
{
    QVector<int> numbers;
    for (const Answer &a : m_answers) {
        if (a.atMs >= sinceMs)
            numbers.append(a.shot.number);
    }
    // Read in order as a rule (a shot asked for again is its last number again).
    if (!std::is_sorted(numbers.cbegin(), numbers.cend()))
        std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

QMap<int, PageTrace::Span> PageTrace::takenBeforeRead(qint64 fromMs, qint64 toMs) const
{
    ReadSpans &read = m_readSpans[ReadKey{fromMs, toMs}];
    bool kept = read.goneIn == m_answersGone && read.answersIn > 0;
    for (int i = m_serials.size() - 1; kept && i >= 0 && m_serials.at(i) > read.answersIn; --i)
        kept = m_answers.at(i).atMs >= toMs;
    if (!kept) {
        read.spans = readSpans(fromMs, toMs);
        read.goneIn = m_answersGone;
    }
    read.answersIn = m_lastSerial;
    return read.spans;
}

QMap<int, PageTrace::Span> PageTrace::readSpans(qint64 fromMs, qint64 toMs) const
{
    // By number (a page's count, up to the highest answered): its last
    // answer read from fromMs to before toMs, and the first reading of it.
    const auto slot = [this](const Answer &a) { return size_t(std::clamp(a.shot.number, 0, m_highest)); };
    std::vector<const Answer *> last(size_t(m_highest) + 1, nullptr);
    for (const Answer &a : m_answers) {
        if (a.atMs >= fromMs && a.atMs < toMs)
            last[slot(a)] = &a;
    }
    std::vector<const Answer *> first(last.size(), nullptr);
    for (const Answer &a : m_answers) {
        const size_t n = slot(a);
        if (last[n] && !first[n] && sameShot(last[n]->shot, a.shot))
            first[n] = &a;
    }
    QMap<int, Span> spans;
    for (const Answer *a : first) {
        if (a)
            spans.insert(spans.cend(), a->shot.number, {-kUnbounded, a->atMs + kClockSlackMs});
    }
    return spans;
}

bool PageTrace::givenBefore(qint64 sinceMs, qint64 begunFromMs) const
{
    // As bounds() has it: taken before it was read, and no sooner after the
    // page began than its own time says.
    return std::any_of(m_answers.cbegin(), m_answers.cend(), [&](const Answer &a) {
        return a.atMs >= sinceMs && givenBeforeBegun(a.shot, a.atMs, begunFromMs);
    });
}

// An account's page, both ways, each node against every other: own times
// count whole tenths, so the room between two shots is not the sum of the
// rooms between the shots in between (forty shots a tenth apart or less lie
// seconds apart). Each node keeps what its own answers say (given) and what
// is left of it against every other node's given (reach). One step is all
// there is: the room between two own times is never more than the room
// through a third one, before, between or after them (whole tenths, the
// drift either way), so what a chain of nodes says of a node, the chain's
// first node says directly and no looser. That leaves each node exactly the
// moments some taking of the whole page allows, and lets a new node, or a
// given that tightens, be weighed against the others alone: an answer costs
// one pass along the page, not one for each pair of its shots.
std::optional<QMap<int, PageTrace::Span>> PageTrace::bounds(qint64 sinceMs, Span origin) const
{
    Bounds &b = m_bounds[BoundsKey{sinceMs, origin.from, origin.to}];
    b.used = true;
    if (!b.built) {
        b.nodes = {{{}, origin, origin}};
        build(b, sinceMs);
    } else if (b.fits) {
        bringUp(b, sinceMs);
    }
    if (!b.fits)
        return std::nullopt;
    if (b.spansDue) {
        b.spans.clear();
        for (int k = 1; k < b.nodes.size(); ++k)
            b.spans.insert(b.spans.cend(), b.nodes.at(k).shot.number, b.nodes.at(k).reach);
        b.spansDue = false;
    }
    return b.spans;
}

void PageTrace::build(Bounds &b, qint64 sinceMs) const
{
    b.nodes.resize(1);
    b.nodes.first().reach = b.nodes.first().given;
    b.built = true;
    b.undoSerial = 0;
    b.fits = !b.nodes.first().given.isEmpty();
    b.spansDue = true;
    b.answersIn = m_lastSerial;
    b.lackingIn = m_lackingChanged;
    // One answer a number: the earliest of its copies bounds it the closest.
    QMap<int, const Answer *> shots;
    for (const Answer &a : m_answers) {
        if (a.atMs < sinceMs)
            continue;
        const auto it = shots.constFind(a.shot.number);
        if (it == shots.cend())
            shots.insert(a.shot.number, &a);
        else if (!sameShot((*it)->shot, a.shot))
            b.fits = false; // one page holds one shot of a number
    }
    for (auto it = shots.cbegin(); it != shots.cend() && b.fits; ++it)
        appendNode(b, **it, sinceMs, false);
}

void PageTrace::bringUp(Bounds &b, qint64 sinceMs) const
{
    int i = m_serials.size();
    while (i > 0 && m_serials.at(i - 1) > b.answersIn)
        --i;
    for (; i < m_answers.size(); ++i) {
        const Answer &a = m_answers.at(i);
        b.answersIn = m_serials.at(i);
        if (a.atMs < sinceMs)
            continue;
        // The answer read last may be taken back (dropLast): what it changes is kept.
        const bool last = i == m_answers.size() - 1;
        if (last) {
            b.undoSerial = b.answersIn;
            b.undoNode = false;
            b.undo.clear();
        }
        const auto node = std::lower_bound(b.nodes.cbegin() + 1, b.nodes.cend(), a.shot.number,
                                           [](const Node &n, int number) { return n.shot.number < number; });
        if (node != b.nodes.cend() && node->shot.number == a.shot.number) {
            if (!sameShot(node->shot, a.shot)) {
                b.fits = false;
                return;
            }
            continue; // a later copy
        }
        if (node != b.nodes.cend()) {
            // Below a shot taken in: the "no shot" answers it was given now
            // bound the new one. Rare: weighed anew.
            build(b, sinceMs);
            return;
        }
        appendNode(b, a, sinceMs, last);
        if (!b.fits)
            return;
    }
    if (b.lackingIn == m_lackingChanged)
        return;
    b.lackingIn = m_lackingChanged;
    const int last = b.nodes.last().shot.number;
    for (const QMap<int, Lacks> *lacking : {&m_lacking, &m_lackedInOrder}) {
        for (auto it = lacking->cbegin(); it != lacking->cend() && it.key() <= last && b.nodes.size() > 1; ++it) {
            const qint64 from = lackedFrom(lacking, it->last(), sinceMs);
            if (from <= -kUnbounded)
                continue;
            const auto node = std::lower_bound(b.nodes.cbegin() + 1, b.nodes.cend(), it.key(),
                                               [](const Node &n, int number) { return n.shot.number < number; });
            tighten(b, int(node - b.nodes.cbegin()), from - kSeenSlackMs);
            if (!b.fits)
                return;
        }
    }
}

void PageTrace::appendNode(Bounds &b, const Answer &answer, qint64 sinceMs, bool undoable) const
{
    const int before = b.nodes.last().shot.number;
    // Along one page the numbers and the own times grow together.
    if (answer.shot.timeTenths < b.nodes.last().shot.timeTenths) {
        b.fits = false;
        return;
    }
    // Taken before it was read.
    Node node{answer.shot, {-kUnbounded, answer.atMs + kClockSlackMs}, {}};
    // The first shot at or above a number lacked was taken after the target
    // said so.
    for (const QMap<int, Lacks> *lacking : {&m_lacking, &m_lackedInOrder}) {
        for (auto it = b.nodes.size() == 1 ? lacking->cbegin() : lacking->upperBound(before);
             it != lacking->cend() && it.key() <= answer.shot.number; ++it) {
            const qint64 from = lackedFrom(lacking, it->last(), sinceMs);
            if (from > -kUnbounded)
                node.given.from = std::max(node.given.from, from - kSeenSlackMs);
        }
    }
    node.reach = node.given;
    const int t = node.shot.timeTenths;
    for (int k = 0; k < b.nodes.size(); ++k) {
        Node &other = b.nodes[k];
        const int apart = t - other.shot.timeTenths;
        node.reach.from = std::max(node.reach.from, other.given.from + leastApart(0, apart));
        node.reach.to = std::min(node.reach.to, other.given.to + mostApart(0, apart));
        const Span was = other.reach;
        other.reach.from = std::max(other.reach.from, node.given.from - mostApart(0, apart));
        other.reach.to = std::min(other.reach.to, node.given.to - leastApart(0, apart));
        if (undoable && (was.from != other.reach.from || was.to != other.reach.to))
            b.undo.append({k, was});
        b.fits = b.fits && !other.reach.isEmpty();
    }
    b.fits = b.fits && !node.reach.isEmpty();
    b.nodes.append(node);
    b.undoNode = undoable;
    b.spansDue = true;
}

void PageTrace::tighten(Bounds &b, int k, qint64 from) const
{
    Node &node = b.nodes[k];
    if (from <= node.given.from)
        return;
    node.given.from = from;
    b.undoSerial = 0;
    const int t = node.shot.timeTenths;
    for (int i = 0; i < b.nodes.size(); ++i) {
        Node &other = b.nodes[i];
        const int apart = other.shot.timeTenths - t;
        other.reach.from = std::max(other.reach.from, i > k ? from + leastApart(0, apart)
                                                    : i < k ? from - mostApart(0, -apart)
                                                            : from);
        b.fits = b.fits && !other.reach.isEmpty();
    }
    b.spansDue = true;
}
