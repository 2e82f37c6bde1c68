// Finds up to eight find texts in one pass over a text, where no two of them
// can meet: a run of pairs that do not affect each other is then searched and
// rewritten once instead of once per pair. Each byte position is tested for
// the first three bytes of every find text at once, by the two halves of each
// byte looked up in small tables (sixteen lookups in one instruction), and
// the whole find text is compared only where they agree. Only for bytes, on
// processors that have the 32-byte instructions for it.
#pragma once

#include "engine/replace/needlehead.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Whether a and b agree on every unit where they overlap, in some placement
// in which they overlap: then an occurrence of one can share text with an
// occurrence of the other.
template <class Unit>
bool canMeet(std::basic_string_view<Unit> a, std::basic_string_view<Unit> b)
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
    static constexpr size_t most = 8;
    struct Site {
        Site() {} // left unset, as the search makes room for a block's sites before it knows them
        Site(size_t place, uint32_t find)
            : at(place), which(find)
        {
        }
        size_t at;
        uint32_t which; // the find text's place in the list given
    };

    // Whether this processor can; without it, nothing may be constructed.
    static bool available();

    // At most `most` find texts, none empty, no two of which can meet; the
    // views must stay valid while the finder is used.
    explicit MultiFinder(std::vector<std::string_view> finds);

    // Appends every occurrence of find text k that starts at starts[k] or
    // later and ends within text, in order of place; those of one find text
    // none overlapping the one before.
    void findAll(std::string_view text, const size_t* starts, std::vector<Site>& sites) const;

    // What the search reads per byte position. Per byte of the find texts'
    // first three: for each value of its low and its high half, a bit per
    // find text that allows it there. Per find text of at most sixteen bytes
    // that cannot overlap itself (most of them), those bytes and which of
    // them count, compared at a candidate place without a branch.
    struct Head {
        uint64_t words[2] = {0, 0};
        uint64_t masks[2] = {0, 0};
    };
    struct Tables {
        alignas(32) uint8_t low[3][32] = {};
        alignas(32) uint8_t high[3][32] = {};
        Head heads[most];
        unsigned quick = 0; // a bit per find text compared so
    };

private:
    std::vector<std::string_view> m_finds;
    std::vector<NeedleHead<char>> m_heads;
    Tables m_tables;
};
