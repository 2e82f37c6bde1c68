// Counts the line breaks in a stretch of text that a review only passes
// over: most of a file's lines are untouched, and only their number matters.
#pragma once

#include <QtGlobal>

#include <string_view>

// Each CR, and each LF not right after a CR; afterCR: the unit before the
// text was a CR. Bytes go sixteen or thirty-two at a time, as the search
// level allows.
qint64 lineBreaksIn(std::string_view text, bool afterCR);
qint64 lineBreaksIn(std::u16string_view text, bool afterCR);

// Where the first CR or LF is, or the text's size.
size_t firstLineBreak(std::string_view text);
size_t firstLineBreak(std::u16string_view text);

// Where the last LF is, or npos: bytes sixteen at a time from the end, as
// the line it ends is short next to the text before it.
size_t lastLineFeed(std::string_view text);
size_t lastLineFeed(std::u16string_view text);
