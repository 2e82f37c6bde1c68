// Cuts a result, with its replaced parts, back into the source's lines: a line
// that a replacement touched comes out with its text before and after, and
// where the replaced parts stand in both. A line ends at LF, CR LF or a lone
// CR of the text that went through unchanged; a replacement across a line
// break joins the lines it spans. Pieces may end anywhere, also between a CR
// and its LF. Only the review sink uses it.
#pragma once

#include "engine/output/settledchange.h"

#include <QtGlobal>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

template <class Unit> struct RawChangedLine {
    qint64 number = 0;
    std::basic_string<Unit> before;
    std::basic_string<Unit> after;
    bool beforeCut = false; // more followed than the units kept
    bool afterCut = false;
    std::vector<std::pair<size_t, size_t>> beforeParts; // at, length: those that begin in the kept units
    std::vector<std::pair<size_t, size_t>> afterParts;
};

// A changed line that lies whole in one piece from its first change to its
// line break, none of whose replaced source text holds a line break: given
// as it stands, without copying it first.
template <class Unit> struct WholeChangedLine {
    qint64 number;
    std::basic_string_view<Unit> start; // the unchanged text before the first change
    std::basic_string_view<Unit> rest; // from the first change to the line break, without it
    size_t restAt; // where rest stands in the piece, in which the changes' places are
    const SettledChange<Unit>* changes; // those in rest, in order
    size_t count;
};

template <class Unit> class ChangedLines {
public:
    using View = std::basic_string_view<Unit>;
    using Line = RawChangedLine<Unit>;

    using Whole = WholeChangedLine<Unit>;

    // keepUnits: the units kept of each side of a line; changed: called with
    // every changed line, its line break left out; whole, if given: called
    // first for a line that lies whole in one piece, and false leaves it to
    // changed.
    ChangedLines(size_t keepUnits, std::function<void(Line&)> changed, std::function<bool(const Whole&)> whole = {});

    // The next settled piece and its replaced parts, in order.
    void take(View piece, const SettledChanges<Unit>& changes);
    // The text has ended.
    void finish();

private:
    void copied(View text);
    // lastLf: where the text's last LF is, or npos.
    void copied(View text, size_t lastLf);
    // The changes from first on that lie in a whole line, given to m_whole
    // with start, the line's unchanged text before them: how many it took
    // (0 for none), and at comes past the line's break.
    size_t wholeLine(View piece, const SettledChanges<Unit>& changes, size_t first, View start, size_t& at);
    void keepUnchanged(View text);
    void replaced(View before, View after);
    void endLine(size_t breakUnits);
    void countBreaks(View sourceText);
    static void keep(std::basic_string<Unit>& into, bool& cut, View text, size_t most);

    size_t m_keep;
    std::function<void(Line&)> m_changed;
    std::function<bool(const Whole&)> m_whole;
    Line m_line;
    bool m_touched = false; // a replacement lies in the line
    bool m_pendingCR = false; // the unchanged text ended with CR: a break unless LF follows
    bool m_lastWasCR = false; // of the source's text, for counting lines
    qint64 m_breaks = 0; // in the source so far
};

extern template class ChangedLines<char>;
extern template class ChangedLines<char16_t>;
