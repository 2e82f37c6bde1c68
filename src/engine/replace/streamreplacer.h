// Replacement of find/replace pairs in a text that arrives in pieces, with the
// result of replacing on the whole text: each pair in order on the result of
// the pairs before it, every occurrence left to right, none overlapping.
//
// All pairs work on one buffer. Pair j has settled the text up to its own
// mark: before it, pair j's work is done; after it, the text waits for pair
// j - 1 or for more input. A pair keeps back only a tail that could still
// begin an occurrence, so the marks fall from the first pair to the last, and
// what lies before the last pair's mark is final. Memory is bounded by one
// piece of input plus the pairs' own text.
//
// With many pairs, one pass of a FindTextIndex over each piece finds where
// every pair's find text occurs, and pairs with none only move their mark.
// Where the places are few, a pair replaces at them without a pass of its
// own; a replacement moves the places found for later pairs behind it and
// drops those it touched. Where they are dense, the pass only tells which
// pairs occur, and each of those searches its share itself. Either way a
// later find text can newly appear only where the text changed, so the index
// looks again there and nowhere else.
//
// Pairs in a row that cannot affect one another (no find text can share text
// with another's, or with the replace text of a pair before it) give the
// result of running one after another when run together: their finds are
// looked for in one pass and the text is rewritten once.
#pragma once

#include "engine/search/multifinder.h"
#include "engine/search/findtextindex.h"
#include "engine/search/unitfinder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

template <class Unit>
class ReplacementChain {
public:
    using View = std::basic_string_view<Unit>;
    using Buffer = std::basic_string<Unit>;

    // From this many pairs on, finding the pairs that occur costs less than
    // looking for each one.
    static constexpr size_t indexFrom = 32;

    void addPair(Buffer find, Buffer replace)
    {
        m_pairs.push_back({std::move(find), std::move(replace), {}, 0});
        m_marks.push_back(0);
    }
    size_t size() const { return m_pairs.size(); }

    // With many pairs, pieces are gathered up to this many units before the
    // pairs run, so that what every pair costs per round is paid less often:
    // where finds are dense, as then each pair that occurs searches the
    // whole text anyway, or where few pairs replace, as each of those moves
    // the text behind its first place once a round. 0 runs them on every piece.
    void gatherUpTo(size_t units) { m_gatherUpTo = units; }

    // The next piece of input; with last set, none follows. Drops the text
    // that settled() gave before.
    void take(View in, bool last)
    {
        prepare();
        m_ranThrough = 0;
        // The marks are distances from the end of the last round's text:
        // dropping the text given from the front leaves them as they are.
        // Pieces gathered since then follow that text.
        if (!m_gathering) {
            m_text.erase(0, settledEnd());
            m_roundEnd = m_text.size();
        }
        const bool gather = m_index && (!m_keepPlaces || m_replacedNow.size() <= m_pairs.size() / fewReplacingPer);
        m_text.append(in);
        if (gather && !last && m_text.size() - m_roundEnd < m_gatherUpTo) {
            m_gathering = true;
            return;
        }
        m_gathering = false;
        // Back to positions: every pair ran in the last round.
        for (size_t& mark : m_marks)
            mark = m_roundEnd - mark;
        m_last = last;
        if (m_index)
            findInPiece();
    }

    // Pair j's share of the piece taken: the text that pair j - 1 has settled.
    // Pairs run in order, each once per piece.
    void runPair(size_t j)
    {
        if (m_gathering || j < m_ranThrough)
            return;
        Pair& pair = m_pairs[j];
        size_t end = j == 0 ? m_text.size() : m_text.size() - m_marks[j - 1];
        size_t from = m_marks[j];
        if constexpr (std::is_same_v<Unit, char>) {
            const size_t last = runsThrough(j);
            if (last > j) {
                runTogether(j, last, end);
                return;
            }
        }
        if (m_index) {
            // A pair with no place found does not occur.
            if (m_pendingOf[j] != 0 && m_placesKept) {
                if (replaceFound(j, from, end))
                    m_replacedNow.push_back(uint32_t(j));
            } else if (m_pendingOf[j] != 0 && replaceBetween(j, from, end)) {
                m_replacedNow.push_back(uint32_t(j));
                m_roundSites += m_sites.size();
                lookAroundChanges(j, pair.replace.size());
            }
        } else if (!pair.find.empty()) {
            replaceBetween(j, from, end);
        }
        from = m_last || pair.find.empty() ? end : keptBack(View(pair.find), from, end);
        // Kept as a distance from the end, which later pairs' changes before it don't move.
        m_marks[j] = m_text.size() - from;
    }

    // Whether the piece taken waits for more before the pairs run.
    bool gathering() const { return m_gathering; }

    // What every pair has settled: final text, valid until the next take().
    View settled() const { return m_gathering ? View() : View(m_text).substr(0, settledEnd()); }

    qint64 replacements() const { return m_count; }

private:
    struct Pair {
        Buffer find;
        Buffer replace;
        std::optional<UnitFinder<Unit>> finder; // keeps a view of find
        size_t replaceAt; // where a copy of replace stands in m_replaces
    };
    static constexpr size_t slack = 32 / sizeof(Unit);
    // Where, relative to a replacement, a later find may start.
    struct Start {
        ptrdiff_t offset;
        std::vector<uint32_t> finds; // empty: too many to list
    };

    // Where the pairs' finds occur in the piece taken.
    void findInPiece()
    {
        std::fill(m_pendingOf.begin(), m_pendingOf.end(), 0);
        m_pending.clear();
        // Where finds are dense, keeping every place in step with every
        // replacement costs more than a search per pair that occurs: then
        // the index only tells which pairs occur. The last piece, by its
        // places or its replacements, tells which way to take this one.
        const size_t from = m_marks.empty() ? 0 : m_marks.back();
        size_t places = m_roundSites;
        m_placesKept = m_keepPlaces;
        if (m_placesKept) {
            places = 0;
            m_index->scan(View(m_text), from, m_text.size(), size_t(-1), [&](size_t k, size_t at) {
                m_pending.push_back({at, uint32_t(k)});
                ++m_pendingOf[k];
                ++places;
            });
        } else {
            // The pairs that replaced in the last piece most likely do so
            // in this one too: they search themselves without being
            // looked for, which costs little when one does not occur.
            m_index->markOccurring(View(m_text), from, m_text.size(), m_pendingOf, m_replacedBefore);
        }
        m_replacedBefore.swap(m_replacedNow);
        m_replacedNow.clear();
        m_keepPlaces = places <= fewFinds + m_text.size() / denseFinds;
        m_roundSites = 0;
    }

    void prepare()
    {
        if (m_prepared)
            return;
        m_prepared = true;
        std::vector<View> finds;
        for (Pair& pair : m_pairs) {
            pair.finder.emplace(View(pair.find));
            finds.push_back(View(pair.find));
        }
        // The marks start as distances from the end of an empty text.
        std::fill(m_marks.begin(), m_marks.end(), 0);
        if constexpr (std::is_same_v<Unit, char>)
            m_together = MultiFinder::pays();
        // The replace texts one after another, with slack units after the
        // last, so that a short one is copied in blocks of slack units.
        if (m_together) {
            for (Pair& pair : m_pairs) {
                pair.replaceAt = m_replaces.size();
                m_replaces.append(pair.replace);
            }
            m_replaces.append(4 * slack, Unit(0));
        }
        m_canRunThrough.assign(m_pairs.size(), 0);
        if (m_pairs.size() >= indexFrom) {
            m_index = std::make_unique<FindTextIndex<Unit>>(std::move(finds));
            m_pendingOf.assign(m_pairs.size(), 0);
            m_replacedOf.assign(m_pairs.size(), 0);
        }
    }

    // The last of the pairs from j on that run together with it now, j where
    // it runs alone: where the index tells which pairs occur, those in a row
    // that do; where places are kept, each replaces at its own.
    size_t runsThrough(size_t j)
    {
        if (!m_together || m_pairs[j].find.empty() || (m_index && (m_placesKept || m_pendingOf[j] == 0)))
            return j;
        const size_t most = canRunThrough(j);
        size_t last = j;
        while (last < most && (!m_index || m_pendingOf[last + 1] != 0))
            ++last;
        return last;
    }

    // The last pair up to which the pairs from j on could run together.
    size_t canRunThrough(size_t j)
    {
        uint32_t& known = m_canRunThrough[j]; // the last one + 1, 0 before it is worked out
        if (known == 0) {
            size_t last = j;
            while (last + 1 < m_pairs.size() && last + 1 - j < MultiFinder::most) {
                bool fits = true;
                for (size_t i = j; fits && i <= last; ++i)
                    fits = cannotAffect(i, last + 1);
                if (!fits)
                    break;
                ++last;
            }
            known = uint32_t(last + 1);
        }
        return known - 1;
    }

    // Whether pair a, before pair b, neither hides an occurrence of b's find
    // text nor makes one: then b finds in a's result what it finds before it.
    // An empty replace text could join any find text's two halves.
    bool cannotAffect(size_t a, size_t b) const
    {
        const Pair& before = m_pairs[a];
        const Pair& after = m_pairs[b];
        return !before.find.empty() && !after.find.empty() && !before.replace.empty()
            && !canMeet(View(before.find), View(after.find)) && !canMeet(View(after.find), View(before.replace));
    }

    // Pairs first to last replace what they find in one pass over the text
    // up to end, each from its own mark, and settle it as one after another
    // would: none can find what another hides or makes.
    void runTogether(size_t first, size_t last, size_t end)
    {
        const size_t count = last - first + 1;
        std::vector<std::string_view> finds;
        size_t froms[MultiFinder::most];
        for (size_t k = first; k <= last; ++k) {
            finds.emplace_back(m_pairs[k].find);
            froms[k - first] = m_marks[k];
        }
        m_runSites.clear();
        MultiFinder(std::move(finds)).findAll(std::string_view(m_text.data(), end), froms, m_runSites);
        for (const MultiFinder::Site& site : m_runSites)
            froms[site.which] = site.at + m_pairs[first + site.which].find.size();
        // Each holds back what it would have in the text it would have seen:
        // the text as it came there, as no other's replacement can meet a
        // beginning of its find text; and what each has settled ends where
        // the one before it stopped.
        size_t bound = end;
        size_t settled[MultiFinder::most];
        for (size_t k = 0; k < count; ++k) {
            if (!m_last)
                bound = keptBack(View(m_pairs[first + k].find), froms[k], bound);
            settled[k] = bound;
        }
        if (!m_runSites.empty())
            rewriteRun(first, settled, count);
        for (size_t k = 0; k < count; ++k)
            m_marks[first + k] = m_text.size() - settled[k];
        m_ranThrough = last + 1;
        if (!m_index)
            return;
        for (size_t k = first; k <= last; ++k) {
            if (m_sitesOf[k - first].empty())
                continue;
            m_replacedNow.push_back(uint32_t(k));
            m_roundSites += m_sitesOf[k - first].size();
            m_sites.swap(m_sitesOf[k - first]);
            lookAroundChanges(k, m_pairs[k].replace.size());
        }
    }

    // Puts each pair's replace text in place of its find at m_runSites, in
    // one copy of the text, and moves the places given with the text (none
    // lies inside a replacement). Where the index is kept, m_sitesOf tells
    // where each pair's replacements now stand.
    void rewriteRun(size_t first, size_t* places, size_t count)
    {
        // Per pair of the run: its find's length, its replace text, how
        // much each replacement grows the text (wrapping where it shrinks)
        // and how many it makes.
        size_t findLength[MultiFinder::most];
        const Unit* replaceOf[MultiFinder::most];
        size_t growth[MultiFinder::most];
        size_t made[MultiFinder::most] = {};
        for (size_t k = 0; k < count; ++k) {
            findLength[k] = m_pairs[first + k].find.size();
            replaceOf[k] = m_replaces.data() + m_pairs[first + k].replaceAt;
            growth[k] = m_pairs[first + k].replace.size() - findLength[k];
        }
        size_t grown = 0;
        for (const MultiFinder::Site& site : m_runSites) {
            grown += growth[site.which];
            ++made[site.which];
        }
        // A place moves with the sites before it: all of them, as a pair's
        // held-back beginning cannot meet another's occurrence.
        for (size_t k = 0; k < count; ++k) {
            size_t moved = grown;
            for (size_t s = m_runSites.size(); s-- > 0 && m_runSites[s].at >= places[k];)
                moved -= growth[m_runSites[s].which];
            places[k] += moved;
        }
        size_t* sitesOf[MultiFinder::most] = {};
        for (size_t k = 0; k < MultiFinder::most; ++k) {
            m_sitesOf[k].resize(m_index && k < count ? made[k] : 0);
            sitesOf[k] = m_sitesOf[k].data();
        }
        const size_t size = m_text.size() + grown;
        // The spare keeps its size between runs, so that little of it is
        // filled first; copies of short stretches may write up to slack
        // units past their end, which what follows overwrites.
        m_spare.resize(size + 4 * slack);
        Unit* out = m_spare.data();
        const Unit* in = m_text.data();
        const size_t inSize = m_text.size();
        size_t read = 0;
        size_t write = 0;
        for (const MultiFinder::Site& site : m_runSites) {
            const size_t k = site.which;
            copyShort(out + write, in + read, site.at - read, inSize - read);
            write += site.at - read;
            if (m_index)
                *sitesOf[k]++ = write;
            const size_t replaced = findLength[k] + growth[k];
            copyShort(out + write, replaceOf[k], replaced, replaced + 4 * slack);
            write += replaced;
            read = site.at + findLength[k];
        }
        std::memcpy(out + write, in + read, (inSize - read) * sizeof(Unit));
        m_spare.resize(size);
        m_text.swap(m_spare);
        m_count += qint64(m_runSites.size());
    }

    // Copies n units, which are mostly few, in blocks of slack units where
    // the source has them (it has `readable` from `in`).
    static void copyShort(Unit* out, const Unit* in, size_t n, size_t readable)
    {
        if (n > 8 * slack || readable < 4 * slack || (n > 4 * slack && readable < n + slack)) {
            std::memcpy(out, in, n * sizeof(Unit));
            return;
        }
        // The first four blocks whatever n is: most stretches are shorter,
        // and a copy costs less than a wrong guess of where a loop ends.
        std::memcpy(out, in, 4 * slack * sizeof(Unit));
        for (size_t c = 4 * slack; c < n; c += slack)
            std::memcpy(out + c, in + c, slack * sizeof(Unit));
    }

    // Between rounds.
    size_t settledEnd() const { return m_marks.empty() ? m_text.size() : m_text.size() - m_marks.back(); }

    // Replaces pair j's occurrences that start at from or later and end by
    // end, and keeps where they now stand in m_sites; from and end come back
    // moved to the new text. Tells whether it replaced any.
    bool replaceBetween(size_t j, size_t& from, size_t& end)
    {
        Pair& pair = m_pairs[j];
        const size_t f = pair.find.size();
        const size_t r = pair.replace.size();
        // All places first, in one pass, then the text is rewritten once.
        m_sites.clear();
        pair.finder->findAll(View(m_text).substr(0, end), from, m_sites);
        const size_t n = m_sites.size();
        if (n == 0)
            return false;
        m_count += qint64(n);
        const size_t moved = n * r - n * f; // wraps when the text shrinks
        const size_t after = m_sites.back() + f;
        rewriteAtSites(pair.replace, f);
        from = after + moved;
        end += moved;
        if (m_index && r != f) {
            // From here on the sites are where the replacements now stand.
            for (size_t s = 0; s < n; ++s)
                m_sites[s] = m_sites[s] + s * r - s * f;
        }
        return true;
    }

    // Pair j's share of the places found: those from `from` that end by end,
    // left to right, none overlapping an earlier one. The rest of the found
    // places follow the text; from and end come back moved to the new text.
    // Tells whether it replaced any.
    bool replaceFound(size_t j, size_t& from, size_t& end)
    {
        const Pair& pair = m_pairs[j];
        const size_t f = pair.find.size();
        const size_t r = pair.replace.size();
        m_sites.clear();
        size_t next = from;
        size_t kept = 0;
        for (const Found& found : m_pending) {
            if (found.pair != j) {
                m_pending[kept++] = found;
            } else if (found.at >= next && found.at + f <= end) {
                m_sites.push_back(found.at);
                next = found.at + f;
            }
        }
        m_pending.resize(kept);
        m_pendingOf[j] = 0;
        if (m_sites.empty())
            return false;
        m_count += qint64(m_sites.size());
        m_roundSites += m_sites.size();
        const size_t moved = m_sites.size() * r - m_sites.size() * f; // wraps when the text shrinks
        rewriteAtSites(pair.replace, f);
        from = next + moved;
        end += moved;
        followChanges(f, r);
        lookAroundChanges(j, r);
        return true;
    }

    // Puts replace in place of the f units at each of m_sites, moving only
    // the text from the first site on.
    void rewriteAtSites(const Buffer& replace, size_t f)
    {
        const size_t r = replace.size();
        const size_t n = m_sites.size();
        if (r == f) {
            // Same length: in place, nothing moves.
            for (size_t site : m_sites)
                std::copy(replace.begin(), replace.end(), m_text.begin() + ptrdiff_t(site));
        } else if (r < f) {
            Unit* text = m_text.data();
            size_t write = m_sites.front();
            for (size_t s = 0; s < n; ++s) {
                const size_t read = s == 0 ? m_sites.front() : m_sites[s - 1] + f;
                std::copy(text + read, text + m_sites[s], text + write);
                write += m_sites[s] - read;
                std::copy(replace.begin(), replace.end(), text + write);
                write += r;
            }
            const size_t tail = m_sites.back() + f;
            std::copy(text + tail, text + m_text.size(), text + write);
            m_text.resize(write + m_text.size() - tail);
        } else {
            const size_t oldSize = m_text.size();
            m_text.resize(oldSize + n * (r - f));
            Unit* text = m_text.data();
            // From the last site back, so that nothing is overwritten before it moved.
            size_t write = m_text.size();
            size_t readEnd = oldSize;
            for (size_t s = n; s-- > 0;) {
                const size_t tail = m_sites[s] + f;
                write -= readEnd - tail;
                std::copy_backward(text + tail, text + readEnd, text + write + (readEnd - tail));
                write -= r;
                std::copy(replace.begin(), replace.end(), text + write);
                readEnd = m_sites[s];
            }
        }
    }

    // Moves the places found for later pairs past pair j's replacements at
    // m_sites (before them, of find length f, now of length r), and drops the
    // places a replacement touched: what is there now is looked at again.
    void followChanges(size_t f, size_t r)
    {
        size_t site = 0;
        size_t kept = 0;
        for (const Found& found : m_pending) {
            while (site < m_sites.size() && m_sites[site] + f <= found.at)
                ++site;
            if (site < m_sites.size() && m_sites[site] < found.at + m_index->lengthOf(found.pair)) {
                --m_pendingOf[found.pair];
                continue;
            }
            m_pending[kept++] = {found.at + site * r - site * f, found.pair};
        }
        m_pending.resize(kept);
        // From here on the sites are where the replacements now stand.
        for (size_t s = 0; s < m_sites.size(); ++s)
            m_sites[s] = m_sites[s] + s * r - s * f;
    }

    // A later find text can newly occur only where it overlaps inserted text
    // or spans a place where text was removed; the places found there join
    // the others in order.
    void lookAroundChanges(size_t j, size_t inserted)
    {
        m_fresh.clear();
        const std::vector<Start>* starts = startsNear(j);
        if (starts)
            lookAtStarts(j, inserted, *starts);
        else
            lookAroundSites(j, inserted);
        if (m_fresh.empty() || !m_placesKept)
            return;
        m_merged.resize(m_pending.size() + m_fresh.size());
        std::merge(m_pending.begin(), m_pending.end(), m_fresh.begin(), m_fresh.end(), m_merged.begin(),
                   [](const Found& a, const Found& b) { return a.at < b.at; });
        m_pending.swap(m_merged);
    }

    // Every place from the longest find's reach before each change to its end.
    void lookAroundSites(size_t j, size_t inserted)
    {
        const size_t reach = m_index->longest() - 1;
        size_t scanned = 0;
        size_t first = 0;
        for (size_t s = 0; s < m_sites.size(); ++s) {
            const size_t start = std::max(scanned, m_sites[s] >= reach ? m_sites[s] - reach : 0);
            const size_t stop = m_sites[s] + inserted;
            if (start >= stop)
                continue;
            first = std::max(first, s);
            m_index->scan(View(m_text), start, stop, j, [&](size_t k, size_t at) { keepIfNew(k, at, inserted, first); });
            scanned = stop;
        }
    }

    // Only the places, relative to each change, where a later find text could
    // overlap the replace text. Where places are not kept, only a find not
    // yet known to occur is worth looking for: the changes are taken a batch
    // at a time, and a start stops being looked at once all its finds occur.
    void lookAtStarts(size_t j, size_t inserted, const std::vector<Start>& starts)
    {
        const size_t batch = m_placesKept ? m_sites.size() : 64;
        for (size_t from = 0; from < m_sites.size(); from += batch) {
            m_offsets.clear();
            for (const Start& start : starts) {
                if (m_placesKept || start.finds.empty()
                    || std::any_of(start.finds.begin(), start.finds.end(), [&](uint32_t k) { return m_pendingOf[k] == 0; }))
                    m_offsets.push_back(start.offset);
            }
            if (m_offsets.empty())
                return;
            m_places.clear();
            const size_t to = std::min(m_sites.size(), from + batch);
            for (size_t s = from; s < to; ++s) {
                const size_t site = m_sites[s];
                for (ptrdiff_t offset : m_offsets) {
                    if (offset >= 0 || size_t(-offset) <= site)
                        m_places.push_back(site + size_t(offset));
                }
            }
            if (m_places.empty())
                continue;
            if (!std::is_sorted(m_places.begin(), m_places.end()))
                std::sort(m_places.begin(), m_places.end());
            m_places.erase(std::unique(m_places.begin(), m_places.end()), m_places.end());
            // The first change not wholly before the first place.
            const size_t lowest = m_places.front();
            size_t first = size_t(std::partition_point(m_sites.begin(), m_sites.end(),
                                                       [&](size_t site) { return site + inserted <= lowest; })
                                  - m_sites.begin());
            for (size_t place : m_places)
                m_index->scan(View(m_text), place, place + 1, j, [&](size_t k, size_t at) { keepIfNew(k, at, inserted, first); });
        }
    }

    // New only where it meets a change; else it was found before and followed.
    // Places come in order, so the changes before first are behind them all.
    void keepIfNew(size_t k, size_t at, size_t inserted, size_t& first)
    {
        while (first < m_sites.size() && m_sites[first] + inserted <= at)
            ++first;
        const size_t length = m_index->lengthOf(k);
        for (size_t c = first; c < m_sites.size() && m_sites[c] < at + length; ++c) {
            if (at + length > m_sites[c] && at < m_sites[c] + inserted) {
                // Where places are not kept, it only matters that it occurs.
                if (m_placesKept)
                    m_fresh.push_back({at, uint32_t(k)});
                ++m_pendingOf[k];
                return;
            }
        }
    }

    // For a pair that has replaced often: the starts, relative to one of its
    // replacements, at which a later find text agrees with the replace text
    // wherever the two overlap, each with the finds that can start there
    // (none listed when there are many). Worked out once, as it costs a look
    // at every later find. None when text is removed, as then any later find
    // may span the place.
    const std::vector<Start>* startsNear(size_t j)
    {
        const View replace(m_pairs[j].replace);
        if (replace.empty())
            return nullptr;
        if (m_replacedOf[j] < workOutStartsAfter) {
            m_replacedOf[j] = uint32_t(std::min<size_t>(workOutStartsAfter, m_replacedOf[j] + m_sites.size()));
            return nullptr;
        }
        auto known = m_startsNear.find(j);
        if (known != m_startsNear.end())
            return &known->second;
        std::vector<Start>& starts = m_startsNear[j];
        const ptrdiff_t r = ptrdiff_t(replace.size());
        const ptrdiff_t low = -ptrdiff_t(m_index->longest());
        std::vector<Start> possible(size_t(r - low));
        std::vector<char> many(size_t(r - low), 0);
        for (size_t k = j + 1; k < m_pairs.size(); ++k) {
            const View find(m_pairs[k].find);
            const ptrdiff_t length = ptrdiff_t(find.size());
            for (ptrdiff_t o = 1 - length; o < r; ++o) {
                const size_t slot = size_t(o - low);
                if (many[slot])
                    continue;
                bool agrees = true;
                for (ptrdiff_t i = std::max<ptrdiff_t>(0, -o); agrees && i < std::min(length, r - o); ++i)
                    agrees = find[size_t(i)] == replace[size_t(o + i)];
                if (!agrees)
                    continue;
                std::vector<uint32_t>& finds = possible[slot].finds;
                if (finds.size() == mostListed) {
                    many[slot] = 1;
                    finds.clear();
                    finds.shrink_to_fit();
                } else {
                    finds.push_back(uint32_t(k));
                }
            }
        }
        for (ptrdiff_t o = low; o < r; ++o) {
            const size_t slot = size_t(o - low);
            if (many[slot] || !possible[slot].finds.empty())
                starts.push_back({o, std::move(possible[slot].finds)});
        }
        return &starts;
    }

    // Where pair j must stop for now: the first place from which the settled
    // text up to end is the beginning of the find text, as more input could
    // complete an occurrence there.
    size_t keptBack(View find, size_t from, size_t end) const
    {
        size_t at = end >= find.size() - 1 ? std::max(from, end - (find.size() - 1)) : from;
        for (; at < end; ++at) {
            if (m_text[at] == find[0] && View(m_text).substr(at, end - at) == find.substr(0, end - at))
                return at;
        }
        return end;
    }

    std::vector<Pair> m_pairs;
    // Per pair: between rounds and for pairs that ran in this round, its
    // mark's distance from the text's end; for the others, the mark itself.
    std::vector<size_t> m_marks;
    Buffer m_text;
    std::vector<size_t> m_sites;
    std::unique_ptr<FindTextIndex<Unit>> m_index;
    // Where the find texts of the pairs still to run occur, in order of place.
    struct Found {
        size_t at;
        uint32_t pair;
    };
    std::vector<Found> m_pending;
    std::vector<Found> m_fresh;
    std::vector<Found> m_merged;
    std::vector<uint32_t> m_pendingOf; // per pair, its places in m_pending, or whether it occurs
    std::vector<uint32_t> m_replacedBefore; // the pairs that replaced in the last piece
    std::vector<uint32_t> m_replacedNow;    // and in this one
    // A few places, or one per this many units of text at most, are kept.
    static constexpr size_t fewFinds = 64;
    static constexpr size_t denseFinds = 32;
    bool m_placesKept = true; // in this piece
    bool m_keepPlaces = true; // in the next
    size_t m_roundSites = 0;  // replacements in this piece
    std::vector<size_t> m_places;
    // Replacing this often makes working out where later finds can start worth it.
    static constexpr size_t workOutStartsAfter = 256;
    std::vector<uint32_t> m_replacedOf; // per pair, its replacements up to that many
    static constexpr size_t mostListed = 16;
    std::unordered_map<size_t, std::vector<Start>> m_startsNear;
    std::vector<ptrdiff_t> m_offsets;
    size_t m_roundEnd = 0; // where the last round's text ends, and the pieces gathered since begin
    bool m_gathering = false;
    size_t m_gatherUpTo = 262144;
    static constexpr size_t fewReplacingPer = 256; // pairs, of those that replaced in the last round
    // Pairs run together (bytes only, where the processor can).
    bool m_together = false;
    std::vector<uint32_t> m_canRunThrough;
    size_t m_ranThrough = 0; // in this round, the pairs before it have run
    std::vector<MultiFinder::Site> m_runSites;
    std::array<std::vector<size_t>, MultiFinder::most> m_sitesOf;
    Buffer m_spare;
    Buffer m_replaces;
    qint64 m_count = 0;
    bool m_last = false;
    bool m_prepared = false;
};
