// The sink that keeps a file's whole result in memory, mark and all, as it
// would be written, and writes nothing: a patch is made from it.
#pragma once

#include "engine/output/resultsink.h"
#include "engine/textfile/textcodec.h"
#include "engine/textfile/textencoding.h"

#include <QByteArray>

class MemorySink : public ResultSink {
public:
    // limit: the most bytes kept; a longer result throws Failure (-1: none).
    MemorySink(QByteArray& into, const ResultTarget& target, qsizetype limit = -1);

    void put(std::string_view bytes, qint64 replacements) override;
    void put(std::u16string_view text, qint64 replacements) override;
    void finish(qint64 replacements) override;

private:
    void checkLimit() const;

    QByteArray& m_into;
    qsizetype m_limit;
    TextEncoder m_encoder;
};
