// The sink of a review: writes nothing, and records what the file would
// become (its changed lines, as ChangedLines cuts them) and what a run would
// meet first: a target it may not write, a result another file's claims, a
// character the file's encoding cannot hold. Each file's review goes to the
// run's ReviewRecorder when the file is finished.
#pragma once

#include "engine/output/changedlines.h"
#include "engine/output/filereview.h"
#include "engine/output/resultsink.h"
#include "engine/textfile/fileplace.h"
#include "engine/textfile/textcodec.h"

#include <QByteArray>

#include <optional>

class ReviewSink : public ResultSink {
public:
    ReviewSink(const OutputRules& rules, ResultTarget target);

    void put(std::string_view bytes, qint64 replacements) override;
    void put(std::u16string_view text, qint64 replacements) override;
    void finish(qint64 replacements) override;
    void putChanges(SettledChanges<char> changes) override { m_byteChanges = std::move(changes); }
    void putChanges(SettledChanges<char16_t> changes) override { m_textChanges = std::move(changes); }
    void putPairReplacements(const std::vector<qint64>& counts) override { m_review.pairReplacements = counts; }

private:
    template <class Unit> void keepLine(RawChangedLine<Unit>& line);
    template <class Unit> bool keepWholeLine(const WholeChangedLine<Unit>& line);
    void locateTarget();
    const FilePlace& targetPlace();
    void lookAtTarget();
    void note(const QString& problem);

    const OutputRules& m_rules;
    ResultTarget m_target;
    // Where the target was found, if it was: the source's own place where
    // the target is the source's path, found anew otherwise.
    const FilePlace* m_place = nullptr;
    std::optional<FilePlace> m_foundPlace;
    bool m_inPlace = false; // the target is the source itself, written only when it changes
    FileReview m_review;
    ChangedLineList m_lines; // in the recorder's room, copied to the review at the end
    ChangedLines<char> m_byteLines;
    ChangedLines<char16_t> m_textLines;
    SettledChanges<char> m_byteChanges;
    SettledChanges<char16_t> m_textChanges;
    TextEncoder m_encoder;
    QByteArray m_encoded;
};
