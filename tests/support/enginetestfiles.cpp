#include "support/enginetestfiles.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

namespace {

const char* converterName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8WithMark: return "UTF-8";
    case TextEncoding::Windows1252: return "windows-1252";
    case TextEncoding::Utf16LE: return "UTF-16LE";
    case TextEncoding::Utf16BE: return "UTF-16BE";
    case TextEncoding::Utf32LE: return "UTF-32LE";
    case TextEncoding::Utf32BE: return "UTF-32BE";
    }
    return "";
}

} // namespace

QByteArray referenceBytes(const QString& text, TextEncoding encoding)
{
    QStringEncoder encoder(converterName(encoding), QStringEncoder::Flag::Stateless);
    return markOf(encoding) + QByteArray(encoder.encode(text));
}

QString referenceText(const QByteArray& bytesWithoutMark, TextEncoding encoding)
{
    QStringDecoder decoder(converterName(encoding), QStringDecoder::Flag::Stateless);
    return decoder.decode(bytesWithoutMark);
}

QString replacedWholeText(QString text, const QStringList& finds, const QStringList& replaces)
{
    for (qsizetype j = 0; j < finds.size(); ++j) {
        if (!finds[j].isEmpty())
            text.replace(finds[j], replaces.value(j));
    }
    return text;
}

QList<TextEncoding> allEncodings()
{
    return {TextEncoding::Utf8, TextEncoding::Windows1252, TextEncoding::Utf8WithMark, TextEncoding::Utf16LE,
        TextEncoding::Utf16BE, TextEncoding::Utf32LE, TextEncoding::Utf32BE};
}

QString encodingLabel(TextEncoding encoding)
{
    return QString::fromLatin1(converterName(encoding)) + (encoding == TextEncoding::Utf8WithMark ? "+mark" : "");
}
