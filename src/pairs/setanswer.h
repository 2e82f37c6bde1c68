// The answer of the Add Set input box, "find::replace", cut into its set.
// Qt Core only; called by the sets page and, for loaded sets, by set files.
#pragma once

#include <QString>

inline const QString setSeparator = QStringLiteral("::");

struct FindReplaceSet {
    QString find;
    QString replace;
};

bool hasSetSeparator(const QString& answer);
// Cut at every "::" from the left: the first piece is the find text, the second
// the replace text, further pieces are dropped; nothing is trimmed.
FindReplaceSet cutSetAnswer(const QString& answer);
