// The batch run's review, and the run over the files a review let through.
#include "engine/batchrun/batchrun.h"
#include "engine/textfile/sourcefile.h"

#include <QScopedValueRollback>

#include <utility>

ReviewResult BatchRun::review()
{
    if (m_running)
        return {};
    m_review = ReviewResult{};
    FileReview left;
    m_recorder.take(left);
    start(Mode::Review);
    ReviewResult result = std::exchange(m_review, ReviewResult{});
    // No row at all: a refusal has said why in its box.
    result.refused = result.refused || result.rows.isEmpty();
    return result;
}

void BatchRun::runReviewed(const QList<ReviewedSource>& files)
{
    if (m_running)
        return;
    const QScopedValueRollback<const QList<ReviewedSource>*> reviewed(m_reviewedFiles, &files);
    start(Mode::Replace);
}

int BatchRun::rowCount() const
{
    return m_reviewedFiles ? int(m_reviewedFiles->size()) : m_window.rowCount();
}

QString BatchRun::rowText(int row) const
{
    if (!m_reviewedFiles)
        return m_window.rowText(row);
    if (row < 1 || row > m_reviewedFiles->size())
        throw Failure(QStringLiteral("No row %1").arg(row));
    return m_reviewedFiles->at(row - 1).path;
}

// The file as it was read now against the file as it was reviewed: written,
// replaced, renamed over or touched in any way since, it is left alone.
QString BatchRun::reviewedRefusal(const ByteSource& source) const
{
    const SourceFile* file = source.onDisk();
    if (!m_reviewedFiles || m_row < 1 || m_row > m_reviewedFiles->size())
        return {};
    if (!file || !file->identity().untouchedSince(m_reviewedFiles->at(m_row - 1).identity))
        return QStringLiteral("changed since the review");
    return {};
}
