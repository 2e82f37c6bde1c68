// Finds a literal run of code units (bytes or UTF-16 units) in a buffer. The
// find text's two least common units (by a fixed table of how often units
// occur in text and CSV data) are compared at sixteen or thirty-two positions
// at once, as the search level allows; the whole find text is compared only
// where both agree. The replacement engine's matcher.
#pragma once

#include "engine/search/unitfrequency.h"

#include <QtGlobal>

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// The first start at or after from where the find text occurs wholly within
// [hay, hay + size), or size_t(-1). probe1 and probe2 are the find text's
// positions checked first (both 0 for one of one unit). Given sites,
// every start from there on, none overlapping the one before, is appended
// to them instead, and size_t(-1) returned.
size_t findUnits(const char* hay, size_t size, size_t from, const char* findText, size_t length, size_t probe1,
    size_t probe2, std::vector<size_t>* sites = nullptr);
size_t findUnits(const char16_t* hay, size_t size, size_t from, const char16_t* findText, size_t length, size_t probe1,
    size_t probe2, std::vector<size_t>* sites = nullptr);

template <class Unit> class UnitFinder {
public:
    using View = std::basic_string_view<Unit>;
    static constexpr size_t npos = View::npos;

    explicit UnitFinder(View findText) : m_findText(findText)
    {
        const auto rank = [&](size_t i) {
            return unitFrequencyRank(static_cast<char16_t>(static_cast<std::make_unsigned_t<Unit>>(findText[i])));
        };
        for (size_t i = 1; i < findText.size(); ++i) {
            if (rank(i) < rank(m_probe1))
                m_probe1 = i;
        }
        m_probe2 = m_probe1 == 0 && findText.size() > 1 ? 1 : 0;
        for (size_t i = 0; i < findText.size(); ++i) {
            if (i != m_probe1 && rank(i) < rank(m_probe2))
                m_probe2 = i;
        }
    }

    // The first occurrence that starts at from or later and ends within hay.
    size_t find(View hay, size_t from) const
    {
        if (m_findText.empty())
            return npos;
        return findUnits(hay.data(), hay.size(), from, m_findText.data(), m_findText.size(), m_probe1, m_probe2);
    }

    // Appends every occurrence that starts at from or later and ends within
    // hay, left to right, none overlapping the one before, to sites.
    void findAll(View hay, size_t from, std::vector<size_t>& sites) const
    {
        if (!m_findText.empty())
            findUnits(hay.data(), hay.size(), from, m_findText.data(), m_findText.size(), m_probe1, m_probe2, &sites);
    }

private:
    View m_findText;
    size_t m_probe1 = 0;
    size_t m_probe2 = 0;
};
