// Where the result of one file goes, piece by piece as the replacement
// settles it: nowhere (counting), a new file in an output folder, or the
// source's own place. The replacement neither knows nor asks which.
#pragma once

#include "engine/output/settledchange.h"
#include "engine/textfile/textencoding.h"

#include <QString>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class ByteSource;
struct OutputRules;

class ResultSink {
public:
    virtual ~ResultSink() = default;
    // The next settled piece, in the file's bytes or as text; replacements:
    // how many so far in this file. Throws Failure.
    virtual void put(std::string_view bytes, qint64 replacements) = 0;
    virtual void put(std::u16string_view text, qint64 replacements) = 0;
    // The source was read to its end and every piece given. Throws Failure.
    virtual void finish(qint64 replacements) = 0;

    // Only a review is told these, each before the piece it is about: the
    // replaced parts of the next piece, and at the end the count of each pair.
    // The parts are the sink's to keep: given by value, they are moved, not copied.
    virtual void putChanges(SettledChanges<char>) { }
    virtual void putChanges(SettledChanges<char16_t>) { }
    virtual void putPairReplacements(const std::vector<qint64>&) { }
};

// What a sink that writes needs to know of the file.
struct ResultTarget {
    QString path;
    ByteSource& source;
    TextEncoding encoding;
    qint64 textStart; // where the text begins in the source, after the mark
    // Reports a commit that fails later, with others, as the entry's write step.
    std::function<void(const QString& description)> commitFailed;
};

// The sink for a file whose target is decided; never throws. In place when
// the target is the very file being read. A review's records instead of writing.
std::unique_ptr<ResultSink> makeResultSink(const OutputRules& rules, ResultTarget target);
