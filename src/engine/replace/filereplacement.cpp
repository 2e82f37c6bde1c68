#include "engine/replace/filereplacement.h"

#include "engine/replace/streamreplacer.h"
#include "engine/replace/targetclaims.h"
#include "engine/textfile/resultwriter.h"
#include "engine/textfile/sourcefile.h"
#include "engine/textfile/textcodec.h"
#include "engine/textfile/textfilereader.h"

#include <QElapsedTimer>
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

// The output side: bytes go out as they are, text through a strict encoder.
class ResultSink {
public:
    ResultSink(const QString& target, TextEncoding encoding, const SourceFile& source)
        : m_writer(target, encoding, source), m_encoder(encoding, target)
    {
    }
    ResultSink(const QString& target, TextEncoding encoding)
        : m_writer(target, encoding, false), m_encoder(encoding, target)
    {
    }
    ResultWriter& writer() { return m_writer; }
    void put(std::string_view bytes) { m_writer.write(bytes.data(), static_cast<qsizetype>(bytes.size())); }
    void put(std::u16string_view text)
    {
        m_encoded.clear();
        m_encoder.encode(QStringView(text.data(), static_cast<qsizetype>(text.size())), m_encoded);
        m_writer.write(m_encoded);
    }
    void commit()
    {
        m_encoder.finish();
        m_writer.commit();
    }

private:
    ResultWriter m_writer;
    TextEncoder m_encoder;
    QByteArray m_encoded;
};

class FileReplacement {
public:
    FileReplacement(GuardedProcedure& proc, const EntrySteps& steps, const QString& sourcePath,
                    const QList<ReplacementPair>& pairs, EngineContext& context)
        : m_proc(proc), m_steps(steps), m_sourcePath(sourcePath), m_pairs(pairs), m_context(context)
    {
    }

    FileOutcome run()
    {
        m_sinceYield.start();
        process();
        if (m_proc.failures() > 0)
            return {FileOutcome::Failed, 0, m_proc.lastFailure()};
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
        });
        if (!opened)
            return;
        for (;;) {
            const Outcome outcome = pairsFitBytes(m_pairs, reader->encoding()) ? pass<ByteUnits>(*reader)
                                                                               : pass<TextUnits>(*reader);
            if (outcome != Outcome::NotUtf8)
                return;
            if (!m_proc.step(m_steps.takeChunk, [&] { reader->startOver(); }))
                return;
        }
    }

    // The stop is asked after every yield; true when the file is to be left.
    bool yieldedIntoStop()
    {
        m_sinceYield.restart();
        m_stopped = m_context.stopRequested && m_context.stopRequested();
        return m_stopped;
    }

    // Between the per-pair yields (none in the sets tab) a long file still lets the window answer.
    bool keptAliveIntoStop()
    {
        if (!m_context.keepAlive || m_sinceYield.elapsed() < m_context.keepAliveMs)
            return false;
        m_proc.step(m_steps.takeChunk, [&] { m_context.keepAlive(); });
        return yieldedIntoStop();
    }

    template <class Units>
    Outcome pass(ReadFileChunks& reader)
    {
        const TextEncoding encoding = reader.encoding();
        using Unit = typename Units::Unit;
        ReplacementChain<Unit> chain;
        for (const ReplacementPair& pair : m_pairs)
            chain.addPair(Units::unitsOf(pair.find, encoding), Units::unitsOf(pair.replace, encoding));
        std::unique_ptr<ResultSink> sink;

        for (;;) {
            if (m_context.progress)
                m_context.progress(reader.source().position(), reader.source().size());
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

            for (size_t j = 0; j < chain.size(); ++j) {
                if (m_steps.yield != 0) {
                    m_proc.step(m_steps.yield, [&] {
                        if (m_context.yield)
                            m_context.yield();
                    });
                    if (yieldedIntoStop())
                        return Outcome::Finished;
                } else if (keptAliveIntoStop()) {
                    return Outcome::Finished;
                }
                if (!m_proc.step(m_steps.replace, [&] { chain.runPair(j); }))
                    return Outcome::Finished;
            }
            m_replacements = chain.replacements();
            // A failed step of it has been reported: one report per file.
            if (!m_target && !decideTarget())
                return Outcome::Finished;

            if (m_context.countOnly) {
                if (last)
                    return Outcome::Finished;
                continue;
            }
            const bool written = m_proc.step(m_steps.write, [&] {
                if (!m_target)
                    throwFileFailure(m_sourcePath, QStringLiteral("No destination is selected"));
                if (!sink)
                    sink = openSink(reader.source(), encoding);
                sink->put(chain.settled());
                if (!last)
                    return;
                // A file left as it was needs no rewriting: it keeps its bytes and its time.
                if (chain.replacements() == 0 && sink->writer().inPlace())
                    return;
                // Read to its end, and still what was read: else the result is not whole.
                reader.source().checkUnchanged();
                reader.source().close();
                sink->commit();
                if (m_context.claims)
                    m_context.claims->recordWritten(sink->writer());
                if (m_context.afterReplace)
                    m_context.afterReplace(*m_target);
            });
            if (!written || last)
                return Outcome::Finished;
        }
    }

    std::unique_ptr<ResultSink> openSink(const ByteSource& source, TextEncoding encoding)
    {
        // A source in memory (tests) has no place on disk to share with a target.
        const auto* file = dynamic_cast<const SourceFile*>(&source);
        auto sink = file ? std::make_unique<ResultSink>(*m_target, encoding, *file)
                         : std::make_unique<ResultSink>(*m_target, encoding);
        if (m_context.claims && file)
            m_context.claims->check(*file, sink->writer());
        if (m_context.beforeReplace) {
            sink->writer().setBeforeReplace([this, hook = m_context.beforeReplace] { hook(*m_target); });
        }
        if (m_context.keepBeforeReplace)
            sink->writer().setKeepOld(m_context.keepBeforeReplace);
        return sink;
    }

    // Once per file, at its first chunk, so that a destination changed in the
    // middle cannot split one file between two targets. False when a step failed.
    bool decideTarget()
    {
        Destination destination;
        const bool read = m_proc.step(m_steps.readDestination, [&] {
            if (m_context.destination)
                destination = m_context.destination();
        });
        if (!read)
            return false;
        if (destination.option1)
            return m_proc.step(m_steps.targetInFolder, [&] { m_target = resultTargetPath(m_sourcePath, destination); });
        if (destination.option2)
            return m_proc.step(m_steps.targetBesideSource, [&] { m_target = resultTargetPath(m_sourcePath, destination); });
        return true;
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
};

} // namespace

FileOutcome replaceInFile(GuardedProcedure& proc, const EntrySteps& steps, const QString& sourcePath,
                          const QList<ReplacementPair>& pairs, EngineContext& context)
{
    return FileReplacement(proc, steps, sourcePath, pairs, context).run();
}
