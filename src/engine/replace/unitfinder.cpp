#include "engine/replace/unitfinder.h"
#include "engine/replace/needlehead.h"

#include <QStringView>
#include <QtAlgorithms>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TALLOWMERE_AVX2_FINDER 1
#endif

namespace {

// A rough order of how often bytes occur in text and CSV files: space, lower
// case letters by English frequency, digits and field punctuation are common;
// control characters and bytes above 7F are rare.
constexpr int rankOf(unsigned unit)
{
    constexpr const char* lower = "etaoinsrhldcumfpgwybvkxjqz";
    constexpr const char* upper = "ETAOINSRHLDCUMFPGWYBVKXJQZ";
    if (unit == ' ')
        return 255;
    if (unit == ',' || unit == '.' || unit == '0' || unit == '1' || unit == '2')
        return 215;
    if (unit >= '3' && unit <= '9')
        return 205;
    if (unit == '\r' || unit == '\n' || unit == '"' || unit == ';' || unit == '-' || unit == ':')
        return 170;
    if (unit == '\t' || unit == '/' || unit == '\'' || unit == '(' || unit == ')' || unit == '_' || unit == '@')
        return 110;
    for (int i = 0; lower[i] != 0; ++i) {
        if (unit == static_cast<unsigned>(lower[i]))
            return 250 - 3 * i;
        if (unit == static_cast<unsigned>(upper[i]))
            return 150 - 2 * i;
    }
    if (unit >= 0x21 && unit < 0x7F)
        return 60;
    if (unit >= 0x80 && unit < 0xC0)
        return 50; // UTF-8 continuation bytes
    return 30;
}

constexpr size_t notFound = size_t(-1);

#ifdef __SSE2__
// Bit k of the result is set when start position k may hold the needle.
inline unsigned candidates(const char* at, size_t probe1, size_t probe2, __m128i unit1, __m128i unit2)
{
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + probe1));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + probe2));
    return unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, unit1), _mm_cmpeq_epi8(b, unit2))));
}

// Two mask bits per unit; bit 2k stands for start position k.
inline unsigned candidates(const char16_t* at, size_t probe1, size_t probe2, __m128i unit1, __m128i unit2)
{
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + probe1));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + probe2));
    return unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, unit1), _mm_cmpeq_epi16(b, unit2)))) & 0x5555u;
}

inline __m128i broadcast(char unit) { return _mm_set1_epi8(unit); }
inline __m128i broadcast(char16_t unit) { return _mm_set1_epi16(static_cast<short>(unit)); }
#endif

// After an occurrence at start, the first position a further one may start
// at. Clears the candidates in mask before it and tells whether any of the
// block at i is left to look at.
inline bool skipOccurrence(size_t start, size_t length, size_t& i, size_t blockUnits, unsigned bitsPerUnit,
                           unsigned& mask)
{
    const size_t next = start + length;
    if (next >= i + blockUnits) {
        i = next;
        return false;
    }
    mask &= ~0u << ((next - i) * bitsPerUnit);
    return true;
}

// The last starts, too few for a block, one at a time.
template <class Unit>
size_t findInTail(const Unit* hay, size_t i, size_t lastStart, const Unit* needle, size_t length, size_t probe1,
                  size_t probe2, std::vector<size_t>* sites)
{
    while (i <= lastStart) {
        if (hay[i + probe1] == needle[probe1] && hay[i + probe2] == needle[probe2]
            && matchesAt(hay + i, needle, length)) {
            if (!sites)
                return i;
            sites->push_back(i);
            i += length;
        } else {
            ++i;
        }
    }
    return notFound;
}

// The first occurrence at from or later; or, given sites, every occurrence
// from there, none overlapping the one before, appended to them.
template <class Unit>
size_t findGeneric(const Unit* hay, size_t size, size_t from, const Unit* needle, size_t length, size_t probe1,
                   size_t probe2, std::vector<size_t>* sites)
{
    if (length == 0 || size < length || from > size - length)
        return notFound;
    const size_t lastStart = size - length;
    size_t i = from;
#ifdef __SSE2__
    constexpr size_t lanes = 16 / sizeof(Unit);
    constexpr unsigned bitsPerUnit = sizeof(Unit);
    const __m128i unit1 = broadcast(needle[probe1]);
    const __m128i unit2 = broadcast(needle[probe2]);
    const NeedleHead<Unit> head(needle, length);
    // Loads reach at most lanes - 1 units past a start, within the needle's span.
    // Candidates are rare: two blocks are tested at a time, their masks
    // joined in order (each mask has 16 bits).
    while (i + 2 * lanes <= lastStart + 1) {
        const unsigned low = candidates(hay + i, probe1, probe2, unit1, unit2);
        const unsigned high = candidates(hay + i + lanes, probe1, probe2, unit1, unit2);
        unsigned mask = low | high << 16;
        bool more = true;
        while (more && mask != 0) {
            const size_t start = i + qCountTrailingZeroBits(mask) / bitsPerUnit;
            mask &= mask - 1;
            if (!head.matches(hay, size, start))
                continue;
            if (!sites)
                return start;
            sites->push_back(start);
            more = skipOccurrence(start, length, i, 2 * lanes, bitsPerUnit, mask);
        }
        if (more)
            i += 2 * lanes;
    }
    while (i + lanes <= lastStart + 1) {
        unsigned mask = candidates(hay + i, probe1, probe2, unit1, unit2);
        bool more = true;
        while (more && mask != 0) {
            const size_t start = i + qCountTrailingZeroBits(mask) / bitsPerUnit;
            mask &= mask - 1;
            if (!head.matches(hay, size, start))
                continue;
            if (!sites)
                return start;
            sites->push_back(start);
            more = skipOccurrence(start, length, i, lanes, bitsPerUnit, mask);
        }
        if (more)
            i += lanes;
    }
#endif
    return findInTail(hay, i, lastStart, needle, length, probe1, probe2, sites);
}

#ifdef TALLOWMERE_AVX2_FINDER
// The same search thirty-two bytes at a time, on processors that have it: a
// pair's pass over a piece is most of what a dense chain of pairs costs.
__attribute__((target("avx2"))) inline unsigned wideCandidates(const char* at, size_t probe1, size_t probe2,
                                                               __m256i unit1, __m256i unit2)
{
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probe1));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probe2));
    return unsigned(_mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, unit1), _mm256_cmpeq_epi8(b, unit2))));
}

// Two mask bits per unit; bit 2k stands for start position k.
__attribute__((target("avx2"))) inline unsigned wideCandidates(const char16_t* at, size_t probe1, size_t probe2,
                                                               __m256i unit1, __m256i unit2)
{
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probe1));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probe2));
    return unsigned(_mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi16(a, unit1), _mm256_cmpeq_epi16(b, unit2))))
        & 0x55555555u;
}

__attribute__((target("avx2"))) inline __m256i wideBroadcast(char unit) { return _mm256_set1_epi8(unit); }
__attribute__((target("avx2"))) inline __m256i wideBroadcast(char16_t unit)
{
    return _mm256_set1_epi16(static_cast<short>(unit));
}

template <class Unit>
__attribute__((target("avx2"))) size_t findWide(const Unit* hay, size_t size, size_t from, const Unit* needle,
                                                size_t length, size_t probe1, size_t probe2,
                                                std::vector<size_t>* sites)
{
    if (length == 0 || size < length || from > size - length)
        return notFound;
    const size_t lastStart = size - length;
    constexpr size_t lanes = 32 / sizeof(Unit);
    constexpr unsigned bitsPerUnit = sizeof(Unit);
    const __m256i unit1 = wideBroadcast(needle[probe1]);
    const __m256i unit2 = wideBroadcast(needle[probe2]);
    const NeedleHead<Unit> head(needle, length);
    size_t i = from;
    // Loads reach at most lanes - 1 units past a start, within the needle's span.
    while (i + lanes <= lastStart + 1) {
        unsigned mask = wideCandidates(hay + i, probe1, probe2, unit1, unit2);
        bool more = true;
        while (more && mask != 0) {
            const size_t start = i + qCountTrailingZeroBits(mask) / bitsPerUnit;
            mask &= mask - 1;
            if (!head.matches(hay, size, start))
                continue;
            if (!sites)
                return start;
            sites->push_back(start);
            more = skipOccurrence(start, length, i, lanes, bitsPerUnit, mask);
        }
        if (more)
            i += lanes;
    }
    return findInTail(hay, i, lastStart, needle, length, probe1, probe2, sites);
}

#endif

template <class Unit>
size_t findAny(const Unit* hay, size_t size, size_t from, const Unit* needle, size_t length, size_t probe1,
               size_t probe2, std::vector<size_t>* sites)
{
#ifdef TALLOWMERE_AVX2_FINDER
    if (wideSearchUsed())
        return findWide(hay, size, from, needle, length, probe1, probe2, sites);
#endif
    return findGeneric(hay, size, from, needle, length, probe1, probe2, sites);
}

} // namespace

// TALLOWMERE_NARROW_SEARCH keeps the sixteen-byte search, so that it can be
// tested, and used, on processors that have the wide one.
bool wideSearchUsed()
{
#ifdef TALLOWMERE_AVX2_FINDER
    // Worked out at the first call: other files ask while their statics are set up.
    static const bool used = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0)
        && std::getenv("TALLOWMERE_NARROW_SEARCH") == nullptr;
    return used;
#else
    return false;
#endif
}

int unitFrequencyRank(char16_t unit)
{
    return rankOf(unit);
}

size_t findUnits(const char* hay, size_t size, size_t from, const char* needle, size_t length, size_t probe1,
                 size_t probe2, std::vector<size_t>* sites)
{
    if (length == 1) {
        for (; from < size; ++from) {
            const void* found = std::memchr(hay + from, static_cast<unsigned char>(needle[0]), size - from);
            if (!found)
                break;
            from = size_t(static_cast<const char*>(found) - hay);
            if (!sites)
                return from;
            sites->push_back(from);
        }
        return notFound;
    }
    return findAny(hay, size, from, needle, length, probe1, probe2, sites);
}

size_t findUnits(const char16_t* hay, size_t size, size_t from, const char16_t* needle, size_t length,
                 size_t probe1, size_t probe2, std::vector<size_t>* sites)
{
    if (length == 1) {
        for (; from < size; ++from) {
            const qsizetype at = QStringView(hay + from, qsizetype(size - from)).indexOf(QChar(needle[0]));
            if (at < 0)
                break;
            from += size_t(at);
            if (!sites)
                return from;
            sites->push_back(from);
        }
        return notFound;
    }
    return findAny(hay, size, from, needle, length, probe1, probe2, sites);
}
