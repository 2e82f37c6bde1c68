// The work of both engine entries on one file: read chunk by chunk, replace,
// write through a ResultWriter. Only the entries call it.
#pragma once

#include "base/errorreport.h"
#include "engine/replace/replacetext.h"

#include <QList>
#include <QString>

struct ReplacementPair {
    QString find;
    QString replace;
};

// The labels an entry's error report gives each step of the work on a file;
// 0 where the entry has no such step.
struct EntrySteps {
    int read;
    int takeChunk;
    int yield;
    int replace;
    int readDestination;
    int targetInFolder;
    int targetBesideSource;
    int write;
};

// Reports every failure through proc, at most once for the file, and tells
// what became of the file.
FileOutcome replaceInFile(GuardedProcedure& proc, const EntrySteps& steps, const QString& sourcePath,
    const QList<ReplacementPair>& pairs, EngineContext& context);
