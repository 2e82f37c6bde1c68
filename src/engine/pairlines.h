// Cutting the Find What and Replace With texts into lines: at every CR LF; an
// empty text has no lines at all. The engine's pairs and the batch run's
// line-count check both come from here, so they can never disagree.
#pragma once

#include <QString>
#include <QStringList>

QStringList SplitCrLfLines(const QString& text);
qsizetype CrLfLineCount(const QString& text);
