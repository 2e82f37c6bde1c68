// Compares a short find text at a place in a text: its first eight bytes with
// one load where the text has them. Shared by the searches.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

// Find texts are short and most candidates are real matches: an inline loop
// beats a library call here.
template <class Unit> bool matchesAt(const Unit* start, const Unit* findText, size_t length)
{
    if (length > 32)
        return std::memcmp(start, findText, length * sizeof(Unit)) == 0;
    for (size_t k = 0; k < length; ++k) {
        if (start[k] != findText[k])
            return false;
    }
    return true;
}

// The find text's first eight bytes, compared with one load where the text
// has them: a dense text meets a candidate every few blocks, and a loop per
// unit with a branch each costs more than the search around it.
template <class Unit> class FindTextHead {
public:
    static constexpr size_t units = 8 / sizeof(Unit);

    FindTextHead(const Unit* findText, size_t length) : m_findText(findText), m_length(length)
    {
        const size_t bytes = std::min(units, length) * sizeof(Unit);
        std::memcpy(&m_word, findText, bytes);
        unsigned char mask[8] = {};
        std::memset(mask, 0xFF, bytes);
        std::memcpy(&m_mask, mask, 8);
    }

    bool matches(const Unit* hay, size_t size, size_t start) const
    {
        if (start + units > size)
            return matchesAt(hay + start, m_findText, m_length);
        uint64_t word;
        std::memcpy(&word, hay + start, 8);
        if (((word ^ m_word) & m_mask) != 0)
            return false;
        return m_length <= units || matchesAt(hay + start + units, m_findText + units, m_length - units);
    }

private:
    const Unit* m_findText;
    size_t m_length;
    uint64_t m_word = 0;
    uint64_t m_mask = 0;
};
