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
// With many pairs, one pass of a PatternIndex over each piece tells which
// pairs occur in it; the others only move their mark. A replacement can make a
// later find text appear only where the text changed, so after a pair has
// replaced something the index looks again around the changed places only.
#pragma once

#include "engine/replace/patternindex.h"
#include "engine/replace/unitfinder.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
        m_pairs.push_back({std::move(find), std::move(replace), {}});
        m_marks.push_back(0);
    }
    size_t size() const { return m_pairs.size(); }

    // The next piece of input; with last set, none follows. Drops the text
    // that settled() gave before.
    void take(View in, bool last)
    {
        prepare();
        const size_t given = settledEnd();
        const size_t before = m_text.size();
        // Back to positions: every pair ran in the last round.
        for (size_t& mark : m_marks)
            mark = before - mark - given;
        m_text.erase(0, given);
        m_text.append(in);
        m_last = last;
        if (m_index) {
            std::fill(m_candidate.begin(), m_candidate.end(), 0);
            m_unknown = m_pairs.size()
                - m_index->scan(View(m_text), m_marks.empty() ? 0 : m_marks.back(), m_text.size(), m_candidate);
        }
    }

    // Pair j's share of the piece taken: the text that pair j - 1 has settled.
    // Pairs run in order, each once per piece.
    void runPair(size_t j)
    {
        Pair& pair = m_pairs[j];
        size_t end = j == 0 ? m_text.size() : m_text.size() - m_marks[j - 1];
        size_t from = m_marks[j];
        if (m_index && !m_candidate[j])
            --m_unknown; // counts the pairs after this one from here on
        else if (!pair.find.empty())
            replaceBetween(j, from, end);
        from = m_last || pair.find.empty() ? end : keptBack(View(pair.find), from, end);
        // Kept as a distance from the end, which later pairs' changes before it don't move.
        m_marks[j] = m_text.size() - from;
    }

    // What every pair has settled: final text, valid until the next take().
    View settled() const { return View(m_text).substr(0, settledEnd()); }

    qint64 replacements() const { return m_count; }

private:
    struct Pair {
        Buffer find;
        Buffer replace;
        std::optional<UnitFinder<Unit>> finder; // keeps a view of find
    };

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
        if (m_pairs.size() >= indexFrom) {
            m_index = std::make_unique<PatternIndex<Unit>>(std::move(finds));
            m_candidate.assign(m_pairs.size(), 0);
        }
    }

    size_t settledEnd() const { return m_marks.empty() ? m_text.size() : m_text.size() - m_marks.back(); }

    // Replaces pair j's occurrences that start at from or later and end by
    // end; from and end come back moved to the new text.
    void replaceBetween(size_t j, size_t& from, size_t& end)
    {
        Pair& pair = m_pairs[j];
        const size_t f = pair.find.size();
        const size_t r = pair.replace.size();
        size_t at = pair.finder->find(View(m_text).substr(0, end), from);
        if (at == View::npos)
            return;
        m_sites.clear();
        if (f == r) {
            // Same length: in place, nothing moves.
            do {
                m_text.replace(at, f, pair.replace);
                m_sites.push_back(at);
                ++m_count;
                from = at + f;
                at = pair.finder->find(View(m_text).substr(0, end), from);
            } while (at != View::npos);
        } else {
            m_other.assign(m_text, 0, from);
            size_t read = from;
            do {
                m_other.append(m_text, read, at - read);
                m_sites.push_back(m_other.size());
                m_other.append(pair.replace);
                ++m_count;
                read = at + f;
                at = pair.finder->find(View(m_text).substr(0, end), read);
            } while (at != View::npos);
            from = m_other.size();
            m_other.append(m_text, read, View::npos);
            end = end - read + from;
            m_text.swap(m_other);
        }
        if (m_index)
            lookAroundChanges(j, r);
    }

    // A later find text can newly occur only where it overlaps inserted text
    // or spans a place where text was removed.
    void lookAroundChanges(size_t j, size_t inserted)
    {
        const size_t reach = m_index->longest() - 1;
        size_t scanned = 0;
        for (size_t site : m_sites) {
            if (m_unknown == 0)
                return; // every later pair runs anyway
            const size_t start = std::max(scanned, site >= reach ? site - reach : 0);
            const size_t stop = site + inserted;
            if (start < stop)
                m_unknown -= m_index->scan(View(m_text), start, stop, m_candidate, j);
            scanned = std::max(scanned, stop);
        }
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
    Buffer m_other;
    std::vector<size_t> m_sites;
    std::unique_ptr<PatternIndex<Unit>> m_index;
    std::vector<char> m_candidate;
    size_t m_unknown = 0; // pairs not yet known to occur, among those still to run
    qint64 m_count = 0;
    bool m_last = false;
    bool m_prepared = false;
};
