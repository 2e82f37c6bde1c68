// Reading text files whole as lines (list files, set files) or as a stream of
// chunks (the replacement engine), with the encoding that their first bytes
// and contents show. Every reader goes through ReadFileChunks, so that one
// rule decides how a file is read. Anyone may call these; failures throw
// Failure with a description for the error report.
#pragma once

#include "engine/textfile/bytesource.h"
#include "engine/textfile/chunkstream.h"
#include "engine/textfile/sourcefile.h"
#include "engine/textfile/textencoding.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string_view>

struct LineRead {
    QStringList lines; // at least one
    TextMode mode = TextMode::Ansi;
    TextEncoding encoding = TextEncoding::Utf8;
};

// A Utf8 file (marked) is cut at every CR LF only; Ansi and Unicode files at
// every LF, dropping a CR just before it, with no extra line after a final
// line end. A lone CR stays inside its line. An empty text gives one empty line.
LineRead ReadFileLines(const QString& path);

// A file's text chunk by chunk, as UTF-16 text or, for UTF-8 and Windows-1252,
// as the file's own bytes (checked, not converted). Every chunk but the last
// holds exactly chunkSize units, an empty text gives one empty chunk, line
// ends are not translated, and memory stays bounded by the chunk size.
//
// The mark decides the encoding. An unmarked file is read as UTF-8 until a
// byte shows that it is not: next() then throws NotUtf8, and the caller drops
// what it took and calls startOver() to read the file again from its first
// character as Windows-1252. So a file is UTF-8 exactly when all its bytes are.
class ReadFileChunks {
public:
    // Reads from the source, which must outlive the reader.
    ReadFileChunks(ByteSource& source, qsizetype chunkSize = 65536);
    // Opens the file and keeps it open until the reader is destroyed.
    explicit ReadFileChunks(const QString& path, qsizetype chunkSize = 65536);

    TextMode mode() const { return modeOf(m_encoding); }
    TextEncoding encoding() const { return m_encoding; }
    ByteSource& source() { return *m_source; }

    // The next chunk, valid until the next call; false after the last. One
    // reader gives either text or bytes; bytes only for UTF-8 and
    // Windows-1252. Throw Failure, or NotUtf8 as said above.
    bool next(QStringView& chunk);
    bool next(std::string_view& chunk);
    // Copies the chunk; for callers that keep it.
    bool next(QString& chunk);
    bool atEnd() const;

    // The text read as Windows-1252 from its first character on; only after
    // next() threw NotUtf8.
    void startOver();
    // For a caller that looks only for ASCII text in the bytes and keeps every
    // other byte as it is: an unmarked file then reads the same as UTF-8 or
    // as Windows-1252, so its bytes go unchecked and NotUtf8 never comes.
    // Before the first next().
    void readUnmarkedUnchecked() { m_unchecked = true; }
    // The whole text, decided as above; for files read whole.
    QString wholeText();

private:
    std::optional<SourceFile> m_file;
    ByteSource* m_source;
    SourceEncoding m_found;
    TextEncoding m_encoding;
    qsizetype m_chunkSize;
    bool m_unchecked = false;
    std::unique_ptr<TextChunkStream> m_text;
    std::unique_ptr<ByteChunkStream> m_bytes;
};
