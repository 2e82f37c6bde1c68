#include "engine/output/changedlines.h"

#include "engine/output/linebreaks.h"

#include <algorithm>

template <class Unit>
ChangedLines<Unit>::ChangedLines(
    size_t keepUnits, std::function<void(Line&)> changed, std::function<bool(const Whole&)> whole)
    : m_keep(keepUnits),
      m_changed(std::move(changed)),
      m_whole(std::move(whole))
{
    m_line.number = 1;
}

template <class Unit> void ChangedLines<Unit>::take(View piece, const SettledChanges<Unit>& changes)
{
    size_t at = 0;
    for (size_t c = 0; c < changes.size();) {
        const SettledChange<Unit>& change = changes[c];
        const View gap = piece.substr(at, change.at - at);
        // The start of the change's line stays in the piece while the line may lie whole there.
        const size_t lastLf = m_whole ? lastLineFeed(gap) : View::npos;
        const size_t lineAt = lastLf == View::npos ? 0 : lastLf + 1;
        copied(gap.substr(0, lineAt), lastLf);
        View start = gap.substr(lineAt);
        // It holds no LF; a CR in it ends a line, which copied() tells.
        const bool startInPiece
            = m_whole && !m_touched && !m_pendingCR && m_line.before.empty() && start.find(Unit('\r')) == View::npos;
        if (!startInPiece) {
            copied(start);
            start = View(m_line.before);
        }
        if (const size_t taken = wholeLine(piece, changes, c, start, at)) {
            c += taken;
            continue;
        }
        if (startInPiece)
            copied(start);
        replaced(View(change.before), piece.substr(change.at, change.length));
        at = change.at + change.length;
        ++c;
    }
    copied(piece.substr(at));
}

// Most changed lines lie whole in the piece: their break is found ahead,
// and they are given as they stand. A line open to what comes next (a CR
// at the piece's end or before a change) or one whose replaced text held a
// break goes the way of every other.
template <class Unit>
size_t ChangedLines<Unit>::wholeLine(
    View piece, const SettledChanges<Unit>& changes, size_t first, View start, size_t& at)
{
    if (!m_whole || m_touched || m_pendingCR || m_line.beforeCut)
        return 0;
    constexpr Unit cr = Unit('\r');
    constexpr Unit lf = Unit('\n');
    size_t last = first;
    size_t end = 0; // where the break begins
    size_t to = 0; // where the unchanged text it is in ends
    for (;; ++last) {
        const View source(changes[last].before);
        if (firstLineBreak(source) != source.size())
            return 0;
        const size_t from = changes[last].at + changes[last].length;
        to = last + 1 < changes.size() ? changes[last + 1].at : piece.size();
        end = from + firstLineBreak(piece.substr(from, to - from));
        if (end < to)
            break;
        if (last + 1 == changes.size())
            return 0; // the line goes on in the next piece
    }
    size_t breakUnits = 1;
    if (piece[end] == cr) {
        if (end + 1 == to)
            return 0; // a CR that an LF may still follow, or one a change follows
        breakUnits = piece[end + 1] == lf ? 2 : 1;
    }
    const size_t restAt = changes[first].at;
    const Whole line{
        m_line.number, start, piece.substr(restAt, end - restAt), restAt, changes.data() + first, last - first + 1};
    if (!m_whole(line))
        return 0;
    ++m_breaks;
    m_lastWasCR = piece[end] == cr && breakUnits == 1;
    at = end + breakUnits;
    m_line.before.clear();
    m_line.number = m_breaks + 1;
    return last - first + 1;
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
    copied(text, lastLineFeed(text));
}

template <class Unit> void ChangedLines<Unit>::copied(View text, size_t lastLf)
{
    constexpr Unit lf = Unit('\n');
    // Up to the last LF, every break is settled within the text: once no
    // line is open there, the whole lines up to it are only counted.
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
    // Deletions one after another leave one mark where the text was: a long
    // line deleted a piece at a time adds no more parts than units kept.
    const bool deletedAgain = after.empty() && !m_line.afterParts.empty()
        && m_line.afterParts.back() == std::pair<size_t, size_t>(m_line.after.size(), 0);
    if (!m_line.afterCut && m_line.after.size() < m_keep && !deletedAgain)
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
