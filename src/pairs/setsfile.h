// Set files: one "find::replace" line per set, written as UTF-8 without a mark
// and read back with any separator.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

class Prompts;

// Asks before replacing an existing file; writes nothing unless the answer is
// Yes. The file is replaced whole or not at all. Throws Failure.
void WriteSetsFile(const QString& path, const QStringList& findList, const QStringList& replaceList, Prompts& prompts);

// The find and replace texts of one set file line, or nothing when the line is
// empty or lacks the separator. Pieces after the second are dropped; nothing
// is trimmed.
struct SetLine {
    QString find;
    QString replace;
};
bool cutSetLine(const QString& line, const QString& separator, SetLine& set);

// Why a set would load back from a set file as another set, or "" when it
// loads back as itself: the line is cut at its first "::" and at line feeds,
// and a file that starts with U+FEFF starts with a byte-order mark.
QString setSaveProblem(const QString& find, const QString& replace);

// The refusal of a set that a set file cannot hold, naming the set.
QString unsavableSetMessage(const QString& find, const QString& replace, const QString& problem);
