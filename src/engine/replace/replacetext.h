// The replacement engine's two entries: one source file, a list of find and
// replace pairs, the result written atomically to the target that the
// destination gives, in the source's own encoding. The batch run calls one of
// them per file; they report their own failures and never throw.
#pragma once

#include "base/errorreport.h"
#include "base/pathseparator.h"
#include "engine/replace/fileoutcome.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class ByteSource;

struct Destination {
    bool option1 = true;   // "Save results to this folder:" outputFolder
    bool option2 = false;  // "Save results in folder of original file"
    QString outputFolder;
};

class CommitQueue;
class OldFileKeeper;
class SpareTemporaries;
class TargetClaims;

struct EngineContext {
    ErrorReporter& reporter;                   // the entries report through it
    std::function<Destination()> destination;  // read once per file, at its first chunk
    std::function<void()> yield;               // before every pair of every chunk, single mode only
    std::function<bool()> stopRequested;       // may be empty; checked after each yield: when true the
                                               // entry returns at once, the target untouched, no report
    qsizetype chunkSize = 65536;
    // May be empty. Lets the window answer inside a long file, in both modes:
    // called between pairs and chunks once keepAliveMs have passed since the
    // last yield or keep-alive; the stop is checked after it too.
    std::function<void()> keepAlive;
    int keepAliveMs = 20;
    // May be empty: how much of the current source has been read, in bytes.
    std::function<void(qint64 done, qint64 total)> progress;
    // May be null: keeps the way back, told by each result writer as its
    // result takes the target's place; when it refuses, the target stays.
    OldFileKeeper* keeper = nullptr;
    // Reads and counts, writes nothing.
    bool countOnly = false;
    TargetClaims* claims = nullptr;            // a run's collision rules; none for a file on its own
    // May be null: a result that replaces its source in place waits there to
    // be committed with others, and its failure is reported then, with tag.
    CommitQueue* commits = nullptr;
    qsizetype commitTag = 0;
    // May be null: temporary files made ahead for results in place.
    SpareTemporaries* spares = nullptr;
    // For tests that race another program against the engine: as soon as the
    // source is open, and just before a result replaces its target.
    std::function<void(const QString&)> afterSourceOpen;
    std::function<void(const QString&)> beforeReplace;
    // For tests that stop the program in the middle of a copy over a file
    // itself: the bytes copied so far.
    std::function<void(qint64)> copyProgress;
    // Opens a source's bytes; empty for the file itself. Throws Failure.
    std::function<std::unique_ptr<ByteSource>(const QString&)> openSource;
};

// Find What / Replace With as the boxes give them, lines separated by CR LF.
// An empty Replace With deletes every find line.
// Both entries tell what became of the file; a failure is also reported.
FileOutcome ReplaceTextInFile(const QString& sourcePath, const QString& findWhat, const QString& replaceWith,
                       EngineContext& context);
// Pair j is findList[j] with replaceList[j].
FileOutcome ReplaceTextInFileCombo(const QString& sourcePath, const QStringList& findList, const QStringList& replaceList,
                            EngineContext& context);

// The result's path: the source's file name in the output folder or in the
// source's own folder. Throws Failure when no destination is selected.
QString resultTargetPath(const QString& sourcePath, const Destination& destination,
                         QChar separator = nativePathSeparator);
// A text cut at every CR LF; an empty text has no lines.
QStringList splitAtLineBreaks(const QString& text);
