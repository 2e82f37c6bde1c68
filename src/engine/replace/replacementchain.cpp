#include "engine/replace/replacementchain.h"

#include <algorithm>
#include <type_traits>

template <class Unit> void ReplacementChain<Unit>::take(View in, bool last)
{
    prepare();
    m_ranThrough = 0;
    // The marks are distances from the end of the last round's text:
    // dropping the text given from the front leaves them as they are.
    // Pieces gathered since then follow that text.
    if (!m_gathering) {
        if (m_tracking)
            dropTrackedBefore(settledEnd());
        m_text.erase(0, settledEnd());
        m_roundEnd = m_text.size();
    }
    const bool gather = m_index && (!m_keepPlaces || m_replacedNow.size() <= m_pairs.size() / m_tuning.fewReplacingPer);
    // Room for the piece and for some growth, so that replacing with longer
    // text moves the text within the buffer instead of into a new one.
    const size_t needed = m_text.size() + in.size();
    if (m_text.capacity() < needed)
        m_text.reserve(needed + needed / 8);
    m_text.append(in);
    if (gather && !last && m_text.size() - m_roundEnd < m_tuning.gatherUpTo) {
        m_gathering = true;
        return;
    }
    m_gathering = false;
    // Back to positions: every pair ran in the last round.
    for (size_t& mark : m_marks)
        mark = m_roundEnd - mark;
    m_last = last;
    if (m_index)
        findInPiece();
}

template <class Unit> void ReplacementChain<Unit>::runPair(size_t j)
{
    if (m_gathering || j < m_ranThrough)
        return;
    Pair& pair = m_pairs[j];
    size_t end = j == 0 ? m_text.size() : m_text.size() - m_marks[j - 1];
    size_t from = m_marks[j];
    if constexpr (std::is_same_v<Unit, char>) {
        const size_t last = runsThrough(j);
        if (last > j) {
            runTogether(j, last, end);
            return;
        }
    }
    if (m_index) {
        // A pair with no place found does not occur.
        if (m_pendingOf[j] != 0 && m_placesKept) {
            if (replaceFound(j, from, end))
                m_replacedNow.push_back(uint32_t(j));
        } else if (m_pendingOf[j] != 0 && replaceBetween(j, from, end)) {
            m_replacedNow.push_back(uint32_t(j));
            m_roundSites += m_sites.size();
            lookAroundChanges(j, pair.replace.size());
        }
    } else if (!pair.find.empty()) {
        replaceBetween(j, from, end);
    }
    from = m_last || pair.find.empty() ? end : keptBack(View(pair.find), from, end);
    // Kept as a distance from the end, which later pairs' changes before it don't move.
    m_marks[j] = m_text.size() - from;
}

template <class Unit> void ReplacementChain<Unit>::prepare()
{
    if (m_prepared)
        return;
    m_prepared = true;
    std::vector<View> finds;
    for (Pair& pair : m_pairs) {
        pair.finder.emplace(View(pair.find));
        finds.push_back(View(pair.find));
    }
    // The marks start as distances from the end of an empty text.
    std::fill(m_marks.begin(), m_marks.end(), 0);
    if constexpr (std::is_same_v<Unit, char>)
        m_together = MultiFinder::pays() && !m_tracking;
    if (m_tracking)
        m_countOf.assign(m_pairs.size(), 0);
    // The replace texts one after another, with slack units after the
    // last, so that a short one is copied in blocks of slack units.
    if (m_together) {
        for (Pair& pair : m_pairs) {
            pair.replaceAt = m_replaces.size();
            m_replaces.append(pair.replace);
        }
        m_replaces.append(4 * slack, Unit(0));
    }
    m_canRunThrough.assign(m_pairs.size(), 0);
    if (m_pairs.size() >= m_tuning.indexFrom && !m_tracking) {
        m_index = std::make_unique<FindTextIndex<Unit>>(std::move(finds));
        m_pendingOf.assign(m_pairs.size(), 0);
        m_replacedOf.assign(m_pairs.size(), 0);
    }
}

template <class Unit> bool ReplacementChain<Unit>::replaceBetween(size_t j, size_t& from, size_t& end)
{
    Pair& pair = m_pairs[j];
    const size_t f = pair.find.size();
    const size_t r = pair.replace.size();
    // All places first, in one pass, then the text is rewritten once.
    m_sites.clear();
    pair.finder->findAll(View(m_text).substr(0, end), from, m_sites);
    const size_t n = m_sites.size();
    if (n == 0)
        return false;
    m_count += qint64(n);
    if (m_tracking)
        trackSites(j);
    const size_t moved = n * r - n * f; // wraps when the text shrinks
    const size_t after = m_sites.back() + f;
    rewriteAtSites(pair.replace, f);
    from = after + moved;
    end += moved;
    if (m_index && r != f) {
        // From here on the sites are where the replacements now stand.
        for (size_t s = 0; s < n; ++s)
            m_sites[s] = m_sites[s] + s * r - s * f;
    }
    return true;
}

template <class Unit> void ReplacementChain<Unit>::rewriteAtSites(const Buffer& replace, size_t f)
{
    const size_t r = replace.size();
    const size_t n = m_sites.size();
    if (r == f) {
        // Same length: in place, nothing moves.
        for (size_t site : m_sites)
            std::copy(replace.begin(), replace.end(), m_text.begin() + ptrdiff_t(site));
    } else if (r < f) {
        Unit* text = m_text.data();
        size_t write = m_sites.front();
        for (size_t s = 0; s < n; ++s) {
            const size_t read = s == 0 ? m_sites.front() : m_sites[s - 1] + f;
            std::copy(text + read, text + m_sites[s], text + write);
            write += m_sites[s] - read;
            std::copy(replace.begin(), replace.end(), text + write);
            write += r;
        }
        const size_t tail = m_sites.back() + f;
        std::copy(text + tail, text + m_text.size(), text + write);
        m_text.resize(write + m_text.size() - tail);
    } else {
        const size_t oldSize = m_text.size();
        m_text.resize(oldSize + n * (r - f));
        Unit* text = m_text.data();
        // From the last site back, so that nothing is overwritten before it moved.
        size_t write = m_text.size();
        size_t readEnd = oldSize;
        for (size_t s = n; s-- > 0;) {
            const size_t tail = m_sites[s] + f;
            write -= readEnd - tail;
            std::copy_backward(text + tail, text + readEnd, text + write + (readEnd - tail));
            write -= r;
            std::copy(replace.begin(), replace.end(), text + write);
            readEnd = m_sites[s];
        }
    }
}

template <class Unit> size_t ReplacementChain<Unit>::keptBack(View find, size_t from, size_t end) const
{
    size_t at = end >= find.size() - 1 ? std::max(from, end - (find.size() - 1)) : from;
    for (; at < end; ++at) {
        if (m_text[at] == find[0] && View(m_text).substr(at, end - at) == find.substr(0, end - at))
            return at;
    }
    return end;
}

template class ReplacementChain<char>;
template class ReplacementChain<char16_t>;
