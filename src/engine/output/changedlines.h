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

template <class Unit> class ChangedLines {
public:
    using View = std::basic_string_view<Unit>;
    using Line = RawChangedLine<Unit>;

    // keepUnits: the units kept of each side of a line; changed: called with
    // every changed line, its line break left out.
    ChangedLines(size_t keepUnits, std::function<void(Line&)> changed);

    // The next settled piece and its replaced parts, in order.
    void take(View piece, const SettledChanges<Unit>& changes);
    // The text has ended.
    void finish();

private:
    void copied(View text);
    void keepUnchanged(View text);
    void replaced(View before, View after);
    void endLine(size_t breakUnits);
    void countBreaks(View sourceText);
    static void keep(std::basic_string<Unit>& into, bool& cut, View text, size_t most);

    size_t m_keep;
    std::function<void(Line&)> m_changed;
    Line m_line;
    bool m_touched = false; // a replacement lies in the line
    bool m_pendingCR = false; // the unchanged text ended with CR: a break unless LF follows
    bool m_lastWasCR = false; // of the source's text, for counting lines
    qint64 m_breaks = 0; // in the source so far
};

extern template class ChangedLines<char>;
extern template class ChangedLines<char16_t>;
