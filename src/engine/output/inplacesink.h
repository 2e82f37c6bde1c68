// The sink of a result that replaces its own source. Nothing is written until
// something changes: a file with no occurrence costs one read and no space.
// At the first change the text that went by unchanged is copied from the
// source as it is, not decoded and encoded again.
#pragma once

#include "engine/output/writersink.h"

class InPlaceSink : public WriterSink {
public:
    using WriterSink::WriterSink;

    void put(std::string_view bytes, qint64 replacements) override;
    void put(std::u16string_view text, qint64 replacements) override;

private:
    void openAfterUnchanged();

    qint64 m_unchangedBytes = 0;
};
