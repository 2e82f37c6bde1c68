// Running pairs together: a row of pairs that cannot affect one another is
// searched in one pass and the text rewritten once (bytes only).
#include "engine/replace/replacementchain.h"
#include "engine/replace/shortcopy.h"

#include <cstring>

template <class Unit> size_t ReplacementChain<Unit>::runsThrough(size_t j)
{
    if (!m_together || m_pairs[j].find.empty() || (m_index && (m_placesKept || m_pendingOf[j] == 0)))
        return j;
    const size_t most = canRunThrough(j);
    size_t last = j;
    while (last < most && (!m_index || m_pendingOf[last + 1] != 0))
        ++last;
    return last;
}

template <class Unit> size_t ReplacementChain<Unit>::canRunThrough(size_t j)
{
    uint32_t& known = m_canRunThrough[j]; // the last one + 1, 0 before it is worked out
    if (known == 0) {
        size_t last = j;
        while (last + 1 < m_pairs.size() && last + 1 - j < MultiFinder::most) {
            bool fits = true;
            for (size_t i = j; fits && i <= last; ++i)
                fits = cannotAffect(i, last + 1);
            if (!fits)
                break;
            ++last;
        }
        known = uint32_t(last + 1);
    }
    return known - 1;
}

template <class Unit> bool ReplacementChain<Unit>::cannotAffect(size_t a, size_t b) const
{
    const Pair& before = m_pairs[a];
    const Pair& after = m_pairs[b];
    return !before.find.empty() && !after.find.empty() && !before.replace.empty()
        && !canMeet(View(before.find), View(after.find)) && !canMeet(View(after.find), View(before.replace));
}

template <class Unit> void ReplacementChain<Unit>::runTogether(size_t first, size_t last, size_t end)
{
    const size_t count = last - first + 1;
    std::vector<std::string_view> finds;
    size_t froms[MultiFinder::most];
    for (size_t k = first; k <= last; ++k) {
        finds.emplace_back(m_pairs[k].find);
        froms[k - first] = m_marks[k];
    }
    m_runSites.clear();
    MultiFinder(std::move(finds)).findAll(std::string_view(m_text.data(), end), froms, m_runSites);
    for (const MultiFinder::Site& site : m_runSites)
        froms[site.which] = site.at + m_pairs[first + site.which].find.size();
    // Each holds back what it would have in the text it would have seen:
    // the text as it came there, as no other's replacement can meet a
    // beginning of its find text; and what each has settled ends where
    // the one before it stopped.
    size_t bound = end;
    size_t settled[MultiFinder::most];
    for (size_t k = 0; k < count; ++k) {
        if (!m_last)
            bound = keptBack(View(m_pairs[first + k].find), froms[k], bound);
        settled[k] = bound;
    }
    if (!m_runSites.empty())
        rewriteRun(first, settled, count);
    for (size_t k = 0; k < count; ++k)
        m_marks[first + k] = m_text.size() - settled[k];
    m_ranThrough = last + 1;
    if (!m_index)
        return;
    for (size_t k = first; k <= last; ++k) {
        if (m_sitesOf[k - first].empty())
            continue;
        m_replacedNow.push_back(uint32_t(k));
        m_roundSites += m_sitesOf[k - first].size();
        m_sites.swap(m_sitesOf[k - first]);
        lookAroundChanges(k, m_pairs[k].replace.size());
    }
}

template <class Unit> void ReplacementChain<Unit>::rewriteRun(size_t first, size_t* places, size_t count)
{
    // Per pair of the run: its find's length, its replace text, how
    // much each replacement grows the text (wrapping where it shrinks)
    // and how many it makes.
    size_t findLength[MultiFinder::most];
    const Unit* replaceOf[MultiFinder::most];
    size_t growth[MultiFinder::most];
    size_t made[MultiFinder::most] = {};
    for (size_t k = 0; k < count; ++k) {
        findLength[k] = m_pairs[first + k].find.size();
        replaceOf[k] = m_replaces.data() + m_pairs[first + k].replaceAt;
        growth[k] = m_pairs[first + k].replace.size() - findLength[k];
    }
    size_t grown = 0;
    for (const MultiFinder::Site& site : m_runSites) {
        grown += growth[site.which];
        ++made[site.which];
    }
    // A place moves with the sites before it: all of them, as a pair's
    // held-back beginning cannot meet another's occurrence.
    for (size_t k = 0; k < count; ++k) {
        size_t moved = grown;
        for (size_t s = m_runSites.size(); s-- > 0 && m_runSites[s].at >= places[k];)
            moved -= growth[m_runSites[s].which];
        places[k] += moved;
    }
    size_t* sitesOf[MultiFinder::most] = {};
    for (size_t k = 0; k < MultiFinder::most; ++k) {
        m_sitesOf[k].resize(m_index && k < count ? made[k] : 0);
        sitesOf[k] = m_sitesOf[k].data();
    }
    const size_t size = m_text.size() + grown;
    // The spare keeps its size between runs, so that little of it is
    // filled first; copies of short stretches may write up to slack
    // units past their end, which what follows overwrites.
    m_spare.resize(size + 4 * slack);
    Unit* out = m_spare.data();
    const Unit* in = m_text.data();
    const size_t inSize = m_text.size();
    size_t read = 0;
    size_t write = 0;
    for (const MultiFinder::Site& site : m_runSites) {
        const size_t k = site.which;
        copyShort(out + write, in + read, site.at - read, inSize - read);
        write += site.at - read;
        if (m_index)
            *sitesOf[k]++ = write;
        const size_t replaced = findLength[k] + growth[k];
        copyShort(out + write, replaceOf[k], replaced, replaced + 4 * slack);
        write += replaced;
        read = site.at + findLength[k];
    }
    std::memcpy(out + write, in + read, (inSize - read) * sizeof(Unit));
    m_spare.resize(size);
    m_text.swap(m_spare);
    m_count += qint64(m_runSites.size());
}

template size_t ReplacementChain<char>::runsThrough(size_t);
template size_t ReplacementChain<char>::canRunThrough(size_t);
template bool ReplacementChain<char>::cannotAffect(size_t, size_t) const;
template void ReplacementChain<char>::runTogether(size_t, size_t, size_t);
template void ReplacementChain<char>::rewriteRun(size_t, size_t*, size_t);
