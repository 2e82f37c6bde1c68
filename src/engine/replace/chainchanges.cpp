// The replaced parts that a review of the chain's result is told: kept in
// step with every replacement, merged where a later pair replaces over an
// earlier one's text, and handed out with the settled text.
#include "engine/replace/replacementchain.h"

#include <algorithm>

namespace {

// A deletion meets a find only strictly inside it; text meets text where they share a unit.
bool meets(size_t at, size_t length, size_t from, size_t end)
{
    return length > 0 ? at < end && at + length > from : from < at && at < end;
}

} // namespace

template <class Unit> size_t ReplacementChain<Unit>::endBeforeChange(size_t end) const
{
    for (size_t c = m_changes.size(); c-- > 0;) {
        const Change& change = m_changes[c];
        if (change.at >= end)
            continue;
        return change.at + change.length > end ? change.at : end;
    }
    return end;
}

template <class Unit> void ReplacementChain<Unit>::trackSites(size_t j)
{
    const size_t f = m_pairs[j].find.size();
    const ptrdiff_t grow = ptrdiff_t(m_pairs[j].replace.size()) - ptrdiff_t(f);
    // Into the room the parts had before, which they swap back to below.
    std::vector<Change>& out = m_changesBefore;
    out.clear();
    out.reserve(m_changes.size() + m_sites.size());
    ptrdiff_t delta = 0;
    size_t c = 0;
    size_t s = 0;
    while (s < m_sites.size() || c < m_changes.size()) {
        if (c < m_changes.size()
            && (s == m_sites.size()
                || (m_changes[c].at <= m_sites[s]
                    && !meets(m_changes[c].at, m_changes[c].length, m_sites[s], m_sites[s] + f)))) {
            Change change = std::move(m_changes[c++]);
            change.at = size_t(ptrdiff_t(change.at) + delta);
            out.push_back(std::move(change));
            continue;
        }
        // A group: this site and every earlier part and later site that it reaches.
        size_t from = m_sites[s];
        size_t end = from + f;
        const size_t firstChange = c;
        ptrdiff_t sites = 1;
        ++s;
        for (bool grew = true; grew;) {
            grew = false;
            while (c < m_changes.size() && meets(m_changes[c].at, m_changes[c].length, from, end)) {
                from = std::min(from, m_changes[c].at);
                end = std::max(end, m_changes[c].at + m_changes[c].length);
                ++c;
                grew = true;
            }
            while (s < m_sites.size() && m_sites[s] < end) {
                end = std::max(end, m_sites[s] + f);
                ++s;
                ++sites;
                grew = true;
            }
        }
        Change merged{size_t(ptrdiff_t(from) + delta), size_t(ptrdiff_t(end - from) + sites * grow), {}};
        size_t at = from;
        for (size_t k = firstChange; k < c; ++k) {
            merged.before.append(m_text, at, m_changes[k].at - at);
            merged.before.append(m_changes[k].before);
            at = m_changes[k].at + m_changes[k].length;
        }
        merged.before.append(m_text, at, end - at);
        out.push_back(std::move(merged));
        delta += sites * grow;
    }
    m_changes.swap(out);
    m_countOf[j] += qint64(m_sites.size());
}

template <class Unit> void ReplacementChain<Unit>::dropTrackedBefore(size_t end)
{
    size_t given = 0;
    while (given < m_changes.size() && m_changes[given].at + m_changes[given].length <= end)
        ++given;
    m_changes.erase(m_changes.begin(), m_changes.begin() + ptrdiff_t(given));
    for (Change& change : m_changes)
        change.at -= end;
}

template <class Unit> SettledChanges<Unit> ReplacementChain<Unit>::settledChanges() const
{
    SettledChanges<Unit> changes;
    if (m_gathering)
        return changes;
    const size_t end = settledEnd();
    changes.reserve(m_changes.size());
    for (const Change& change : m_changes) {
        if (change.at + change.length > end)
            break;
        changes.push_back({change.at, change.length, change.before});
    }
    return changes;
}

template size_t ReplacementChain<char>::endBeforeChange(size_t) const;
template void ReplacementChain<char>::trackSites(size_t);
template void ReplacementChain<char>::dropTrackedBefore(size_t);
template SettledChanges<char> ReplacementChain<char>::settledChanges() const;
template size_t ReplacementChain<char16_t>::endBeforeChange(size_t) const;
template void ReplacementChain<char16_t>::trackSites(size_t);
template void ReplacementChain<char16_t>::dropTrackedBefore(size_t);
template SettledChanges<char16_t> ReplacementChain<char16_t>::settledChanges() const;
