// Where an engine entry's results go and the rules they are written under:
// the output part of what a run hands the entries, apart from the run control.
#pragma once

#include "engine/output/destination.h"

#include <QByteArray>
#include <QString>

#include <functional>

class CommitQueue;
class OldFileKeeper;
class ReviewRecorder;
class SpareTemporaries;
class TargetClaims;

struct OutputRules {
    std::function<Destination()> destination; // read once per file, at its first chunk
    // Reads and counts, writes nothing.
    bool countOnly = false;
    // May be null: a review, which writes nothing and records each file's
    // changes and the problems a run would meet.
    ReviewRecorder* review = nullptr;
    // May be null: the whole result, mark and all, kept here instead of written.
    QByteArray* keepResult = nullptr;
    // A result kept in memory longer than this fails instead (-1: no limit).
    qsizetype keepResultLimit = -1;
    // May be null: keeps the way back, told by each result writer as its
    // result takes the target's place; when it refuses, the target stays.
    OldFileKeeper* keeper = nullptr;
    TargetClaims* claims = nullptr; // a run's collision rules; none for a file on its own
    // May be null: a result that replaces its source in place waits there to
    // be committed with others, and its failure is reported then, with tag.
    CommitQueue* commits = nullptr;
    qsizetype commitTag = 0;
    // May be null: temporary files made ahead for results in place.
    SpareTemporaries* spares = nullptr;
    // For tests that race another program against the engine: just before a
    // result replaces its target.
    std::function<void(const QString&)> beforeReplace;
    // For tests that stop the program in the middle of a copy over a file
    // itself: the bytes copied so far.
    std::function<void(qint64)> copyProgress;
};
