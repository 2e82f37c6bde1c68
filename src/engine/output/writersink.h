// A sink that writes the result through a ResultWriter, opened at the first
// piece: bytes go out as they are, text through a strict encoder. It puts the
// result in the target's place, or hands a result in place to the run's
// commit queue. OutputFolderSink writes from the first piece; InPlaceSink
// waits for the first change.
#pragma once

#include "engine/output/resultsink.h"
#include "engine/textfile/textcodec.h"

#include <QByteArray>

#include <memory>

class ResultWriter;

class WriterSink : public ResultSink {
public:
    WriterSink(const OutputRules& rules, ResultTarget target);
    ~WriterSink() override;

    void put(std::string_view bytes, qint64 replacements) override;
    void put(std::u16string_view text, qint64 replacements) override;
    void finish(qint64 replacements) override;

protected:
    bool isOpen() const { return m_writer != nullptr; }
    ResultWriter& open();
    const ResultTarget& target() const { return m_target; }

private:
    void queueForCommit();

    const OutputRules& m_rules;
    ResultTarget m_target;
    std::unique_ptr<ResultWriter> m_writer;
    TextEncoder m_encoder;
    QByteArray m_encoded;
};
