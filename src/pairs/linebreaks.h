// The line ends of the single-mode boxes: an editor keeps its own paragraph and
// line separators; the engine and the line-count checks read CR LF.
// Qt Core only; called by the pairs boxes and by tests.
#pragma once

#include <QString>

// The editor's raw text with every paragraph or line separator written as CR LF;
// every other character, non-breaking blanks included, stays as typed.
QString crLfText(const QString& editorText);
