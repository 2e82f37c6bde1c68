#include "engine/replace/filereplacement.h"

#include "engine/output/resultsink.h"
#include "engine/replace/preparedresult.h"
#include "engine/replace/replacementchain.h"
#include "engine/textfile/sourcefile.h"
#include "engine/textfile/textcodec.h"
#include "engine/textfile/textfilereader.h"

#include <QElapsedTimer>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

enum class Outcome { Finished, NotUtf8 };

bool isByteEncoding(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8WithMark
        || encoding == TextEncoding::Windows1252;
}

// The pairs can be matched on the file's bytes when every find and replace
// text has exact bytes in its encoding; otherwise the text is converted.
bool pairsFitBytes(const QList<ReplacementPair>& pairs, TextEncoding encoding)
{
    if (!isByteEncoding(encoding))
        return false;
    for (const ReplacementPair& pair : pairs) {
        if (!isRepresentable(pair.find, encoding) || !isRepresentable(pair.replace, encoding))
            return false;
    }
    return true;
}

bool isAscii(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

// ASCII pairs find and write the same bytes in UTF-8 and in Windows-1252, and
// can neither begin nor end inside a UTF-8 sequence.
bool pairsAreAscii(const QList<ReplacementPair>& pairs)
{
    return std::all_of(pairs.cbegin(), pairs.cend(),
        [](const ReplacementPair& pair) { return isAscii(pair.find) && isAscii(pair.replace); });
}

// What differs between working on the file's bytes and on UTF-16 text.
struct ByteUnits {
    using Unit = char;
    using Chunk = std::string_view;
    static std::string unitsOf(const QString& text, TextEncoding encoding)
    {
        return encodeText(text, encoding).toStdString();
    }
    static std::string_view viewOf(std::string_view chunk) { return chunk; }
};

struct TextUnits {
    using Unit = char16_t;
    using Chunk = QStringView;
    static std::u16string unitsOf(const QString& text, TextEncoding)
    {
        return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
    }
    static std::u16string_view viewOf(QStringView chunk)
    {
        return std::u16string_view(reinterpret_cast<const char16_t*>(chunk.utf16()), static_cast<size_t>(chunk.size()));
    }
};

class FileReplacement {
public:
    FileReplacement(GuardedProcedure& proc, const EntrySteps& steps, const QString& sourcePath,
        const QList<ReplacementPair>& pairs, EngineContext& context)
        : m_proc(proc),
          m_steps(steps),
          m_sourcePath(sourcePath),
          m_pairs(pairs),
          m_context(context)
    {
    }

    FileOutcome run()
    {
        m_sinceYield.start();
        process();
        if (m_proc.failures() > 0)
            return {FileOutcome::Failed, 0, m_proc.lastFailure()};
        if (!m_refused.isEmpty())
            return {FileOutcome::Skipped, 0, m_refused};
        if (m_stopped)
            return {FileOutcome::NotReached, 0, QStringLiteral("stopped in the middle; left as it was")};
        if (m_replacements > 0)
            return {FileOutcome::Changed, m_replacements, {}};
        return {FileOutcome::Unchanged, 0, {}};
    }

private:
    void process()
    {
        std::unique_ptr<ByteSource> source;
        std::optional<ReadFileChunks> reader;
        const bool opened = m_proc.step(m_steps.read, [&] {
            source = m_context.openSource ? m_context.openSource(m_sourcePath)
                                          : std::make_unique<SourceFile>(m_sourcePath, m_context.afterSourceOpen);
            reader.emplace(*source, m_context.chunkSize > 0 ? m_context.chunkSize : 65536);
            if (pairsAreAscii(m_pairs))
                reader->readUnmarkedUnchecked();
        });
        if (!opened)
            return;
        if (m_context.sourceRefusal) {
            m_refused = m_context.sourceRefusal(*source);
            if (!m_refused.isEmpty())
                return;
        }
        if (preparedFits(*source, reader->encoding())) {
            m_context.prepared->taken = true;
            passPrepared(*reader);
            return;
        }
        for (;;) {
            const Outcome outcome
                = pairsFitBytes(m_pairs, reader->encoding()) ? pass<ByteUnits>(*reader) : pass<TextUnits>(*reader);
            if (outcome != Outcome::NotUtf8)
                return;
            if (!m_proc.step(m_steps.takeChunk, [&] { reader->startOver(); }))
                return;
        }
    }

    // The stop is asked after every yield; true when the file is to be left.
    bool stopRequested()
    {
        m_stopped = m_context.control.stopRequested && m_context.control.stopRequested();
        return m_stopped;
    }
    bool yieldedIntoStop()
    {
        m_sinceYield.restart();
        return stopRequested();
    }

    // Between the per-pair yields (none in the sets tab) a long file still lets the window answer.
    bool keptAliveIntoStop()
    {
        if (!m_context.control.keepAlive || m_sinceYield.elapsed() < m_context.control.keepAliveMs)
            return false;
        m_proc.step(m_steps.takeChunk, [&] { m_context.control.keepAlive(); });
        return yieldedIntoStop();
    }

    template <class Units> Outcome pass(ReadFileChunks& reader)
    {
        const TextEncoding encoding = reader.encoding();
        using Unit = typename Units::Unit;
        ReplacementChain<Unit> chain;
        if (m_context.output.review)
            chain.trackChanges();
        for (const ReplacementPair& pair : m_pairs)
            chain.addPair(Units::unitsOf(pair.find, encoding), Units::unitsOf(pair.replace, encoding));
        std::unique_ptr<ResultSink> sink;
        // Where the text begins, after the mark.
        const qint64 textStart = reader.source().position();

        for (;;) {
            if (m_context.control.progress)
                m_context.control.progress(reader.source().position(), reader.source().size());
            if (keptAliveIntoStop())
                return Outcome::Finished;
            bool got = false;
            bool notUtf8 = false;
            const bool read = m_proc.step(m_steps.takeChunk, [&] {
                typename Units::Chunk raw;
                try {
                    got = reader.next(raw);
                } catch (const NotUtf8&) {
                    notUtf8 = true;
                    return;
                }
                if (got)
                    chain.take(Units::viewOf(raw), reader.atEnd());
            });
            if (!read)
                return Outcome::Finished;
            if (notUtf8)
                return Outcome::NotUtf8;
            if (!got)
                return Outcome::Finished;
            const bool last = reader.atEnd();

            // Single mode yields before every pair of every chunk. Otherwise
            // no pair runs while pieces are gathered, and the clock is read
            // every few pairs, as most of thousands do no work.
            for (size_t j = 0; j < chain.size(); ++j) {
                if (m_steps.yield != 0) {
                    m_proc.step(m_steps.yield, [&] {
                        if (m_context.control.yield)
                            m_context.control.yield();
                    });
                    // The clock for the keep-alive restarts once the chunk's
                    // pairs have run: read before every pair, it would cost
                    // more than the yield.
                    if (stopRequested())
                        return Outcome::Finished;
                } else if (chain.gathering()) {
                    break;
                } else if (j % 16 == 0 && keptAliveIntoStop()) {
                    return Outcome::Finished;
                }
                // While the piece is gathered, the pairs wait for more: only the yields run.
                if (!chain.gathering() && !m_proc.step(m_steps.replace, [&] { chain.runPair(j); }))
                    return Outcome::Finished;
            }
            if (m_steps.yield != 0 && chain.size() > 0)
                m_sinceYield.restart();
            m_replacements = chain.replacements();
            // A failed step of it has been reported: one report per file.
            if (!m_target && !decideTarget())
                return Outcome::Finished;

            const bool written = m_proc.step(m_steps.write, [&] {
                if (!sink) {
                    if (!m_target && !m_context.output.countOnly)
                        throwFileFailure(m_sourcePath, QStringLiteral("No destination is selected"));
                    sink = makeResultSink(m_context.output,
                        {m_target.value_or(QString()), reader.source(), encoding, textStart, commitFailed()});
                }
                if (m_context.output.review)
                    sink->putChanges(chain.settledChanges());
                sink->put(chain.settled(), chain.replacements());
                if (last) {
                    sink->putPairReplacements(chain.replacementsOfPairs());
                    sink->finish(chain.replacements());
                }
            });
            if (!written || last)
                return Outcome::Finished;
        }
    }

    // A result made ahead from the very file opened here, not touched since:
    // its bytes are what reading it now would make.
    bool preparedFits(const ByteSource& source, TextEncoding encoding) const
    {
        const PreparedResult* prepared = m_context.prepared;
        // Unmarked files have no mark in UTF-8 nor in Windows-1252, so the
        // encoding decided ahead, after reading, changes nothing written here.
        if (!prepared || m_context.output.review || m_context.output.countOnly || m_context.output.keepResult)
            return false;
        const SourceFile* file = source.onDisk();
        return file && file->identity().untouchedSince(prepared->identity)
            && prepared->bytes.startsWith(markOf(encoding));
    }

    // The same steps as reading would take, the yields of every chunk and the
    // stop among them, then the result made ahead goes to the sink whole.
    void passPrepared(ReadFileChunks& reader)
    {
        ByteSource& source = reader.source();
        const qint64 textStart = source.position();
        const qsizetype chunkSize = m_context.chunkSize > 0 ? m_context.chunkSize : 65536;
        const qint64 chunks = std::max<qint64>(1, (source.size() - textStart + chunkSize - 1) / chunkSize);
        for (qint64 chunk = 0; chunk < chunks; ++chunk) {
            if (m_context.control.progress)
                m_context.control.progress(std::min(source.size(), textStart + chunk * chunkSize), source.size());
            if (keptAliveIntoStop())
                return;
            if (m_steps.yield == 0)
                continue;
            for (qsizetype j = 0; j < m_pairs.size(); ++j) {
                m_proc.step(m_steps.yield, [&] {
                    if (m_context.control.yield)
                        m_context.control.yield();
                });
                if (stopRequested())
                    return;
            }
            m_sinceYield.restart();
        }
        m_replacements = m_context.prepared->replacements;
        if (!decideTarget())
            return;
        m_proc.step(m_steps.write, [&] {
            if (!m_target && !m_context.output.countOnly)
                throwFileFailure(m_sourcePath, QStringLiteral("No destination is selected"));
            std::unique_ptr<ResultSink> sink = makeResultSink(
                m_context.output, {m_target.value_or(QString()), source, reader.encoding(), textStart, commitFailed()});
            const QByteArray& bytes = m_context.prepared->bytes;
            const qsizetype mark = markOf(reader.encoding()).size();
            sink->put(std::string_view(bytes.constData() + mark, size_t(bytes.size() - mark)), m_replacements);
            sink->finish(m_replacements);
        });
    }

    // A result committed later with others reports its failure as this
    // entry's write step.
    std::function<void(const QString&)> commitFailed()
    {
        return [&reporter = m_proc.reporter(), location = m_proc.location(), line = m_steps.write](
                   const QString& description) { reporter.report(description, location, line); };
    }

    // Once per file, at its first chunk, so that a destination changed in the
    // middle cannot split one file between two targets. False when a step failed.
    bool decideTarget()
    {
        Destination destination;
        const bool read = m_proc.step(m_steps.readDestination, [&] {
            if (m_context.output.destination)
                destination = m_context.output.destination();
        });
        if (!read)
            return false;
        bool decided = true;
        if (destination.option1)
            decided
                = m_proc.step(m_steps.targetInFolder, [&] { m_target = resultTargetPath(m_sourcePath, destination); });
        else if (destination.option2)
            decided = m_proc.step(
                m_steps.targetBesideSource, [&] { m_target = resultTargetPath(m_sourcePath, destination); });
        return decided;
    }

    GuardedProcedure& m_proc;
    const EntrySteps& m_steps;
    const QString& m_sourcePath;
    const QList<ReplacementPair>& m_pairs;
    EngineContext& m_context;
    std::optional<QString> m_target;
    QElapsedTimer m_sinceYield;
    qint64 m_replacements = 0;
    bool m_stopped = false;
    QString m_refused;
};

} // namespace

FileOutcome replaceInFile(GuardedProcedure& proc, const EntrySteps& steps, const QString& sourcePath,
    const QList<ReplacementPair>& pairs, EngineContext& context)
{
    return FileReplacement(proc, steps, sourcePath, pairs, context).run();
}
