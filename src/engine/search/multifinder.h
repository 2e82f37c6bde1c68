// Finds up to eight find texts in one pass over a text, where no two of them
// can meet: a run of pairs that do not affect each other is then searched and
// rewritten once instead of once per pair. Places are picked by the find
// texts' first three bytes, sixty-four at a time (NibbleTables, a group per
// find text), and the find text that may start there is compared. Below the
// AVX2 search level every place is compared, which finds the same and costs
// more than a search per find text.
#pragma once

#include "engine/search/findtexthead.h"
#include "engine/search/nibbletables.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Whether a and b agree on every unit where they overlap, in some placement
// in which they overlap: then an occurrence of one can share text with an
// occurrence of the other.
template <class Unit> bool canMeet(std::basic_string_view<Unit> a, std::basic_string_view<Unit> b)
{
    const ptrdiff_t la = ptrdiff_t(a.size());
    const ptrdiff_t lb = ptrdiff_t(b.size());
    // a starts at offset o of b.
    for (ptrdiff_t o = 1 - la; o < lb; ++o) {
        bool agrees = true;
        for (ptrdiff_t i = o < 0 ? -o : 0; agrees && i < la && o + i < lb; ++i)
            agrees = a[size_t(i)] == b[size_t(o + i)];
        if (agrees)
            return true;
    }
    return false;
}

class MultiFinder {
public:
    static constexpr size_t most = NibbleTables::groups;
    struct Site {
        Site() { } // left unset: room is made for candidates before they are compared
        Site(size_t place, uint32_t find) : at(place), which(find) { }
        size_t at;
        uint32_t which; // the find text's place in the list given
    };

    // Whether a pass for several find texts costs less than a pass for each
    // at the search level in use.
    static bool pays() { return NibbleTables::available(); }

    // At most `most` find texts, none empty, no two of which can meet; the
    // views must stay valid while the finder is used.
    explicit MultiFinder(std::vector<std::string_view> finds);

    // Appends every occurrence of find text k that starts at starts[k] or
    // later and ends within text, in order of place; those of one find text
    // none overlapping the one before.
    void findAll(std::string_view text, const size_t* starts, std::vector<Site>& sites) const;

private:
    // A find text's first sixteen bytes and which of them count.
    struct Head {
        uint64_t words[2] = {0, 0};
        uint64_t masks[2] = {0, 0};
    };

    void confirm(
        std::string_view text, size_t start, unsigned candidates, size_t* next, Site* out, size_t& count) const;
    void findWide(std::string_view text, size_t& i, size_t* next, std::vector<Site>& sites) const;

    std::vector<std::string_view> m_finds;
    std::vector<FindTextHead<char>> m_heads;
    NibbleTables m_tables;
    // Find texts of at most sixteen bytes that cannot overlap themselves
    // (most of them) are compared at a candidate place without a branch.
    Head m_short[most];
    unsigned m_quick = 0; // a bit per such find text
    size_t m_shortest = size_t(-1);
};
