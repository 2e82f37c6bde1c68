#include "engine/replace/multifinder.h"
#include "engine/replace/unitfinder.h"

#include <QtAlgorithms>
#include <algorithm>
#include <array>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TALLOWMERE_MULTI_FINDER 1
#endif

namespace {

constexpr size_t tested = 3; // leading bytes tested by the tables

// Where find k may start at `start`, and k's last occurrence does not
// overlap it, the whole find text is compared. No two find texts can meet,
// so at most one occurs at a place. Found, it is written at out[count].
inline void confirm(const std::vector<std::string_view>& finds, const std::vector<NeedleHead<char>>& heads,
                    const char* hay, size_t size, size_t start, unsigned candidates,
                    std::array<size_t, MultiFinder::most>& next, MultiFinder::Site* out, size_t& count)
{
    for (; candidates != 0; candidates &= candidates - 1) {
        const unsigned k = qCountTrailingZeroBits(candidates);
        const size_t length = finds[k].size();
        if (start < next[k] || length > size - start || !heads[k].matches(hay, size, start))
            continue;
        out[count++] = MultiFinder::Site(start, k);
        next[k] = start + length;
        return;
    }
}

#ifdef TALLOWMERE_MULTI_FINDER
__attribute__((target("avx2"))) inline __m256i table(const uint8_t (&halves)[32])
{
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(halves));
}

// The finds that may start at each of 32 places, by the bytes at an offset
// from them, looked up by each byte's low and high half.
__attribute__((target("avx2"))) inline __m256i allowed(const char* at, __m256i lowTable, __m256i highTable,
                                                       __m256i nibble)
{
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    return _mm256_and_si256(_mm256_shuffle_epi8(lowTable, _mm256_and_si256(bytes, nibble)),
                            _mm256_shuffle_epi8(highTable, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble)));
}

// The finds that may start at each of 32 places.
__attribute__((target("avx2"))) inline __m256i allowedAt(const char* at, const MultiFinder::Tables& tables,
                                                         __m256i nibble)
{
    return _mm256_and_si256(
        allowed(at, table(tables.low[0]), table(tables.high[0]), nibble),
        _mm256_and_si256(allowed(at + 1, table(tables.low[1]), table(tables.high[1]), nibble),
                         allowed(at + 2, table(tables.low[2]), table(tables.high[2]), nibble)));
}

__attribute__((target("avx2"))) void findTogether(const MultiFinder::Tables& tables,
                                                  const std::vector<std::string_view>& finds,
                                                  const std::vector<NeedleHead<char>>& heads, std::string_view text,
                                                  const size_t* starts, std::vector<MultiFinder::Site>& sites)
{
    const char* hay = text.data();
    const size_t size = text.size();
    const unsigned all = (1u << finds.size()) - 1;
    std::array<size_t, MultiFinder::most> next{};
    size_t i = size_t(-1);
    size_t from = 0;
    size_t shortest = size_t(-1);
    for (size_t k = 0; k < finds.size(); ++k) {
        next[k] = starts[k];
        i = std::min(i, starts[k]);
        from = std::max(from, starts[k]);
        shortest = std::min(shortest, finds[k].size());
    }
    if (i >= size)
        return;
    // Room for every occurrence there can be, as none overlap, and one more
    // for a candidate written before it is known to count.
    size_t count = sites.size();
    sites.resize(count + (size - i) / shortest + 2);
    MultiFinder::Site* out = sites.data();
    // Up to where every find text may start, one place at a time.
    for (; i < from && i < size; ++i)
        confirm(finds, heads, hay, size, i, all, next, out, count);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i none = _mm256_setzero_si256();
    // Sixty-four places at a time; a candidate's sixteen bytes are read at
    // once, so the loads reach fifteen bytes past the block.
    for (; i + 64 + 15 <= size; i += 64) {
        const __m256i agreeLow = allowedAt(hay + i, tables, nibble);
        const __m256i agreeHigh = allowedAt(hay + i + 32, tables, nibble);
        uint64_t mask = ~(uint64_t(uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(agreeLow, none))))
                          | uint64_t(uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(agreeHigh, none)))) << 32);
        if (mask == 0)
            continue;
        alignas(32) uint8_t bits[64];
        _mm256_store_si256(reinterpret_cast<__m256i*>(bits), agreeLow);
        _mm256_store_si256(reinterpret_cast<__m256i*>(bits + 32), agreeHigh);
        for (; mask != 0; mask &= mask - 1) {
            const unsigned at = qCountTrailingZeroBits(mask);
            const unsigned candidates = bits[at];
            const unsigned k = qCountTrailingZeroBits(candidates);
            if ((candidates & (candidates - 1)) != 0 || (tables.quick >> k & 1) == 0) {
                confirm(finds, heads, hay, size, i + at, candidates, next, out, count);
                continue;
            }
            uint64_t words[2];
            std::memcpy(words, hay + i + at, 16);
            const MultiFinder::Head& head = tables.heads[k];
            out[count] = MultiFinder::Site(i + at, k);
            count += (((words[0] ^ head.words[0]) & head.masks[0]) | ((words[1] ^ head.words[1]) & head.masks[1])) == 0;
        }
    }
    for (; i < size; ++i)
        confirm(finds, heads, hay, size, i, all, next, out, count);
    sites.resize(count);
}

#endif

} // namespace

bool MultiFinder::available()
{
#ifdef TALLOWMERE_MULTI_FINDER
    // The same instructions as the wide search, and only where it is used.
    return wideSearchUsed();
#else
    return false;
#endif
}

MultiFinder::MultiFinder(std::vector<std::string_view> finds)
    : m_finds(std::move(finds))
{
    for (size_t k = 0; k < m_finds.size(); ++k) {
        const std::string_view find = m_finds[k];
        m_heads.emplace_back(find.data(), find.size());
        const uint8_t bit = uint8_t(1u << k);
        for (size_t p = 0; p < tested; ++p) {
            // Past its end a find text allows any byte.
            for (size_t half = 0; half < 16; ++half) {
                const bool any = p >= find.size();
                const auto byte = any ? 0u : static_cast<unsigned char>(find[p]);
                // Both 16-byte lanes hold the table, as the lookup is per lane.
                if (any || (byte & 0x0F) == half)
                    m_tables.low[p][half] = m_tables.low[p][half + 16] = uint8_t(m_tables.low[p][half] | bit);
                if (any || byte >> 4 == half)
                    m_tables.high[p][half] = m_tables.high[p][half + 16] = uint8_t(m_tables.high[p][half] | bit);
            }
        }
        bool overlapsItself = false;
        for (size_t shift = 1; shift < find.size() && !overlapsItself; ++shift)
            overlapsItself = find.substr(shift) == find.substr(0, find.size() - shift);
        if (find.size() <= 16 && !overlapsItself) {
            unsigned char bytes[16] = {};
            unsigned char counts[16] = {};
            std::memcpy(bytes, find.data(), find.size());
            std::memset(counts, 0xFF, find.size());
            std::memcpy(m_tables.heads[k].words, bytes, 16);
            std::memcpy(m_tables.heads[k].masks, counts, 16);
            m_tables.quick |= bit;
        }
    }
}

void MultiFinder::findAll(std::string_view text, const size_t* starts, std::vector<Site>& sites) const
{
#ifdef TALLOWMERE_MULTI_FINDER
    findTogether(m_tables, m_finds, m_heads, text, starts, sites);
#else
    Q_UNUSED(text);
    Q_UNUSED(starts);
    Q_UNUSED(sites);
#endif
}
