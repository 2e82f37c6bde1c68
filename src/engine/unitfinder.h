// Finds a literal run of code units (bytes or UTF-16 units) in a buffer. It
// scans with a vectorised single-unit search for the needle's least common
// unit and compares the whole needle only there. The replacement engine's matcher.
#pragma once

#include <QtGlobal>
#include <cstring>
#include <string>
#include <string_view>

// Pointer to the first unit equal to unit in [begin, end), or end.
const char* findUnit(const char* begin, const char* end, char unit);
const char16_t* findUnit(const char16_t* begin, const char16_t* end, char16_t unit);
// How common a unit is in ordinary text and CSV data; higher is more common.
int unitFrequencyRank(char16_t unit);

template <class Unit>
class UnitFinder {
public:
    using View = std::basic_string_view<Unit>;
    static constexpr size_t npos = View::npos;

    explicit UnitFinder(View needle)
        : m_needle(needle)
    {
        for (size_t i = 1; i < needle.size(); ++i) {
            if (unitFrequencyRank(static_cast<char16_t>(static_cast<std::make_unsigned_t<Unit>>(needle[i])))
                < unitFrequencyRank(static_cast<char16_t>(static_cast<std::make_unsigned_t<Unit>>(needle[m_rare]))))
                m_rare = i;
        }
    }

    // The first occurrence that starts at from or later and ends within hay.
    size_t find(View hay, size_t from) const
    {
        const size_t m = m_needle.size();
        if (m == 0 || hay.size() < m || from > hay.size() - m)
            return npos;
        const Unit* const base = hay.data();
        const Unit rare = m_needle[m_rare];
        const Unit* scan = base + from + m_rare;
        const Unit* const scanEnd = base + (hay.size() - m) + m_rare + 1;
        while (scan < scanEnd) {
            scan = findUnit(scan, scanEnd, rare);
            if (scan == scanEnd)
                return npos;
            const Unit* start = scan - m_rare;
            if (start[0] == m_needle[0] && std::memcmp(start, m_needle.data(), m * sizeof(Unit)) == 0)
                return static_cast<size_t>(start - base);
            ++scan;
        }
        return npos;
    }

private:
    View m_needle;
    size_t m_rare = 0;
};
