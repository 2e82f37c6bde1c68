// The places kept between pairs: where the index found the later pairs'
// find texts, moved along with each replacement before them, and looked for
// again only where a replacement changed the text.
#include "engine/replace/replacementchain.h"

#include <algorithm>

template <class Unit> void ReplacementChain<Unit>::findInPiece()
{
    std::fill(m_pendingOf.begin(), m_pendingOf.end(), 0);
    m_pending.clear();
    // Where finds are dense, keeping every place in step with every
    // replacement costs more than a search per pair that occurs: then
    // the index only tells which pairs occur. The last piece, by its
    // places or its replacements, tells which way to take this one.
    const size_t from = m_marks.empty() ? 0 : m_marks.back();
    size_t places = m_roundSites;
    m_placesKept = m_keepPlaces;
    if (m_placesKept) {
        places = 0;
        m_index->scan(View(m_text), from, m_text.size(), size_t(-1), [&](size_t k, size_t at) {
            m_pending.push_back({at, uint32_t(k)});
            ++m_pendingOf[k];
            ++places;
        });
    } else {
        // The pairs that replaced in the last piece most likely do so
        // in this one too: they search themselves without being
        // looked for, which costs little when one does not occur.
        m_index->markOccurring(View(m_text), from, m_text.size(), m_pendingOf, m_replacedBefore);
    }
    m_replacedBefore.swap(m_replacedNow);
    m_replacedNow.clear();
    m_keepPlaces = places <= m_tuning.fewFinds + m_text.size() / m_tuning.denseFinds;
    m_roundSites = 0;
}

template <class Unit> bool ReplacementChain<Unit>::replaceFound(size_t j, size_t& from, size_t& end)
{
    const Pair& pair = m_pairs[j];
    const size_t f = pair.find.size();
    const size_t r = pair.replace.size();
    m_sites.clear();
    size_t next = from;
    size_t kept = 0;
    for (const Found& found : m_pending) {
        if (found.pair != j) {
            m_pending[kept++] = found;
        } else if (found.at >= next && found.at + f <= end) {
            m_sites.push_back(found.at);
            next = found.at + f;
        }
    }
    m_pending.resize(kept);
    m_pendingOf[j] = 0;
    if (m_sites.empty())
        return false;
    m_count += qint64(m_sites.size());
    m_roundSites += m_sites.size();
    const size_t moved = m_sites.size() * r - m_sites.size() * f; // wraps when the text shrinks
    rewriteAtSites(pair.replace, f);
    from = next + moved;
    end += moved;
    followChanges(f, r);
    lookAroundChanges(j, r);
    return true;
}

template <class Unit> void ReplacementChain<Unit>::followChanges(size_t f, size_t r)
{
    size_t site = 0;
    size_t kept = 0;
    for (const Found& found : m_pending) {
        while (site < m_sites.size() && m_sites[site] + f <= found.at)
            ++site;
        if (site < m_sites.size() && m_sites[site] < found.at + m_index->lengthOf(found.pair)) {
            --m_pendingOf[found.pair];
            continue;
        }
        m_pending[kept++] = {found.at + site * r - site * f, found.pair};
    }
    m_pending.resize(kept);
    // From here on the sites are where the replacements now stand.
    for (size_t s = 0; s < m_sites.size(); ++s)
        m_sites[s] = m_sites[s] + s * r - s * f;
}

template <class Unit> void ReplacementChain<Unit>::lookAroundChanges(size_t j, size_t inserted)
{
    m_fresh.clear();
    const std::vector<Start>* starts = startsNear(j);
    if (starts)
        lookAtStarts(j, inserted, *starts);
    else
        lookAroundSites(j, inserted);
    if (m_fresh.empty() || !m_placesKept)
        return;
    m_merged.resize(m_pending.size() + m_fresh.size());
    std::merge(m_pending.begin(), m_pending.end(), m_fresh.begin(), m_fresh.end(), m_merged.begin(),
        [](const Found& a, const Found& b) { return a.at < b.at; });
    m_pending.swap(m_merged);
}

template <class Unit> void ReplacementChain<Unit>::lookAroundSites(size_t j, size_t inserted)
{
    const size_t reach = m_index->longest() - 1;
    size_t scanned = 0;
    size_t first = 0;
    for (size_t s = 0; s < m_sites.size(); ++s) {
        const size_t start = std::max(scanned, m_sites[s] >= reach ? m_sites[s] - reach : 0);
        const size_t stop = m_sites[s] + inserted;
        if (start >= stop)
            continue;
        first = std::max(first, s);
        m_index->scan(View(m_text), start, stop, j, [&](size_t k, size_t at) { keepIfNew(k, at, inserted, first); });
        scanned = stop;
    }
}

template <class Unit>
void ReplacementChain<Unit>::lookAtStarts(size_t j, size_t inserted, const std::vector<Start>& starts)
{
    const size_t batch = m_placesKept ? m_sites.size() : 64;
    for (size_t from = 0; from < m_sites.size(); from += batch) {
        m_offsets.clear();
        for (const Start& start : starts) {
            if (m_placesKept || start.finds.empty()
                || std::any_of(start.finds.begin(), start.finds.end(), [&](uint32_t k) { return m_pendingOf[k] == 0; }))
                m_offsets.push_back(start.offset);
        }
        if (m_offsets.empty())
            return;
        m_places.clear();
        const size_t to = std::min(m_sites.size(), from + batch);
        for (size_t s = from; s < to; ++s) {
            const size_t site = m_sites[s];
            for (ptrdiff_t offset : m_offsets) {
                if (offset >= 0 || size_t(-offset) <= site)
                    m_places.push_back(site + size_t(offset));
            }
        }
        if (m_places.empty())
            continue;
        if (!std::is_sorted(m_places.begin(), m_places.end()))
            std::sort(m_places.begin(), m_places.end());
        m_places.erase(std::unique(m_places.begin(), m_places.end()), m_places.end());
        // The first change not wholly before the first place.
        const size_t lowest = m_places.front();
        size_t first = size_t(std::partition_point(m_sites.begin(), m_sites.end(), [&](size_t site) {
            return site + inserted <= lowest;
        }) - m_sites.begin());
        for (size_t place : m_places)
            m_index->scan(
                View(m_text), place, place + 1, j, [&](size_t k, size_t at) { keepIfNew(k, at, inserted, first); });
    }
}

template <class Unit> void ReplacementChain<Unit>::keepIfNew(size_t k, size_t at, size_t inserted, size_t& first)
{
    while (first < m_sites.size() && m_sites[first] + inserted <= at)
        ++first;
    const size_t length = m_index->lengthOf(k);
    for (size_t c = first; c < m_sites.size() && m_sites[c] < at + length; ++c) {
        if (at + length > m_sites[c] && at < m_sites[c] + inserted) {
            // Where places are not kept, it only matters that it occurs.
            if (m_placesKept)
                m_fresh.push_back({at, uint32_t(k)});
            ++m_pendingOf[k];
            return;
        }
    }
}

template <class Unit> auto ReplacementChain<Unit>::startsNear(size_t j) -> const std::vector<Start>*
{
    const View replace(m_pairs[j].replace);
    if (replace.empty())
        return nullptr;
    if (m_replacedOf[j] < m_tuning.workOutStartsAfter) {
        m_replacedOf[j] = uint32_t(std::min<size_t>(m_tuning.workOutStartsAfter, m_replacedOf[j] + m_sites.size()));
        return nullptr;
    }
    auto known = m_startsNear.find(j);
    if (known != m_startsNear.end())
        return &known->second;
    std::vector<Start>& starts = m_startsNear[j];
    const ptrdiff_t r = ptrdiff_t(replace.size());
    const ptrdiff_t low = -ptrdiff_t(m_index->longest());
    std::vector<Start> possible(size_t(r - low));
    std::vector<char> many(size_t(r - low), 0);
    for (size_t k = j + 1; k < m_pairs.size(); ++k) {
        const View find(m_pairs[k].find);
        const ptrdiff_t length = ptrdiff_t(find.size());
        for (ptrdiff_t o = 1 - length; o < r; ++o) {
            const size_t slot = size_t(o - low);
            if (many[slot])
                continue;
            bool agrees = true;
            for (ptrdiff_t i = std::max<ptrdiff_t>(0, -o); agrees && i < std::min(length, r - o); ++i)
                agrees = find[size_t(i)] == replace[size_t(o + i)];
            if (!agrees)
                continue;
            std::vector<uint32_t>& finds = possible[slot].finds;
            if (finds.size() == m_tuning.mostListed) {
                many[slot] = 1;
                finds.clear();
                finds.shrink_to_fit();
            } else {
                finds.push_back(uint32_t(k));
            }
        }
    }
    for (ptrdiff_t o = low; o < r; ++o) {
        const size_t slot = size_t(o - low);
        if (many[slot] || !possible[slot].finds.empty())
            starts.push_back({o, std::move(possible[slot].finds)});
    }
    return &starts;
}

template void ReplacementChain<char>::findInPiece();
template bool ReplacementChain<char>::replaceFound(size_t, size_t&, size_t&);
template void ReplacementChain<char>::followChanges(size_t, size_t);
template void ReplacementChain<char>::lookAroundChanges(size_t, size_t);
template void ReplacementChain<char>::lookAroundSites(size_t, size_t);
template void ReplacementChain<char>::lookAtStarts(size_t, size_t, const std::vector<Start>&);
template void ReplacementChain<char>::keepIfNew(size_t, size_t, size_t, size_t&);
template const std::vector<ReplacementChain<char>::Start>* ReplacementChain<char>::startsNear(size_t);
template void ReplacementChain<char16_t>::findInPiece();
template bool ReplacementChain<char16_t>::replaceFound(size_t, size_t&, size_t&);
template void ReplacementChain<char16_t>::followChanges(size_t, size_t);
template void ReplacementChain<char16_t>::lookAroundChanges(size_t, size_t);
template void ReplacementChain<char16_t>::lookAroundSites(size_t, size_t);
template void ReplacementChain<char16_t>::lookAtStarts(size_t, size_t, const std::vector<Start>&);
template void ReplacementChain<char16_t>::keepIfNew(size_t, size_t, size_t, size_t&);
template const std::vector<ReplacementChain<char16_t>::Start>* ReplacementChain<char16_t>::startsNear(size_t);
