#include "engine/output/writersink.h"

#include "engine/output/commitqueue.h"
#include "engine/output/outputrules.h"
#include "engine/output/targetclaims.h"
#include "engine/textfile/resultwriter.h"
#include "engine/textfile/sourcefile.h"

WriterSink::WriterSink(const OutputRules& rules, ResultTarget target)
    : m_rules(rules),
      m_target(std::move(target)),
      m_encoder(m_target.encoding, m_target.path)
{
}

WriterSink::~WriterSink() = default;

ResultWriter& WriterSink::open()
{
    if (m_writer)
        return *m_writer;
    const SourceFile* file = m_target.source.onDisk();
    m_writer = file ? std::make_unique<ResultWriter>(m_target.path, m_target.encoding, *file, m_rules.spares)
                    : std::make_unique<ResultWriter>(m_target.path, m_target.encoding, false);
    if (m_rules.claims && file)
        m_rules.claims->check(*file, *m_writer);
    if (m_rules.beforeReplace) {
        // It may run after this file's work, with the queue's commit.
        m_writer->setBeforeReplace([target = m_target.path, hook = m_rules.beforeReplace] { hook(target); });
    }
    m_writer->setKeeper(m_rules.keeper);
    if (m_rules.copyProgress)
        m_writer->setCopyProgress(m_rules.copyProgress);
    return *m_writer;
}

void WriterSink::put(std::string_view bytes, qint64)
{
    open().write(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void WriterSink::put(std::u16string_view text, qint64)
{
    ResultWriter& writer = open();
    m_encoded.clear();
    m_encoder.encode(QStringView(text.data(), static_cast<qsizetype>(text.size())), m_encoded);
    writer.write(m_encoded);
}

void WriterSink::finish(qint64 replacements)
{
    if (!m_writer)
        return;
    // A file left as it was needs no rewriting: it keeps its bytes and its time.
    if (replacements == 0 && m_writer->inPlace())
        return;
    // Read to its end, and still what was read: else the result is not whole.
    m_target.source.checkUnchanged();
    m_target.source.close();
    if (m_rules.commits && m_writer->inPlace()) {
        queueForCommit();
        return;
    }
    m_encoder.finish();
    m_writer->commit();
    if (m_rules.claims)
        m_rules.claims->recordWritten(*m_writer);
}

// A result that waits to be committed with others: its failure is reported
// then, as this file's write step.
void WriterSink::queueForCommit()
{
    m_encoder.finish();
    m_writer->finish();
    if (m_rules.claims)
        m_rules.claims->recordPending(*m_writer);
    PendingResult pending;
    pending.writer = std::move(m_writer);
    pending.committed = [claims = m_rules.claims](const ResultWriter& written) {
        if (claims)
            claims->recordWritten(written);
    };
    pending.failed = m_target.commitFailed;
    pending.tag = m_rules.commitTag;
    m_rules.commits->add(std::move(pending));
}
