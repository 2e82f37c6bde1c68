#include "engine/output/linebreaks.h"

#include "engine/search/searchlevel.h"
#include "engine/search/vectorblock.h"

#include <algorithm>
#include <cstring>

namespace {

// Each byte lane counts down by one per break; summed every 255 blocks at most.
constexpr size_t blocksPerSum = 255;

#ifdef __SSE2__
qint64 breaksSse2(const char* text, size_t& from, size_t size)
{
    size_t at = from; // not through the reference, which the compiler would store every block
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    qint64 breaks = 0;
    while (at + 16 <= size) {
        const size_t blocks = std::min(blocksPerSum, (size - at) / 16);
        __m128i lanes = zero;
        for (size_t b = 0; b < blocks; ++b, at += 16) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at - 1));
            const __m128i loneLf = _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(units, lf));
            lanes = _mm_sub_epi8(lanes, _mm_or_si128(_mm_cmpeq_epi8(units, cr), loneLf));
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        breaks += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
    }
    // The last few bytes: the block that ends with them, its lanes before them left out.
    if (at < size && size >= 17) {
        const size_t last = size - 16;
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + last));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + last - 1));
        const __m128i loneLf = _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(units, lf));
        const unsigned found = unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(units, cr), loneLf)));
        // Its bits counted in place: the processor's own count is not asked for in this build.
        unsigned bits = found >> (at - last);
        bits = bits - ((bits >> 1) & 0x5555u);
        bits = (bits & 0x3333u) + ((bits >> 2) & 0x3333u);
        bits = (bits + (bits >> 4)) & 0x0F0Fu;
        breaks += (bits + (bits >> 8)) & 0x1Fu;
        at = size;
    }
    from = at;
    return breaks;
}
#endif

#ifdef TALLOWMERE_AVX2_BLOCKS
// 0xFF in each lane that holds a break, of the 32 bytes at text.
__attribute__((target("avx2"))) inline __m256i breaksAt(const char* text, __m256i cr, __m256i lf)
{
    const __m256i units = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text));
    const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text - 1));
    const __m256i loneLf = _mm256_andnot_si256(_mm256_cmpeq_epi8(before, cr), _mm256_cmpeq_epi8(units, lf));
    return _mm256_or_si256(_mm256_cmpeq_epi8(units, cr), loneLf);
}

// Two blocks a round, each in its own lanes, as one alone leaves the processor waiting.
__attribute__((target("avx2"))) qint64 breaksAvx2(const char* text, size_t& from, size_t size)
{
    size_t at = from; // not through the reference, which the compiler would store every block
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i zero = _mm256_setzero_si256();
    qint64 breaks = 0;
    while (at + 64 <= size) {
        const size_t rounds = std::min(blocksPerSum, (size - at) / 64);
        __m256i first = zero;
        __m256i second = zero;
        for (size_t r = 0; r < rounds; ++r, at += 64) {
            first = _mm256_sub_epi8(first, breaksAt(text + at, cr, lf));
            second = _mm256_sub_epi8(second, breaksAt(text + at + 32, cr, lf));
        }
        const __m256i sums = _mm256_add_epi64(_mm256_sad_epu8(first, zero), _mm256_sad_epu8(second, zero));
        const __m128i halves = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
        breaks += _mm_cvtsi128_si64(halves) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(halves, halves));
    }
    from = at;
    return breaks;
}
#endif

template <class Unit> qint64 breaksFrom(std::basic_string_view<Unit> text, size_t at, qint64 breaks)
{
    for (; at < text.size(); ++at)
        breaks += text[at] == Unit('\r') || (text[at] == Unit('\n') && text[at - 1] != Unit('\r'));
    return breaks;
}

template <class Unit> qint64 firstBreak(std::basic_string_view<Unit> text, bool afterCR)
{
    return text[0] == Unit('\r') || (text[0] == Unit('\n') && !afterCR);
}

} // namespace

qint64 lineBreaksIn(std::string_view text, bool afterCR)
{
    if (text.empty())
        return 0;
    qint64 breaks = firstBreak(text, afterCR);
    // From the second byte on, each block looks one byte back.
    size_t at = 1;
    switch (searchLevel()) {
    case SearchLevel::Avx2:
#ifdef TALLOWMERE_AVX2_BLOCKS
        breaks += breaksAvx2(text.data(), at, text.size());
#endif
        [[fallthrough]];
    case SearchLevel::Sse2:
#ifdef __SSE2__
        breaks += breaksSse2(text.data(), at, text.size());
#endif
        break;
    case SearchLevel::Scalar: break;
    }
    return breaksFrom(text, at, breaks);
}

qint64 lineBreaksIn(std::u16string_view text, bool afterCR)
{
    return text.empty() ? 0 : breaksFrom(text, 1, firstBreak(text, afterCR));
}

size_t lastLineFeed(std::string_view text)
{
    size_t end = text.size();
#if defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
    if (searchLevel() != SearchLevel::Scalar) {
        const __m128i lf = _mm_set1_epi8('\n');
        for (; end >= 16; end -= 16) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + end - 16));
            const unsigned found = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(units, lf)));
            if (found != 0)
                return end - 16 + size_t(31 - __builtin_clz(found));
        }
    }
#endif
    return text.substr(0, end).rfind('\n');
}

size_t lastLineFeed(std::u16string_view text)
{
    return text.rfind(u'\n');
}

size_t firstLineBreak(std::string_view text)
{
    // A short text is looked at in place; a longer one with memchr for
    // each, whose search is wider, as a line holds few of either.
    if (text.size() < 16) {
        for (size_t at = 0; at < text.size(); ++at) {
            if (text[at] == '\r' || text[at] == '\n')
                return at;
        }
        return text.size();
    }
    const char* lf = static_cast<const char*>(std::memchr(text.data(), '\n', text.size()));
    const size_t end = lf ? size_t(lf - text.data()) : text.size();
    const char* cr = static_cast<const char*>(std::memchr(text.data(), '\r', end));
    return cr ? size_t(cr - text.data()) : end;
}

size_t firstLineBreak(std::u16string_view text)
{
    return size_t(
        std::find_if(text.begin(), text.end(), [](char16_t u) { return u == u'\r' || u == u'\n'; }) - text.begin());
}
