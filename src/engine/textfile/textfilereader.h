// Reading text files whole as lines (list files, set files) or as a stream of
// chunks, with the encoding their first bytes and contents show. Anyone may
// call these; failures throw Failure with a description for the error report.
#pragma once

#include "engine/textfile/chunkstream.h"
#include "engine/textfile/sourcefile.h"
#include "engine/textfile/textencoding.h"

#include <QString>
#include <QStringList>
#include <memory>

struct LineRead {
    QStringList lines; // at least one
    TextMode mode = TextMode::Ansi;
    TextEncoding encoding = TextEncoding::Utf8;
};

// A Utf8 file (marked) is cut at every CR LF only; Ansi and Unicode files at
// every LF, dropping a CR just before it, with no extra line after a final
// line end. A lone CR stays inside its line. An empty text gives one empty line.
LineRead ReadFileLines(const QString& path);

// A file's text chunk by chunk: every chunk but the last holds exactly
// chunkSize characters, an empty text gives one empty chunk. Line ends are not
// translated. The file stays open until the reader is destroyed.
class ReadFileChunks {
public:
    explicit ReadFileChunks(const QString& path, qsizetype chunkSize = 65536);

    TextMode mode() const { return modeOf(m_encoding); }
    TextEncoding encoding() const { return m_encoding; }
    // False after the last chunk.
    bool next(QString& chunk);
    bool atEnd() const { return m_stream->atEnd(); }

private:
    SourceFile m_file;
    TextEncoding m_encoding;
    std::unique_ptr<TextChunkStream> m_stream;
};

// The encoding of an unmarked file: Utf8 when all bytes from the current
// position on are UTF-8, Windows1252 otherwise. Leaves the position where it was.
TextEncoding unmarkedEncoding(SourceFile& file);
