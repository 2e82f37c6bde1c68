// The replacement chain's thresholds: where one way of working starts to cost
// less than another. Tests set them low, so that few pairs on a short text
// take every way.
#pragma once

#include <cstddef>

struct ChainTuning {
    // From this many pairs on, finding the pairs that occur costs less than
    // looking for each one: the index is used.
    size_t indexFrom = 32;
    // A few places, or one per this many units of text at most, are kept
    // between pairs; where finds are denser, the index only tells which
    // pairs occur.
    size_t fewFinds = 64;
    size_t denseFinds = 32;
    // Replacing this often makes working out where later finds can start
    // around a pair's replace text worth it.
    size_t workOutStartsAfter = 256;
    // The finds listed per such start at most; beyond it, any may start there.
    size_t mostListed = 16;
    // With the index, pieces are gathered up to this many units before the
    // pairs run, so that what every pair costs per round is paid less often:
    // where finds are dense, as then each pair that occurs searches the whole
    // text anyway, or where few pairs replace, as each of those moves the
    // text behind its first place once a round. 0 runs them on every piece.
    size_t gatherUpTo = 262144;
    // Pieces are gathered only while at most one in this many pairs replaced
    // in the last round (or finds are dense).
    size_t fewReplacingPer = 256;
};
