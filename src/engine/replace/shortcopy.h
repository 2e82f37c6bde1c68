// Copies of the short stretches between replacements: most are a few units,
// and a fixed copy of a few blocks costs less than a call that works out the
// length. A copy may write up to a block past its end, never read past what
// its source has.
#pragma once

#include <cstddef>
#include <cstring>

// Units a block holds.
template <class Unit> constexpr size_t shortCopyBlock = 32 / sizeof(Unit);

// Copies n units from in, which has `readable` units, to out, which has room
// for a block more than n (four at least).
template <class Unit> void copyShort(Unit* out, const Unit* in, size_t n, size_t readable)
{
    constexpr size_t block = shortCopyBlock<Unit>;
    if (n > 8 * block || readable < 4 * block || (n > 4 * block && readable < n + block)) {
        std::memcpy(out, in, n * sizeof(Unit));
        return;
    }
    // The first four blocks whatever n is: most stretches are shorter, and a
    // copy costs less than a wrong guess of where a loop ends.
    std::memcpy(out, in, 4 * block * sizeof(Unit));
    for (size_t c = 4 * block; c < n; c += block)
        std::memcpy(out + c, in + c, block * sizeof(Unit));
}
