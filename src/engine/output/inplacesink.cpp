#include "engine/output/inplacesink.h"

#include "engine/textfile/bytesource.h"
#include "engine/textfile/fileplace.h"
#include "engine/textfile/resultwriter.h"

namespace {

// What the text took in the file. Text read from a file is well formed in its
// encoding: in UTF-8 and UTF-32 a pair of surrogates stands for one character
// of four bytes.
qint64 bytesInFile(std::u16string_view text, TextEncoding encoding)
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

// The text before the first occurrence, read again by offset and written as it is.
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

} // namespace

void InPlaceSink::openAfterUnchanged()
{
    if (isOpen())
        return;
    ResultWriter& writer = open();
    copyUnchanged(target().source, target().textStart, m_unchangedBytes, writer);
}

void InPlaceSink::put(std::string_view bytes, qint64 replacements)
{
    if (!isOpen() && replacements == 0) {
        m_unchangedBytes += qint64(bytes.size());
        return;
    }
    openAfterUnchanged();
    WriterSink::put(bytes, replacements);
}

void InPlaceSink::put(std::u16string_view text, qint64 replacements)
{
    if (!isOpen() && replacements == 0) {
        m_unchangedBytes += bytesInFile(text, target().encoding);
        return;
    }
    openAfterUnchanged();
    WriterSink::put(text, replacements);
}
