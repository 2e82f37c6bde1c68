// What a review found in one file without writing it: the changed lines as
// they are and as they would be, how often each pair replaces, the problem a
// run would meet, and what the source was when it was read, so that a run
// after the review writes only a file that is still as it was reviewed.
// The review sink fills it; the batch run and the review window read it.
#pragma once

#include "engine/output/changedlinelist.h"
#include "engine/textfile/fileplace.h"
#include "engine/textfile/textencoding.h"

#include <QList>
#include <QString>

#include <utility>
#include <vector>

struct FileReview {
    QString path; // the source as the list gives it
    QString target; // where the result would go
    FileIdentity source; // the source as it was read
    TextEncoding encoding = TextEncoding::Utf8;
    qint64 replacements = 0;
    std::vector<qint64> pairReplacements; // per pair, in the order given
    ChangedLineList lines; // at most ChangedLine::mostLines
    qint64 moreLines = 0; // changed lines beyond them
    QString problem; // why a run would fail on this file; "" when none is seen

    // "and 12 more changed lines", or "" when all are kept.
    QString moreLinesText() const
    {
        if (moreLines == 0)
            return {};
        return QStringLiteral("and %1 more changed line%2").arg(moreLines).arg(moreLines == 1 ? "" : "s");
    }
    // "would fail: <reason>", or "".
    QString problemText() const { return problem.isEmpty() ? QString() : QStringLiteral("would fail: ") + problem; }
};

// Where a review's sinks leave each file's review; the batch run takes it per row.
class ReviewRecorder {
public:
    void record(FileReview review)
    {
        m_last = std::move(review);
        m_recorded = true;
    }
    // The review of the row just worked on, if its sink finished; cleared.
    bool take(FileReview& review)
    {
        const bool recorded = m_recorded;
        if (recorded)
            review = std::move(m_last);
        m_recorded = false;
        m_last = {};
        return recorded;
    }
    // The room the last file's changed lines grew in, lent to the next
    // file's sink: a file's review keeps a copy at its lines' size, and a
    // batch of files grows and gives back room only once.
    ChangedLineList lendRoom() { return std::exchange(m_room, {}); }
    void giveBackRoom(ChangedLineList room)
    {
        room.clear();
        m_room = std::move(room);
    }

private:
    FileReview m_last;
    ChangedLineList m_room;
    bool m_recorded = false;
};
