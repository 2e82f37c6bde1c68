#include "engine/output/changedlines.h"

#include "engine/output/linebreaks.h"

#include <algorithm>

template <class Unit>
ChangedLines<Unit>::ChangedLines(size_t keepUnits, std::function<void(Line&)> changed)
    : m_keep(keepUnits),
      m_changed(std::move(changed))
{
    m_line.number = 1;
}

template <class Unit> void ChangedLines<Unit>::take(View piece, const SettledChanges<Unit>& changes)
{
    size_t at = 0;
    for (const SettledChange<Unit>& change : changes) {
        copied(piece.substr(at, change.at - at));
        replaced(View(change.before), piece.substr(change.at, change.length));
        at = change.at + change.length;
    }
    copied(piece.substr(at));
}

template <class Unit> void ChangedLines<Unit>::finish()
{
    if (m_pendingCR) {
        m_pendingCR = false;
        endLine(1);
    }
    if (m_touched)
        endLine(0);
}

template <class Unit> void ChangedLines<Unit>::keep(std::basic_string<Unit>& into, bool& cut, View text, size_t most)
{
    if (cut)
        return;
    const size_t room = most - std::min(most, into.size());
    into.append(text.substr(0, room));
    cut = text.size() > room;
}

template <class Unit> void ChangedLines<Unit>::copied(View text)
{
    constexpr Unit lf = Unit('\n');
    // Up to the last LF, every break is settled within the text: once no
    // line is open there, the whole lines up to it are only counted.
    const size_t lastLf = lastLineFeed(text);
    const Unit* wholeLinesEnd = lastLf == View::npos ? text.data() : text.data() + lastLf + 1;
    while (!text.empty()) {
        if (!m_pendingCR && !m_touched && m_line.before.empty() && text.data() < wholeLinesEnd) {
            const size_t length = size_t(wholeLinesEnd - text.data());
            m_breaks += lineBreaksIn(text.substr(0, length), m_lastWasCR);
            m_lastWasCR = false;
            m_line.number = m_breaks + 1;
            text.remove_prefix(length);
            continue;
        }
        if (m_pendingCR) {
            m_pendingCR = false;
            if (text.front() == lf) {
                // CR LF: counted at the CR.
                keepUnchanged(text.substr(0, 1));
                text.remove_prefix(1);
                m_lastWasCR = false;
                endLine(2);
                continue;
            }
            endLine(1);
        }
        const auto found = text.begin() + ptrdiff_t(firstLineBreak(text));
        const size_t length = size_t(found - text.begin()) + (found == text.end() ? 0 : 1);
        // A whole line that no replacement touched is only counted: most
        // lines are, and copying them would cost more than the review. A CR
        // may still be joined to what follows, so its line is kept.
        const bool wholeUntouched = found != text.end() && *found == lf && !m_touched && m_line.before.empty();
        if (!wholeUntouched)
            keepUnchanged(text.substr(0, length));
        if (found == text.end()) {
            m_lastWasCR = false;
            return;
        }
        const Unit brk = *found;
        text.remove_prefix(length);
        if (brk == lf) {
            if (!(length == 1 && m_lastWasCR))
                ++m_breaks;
            m_lastWasCR = false;
            endLine(1);
        } else {
            ++m_breaks;
            m_lastWasCR = true;
            m_pendingCR = true;
        }
    }
}

// Text that went through unchanged: on both sides once the line is touched,
// kept once before that.
template <class Unit> void ChangedLines<Unit>::keepUnchanged(View text)
{
    keep(m_line.before, m_line.beforeCut, text, m_keep);
    if (m_touched)
        keep(m_line.after, m_line.afterCut, text, m_keep);
}

template <class Unit> void ChangedLines<Unit>::replaced(View before, View after)
{
    // A CR followed by a replaced LF: the source's CR LF is split, the line goes on.
    if (m_pendingCR) {
        m_pendingCR = false;
        if (before.empty() || before.front() != Unit('\n'))
            endLine(1);
    }
    countBreaks(before);
    if (!m_touched) {
        m_line.after = m_line.before;
        m_line.afterCut = m_line.beforeCut;
    }
    if (!m_line.beforeCut && m_line.before.size() < m_keep)
        m_line.beforeParts.emplace_back(m_line.before.size(), before.size());
    if (!m_line.afterCut && m_line.after.size() < m_keep)
        m_line.afterParts.emplace_back(m_line.after.size(), after.size());
    keep(m_line.before, m_line.beforeCut, before, m_keep);
    keep(m_line.after, m_line.afterCut, after, m_keep);
    m_touched = true;
}

template <class Unit> void ChangedLines<Unit>::countBreaks(View sourceText)
{
    for (const Unit u : sourceText) {
        if (u == Unit('\r') || (u == Unit('\n') && !m_lastWasCR))
            ++m_breaks;
        m_lastWasCR = u == Unit('\r');
    }
}

template <class Unit> void ChangedLines<Unit>::endLine(size_t breakUnits)
{
    if (m_touched) {
        // The break went through unchanged, so it ends both sides.
        if (!m_line.beforeCut)
            m_line.before.resize(m_line.before.size() - std::min(breakUnits, m_line.before.size()));
        if (!m_line.afterCut)
            m_line.after.resize(m_line.after.size() - std::min(breakUnits, m_line.after.size()));
        m_changed(m_line);
        // Keeps the room of both sides for the next changed line.
        m_line.before.clear();
        m_line.after.clear();
        m_line.beforeCut = false;
        m_line.afterCut = false;
        m_line.beforeParts.clear();
        m_line.afterParts.clear();
    } else {
        // Keeps its room for the next line.
        m_line.before.clear();
        m_line.beforeCut = false;
    }
    m_line.number = m_breaks + 1;
    m_touched = false;
}

template class ChangedLines<char>;
template class ChangedLines<char16_t>;
