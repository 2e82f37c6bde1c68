#include "engine/textfile/textfilereader.h"

#include "engine/textfile/textcodec.h"
#include "engine/textfile/utf8validator.h"

TextEncoding unmarkedEncoding(SourceFile& file)
{
    const qint64 start = file.position();
    Utf8Validator validator;
    QByteArray block(1 << 20, Qt::Uninitialized);
    bool valid = true;
    while (valid && file.position() < file.size()) {
        const qsizetype got = file.read(block.data(), block.size());
        valid = validator.check(block.constData(), got);
    }
    valid = valid && validator.finish();
    file.seek(start);
    return valid ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

LineRead ReadFileLines(const QString& path)
{
    SourceFile file(path);
    SourceEncoding found = file.sniffEncoding();
    const QByteArray bytes = file.readAll();
    if (found.markSize == 0 && !isValidUtf8(bytes.constData(), bytes.size()))
        found.encoding = TextEncoding::Windows1252;
    const QString text = decodeText(bytes, found.encoding, path, found.markSize);

    LineRead read;
    read.mode = found.mode;
    read.encoding = found.encoding;
    if (found.mode == TextMode::Utf8) {
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

ReadFileChunks::ReadFileChunks(const QString& path, qsizetype chunkSize)
    : m_file(path)
{
    const SourceEncoding found = m_file.sniffEncoding();
    m_encoding = found.markSize == 0 ? unmarkedEncoding(m_file) : found.encoding;
    m_stream = std::make_unique<TextChunkStream>(m_file, m_encoding, chunkSize);
}

bool ReadFileChunks::next(QString& chunk)
{
    QStringView view;
    if (!m_stream->next(view))
        return false;
    chunk = view.toString();
    return true;
}
