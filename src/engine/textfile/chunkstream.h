// The engine's readers: a source file's text handed out chunk by chunk, either
// as the file's own bytes (UTF-8 and Windows-1252, checked but not converted)
// or as UTF-16 text. Both read from a byte source positioned after the mark,
// and both give one empty chunk for an empty text. Memory stays bounded
// by the chunk size whatever the file's size.
#pragma once

#include "engine/textfile/bytesource.h"
#include "engine/textfile/textcodec.h"

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

class ByteChunkStream {
public:
    ByteChunkStream(ByteSource& source, TextEncoding encoding, qsizetype chunkSize);

    // The next chunk of at most chunkSize bytes, valid until the next call;
    // false after the last. Throws Failure, or NotUtf8 for an unmarked file.
    bool next(std::string_view& chunk);
    bool atEnd() const { return m_gaveAny && m_source.position() >= m_source.size(); }

private:
    ByteSource& m_source;
    TextDecoder m_checker;
    std::string m_buffer;
    bool m_gaveAny = false;
};

class TextChunkStream {
public:
    TextChunkStream(ByteSource& source, TextEncoding encoding, qsizetype chunkSize);

    // The next chunk of exactly chunkSize characters (the last one 1 to
    // chunkSize), valid until the next call; false after the last.
    bool next(QStringView& chunk);
    bool atEnd() const { return m_gaveAny && m_sourceDone && m_taken == m_pending.size(); }

private:
    void fill();

    ByteSource& m_source;
    TextDecoder m_decoder;
    qsizetype m_chunkSize;
    QByteArray m_block;
    QString m_pending;
    qsizetype m_taken = 0;
    bool m_sourceDone = false;
    bool m_gaveAny = false;
};
