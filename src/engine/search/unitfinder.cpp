#include "engine/search/unitfinder.h"

#include "engine/search/findtexthead.h"
#include "engine/search/searchlevel.h"
#include "engine/search/vectorblock.h"

#include <QStringView>
#include <QtAlgorithms>

#include <cstring>

namespace {

constexpr size_t notFound = size_t(-1);

// After an occurrence at start, the first position a further one may start
// at. Clears the candidates in mask before it and tells whether any of the
// block at i is left to look at.
inline bool skipOccurrence(
    size_t start, size_t length, size_t& i, size_t blockUnits, unsigned bitsPerUnit, unsigned& mask)
{
    const size_t next = start + length;
    if (next >= i + blockUnits) {
        i = next;
        return false;
    }
    mask &= ~0u << ((next - i) * bitsPerUnit);
    return true;
}

// The starts from i to lastStart one at a time: the last ones, too few for a
// block, or all of them at the scalar level.
template <class Unit>
size_t findOneByOne(const Unit* hay, size_t i, size_t lastStart, const Unit* findText, size_t length, size_t probe1,
    size_t probe2, std::vector<size_t>* sites)
{
    while (i <= lastStart) {
        if (hay[i + probe1] == findText[probe1] && hay[i + probe2] == findText[probe2]
            && matchesAt(hay + i, findText, length)) {
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

// The candidate loop, once for every level: a block of Block::units starts
// at a time while the block's loads, which reach at most Block::units - 1
// units past a start, stay within the find text's span. Stops at the first
// occurrence without sites (at is set), else at the first start too late for
// a block (i is set).
template <class Block, class Unit>
__attribute__((always_inline)) inline bool findInBlocks(const Block& block, const Unit* hay, size_t size, size_t& i,
    size_t lastStart, const FindTextHead<Unit>& head, size_t length, size_t probe1, size_t probe2,
    std::vector<size_t>* sites, size_t& at)
{
    constexpr unsigned bitsPerUnit = sizeof(Unit);
    while (i + Block::units <= lastStart + 1) {
        unsigned mask = block.candidates(hay + i, probe1, probe2);
        bool more = true;
        while (more && mask != 0) {
            const size_t start = i + qCountTrailingZeroBits(mask) / bitsPerUnit;
            mask &= mask - 1;
            if (!head.matches(hay, size, start))
                continue;
            if (!sites) {
                at = start;
                return true;
            }
            sites->push_back(start);
            more = skipOccurrence(start, length, i, Block::units, bitsPerUnit, mask);
        }
        if (more)
            i += Block::units;
    }
    return false;
}

#ifdef __SSE2__
template <class Unit>
size_t findSse2(const Unit* hay, size_t size, size_t from, const Unit* findText, size_t length, size_t probe1,
    size_t probe2, std::vector<size_t>* sites)
{
    const size_t lastStart = size - length;
    const FindTextHead<Unit> head(findText, length);
    size_t i = from;
    size_t at = notFound;
    if (findInBlocks(Sse2PairBlock<Unit>(findText[probe1], findText[probe2]), hay, size, i, lastStart, head, length,
            probe1, probe2, sites, at)
        || findInBlocks(Sse2Block<Unit>(findText[probe1], findText[probe2]), hay, size, i, lastStart, head, length,
            probe1, probe2, sites, at))
        return at;
    return findOneByOne(hay, i, lastStart, findText, length, probe1, probe2, sites);
}
#endif

#ifdef TALLOWMERE_AVX2_BLOCKS
// A pair's pass over a piece is most of what a dense chain of pairs costs:
// thirty-two bytes at a time where the processor has it.
template <class Unit>
__attribute__((target("avx2"))) size_t findAvx2(const Unit* hay, size_t size, size_t from, const Unit* findText,
    size_t length, size_t probe1, size_t probe2, std::vector<size_t>* sites)
{
    const size_t lastStart = size - length;
    const FindTextHead<Unit> head(findText, length);
    size_t i = from;
    size_t at = notFound;
    if (findInBlocks(Avx2Block<Unit>(findText[probe1], findText[probe2]), hay, size, i, lastStart, head, length, probe1,
            probe2, sites, at))
        return at;
    return findOneByOne(hay, i, lastStart, findText, length, probe1, probe2, sites);
}
#endif

// The first occurrence at from or later; or, given sites, every occurrence
// from there, none overlapping the one before, appended to them.
template <class Unit>
size_t findAtLevel(const Unit* hay, size_t size, size_t from, const Unit* findText, size_t length, size_t probe1,
    size_t probe2, std::vector<size_t>* sites)
{
    if (length == 0 || size < length || from > size - length)
        return notFound;
    const SearchLevel level = searchLevel();
#ifdef TALLOWMERE_AVX2_BLOCKS
    if (level == SearchLevel::Avx2)
        return findAvx2(hay, size, from, findText, length, probe1, probe2, sites);
#endif
#ifdef __SSE2__
    if (level != SearchLevel::Scalar)
        return findSse2(hay, size, from, findText, length, probe1, probe2, sites);
#endif
    return findOneByOne(hay, from, size - length, findText, length, probe1, probe2, sites);
}

} // namespace

size_t findUnits(const char* hay, size_t size, size_t from, const char* findText, size_t length, size_t probe1,
    size_t probe2, std::vector<size_t>* sites)
{
    if (length == 1) {
        for (; from < size; ++from) {
            const void* found = std::memchr(hay + from, static_cast<unsigned char>(findText[0]), size - from);
            if (!found)
                break;
            from = size_t(static_cast<const char*>(found) - hay);
            if (!sites)
                return from;
            sites->push_back(from);
        }
        return notFound;
    }
    return findAtLevel(hay, size, from, findText, length, probe1, probe2, sites);
}

size_t findUnits(const char16_t* hay, size_t size, size_t from, const char16_t* findText, size_t length, size_t probe1,
    size_t probe2, std::vector<size_t>* sites)
{
    if (length == 1) {
        for (; from < size; ++from) {
            const qsizetype at = QStringView(hay + from, qsizetype(size - from)).indexOf(QChar(findText[0]));
            if (at < 0)
                break;
            from += size_t(at);
            if (!sites)
                return from;
            sites->push_back(from);
        }
        return notFound;
    }
    return findAtLevel(hay, size, from, findText, length, probe1, probe2, sites);
}
