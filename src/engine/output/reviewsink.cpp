#include "engine/output/reviewsink.h"

#include "base/folderprobes.h"
#include "engine/output/outputrules.h"
#include "engine/output/targetclaims.h"
#include "engine/textfile/resultwriter.h"
#include "engine/textfile/sourcefile.h"

#include <QFileInfo>

#include <algorithm>
#include <type_traits>

namespace {

// Enough units of either kind for the characters kept, and one more to tell a cut.
constexpr size_t keptUnits = 4 * ChangedLine::mostCharacters + 4;

QString decoded(std::string_view bytes, TextEncoding encoding, const QString& path)
{
    const QByteArray raw(bytes.data(), qsizetype(bytes.size()));
    if (encoding == TextEncoding::Windows1252) {
        try {
            return decodeText(raw, encoding, path, 0);
        } catch (const Failure&) {
            return QString::fromLatin1(raw);
        }
    }
    return QString::fromUtf8(raw);
}

QString decoded(std::u16string_view text, TextEncoding, const QString&)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

struct Side {
    QString text;
    QList<ChangedLine::Part> parts;
    bool cut = false;
};

// Where a unit of the file's text stands in the decoded text: UTF-8 counts
// one UTF-16 unit per leading byte and two for a four-byte character;
// Windows-1252 and UTF-16 go one for one.
template <class Unit> struct DecodedOffsets {
    std::basic_string_view<Unit> raw;
    bool utf8;
    size_t at = 0; // in raw
    qsizetype decoded = 0;

    qsizetype to(size_t offset)
    {
        if constexpr (std::is_same_v<Unit, char>) {
            if (utf8) {
                for (; at < offset && at < raw.size(); ++at) {
                    const auto byte = static_cast<unsigned char>(raw[at]);
                    decoded += ((byte & 0xC0) != 0x80) + (byte >= 0xF0);
                }
                return decoded;
            }
        }
        at = offset;
        return qsizetype(offset);
    }
};

// One side of a line as characters, decoded at once, with its parts moved to
// match and the text cut at the characters kept.
template <class Unit>
Side sideOf(const std::basic_string<Unit>& raw, const std::vector<std::pair<size_t, size_t>>& parts, bool cut,
    TextEncoding encoding, const QString& path)
{
    Side side;
    side.text = decoded(std::basic_string_view<Unit>(raw), encoding, path);
    DecodedOffsets<Unit> offsets{raw, encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8WithMark};
    for (const auto& [start, length] : parts) {
        const qsizetype from = std::min(offsets.to(start), side.text.size());
        const qsizetype end = std::min(offsets.to(std::min(raw.size(), start + length)), side.text.size());
        side.parts.append({int(from), int(end - from)});
    }
    side.cut = cut || side.text.size() > ChangedLine::mostCharacters;
    if (side.cut) {
        qsizetype kept = std::min<qsizetype>(side.text.size(), ChangedLine::mostCharacters);
        if (kept > 0 && side.text.at(kept - 1).isHighSurrogate())
            --kept;
        side.text.truncate(kept);
        side.text += ChangedLine::cutMark();
        QList<ChangedLine::Part> inside;
        for (ChangedLine::Part part : side.parts) {
            if (part.at < kept || (part.at == kept && part.length == 0)) {
                part.length = int(std::min<qsizetype>(part.length, kept - part.at));
                inside.append(part);
            }
        }
        side.parts = inside;
    }
    return side;
}

} // namespace

ReviewSink::ReviewSink(const OutputRules& rules, ResultTarget target, bool inPlace)
    : m_rules(rules),
      m_target(std::move(target)),
      m_inPlace(inPlace),
      m_byteLines(keptUnits, [this](RawChangedLine<char>& line) { keepLine(line); }),
      m_textLines(keptUnits, [this](RawChangedLine<char16_t>& line) { keepLine(line); }),
      m_encoder(m_target.encoding, m_target.path)
{
    m_review.path = m_target.source.path();
    m_review.target = m_target.path;
    m_review.encoding = m_target.encoding;
    if (const SourceFile* file = m_target.source.onDisk())
        m_review.source = file->identity();
}

template <class Unit> void ReviewSink::keepLine(RawChangedLine<Unit>& line)
{
    if (m_review.lines.size() >= ChangedLine::mostLines) {
        ++m_review.moreLines;
        return;
    }
    const Side before = sideOf(line.before, line.beforeParts, line.beforeCut, m_review.encoding, m_review.path);
    const Side after = sideOf(line.after, line.afterParts, line.afterCut, m_review.encoding, m_review.path);
    ChangedLine kept;
    kept.number = line.number;
    kept.before = before.text;
    kept.beforeCut = before.cut;
    kept.beforeParts = before.parts;
    kept.after = after.text;
    kept.afterCut = after.cut;
    kept.afterParts = after.parts;
    m_review.lines.append(std::move(kept));
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
    if (m_rules.review)
        m_rules.review->record(std::move(m_review));
}

// What a writer would refuse before writing, and the run's collision rules;
// the target is then claimed as a written result would claim it.
void ReviewSink::lookAtTarget()
{
    try {
        const FilePlace place = locateFile(m_target.path);
        const FileIdentity found = place.identity();
        if (found.exists)
            refuseUnwritableTarget(place);
        const QString folderProblem = folderWriteProblem(QFileInfo(m_target.path).absolutePath());
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
