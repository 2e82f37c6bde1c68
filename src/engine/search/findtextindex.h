// Finds where any of many find texts occur in a stretch of text, in one pass
// over it: a position that a filter of the first two units lets through is
// looked up in a hash table keyed by the first one, two or four units there,
// and only the find texts filed under that key are compared. In bytes, at the
// AVX2 search level, the positions are picked by their first three bytes
// thirty-two at a time first (NibbleTables, the find texts grouped by their
// first byte); at the SSE2 level, where few bytes begin a find, sixteen at a
// time by those bytes and the ones that follow them. Memory is a few bytes
// per find text and a filter of fixed size (about 300 KiB),
// whatever the text's size. The replacement chain replaces at the places it
// finds, or asks only which find texts occur.
#pragma once

#include "engine/search/nibbletables.h"
#include "engine/search/searchlevel.h"

#include <QtAlgorithms>
#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

template <class Unit> class FindTextIndex {
public:
    using View = std::basic_string_view<Unit>;

    // The views must stay valid while the index is used; empty ones are never found.
    explicit FindTextIndex(std::vector<View> findTexts)
        : m_findTexts(std::move(findTexts)),
          m_next(m_findTexts.size(), 0)
    {
        size_t counts[3] = {0, 0, 0};
        for (View findText : m_findTexts) {
            if (!findText.empty())
                ++counts[classOf(findText.size())];
            m_longest = std::max(m_longest, findText.size());
        }
        for (int c = 0; c < 3; ++c) {
            if (counts[c] == 0)
                continue;
            int bits = 8;
            while (bits < 24 && (size_t(1) << bits) < 4 * counts[c])
                ++bits;
            m_tables[c].bits = bits;
            m_tables[c].heads.assign(size_t(1) << bits, 0);
        }
        // Filed in reverse, so that each chain lists its find texts in order.
        for (size_t k = m_findTexts.size(); k-- > 0;) {
            const View findText = m_findTexts[k];
            if (findText.empty())
                continue;
            Table& table = m_tables[classOf(findText.size())];
            uint32_t& head = table.heads[slot(table, keyAt(findText.data(), keyLength(classOf(findText.size()))))];
            m_next[k] = head;
            head = uint32_t(k + 1);
            if (findText.size() >= 2) {
                const size_t bit = filterBit(keyAt(findText.data(), 2));
                m_filter[bit / 64] |= uint64_t(1) << (bit % 64);
                ++m_sharing[bit];
                ++m_startingWith[firstByte(findText)];
            }
        }
        // The scan strategies the search level in use allows.
        if constexpr (sizeof(Unit) == 1) {
            m_byFirstBytes = searchLevel() != SearchLevel::Scalar;
            m_byNibbles = NibbleTables::available();
            if (m_byNibbles)
                fillNibbles(m_allNibbles, [](size_t) { return true; });
        }
    }

    size_t longest() const { return m_longest; }
    size_t lengthOf(size_t k) const { return m_findTexts[k].size(); }

    // Calls found(k, at) for every find text k after `after` (all when it is
    // -1) that starts at a position at in [from, to) and ends within text,
    // in order of position.
    template <class Found> void scan(View text, size_t from, size_t to, size_t after, Found&& found) const
    {
        if (!m_tables[0].heads.empty())
            scanEveryPlace<true>(m_filter.data(), text, from, to, after, found);
        else if (to - std::min(to, from) >= widely && m_byNibbles)
            scanByNibbles(m_filter.data(), text, from, to, after, found, [&]() { return &m_allNibbles; });
        else if (to - std::min(to, from) >= widely && m_byFirstBytes)
            scanByFirstBytes(m_filter.data(), text, from, to, after, found);
        else
            scanEveryPlace<false>(m_filter.data(), text, from, to, after, found);
    }

    // Sets occurs[k] for every find text k that starts in [from, to) and
    // ends within text, and for every k in assumed, whether it occurs or
    // not; counts how often they were found. Once found or assumed, a find
    // text no longer holds its bit of the filter, so that the text where the
    // common ones occur is passed over quickly.
    size_t markOccurring(
        View text, size_t from, size_t to, std::vector<uint32_t>& occurs, const std::vector<uint32_t>& assumed = {})
    {
        m_live = m_filter;
        m_given.clear();
        size_t places = 0;
        const auto mark = [&](size_t k) {
            if (occurs[k]++ != 0 || m_findTexts[k].size() < 2)
                return;
            m_given.push_back(k);
            const size_t bit = filterBit(keyAt(m_findTexts[k].data(), 2));
            if (--m_sharing[bit] == 0)
                m_live[bit / 64] &= ~(uint64_t(1) << (bit % 64));
            --m_startingWith[firstByte(m_findTexts[k])];
        };
        const auto found = [&](size_t k, size_t) {
            ++places;
            mark(k);
        };
        for (uint32_t k : assumed)
            mark(k);
        if (!m_tables[0].heads.empty()) {
            scanEveryPlace<true>(m_live.data(), text, from, to, size_t(-1), found);
        } else if (m_byNibbles) {
            // The tables are filled again once as many finds have been
            // found as when they were last: the common ones drop out early.
            size_t filledFor = size_t(-1);
            const auto live = [&]() -> const NibbleTables* {
                if (filledFor != size_t(-1) && m_given.size() < 2 * filledFor + 1)
                    return &m_liveNibbles;
                filledFor = m_given.size();
                const bool any = fillNibbles(m_liveNibbles, [&](size_t k) { return occurs[k] == 0; });
                return any ? &m_liveNibbles : nullptr;
            };
            scanByNibbles(m_live.data(), text, from, to, size_t(-1), found, live);
        } else if (m_byFirstBytes) {
            scanByFirstBytes(m_live.data(), text, from, to, size_t(-1), found);
        } else {
            scanEveryPlace<false>(m_live.data(), text, from, to, size_t(-1), found);
        }
        for (size_t k : m_given) {
            ++m_sharing[filterBit(keyAt(m_findTexts[k].data(), 2))];
            ++m_startingWith[firstByte(m_findTexts[k])];
        }
        return places;
    }

private:
    struct Table {
        int bits = 0;
        std::vector<uint32_t> heads; // findText index + 1, 0 for none
    };

    template <bool singles, class Found>
    void scanEveryPlace(const uint64_t* filter, View text, size_t from, size_t to, size_t after, Found& found) const
    {
        const size_t size = text.size();
        const Unit* units = text.data();
        const size_t end = std::min(to, size);
        // Most positions begin no find text of two units or more: a bit per
        // pair of first units rules them out before any table is read.
        const size_t pairsEnd = size < 2 ? 0 : std::min(end, size - 1);
        size_t i = from;
        for (; i < pairsEnd; ++i) {
            if constexpr (singles)
                visit<1>(m_tables[0], units, size, i, after, found);
            const size_t bit = filterBit(keyAt<2>(units + i));
            if ((filter[bit / 64] >> (bit % 64) & 1) == 0)
                continue;
            visit<2>(m_tables[1], units, size, i, after, found);
            visit<4>(m_tables[2], units, size, i, after, found);
        }
        if constexpr (singles) {
            for (; i < end; ++i)
                visit<1>(m_tables[0], units, size, i, after, found);
        }
    }

    // Fills tables with the find texts of two units or more that `wanted`
    // picks, grouped by their first byte; tells whether there were any.
    template <class Wanted> bool fillNibbles(NibbleTables& tables, Wanted&& wanted) const
    {
        tables.clear();
        bool any = false;
        for (size_t k = 0; k < m_findTexts.size(); ++k) {
            const View findText = m_findTexts[k];
            if (findText.size() < 2 || !wanted(k))
                continue;
            any = true;
            const auto group = unsigned(firstByte(findText) % NibbleTables::groups);
            for (size_t p = 0; p < NibbleTables::offsets; ++p) {
                if (p < findText.size())
                    tables.allow(group, p, static_cast<unsigned char>(findText[p]));
                else
                    tables.allowAny(group, p);
            }
        }
        return any;
    }

    // The positions that tables() lets through, a slice at a time, are
    // looked up; it gives none when nothing is left to find.
    template <class Found, class Tables>
    void scanByNibbles(
        const uint64_t* filter, View text, size_t from, size_t to, size_t after, Found& found, Tables&& tables) const
    {
        const size_t size = text.size();
        const char* units = reinterpret_cast<const char*>(text.data());
        const size_t pairsEnd = size < 2 ? 0 : std::min(to, size - 1);
        m_candidates.resize(slice);
        for (size_t i = from; i < pairsEnd;) {
            const NibbleTables* pick = tables();
            if (!pick)
                return;
            const size_t sliceEnd = std::min(pairsEnd, i + slice);
            size_t count = 0;
            const size_t stop = pick->candidates(units, i, sliceEnd, size, m_candidates.data(), count);
            for (size_t c = 0; c < count; ++c) {
                const size_t start = size_t(m_candidates[c] >> 8);
                scanEveryPlace<false>(filter, text, start, start + 1, after, found);
            }
            scanEveryPlace<false>(filter, text, stop, sliceEnd, after, found);
            i = sliceEnd;
        }
    }

    // Where few bytes begin a find text (all there are, or those left once
    // the common ones are found), they and the bytes that follow them in
    // one are looked for sixteen at a time, and only where a pair of them
    // stands is the filter read.
    template <class Found>
    void scanByFirstBytes(const uint64_t* filter, View text, size_t from, size_t to, size_t after, Found& found) const
    {
#ifdef __SSE2__
        if constexpr (sizeof(Unit) == 1) {
            const size_t size = text.size();
            const Unit* units = text.data();
            const size_t pairsEnd = size < 2 ? 0 : std::min(to, size - 1);
            constexpr size_t block = 4096;
            constexpr int most = 4;
            constexpr int mostSeconds = 8;
            size_t i = from;
            // Chosen again once finds were found, at the next block: till then
            // the bytes chosen still let through every find left.
            size_t chosenFor = size_t(-1); // how many finds were found when they were chosen
            int count = 0;
            int seconds = 0;
            __m128i firsts[most];
            __m128i nexts[mostSeconds];
            while (i < pairsEnd) {
                const size_t blockEnd = std::min(pairsEnd, i + block);
                if (chosenFor != m_given.size()) {
                    chosenFor = m_given.size();
                    count = 0;
                    bool followers[256] = {};
                    for (int b = 0; b < 256 && count <= most; ++b) {
                        if (m_startingWith[size_t(b)] == 0)
                            continue;
                        if (count < most) {
                            firsts[count] = _mm_set1_epi8(static_cast<char>(b));
                            for (size_t next = 0; next < 256; ++next)
                                followers[next] = followers[next] || m_sharing[size_t(b) | next << 8] != 0;
                        }
                        ++count;
                    }
                    for (int c = count; c < most; ++c)
                        firsts[c] = firsts[0];
                    seconds = 0;
                    for (int b = 0; b < 256 && seconds <= mostSeconds; ++b) {
                        if (!followers[b])
                            continue;
                        if (seconds < mostSeconds)
                            nexts[seconds] = _mm_set1_epi8(static_cast<char>(b));
                        ++seconds;
                    }
                    for (int c = seconds; c < mostSeconds; ++c)
                        nexts[c] = nexts[0];
                }
                if (count == 0)
                    return; // nothing of two units or more is left to find
                if (count > most) {
                    scanEveryPlace<false>(filter, text, i, blockEnd, after, found);
                    i = blockEnd;
                    continue;
                }
                const bool bySeconds = seconds <= mostSeconds;
                // A load reads 16 bytes from i + 1, all before pairsEnd + 1 <= size.
                for (; i + 16 <= blockEnd; i += 16) {
                    const __m128i at = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
                    __m128i hits
                        = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(at, firsts[0]), _mm_cmpeq_epi8(at, firsts[1])),
                            _mm_or_si128(_mm_cmpeq_epi8(at, firsts[2]), _mm_cmpeq_epi8(at, firsts[3])));
                    if (bySeconds && _mm_movemask_epi8(hits) != 0) {
                        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i + 1));
                        __m128i follows = _mm_cmpeq_epi8(next, nexts[0]);
                        for (int c = 1; c < seconds; ++c)
                            follows = _mm_or_si128(follows, _mm_cmpeq_epi8(next, nexts[c]));
                        hits = _mm_and_si128(hits, follows);
                    }
                    for (unsigned mask = unsigned(_mm_movemask_epi8(hits)); mask != 0; mask &= mask - 1) {
                        const size_t start = i + qCountTrailingZeroBits(mask);
                        scanEveryPlace<false>(filter, text, start, start + 1, after, found);
                    }
                }
                scanEveryPlace<false>(filter, text, i, blockEnd, after, found);
                i = blockEnd;
            }
            return;
        }
#endif
        scanEveryPlace<false>(filter, text, from, to, after, found);
    }

    template <size_t length, class Found>
    void visit(const Table& table, const Unit* units, size_t size, size_t i, size_t after, Found& found) const
    {
        if (table.heads.empty() || size - i < length)
            return;
        for (uint32_t entry = table.heads[(keyAt<length>(units + i) * multiplier) >> (64 - table.bits)]; entry != 0;) {
            const size_t k = entry - 1;
            entry = m_next[k];
            if (k + 1 <= after + 1)
                continue;
            const View findText = m_findTexts[k];
            // The last unit first: it tells most near misses apart without a call.
            if (findText.size() <= size - i && units[i + findText.size() - 1] == findText.back()
                && std::memcmp(units + i, findText.data(), findText.size() * sizeof(Unit)) == 0)
                found(k, i);
        }
    }

    static size_t firstByte(View findText)
    {
        return static_cast<unsigned char>(findText[0]) & 0xFF;
    }
    static int classOf(size_t length)
    {
        return length >= 4 ? 2 : length >= 2 ? 1 : 0;
    }
    static size_t keyLength(int c)
    {
        return c == 2 ? 4 : c == 1 ? 2 : 1;
    }
    template <size_t length> static uint64_t keyAt(const Unit* at)
    {
        uint64_t key = 0;
        std::memcpy(&key, at, length * sizeof(Unit));
        return key;
    }
    // Two bytes are their own bit; two UTF-16 units are hashed to one.
    static size_t filterBit(uint64_t key)
    {
        if constexpr (sizeof(Unit) == 1)
            return size_t(key);
        else
            return size_t((key * multiplier) >> 48);
    }
    static uint64_t keyAt(const Unit* at, size_t length)
    {
        uint64_t key = 0;
        std::memcpy(&key, at, length * sizeof(Unit));
        return key;
    }
    static size_t slot(const Table& table, uint64_t key)
    {
        return size_t((key * multiplier) >> (64 - table.bits));
    }

    static constexpr uint64_t multiplier = 0x9E3779B97F4A7C15ull;
    // From this many positions on, a scan looks for the bytes that begin a find first.
    static constexpr size_t widely = 256;

    std::vector<View> m_findTexts;
    std::vector<uint32_t> m_next; // the next findText under the same slot
    std::vector<uint64_t> m_filter = std::vector<uint64_t>(1024, 0); // 65,536 bits
    std::vector<uint32_t> m_sharing = std::vector<uint32_t>(65536, 0); // find texts per bit
    std::vector<uint64_t> m_live; // the filter while marking
    std::vector<size_t> m_given; // find texts found while marking, which gave up their bits
    // Find texts of two units or more by their first byte (by its low byte for UTF-16).
    std::vector<uint32_t> m_startingWith = std::vector<uint32_t>(256, 0);
    bool m_byNibbles = false;
    bool m_byFirstBytes = false;
    NibbleTables m_allNibbles; // every find text of two units or more
    NibbleTables m_liveNibbles; // those not yet found while marking
    mutable std::vector<uint64_t> m_candidates;
    static constexpr size_t slice = 4096; // positions picked at a time
    Table m_tables[3];
    size_t m_longest = 0;
};
