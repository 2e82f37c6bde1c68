// A block of units compared with two broadcast units at two offsets, at each
// search level: the literal finder's candidate loop is written once over
// these and built for each level. candidates() sets bit k * sizeof(Unit) of
// its result where start k of the block may hold the find text.
#pragma once

#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TALLOWMERE_AVX2_BLOCKS 1
#endif

#ifdef __SSE2__
template <class Unit> struct Sse2Block {
    static constexpr size_t units = 16 / sizeof(Unit);

    Sse2Block(Unit first, Unit second) : unit1(broadcast(first)), unit2(broadcast(second)) { }

    unsigned candidates(const Unit* at, size_t probe1, size_t probe2) const
    {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + probe1));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + probe2));
        if constexpr (sizeof(Unit) == 1)
            return unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, unit1), _mm_cmpeq_epi8(b, unit2))));
        else
            return unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, unit1), _mm_cmpeq_epi16(b, unit2))))
                & 0x5555u;
    }

    static __m128i broadcast(Unit unit)
    {
        if constexpr (sizeof(Unit) == 1)
            return _mm_set1_epi8(static_cast<char>(unit));
        else
            return _mm_set1_epi16(static_cast<short>(unit));
    }

    __m128i unit1;
    __m128i unit2;
};

// Two sixteen-byte blocks, their masks joined in order: candidates are rare,
// and one test of the joined mask per two blocks costs less.
template <class Unit> struct Sse2PairBlock {
    static constexpr size_t units = 2 * Sse2Block<Unit>::units;

    Sse2PairBlock(Unit first, Unit second) : half(first, second) { }

    unsigned candidates(const Unit* at, size_t probe1, size_t probe2) const
    {
        return half.candidates(at, probe1, probe2) | half.candidates(at + Sse2Block<Unit>::units, probe1, probe2) << 16;
    }

    Sse2Block<Unit> half;
};
#endif

#ifdef TALLOWMERE_AVX2_BLOCKS
// Only where searchLevel() is Avx2.
template <class Unit> struct Avx2Block {
    static constexpr size_t units = 32 / sizeof(Unit);

    __attribute__((target("avx2"))) Avx2Block(Unit first, Unit second)
        : unit1(broadcast(first)),
          unit2(broadcast(second))
    {
    }

    __attribute__((target("avx2"))) unsigned candidates(const Unit* at, size_t probe1, size_t probe2) const
    {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probe1));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probe2));
        if constexpr (sizeof(Unit) == 1)
            return unsigned(
                _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, unit1), _mm256_cmpeq_epi8(b, unit2))));
        else
            return unsigned(_mm256_movemask_epi8(
                       _mm256_and_si256(_mm256_cmpeq_epi16(a, unit1), _mm256_cmpeq_epi16(b, unit2))))
                & 0x55555555u;
    }

    __attribute__((target("avx2"))) static __m256i broadcast(Unit unit)
    {
        if constexpr (sizeof(Unit) == 1)
            return _mm256_set1_epi8(static_cast<char>(unit));
        else
            return _mm256_set1_epi16(static_cast<short>(unit));
    }

    __m256i unit1;
    __m256i unit2;
};
#endif
