#include "engine/textfile/textencoding.h"

#include "engine/textfile/bytesource.h"
#include "engine/textfile/sourcefile.h"

#include <cstring>

SourceEncoding encodingFromMark(const char* firstBytes, qint64 fileLength)
{
    unsigned char b[4] = {0, 0, 0, 0};
    std::memcpy(b, firstBytes, static_cast<size_t>(qBound<qint64>(qint64(0), fileLength, qint64(4))));
    if (fileLength >= 4 && b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0)
        return {TextMode::Unicode, TextEncoding::Utf32LE, 4};
    if (fileLength >= 4 && b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF)
        return {TextMode::Unicode, TextEncoding::Utf32BE, 4};
    if (fileLength >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return {TextMode::Utf8, TextEncoding::Utf8WithMark, 3};
    if (fileLength >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        return {TextMode::Unicode, TextEncoding::Utf16LE, 2};
    if (fileLength >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        return {TextMode::Unicode, TextEncoding::Utf16BE, 2};
    return {TextMode::Ansi, TextEncoding::Utf8, 0};
}

TextMode modeOf(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Windows1252: return TextMode::Ansi;
    case TextEncoding::Utf8WithMark: return TextMode::Utf8;
    default: return TextMode::Unicode;
    }
}

QByteArray markOf(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8WithMark: return QByteArray("\xEF\xBB\xBF", 3);
    case TextEncoding::Utf16LE: return QByteArray("\xFF\xFE", 2);
    case TextEncoding::Utf16BE: return QByteArray("\xFE\xFF", 2);
    case TextEncoding::Utf32LE: return QByteArray("\xFF\xFE\x00\x00", 4);
    case TextEncoding::Utf32BE: return QByteArray("\x00\x00\xFE\xFF", 4);
    default: return {};
    }
}

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8WithMark: return QStringLiteral("UTF-8");
    case TextEncoding::Windows1252: return QStringLiteral("Windows-1252");
    case TextEncoding::Utf16LE: return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16BE: return QStringLiteral("UTF-16BE");
    case TextEncoding::Utf32LE: return QStringLiteral("UTF-32LE");
    case TextEncoding::Utf32BE: return QStringLiteral("UTF-32BE");
    }
    return {};
}

int unitSize(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: return 2;
    case TextEncoding::Utf32LE:
    case TextEncoding::Utf32BE: return 4;
    default: return 1;
    }
}

SourceEncoding DetectTextEncoding(ByteSource& source)
{
    source.seek(0);
    char first[4] = {0, 0, 0, 0};
    const qsizetype got = source.read(first, 4);
    const SourceEncoding found = encodingFromMark(first, got);
    source.seek(found.markSize);
    return found;
}

TextMode DetectTextEncoding(const QString& path)
{
    SourceFile file(path);
    return DetectTextEncoding(file).mode;
}
