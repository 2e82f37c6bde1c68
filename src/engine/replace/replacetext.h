// The replacement engine's two entries: one source file, a list of find and
// replace pairs, the result written atomically to the target that the
// destination gives, in the source's own encoding. The batch run calls one of
// them per file; they report their own failures and never throw.
#pragma once

#include "base/errorreport.h"
#include "base/pathseparator.h"
#include "engine/output/outputrules.h"
#include "engine/replace/fileoutcome.h"
#include "engine/replace/runcontrol.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class ByteSource;
struct PreparedResult;

struct EngineContext {
    ErrorReporter& reporter; // the entries report through it
    RunControl control;
    OutputRules output;
    qsizetype chunkSize = 65536;
    // For tests that race another program against the engine: as soon as the
    // source is open.
    std::function<void(const QString&)> afterSourceOpen;
    // Opens a source's bytes; empty for the file itself. Throws Failure.
    std::function<std::unique_ptr<ByteSource>(const QString&)> openSource;
    // May be empty. Asked once the source is open: why it is to be left as
    // it is (the file skipped with that reason), or "" to go on. A run after
    // a review leaves a file that changed since.
    std::function<QString(const ByteSource&)> sourceRefusal;
    // May be null: this file's result made ahead. Taken in place of reading
    // and replacing when the file opened is still the one it was made from.
    PreparedResult* prepared = nullptr;
};

// Find What / Replace With as the boxes give them, lines separated by CR LF.
// An empty Replace With deletes every find line.
// Both entries tell what became of the file; a failure is also reported.
FileOutcome ReplaceTextInFile(
    const QString& sourcePath, const QString& findWhat, const QString& replaceWith, EngineContext& context);
// Pair j is findList[j] with replaceList[j].
FileOutcome ReplaceTextInFileCombo(
    const QString& sourcePath, const QStringList& findList, const QStringList& replaceList, EngineContext& context);

// The result's path: the source's file name in the output folder or in the
// source's own folder. Throws Failure when no destination is selected.
QString resultTargetPath(
    const QString& sourcePath, const Destination& destination, QChar separator = nativePathSeparator);
// A text cut at every CR LF; an empty text has no lines.
QStringList splitAtLineBreaks(const QString& text);
