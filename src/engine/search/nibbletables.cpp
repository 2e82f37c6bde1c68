#include "engine/search/nibbletables.h"

#include "engine/search/searchlevel.h"

#include <QtAlgorithms>

#include <algorithm>
#include <cstring>

namespace {

#ifdef TALLOWMERE_NIBBLE_TABLES
__attribute__((target("avx2"))) size_t candidatesWide(
    const NibbleTables& tables, const char* text, size_t from, size_t to, size_t readable, uint64_t* out, size_t& count)
{
    const __m256i none = _mm256_setzero_si256();
    size_t n = count;
    size_t i = from;
    // The loads reach two bytes past the block.
    for (; i < to && i + 32 + NibbleTables::offsets - 1 <= readable; i += 32) {
        const __m256i pass = groupsPassing(tables, text + i);
        uint32_t mask = ~uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(pass, none)));
        if (to - i < 32)
            mask &= (uint32_t(1) << (to - i)) - 1;
        if (mask == 0)
            continue;
        alignas(32) uint8_t bits[32];
        _mm256_store_si256(reinterpret_cast<__m256i*>(bits), pass);
        for (; mask != 0; mask &= mask - 1) {
            const unsigned at = qCountTrailingZeroBits(mask);
            out[n++] = uint64_t(i + at) << 8 | bits[at];
        }
    }
    count = n;
    return std::min(i, to);
}
#endif

} // namespace

bool NibbleTables::available()
{
#ifdef TALLOWMERE_NIBBLE_TABLES
    return searchLevel() == SearchLevel::Avx2;
#else
    return false;
#endif
}

void NibbleTables::clear()
{
    std::memset(low, 0, sizeof low);
    std::memset(high, 0, sizeof high);
}

size_t NibbleTables::candidates(
    const char* text, size_t from, size_t to, size_t readable, uint64_t* out, size_t& count) const
{
#ifdef TALLOWMERE_NIBBLE_TABLES
    if (available())
        return candidatesWide(*this, text, from, to, readable, out, count);
#endif
    Q_UNUSED(text);
    Q_UNUSED(to);
    Q_UNUSED(readable);
    Q_UNUSED(out);
    Q_UNUSED(count);
    return from;
}
