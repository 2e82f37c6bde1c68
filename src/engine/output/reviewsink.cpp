#include "engine/output/reviewsink.h"

#include "engine/output/outputrules.h"
#include "engine/output/targetclaims.h"
#include "engine/textfile/resultwriter.h"
#include "engine/textfile/sourcefile.h"

namespace {

// Enough units of either kind for the characters kept, and one more to tell a cut.
constexpr size_t keptUnits = 4 * ChangedLine::mostCharacters + 4;

} // namespace

ReviewSink::ReviewSink(const OutputRules& rules, ResultTarget target)
    : m_rules(rules),
      m_target(std::move(target)),
      m_byteLines(
          keptUnits, [this](RawChangedLine<char>& line) { keepLine(line); },
          [this](const WholeChangedLine<char>& line) { return keepWholeLine(line); }),
      m_textLines(
          keptUnits, [this](RawChangedLine<char16_t>& line) { keepLine(line); },
          [this](const WholeChangedLine<char16_t>& line) { return keepWholeLine(line); }),
      m_encoder(m_target.encoding, m_target.path)
{
    m_review.path = m_target.source.path();
    m_review.target = m_target.path;
    m_review.encoding = m_target.encoding;
    if (m_rules.review)
        m_lines = m_rules.review->lendRoom();
    m_lines.setEncoding(m_target.encoding);
    if (const SourceFile* file = m_target.source.onDisk())
        m_review.source = file->identity();
    locateTarget();
}

// Whether the target is the source itself, from where the target is.
void ReviewSink::locateTarget()
{
    const SourceFile* file = m_target.source.onDisk();
    try {
        const FilePlace& place = targetPlace();
        m_inPlace = file && place.identity().sameFile(file->identity());
    } catch (const Failure&) {
        m_inPlace = false; // the look at the target will say why
    }
}

// Where the target is, found once, as the review looks at it again at the
// end: a target named as its source was found with it a moment ago. Throws
// Failure, and is then found again when asked again, to tell why.
const FilePlace& ReviewSink::targetPlace()
{
    if (!m_place) {
        const SourceFile* file = m_target.source.onDisk();
        if (file && m_target.path == file->path()) {
            m_place = &file->place();
        } else {
            m_foundPlace = locateFile(m_target.path);
            m_place = &*m_foundPlace;
        }
    }
    return *m_place;
}

template <class Unit> void ReviewSink::keepLine(RawChangedLine<Unit>& line)
{
    if (m_lines.size() >= ChangedLine::mostLines)
        ++m_review.moreLines;
    else
        m_lines.append(line);
}

template <class Unit> bool ReviewSink::keepWholeLine(const WholeChangedLine<Unit>& line)
{
    if (m_lines.size() < ChangedLine::mostLines)
        return m_lines.append(line);
    ++m_review.moreLines;
    return true;
}

void ReviewSink::put(std::string_view bytes, qint64)
{
    m_byteLines.take(bytes, m_byteChanges);
    m_byteChanges.clear();
}

void ReviewSink::put(std::u16string_view text, qint64)
{
    m_textLines.take(text, m_textChanges);
    m_textChanges.clear();
    // The writer's own encoder, so that what it would refuse is found here.
    if (m_review.problem.isEmpty()) {
        try {
            m_encoded.clear();
            m_encoder.encode(QStringView(text.data(), qsizetype(text.size())), m_encoded);
        } catch (const Failure& failure) {
            note(failure.description());
        }
    }
}

void ReviewSink::finish(qint64 replacements)
{
    m_byteLines.finish();
    m_textLines.finish();
    m_review.replacements = replacements;
    m_review.lines = m_lines;
    if (m_review.problem.isEmpty()) {
        try {
            m_encoder.finish();
        } catch (const Failure& failure) {
            note(failure.description());
        }
    }
    // A file left as it was is not written over itself.
    if (!m_inPlace || replacements > 0)
        lookAtTarget();
    if (m_rules.review) {
        m_rules.review->record(std::move(m_review));
        m_rules.review->giveBackRoom(std::move(m_lines));
    }
}

// What a writer would refuse before writing, and the run's collision rules;
// the target is then claimed as a written result would claim it.
void ReviewSink::lookAtTarget()
{
    try {
        const FilePlace& place = targetPlace();
        const FileIdentity found = place.identity();
        if (found.exists)
            refuseUnwritableTarget(place);
        const QString folderProblem = place.folderWriteProblem();
        if (!folderProblem.isEmpty())
            throwFileFailure(m_target.path, folderProblem);
        QStringList keys{place.placeKey()};
        if (found.exists)
            keys << found.key();
        const SourceFile* file = m_target.source.onDisk();
        if (m_rules.claims && file) {
            m_rules.claims->check(*file, keys, m_target.path);
            m_rules.claims->recordReviewed(keys);
        }
    } catch (const Failure& failure) {
        note(failure.description());
    }
}

void ReviewSink::note(const QString& problem)
{
    if (m_review.problem.isEmpty())
        m_review.problem = problem;
}
