#include "engine/search/multifinder.h"

#include <QtAlgorithms>

#include <algorithm>
#include <cstring>

MultiFinder::MultiFinder(std::vector<std::string_view> finds) : m_finds(std::move(finds))
{
    for (size_t k = 0; k < m_finds.size(); ++k) {
        const std::string_view find = m_finds[k];
        m_shortest = std::min(m_shortest, find.size());
        m_heads.emplace_back(find.data(), find.size());
        for (size_t p = 0; p < NibbleTables::offsets; ++p) {
            // Past its end a find text allows any byte.
            if (p < find.size())
                m_tables.allow(unsigned(k), p, static_cast<unsigned char>(find[p]));
            else
                m_tables.allowAny(unsigned(k), p);
        }
        bool overlapsItself = false;
        for (size_t shift = 1; shift < find.size() && !overlapsItself; ++shift)
            overlapsItself = find.substr(shift) == find.substr(0, find.size() - shift);
        if (find.size() <= 16 && !overlapsItself) {
            unsigned char bytes[16] = {};
            unsigned char counted[16] = {};
            std::memcpy(bytes, find.data(), find.size());
            std::memset(counted, 0xFF, find.size());
            std::memcpy(m_short[k].words, bytes, 16);
            std::memcpy(m_short[k].masks, counted, 16);
            m_quick |= 1u << k;
        }
    }
}

// Where find k may start at `start`, and k's last occurrence does not
// overlap it, the whole find text is compared. No two find texts can meet,
// so at most one occurs at a place. Found, it is written at out[count].
void MultiFinder::confirm(
    std::string_view text, size_t start, unsigned candidates, size_t* next, Site* out, size_t& count) const
{
    for (; candidates != 0; candidates &= candidates - 1) {
        const unsigned k = qCountTrailingZeroBits(candidates);
        const size_t length = m_finds[k].size();
        if (start < next[k] || length > text.size() - start || !m_heads[k].matches(text.data(), text.size(), start))
            continue;
        out[count++] = Site(start, k);
        next[k] = start + length;
        return;
    }
}

void MultiFinder::findAll(std::string_view text, const size_t* starts, std::vector<Site>& sites) const
{
    const size_t size = text.size();
    const unsigned all = (1u << m_finds.size()) - 1;
    size_t next[most];
    size_t i = size_t(-1);
    size_t from = 0;
    for (size_t k = 0; k < m_finds.size(); ++k) {
        next[k] = starts[k];
        i = std::min(i, starts[k]);
        from = std::max(from, starts[k]);
    }
    if (i >= size)
        return;
    // Room for every occurrence there can be, as none overlap, and one more
    // for a candidate written before it is known to count.
    size_t count = sites.size();
    sites.resize(count + (size - i) / m_shortest + 2);
    // Up to where every find text may start, one place at a time.
    for (; i < from && i < size; ++i)
        confirm(text, i, all, next, sites.data(), count);
    sites.resize(count);
    if (NibbleTables::available())
        findWide(text, i, next, sites);
    count = sites.size();
    sites.resize(count + (size - std::min(i, size)) / m_shortest + 2);
    for (; i < size; ++i)
        confirm(text, i, all, next, sites.data(), count);
    sites.resize(count);
}

// Sixty-four places at a time, while a candidate's sixteen bytes can be read
// at once; i comes back where it stopped.
#ifdef TALLOWMERE_NIBBLE_TABLES
__attribute__((target("avx2")))
#endif
void MultiFinder::findWide(std::string_view text, size_t& i, size_t* next, std::vector<Site>& sites) const
{
#ifdef TALLOWMERE_NIBBLE_TABLES
    const char* hay = text.data();
    const size_t size = text.size();
    size_t count = sites.size();
    sites.resize(count + (size - std::min(i, size)) / m_shortest + 2);
    Site* out = sites.data();
    const __m256i none = _mm256_setzero_si256();
    for (; i + 64 + 15 <= size; i += 64) {
        const __m256i passLow = groupsPassing(m_tables, hay + i);
        const __m256i passHigh = groupsPassing(m_tables, hay + i + 32);
        uint64_t mask = ~(uint64_t(uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(passLow, none))))
            | uint64_t(uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(passHigh, none)))) << 32);
        if (mask == 0)
            continue;
        alignas(32) uint8_t bits[64];
        _mm256_store_si256(reinterpret_cast<__m256i*>(bits), passLow);
        _mm256_store_si256(reinterpret_cast<__m256i*>(bits + 32), passHigh);
        for (; mask != 0; mask &= mask - 1) {
            const unsigned at = qCountTrailingZeroBits(mask);
            const unsigned groups = bits[at];
            const unsigned k = qCountTrailingZeroBits(groups);
            if ((groups & (groups - 1)) != 0 || (m_quick >> k & 1) == 0) {
                confirm(text, i + at, groups, next, out, count);
                continue;
            }
            uint64_t words[2];
            std::memcpy(words, hay + i + at, 16);
            const Head& head = m_short[k];
            out[count] = Site(i + at, k);
            count += (((words[0] ^ head.words[0]) & head.masks[0]) | ((words[1] ^ head.words[1]) & head.masks[1])) == 0;
        }
    }
    sites.resize(count);
#else
    Q_UNUSED(text);
    Q_UNUSED(i);
    Q_UNUSED(next);
    Q_UNUSED(sites);
#endif
}
