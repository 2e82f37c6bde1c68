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
// looks again there and nowhere else. That part, the places kept between
// pairs, is in chainplaces.cpp.
//
// Pairs in a row that cannot affect one another (no find text can share text
// with another's, or with the replace text of a pair before it) give the
// result of running one after another when run together: their finds are
// looked for in one pass and the text is rewritten once (chaintogether.cpp).
#pragma once

#include "engine/output/settledchange.h"
#include "engine/replace/chaintuning.h"
#include "engine/replace/shortcopy.h"
#include "engine/search/findtextindex.h"
#include "engine/search/multifinder.h"
#include "engine/search/unitfinder.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

template <class Unit> class ReplacementChain {
public:
    using View = std::basic_string_view<Unit>;
    using Buffer = std::basic_string<Unit>;

    explicit ReplacementChain(ChainTuning tuning = {}) : m_tuning(tuning) { }

    void addPair(Buffer find, Buffer replace)
    {
        m_pairs.push_back({std::move(find), std::move(replace), {}, 0});
        m_marks.push_back(0);
    }
    size_t size() const { return m_pairs.size(); }

    // See ChainTuning::gatherUpTo.
    void gatherUpTo(size_t units) { m_tuning.gatherUpTo = units; }

    // The next piece of input; with last set, none follows. Drops the text
    // that settled() gave before.
    void take(View in, bool last);

    // Pair j's share of the piece taken: the text that pair j - 1 has settled.
    // Pairs run in order, each once per piece.
    void runPair(size_t j);

    // Whether the piece taken waits for more before the pairs run.
    bool gathering() const { return m_gathering; }

    // What every pair has settled: final text, valid until the next take().
    View settled() const { return m_gathering ? View() : View(m_text).substr(0, settledEnd()); }

    qint64 replacements() const { return m_count; }

    // For a review, before the first piece: keeps where each replaced part
    // stands and what it replaced, and how often each pair replaced. Every
    // pair then searches for itself (no index, none run together), which
    // gives the same text. Settled pieces never end inside a replaced part.
    void trackChanges() { m_tracking = true; }
    // The replaced parts of settled(), in order, none overlapping.
    SettledChanges<Unit> settledChanges() const;
    // Per pair, its replacements so far; only while tracking.
    const std::vector<qint64>& replacementsOfPairs() const { return m_countOf; }

private:
    struct Pair {
        Buffer find;
        Buffer replace;
        std::optional<UnitFinder<Unit>> finder; // keeps a view of find
        size_t replaceAt; // where a copy of replace stands in m_replaces
    };
    static constexpr size_t slack = shortCopyBlock<Unit>;
    // Where, relative to a replacement, a later find may start.
    struct Start {
        ptrdiff_t offset;
        std::vector<uint32_t> finds; // empty: too many to list
    };

    // Where the pairs' finds occur in the piece taken.
    void findInPiece();

    void prepare();

    // The last of the pairs from j on that run together with it now, j where
    // it runs alone: where the index tells which pairs occur, those in a row
    // that do; where places are kept, each replaces at its own.
    size_t runsThrough(size_t j);

    // The last pair up to which the pairs from j on could run together.
    size_t canRunThrough(size_t j);

    // Whether pair a, before pair b, neither hides an occurrence of b's find
    // text nor makes one: then b finds in a's result what it finds before it.
    // An empty replace text could join any find text's two halves.
    bool cannotAffect(size_t a, size_t b) const;

    // Pairs first to last replace what they find in one pass over the text
    // up to end, each from its own mark, and settle it as one after another
    // would: none can find what another hides or makes.
    void runTogether(size_t first, size_t last, size_t end);

    // Puts each pair's replace text in place of its find at m_runSites, in
    // one copy of the text, and moves the places given with the text (none
    // lies inside a replacement). Where the index is kept, m_sitesOf tells
    // where each pair's replacements now stand.
    void rewriteRun(size_t first, size_t* places, size_t count);

    // Between rounds.
    size_t settledEnd() const
    {
        const size_t end = m_marks.empty() ? m_text.size() : m_text.size() - m_marks.back();
        return m_tracking ? endBeforeChange(end) : end;
    }

    // Tracking: end, or the start of a replaced part that spans it.
    size_t endBeforeChange(size_t end) const;
    // Tracking: pair j's replacements at m_sites (not yet rewritten) join the
    // parts replaced before, merged where they overlap.
    void trackSites(size_t j);
    // Tracking: the settled text of the last round is dropped from the front.
    void dropTrackedBefore(size_t end);

    // Replaces pair j's occurrences that start at from or later and end by
    // end, and keeps where they now stand in m_sites; from and end come back
    // moved to the new text. Tells whether it replaced any.
    bool replaceBetween(size_t j, size_t& from, size_t& end);

    // Pair j's share of the places found: those from `from` that end by end,
    // left to right, none overlapping an earlier one. The rest of the found
    // places follow the text; from and end come back moved to the new text.
    // Tells whether it replaced any.
    bool replaceFound(size_t j, size_t& from, size_t& end);

    // Puts replace in place of the f units at each of m_sites, moving only
    // the text from the first site on.
    void rewriteAtSites(const Buffer& replace, size_t f);

    // Moves the places found for later pairs past pair j's replacements at
    // m_sites (before them, of find length f, now of length r), and drops the
    // places a replacement touched: what is there now is looked at again.
    void followChanges(size_t f, size_t r);

    // A later find text can newly occur only where it overlaps inserted text
    // or spans a place where text was removed; the places found there join
    // the others in order.
    void lookAroundChanges(size_t j, size_t inserted);

    // Every place from the longest find's reach before each change to its end.
    void lookAroundSites(size_t j, size_t inserted);

    // Only the places, relative to each change, where a later find text could
    // overlap the replace text. Where places are not kept, only a find not
    // yet known to occur is worth looking for: the changes are taken a batch
    // at a time, and a start stops being looked at once all its finds occur.
    void lookAtStarts(size_t j, size_t inserted, const std::vector<Start>& starts);

    // New only where it meets a change; else it was found before and followed.
    // Places come in order, so the changes before first are behind them all.
    void keepIfNew(size_t k, size_t at, size_t inserted, size_t& first);

    // For a pair that has replaced often: the starts, relative to one of its
    // replacements, at which a later find text agrees with the replace text
    // wherever the two overlap, each with the finds that can start there
    // (none listed when there are many). Worked out once, as it costs a look
    // at every later find. None when text is removed, as then any later find
    // may span the place.
    const std::vector<Start>* startsNear(size_t j);

    // Where pair j must stop for now: the first place from which the settled
    // text up to end is the beginning of the find text, as more input could
    // complete an occurrence there.
    size_t keptBack(View find, size_t from, size_t end) const;

    ChainTuning m_tuning;
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
    std::vector<uint32_t> m_replacedNow; // and in this one
    bool m_placesKept = true; // in this piece
    bool m_keepPlaces = true; // in the next
    size_t m_roundSites = 0; // replacements in this piece
    std::vector<size_t> m_places;
    std::vector<uint32_t> m_replacedOf; // per pair, its replacements up to that many
    std::unordered_map<size_t, std::vector<Start>> m_startsNear;
    std::vector<ptrdiff_t> m_offsets;
    size_t m_roundEnd = 0; // where the last round's text ends, and the pieces gathered since begin
    bool m_gathering = false;
    // Pairs run together (bytes only, where the processor can).
    bool m_together = false;
    std::vector<uint32_t> m_canRunThrough;
    size_t m_ranThrough = 0; // in this round, the pairs before it have run
    std::vector<MultiFinder::Site> m_runSites;
    std::array<std::vector<size_t>, MultiFinder::most> m_sitesOf;
    Buffer m_spare;
    Buffer m_replaces;
    qint64 m_count = 0;
    struct Change {
        size_t at;
        size_t length;
        Buffer before;
    };
    bool m_tracking = false;
    std::vector<Change> m_changes; // in m_text, in order
    std::vector<Change> m_changesBefore; // room for trackSites
    std::vector<qint64> m_countOf;
    bool m_last = false;
    bool m_prepared = false;
};

extern template class ReplacementChain<char>;
extern template class ReplacementChain<char16_t>;
