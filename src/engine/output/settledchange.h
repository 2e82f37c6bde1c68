// One replaced part of a settled piece, as a review of the result sees it:
// where the new text stands in the piece and what the source had there. The
// replacement chain tells them when asked to; a review sink takes them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

template <class Unit> struct SettledChange {
    size_t at; // in the settled piece
    size_t length; // of the text that took the source's place; 0 where it was deleted
    std::basic_string<Unit> before; // the source's text there
};

template <class Unit> using SettledChanges = std::vector<SettledChange<Unit>>;
