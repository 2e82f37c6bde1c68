#include "engine/textfile/textfilereader.h"

#include "engine/textfile/textcodec.h"

ReadFileChunks::ReadFileChunks(ByteSource& source, qsizetype chunkSize)
    : m_source(&source),
      m_found(DetectTextEncoding(source)),
      m_encoding(m_found.encoding),
      m_chunkSize(qMax<qsizetype>(1, chunkSize))
{
}

ReadFileChunks::ReadFileChunks(const QString& path, qsizetype chunkSize)
    : m_file(std::in_place, path),
      m_source(&*m_file),
      m_found(DetectTextEncoding(*m_file)),
      m_encoding(m_found.encoding),
      m_chunkSize(qMax<qsizetype>(1, chunkSize))
{
}

bool ReadFileChunks::next(QStringView& chunk)
{
    Q_ASSERT(!m_bytes);
    if (!m_text)
        m_text = std::make_unique<TextChunkStream>(*m_source, m_encoding, m_chunkSize);
    return m_text->next(chunk);
}

bool ReadFileChunks::next(std::string_view& chunk)
{
    Q_ASSERT(!m_text && unitSize(m_encoding) == 1);
    if (!m_bytes) {
        // Windows-1252 takes every byte: the check that does nothing.
        const bool unchecked = m_unchecked && m_found.markSize == 0 && m_encoding == TextEncoding::Utf8;
        m_bytes = std::make_unique<ByteChunkStream>(
            *m_source, unchecked ? TextEncoding::Windows1252 : m_encoding, m_chunkSize);
    }
    return m_bytes->next(chunk);
}

bool ReadFileChunks::next(QString& chunk)
{
    QStringView view;
    if (!next(view))
        return false;
    chunk = view.toString();
    return true;
}

bool ReadFileChunks::atEnd() const
{
    if (m_text)
        return m_text->atEnd();
    return m_bytes && m_bytes->atEnd();
}

void ReadFileChunks::startOver()
{
    Q_ASSERT(m_found.markSize == 0 && m_encoding == TextEncoding::Utf8);
    m_text.reset();
    m_bytes.reset();
    m_encoding = TextEncoding::Windows1252;
    m_source->seek(m_found.markSize);
}

QString ReadFileChunks::wholeText()
{
    QString text;
    for (;;) {
        try {
            QStringView chunk;
            while (next(chunk))
                text += chunk;
            return text;
        } catch (const NotUtf8&) {
            text.clear();
            startOver();
        }
    }
}

LineRead ReadFileLines(const QString& path)
{
    ReadFileChunks reader(path);
    const QString text = reader.wholeText();

    LineRead read;
    read.mode = reader.mode();
    read.encoding = reader.encoding();
    if (read.mode == TextMode::Utf8) {
        read.lines = text.split(QStringLiteral("\r\n"));
        return read;
    }
    if (text.isEmpty()) {
        read.lines << QString();
        return read;
    }
    read.lines = text.split(QLatin1Char('\n'));
    const bool endsWithLineEnd = text.endsWith(QLatin1Char('\n'));
    if (endsWithLineEnd)
        read.lines.removeLast();
    // Only a CR just before a line feed belongs to the line end.
    const qsizetype ended = endsWithLineEnd ? read.lines.size() : read.lines.size() - 1;
    for (qsizetype i = 0; i < ended; ++i) {
        if (read.lines[i].endsWith(QLatin1Char('\r')))
            read.lines[i].chop(1);
    }
    return read;
}
