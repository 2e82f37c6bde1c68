#include "engine/replace/filereplacement.h"

#include "engine/replace/commitqueue.h"
#include "engine/replace/replacementchain.h"
#include "engine/replace/targetclaims.h"
#include "engine/textfile/resultwriter.h"
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
    static qint64 bytesOf(std::string_view text, TextEncoding) { return qint64(text.size()); }
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
    // What the text took in the file. Text read from a file is well formed
    // in its encoding: in UTF-8 and UTF-32 a pair of surrogates stands for
    // one character of four bytes.
    static qint64 bytesOf(std::u16string_view text, TextEncoding encoding)
    {
        const qint64 units = qint64(text.size());
        switch (encoding) {
        case TextEncoding::Windows1252: return units;
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE: return 2 * units;
        case TextEncoding::Utf32LE:
        case TextEncoding::Utf32BE: {
            qint64 lows = 0;
            for (char16_t unit : text)
                lows += (unit & 0xFC00) == 0xDC00;
            return 4 * (units - lows);
        }
        case TextEncoding::Utf8:
        case TextEncoding::Utf8WithMark: break;
        }
        qint64 bytes = 0;
        for (char16_t unit : text)
            bytes += unit < 0x80 ? 1 : unit < 0x800 ? 2 : (unit & 0xFC00) == 0xD800 ? 4 : (unit & 0xFC00) == 0xDC00 ? 0 : 3;
        return bytes;
    }
};

// The text before the first occurrence, as the file holds it: read again by
// offset and written as it is, not decoded or encoded again.
void copyUnchanged(ByteSource& source, qint64 from, qint64 size, ResultWriter& writer)
{
    if (size == 0)
        return;
    const qint64 resume = source.position();
    source.seek(from);
    QByteArray block(int(qMin<qint64>(size, 1 << 20)), Qt::Uninitialized);
    while (size > 0) {
        const qsizetype got = source.read(block.data(), qsizetype(qMin<qint64>(block.size(), size)));
        if (got <= 0)
            throwChangedDuringRun(source.path());
        writer.write(block.constData(), got);
        size -= got;
    }
    source.seek(resume);
}

// The output side: bytes go out as they are, text through a strict encoder.
class ResultSink {
public:
    ResultSink(const QString& target, TextEncoding encoding, const SourceFile& source, SpareTemporaries* spares)
        : m_writer(std::make_unique<ResultWriter>(target, encoding, source, spares)), m_encoder(encoding, target)
    {
    }
    ResultSink(const QString& target, TextEncoding encoding)
        : m_writer(std::make_unique<ResultWriter>(target, encoding, false)), m_encoder(encoding, target)
    {
    }
    ResultWriter& writer() { return *m_writer; }
    void put(std::string_view bytes) { m_writer->write(bytes.data(), static_cast<qsizetype>(bytes.size())); }
    void put(std::u16string_view text)
    {
        m_encoded.clear();
        m_encoder.encode(QStringView(text.data(), static_cast<qsizetype>(text.size())), m_encoded);
        m_writer->write(m_encoded);
    }
    void commit()
    {
        m_encoder.finish();
        m_writer->commit();
    }
    // The whole result written, for a commit later.
    std::unique_ptr<ResultWriter> finish()
    {
        m_encoder.finish();
        m_writer->finish();
        return std::move(m_writer);
    }

private:
    std::unique_ptr<ResultWriter> m_writer;
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
            if (pairsAreAscii(m_pairs))
                reader->readUnmarkedUnchecked();
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
        // Where the text begins, after the mark, and how much of it went by
        // unchanged before anything was written.
        const qint64 textStart = reader.source().position();
        qint64 unchangedBytes = 0;

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

            // Single mode yields before every pair of every chunk. Otherwise
            // no pair runs while pieces are gathered, and the clock is read
            // every few pairs, as most of thousands do no work.
            for (size_t j = 0; j < chain.size(); ++j) {
                if (m_steps.yield != 0) {
                    m_proc.step(m_steps.yield, [&] {
                        if (m_context.yield)
                            m_context.yield();
                    });
                    if (yieldedIntoStop())
                        return Outcome::Finished;
                } else if (chain.gathering()) {
                    break;
                } else if (j % 16 == 0 && keptAliveIntoStop()) {
                    return Outcome::Finished;
                }
                if (!m_proc.step(m_steps.replace, [&] { chain.runPair(j); }))
                    return Outcome::Finished;
            }
            m_replacements = chain.replacements();
            // A failed step of it has been reported: one report per file.
            if (!m_target && !decideTarget(reader.source()))
                return Outcome::Finished;

            if (m_context.countOnly) {
                if (last)
                    return Outcome::Finished;
                continue;
            }
            const bool written = m_proc.step(m_steps.write, [&] {
                if (!m_target)
                    throwFileFailure(m_sourcePath, QStringLiteral("No destination is selected"));
                const auto settled = chain.settled();
                if (!sink) {
                    // In place nothing is written until something changes: a
                    // file with no occurrence costs one read and no space.
                    if (m_writeOnChange && chain.replacements() == 0) {
                        unchangedBytes += Units::bytesOf(settled, encoding);
                        return;
                    }
                    sink = openSink(reader.source(), encoding);
                    copyUnchanged(reader.source(), textStart, unchangedBytes, sink->writer());
                }
                sink->put(settled);
                if (!last)
                    return;
                // A file left as it was needs no rewriting: it keeps its bytes and its time.
                if (chain.replacements() == 0 && sink->writer().inPlace())
                    return;
                // Read to its end, and still what was read: else the result is not whole.
                reader.source().checkUnchanged();
                reader.source().close();
                if (m_context.commits && sink->writer().inPlace()) {
                    m_context.commits->add(pendingResult(sink->finish()));
                    return;
                }
                sink->commit();
                if (m_context.claims)
                    m_context.claims->recordWritten(sink->writer());
            });
            if (!written || last)
                return Outcome::Finished;
        }
    }

    std::unique_ptr<ResultSink> openSink(const ByteSource& source, TextEncoding encoding)
    {
        // A source in memory (tests) has no place on disk to share with a target.
        const auto* file = dynamic_cast<const SourceFile*>(&source);
        auto sink = file ? std::make_unique<ResultSink>(*m_target, encoding, *file, m_context.spares)
                         : std::make_unique<ResultSink>(*m_target, encoding);
        if (m_context.claims && file)
            m_context.claims->check(*file, sink->writer());
        if (m_context.beforeReplace) {
            // It may run after this file's work, with the queue's commit.
            sink->writer().setBeforeReplace([target = *m_target, hook = m_context.beforeReplace] { hook(target); });
        }
        sink->writer().setKeeper(m_context.keeper);
        if (m_context.copyProgress)
            sink->writer().setCopyProgress(m_context.copyProgress);
        return sink;
    }

    // A result that waits to be committed with others: its failure is
    // reported then, at the write step of this entry.
    PendingResult pendingResult(std::unique_ptr<ResultWriter> writer)
    {
        if (m_context.claims)
            m_context.claims->recordPending(*writer);
        PendingResult pending;
        pending.writer = std::move(writer);
        pending.committed = [claims = m_context.claims](const ResultWriter& written) {
            if (claims)
                claims->recordWritten(written);
        };
        pending.failed = [&reporter = m_proc.reporter(), location = m_proc.location(),
                          line = m_steps.write](const QString& description) {
            reporter.report(description, location, line);
        };
        pending.tag = m_context.commitTag;
        return pending;
    }

    // True when the target is the very file being read.
    static bool isSourceItself(const QString& target, const ByteSource& source)
    {
        const auto* file = dynamic_cast<const SourceFile*>(&source);
        if (!file)
            return false;
        try {
            return locateFile(target).identity().sameFile(file->identity());
        } catch (const Failure&) {
            return false; // opening the writer will say why
        }
    }

    // Once per file, at its first chunk, so that a destination changed in the
    // middle cannot split one file between two targets. False when a step failed.
    bool decideTarget(const ByteSource& source)
    {
        Destination destination;
        const bool read = m_proc.step(m_steps.readDestination, [&] {
            if (m_context.destination)
                destination = m_context.destination();
        });
        if (!read)
            return false;
        bool decided = true;
        if (destination.option1)
            decided = m_proc.step(m_steps.targetInFolder, [&] { m_target = resultTargetPath(m_sourcePath, destination); });
        else if (destination.option2)
            decided = m_proc.step(m_steps.targetBesideSource, [&] { m_target = resultTargetPath(m_sourcePath, destination); });
        // An output folder gets its copy even when nothing changes.
        m_writeOnChange = decided && m_target && isSourceItself(*m_target, source);
        return decided;
    }

    GuardedProcedure& m_proc;
    const EntrySteps& m_steps;
    const QString& m_sourcePath;
    const QList<ReplacementPair>& m_pairs;
    EngineContext& m_context;
    std::optional<QString> m_target;
    bool m_writeOnChange = false;
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
