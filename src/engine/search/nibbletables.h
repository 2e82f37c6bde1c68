// Tables that tell, thirty-two places at a time, where a find text of one of
// up to eight groups may start: each of a place's first three bytes is looked
// up by its low and its high half (sixteen lookups in one instruction), and a
// group passes where all six lookups allow it. A group allows the halves of
// its bytes separately, so some places pass that begin none of its find
// texts: what passes is a candidate, to be compared. Bytes only, at the
// AVX2 search level.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TALLOWMERE_NIBBLE_TABLES 1
#endif

struct NibbleTables {
    static constexpr size_t groups = 8;
    static constexpr size_t offsets = 3; // bytes looked at per place

    // Whether the search level in use can; without it, candidates() finds none.
    static bool available();

    void clear();
    void allow(unsigned group, size_t offset, unsigned char byte)
    {
        const auto bit = uint8_t(1u << group);
        low[offset][byte & 0x0F] |= bit;
        low[offset][16 + (byte & 0x0F)] |= bit;
        high[offset][byte >> 4] |= bit;
        high[offset][16 + (byte >> 4)] |= bit;
    }
    void allowAny(unsigned group, size_t offset)
    {
        for (size_t half = 0; half < 32; ++half) {
            low[offset][half] |= uint8_t(1u << group);
            high[offset][half] |= uint8_t(1u << group);
        }
    }

    // For each place in [from, to) at which some group passes, writes
    // place << 8 | (a bit per group that passes) at out[count++]; out needs
    // room for to - from more. Stops before a block whose bytes would reach
    // past `readable` and tells where it stopped (to when it did not).
    size_t candidates(const char* text, size_t from, size_t to, size_t readable, uint64_t* out, size_t& count) const;

    // Per offset, per value of a half: a bit per group that allows it. Both
    // 16-byte lanes hold the same table, as the lookup is per lane.
    alignas(32) uint8_t low[offsets][32] = {};
    alignas(32) uint8_t high[offsets][32] = {};
};

#ifdef TALLOWMERE_NIBBLE_TABLES
// A bit per group that passes at each of the 32 places from at, which has
// offsets - 1 more bytes after them. Only where available() says so.
__attribute__((target("avx2"))) inline __m256i groupsPassing(const NibbleTables& tables, const char* at)
{
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    __m256i pass = _mm256_set1_epi8(-1);
    for (size_t p = 0; p < NibbleTables::offsets; ++p) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + p));
        const __m256i low = _mm256_load_si256(reinterpret_cast<const __m256i*>(tables.low[p]));
        const __m256i high = _mm256_load_si256(reinterpret_cast<const __m256i*>(tables.high[p]));
        pass = _mm256_and_si256(pass,
            _mm256_and_si256(_mm256_shuffle_epi8(low, _mm256_and_si256(bytes, nibble)),
                _mm256_shuffle_epi8(high, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble))));
    }
    return pass;
}
#endif
