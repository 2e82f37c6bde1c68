#include "engine/textfile/textcodec.h"

#include "engine/textfile/windows1252.h"

#include <QtEndian>

namespace {

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool hasSurrogate(QStringView text)
{
    // No early exit, so the compiler can vectorise the common all-clear case.
    bool found = false;
    for (QChar c : text)
        found |= (c.unicode() & 0xF800) == 0xD800;
    return found;
}

QString hexBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString codePoint(char32_t character)
{
    return QStringLiteral("U+%1").arg(uint(character), character > 0xFFFF ? 5 : 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

TextDecoder::TextDecoder(TextEncoding encoding, QString sourcePath, qint64 firstOffset)
    : m_encoding(encoding),
      m_path(std::move(sourcePath)),
      m_firstOffset(firstOffset),
      m_offset(firstOffset)
{
}

void TextDecoder::fail(const QString& reason, qint64 offset) const
{
    const QString text = QStringLiteral("Cannot decode \"%1\" as %2: %3 at byte offset %4")
                             .arg(m_path, encodingName(m_encoding), reason)
                             .arg(offset);
    if (m_encoding == TextEncoding::Utf8)
        throw NotUtf8(text);
    throw Failure(text);
}

void TextDecoder::decode(const char* data, qsizetype size, QString& out)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    switch (m_encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8WithMark: decodeUtf8(data, size, out); break;
    case TextEncoding::Windows1252: {
        const qsizetype start = out.size();
        out.resize(start + size);
        QChar* target = out.data() + start;
        for (qsizetype i = 0; i < size; ++i)
            target[i] = QChar(windows1252ToUnicode(bytes[i]));
        break;
    }
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: decodeUtf16(bytes, size, out); break;
    case TextEncoding::Utf32LE:
    case TextEncoding::Utf32BE: decodeUtf32(bytes, size, out); break;
    }
    m_offset += size;
}

void TextDecoder::check(const char* data, qsizetype size)
{
    switch (m_encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8WithMark:
        if (!m_validator.check(data, size)) {
            fail(QStringLiteral("invalid byte sequence %1").arg(hexBytes(m_validator.errorBytes())),
                m_firstOffset + m_validator.errorOffset());
        }
        break;
    case TextEncoding::Windows1252: break;
    default: {
        // Only whole units matter here; keep the count of cut bytes for finish().
        const int unit = unitSize(m_encoding);
        m_partialSize = int((m_partialSize + size) % unit);
        break;
    }
    }
    m_offset += size;
}

void TextDecoder::decodeUtf8(const char* data, qsizetype size, QString& out)
{
    check(data, size);
    m_offset -= size;
    // Well-formed, so the decoder's result is exact; it carries a cut sequence itself.
    const qsizetype start = out.size();
    out.resize(start + m_utf8.requiredSpace(size));
    QChar* end = m_utf8.appendToBuffer(out.data() + start, QByteArrayView(data, size));
    out.resize(end - out.constData());
}

void TextDecoder::decodeUtf16(const unsigned char* data, qsizetype size, QString& out)
{
    const bool big = m_encoding == TextEncoding::Utf16BE;
    qsizetype i = 0;
    if (m_partialSize == 1 && size > 0) {
        m_partial[1] = data[0];
        out.append(QChar(big ? qFromBigEndian<quint16>(m_partial) : qFromLittleEndian<quint16>(m_partial)));
        m_partialSize = 0;
        i = 1;
    }
    const qsizetype units = (size - i) / 2;
    const qsizetype start = out.size();
    out.resize(start + units);
    if (big)
        qFromBigEndian<quint16>(data + i, units, out.data() + start);
    else
        qFromLittleEndian<quint16>(data + i, units, out.data() + start);
    i += units * 2;
    if (i < size) {
        m_partial[0] = data[i];
        m_partialSize = 1;
    }
}

void TextDecoder::decodeUtf32(const unsigned char* data, qsizetype size, QString& out)
{
    const bool big = m_encoding == TextEncoding::Utf32BE;
    const qsizetype start = out.size();
    out.resize(start + (m_partialSize + size) / 4 * 2);
    char16_t* target = reinterpret_cast<char16_t*>(out.data()) + start;
    const auto take = [&](const unsigned char* unit, qint64 offset) {
        const char32_t scalar = big ? qFromBigEndian<quint32>(unit) : qFromLittleEndian<quint32>(unit);
        if (scalar < 0xD800) {
            *target++ = char16_t(scalar);
        } else if (scalar > 0x10FFFF || scalar <= 0xDFFF) {
            out.resize(target - reinterpret_cast<char16_t*>(out.data()));
            fail(QStringLiteral("invalid unit 0x%1").arg(uint(scalar), 8, 16, QLatin1Char('0')), offset);
        } else if (scalar > 0xFFFF) {
            *target++ = QChar::highSurrogate(scalar);
            *target++ = QChar::lowSurrogate(scalar);
        } else {
            *target++ = char16_t(scalar);
        }
    };
    qsizetype i = 0;
    while (m_partialSize > 0 && m_partialSize < 4 && i < size) {
        m_partial[m_partialSize++] = data[i++];
        if (m_partialSize == 4) {
            m_partialSize = 0;
            take(m_partial, m_offset + i - 4);
        }
    }
    for (; i + 4 <= size; i += 4)
        take(data + i, m_offset + i);
    for (; i < size; ++i)
        m_partial[m_partialSize++] = data[i];
    out.resize(target - reinterpret_cast<char16_t*>(out.data()));
}

void TextDecoder::finish()
{
    if ((m_encoding == TextEncoding::Utf8 || m_encoding == TextEncoding::Utf8WithMark) && !m_validator.finish()) {
        fail(QStringLiteral("cut byte sequence %1").arg(hexBytes(m_validator.errorBytes())),
            m_firstOffset + m_validator.errorOffset());
    }
    if (m_partialSize > 0) {
        const QByteArray rest(reinterpret_cast<const char*>(m_partial), m_partialSize);
        fail(QStringLiteral("%1 trailing byte(s) %2")
                 .arg(m_partialSize == 1 && unitSize(m_encoding) == 2 ? QStringLiteral("odd")
                                                                      : QString::number(m_partialSize),
                     hexBytes(rest)),
            m_offset - m_partialSize);
    }
}

TextEncoder::TextEncoder(TextEncoding encoding, QString targetPath)
    : m_encoding(encoding),
      m_path(std::move(targetPath))
{
}

void TextEncoder::failCharacter(char32_t character) const
{
    const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
    const QString what = surrogate
        ? QStringLiteral("the lone surrogate %1").arg(codePoint(character))
        : QStringLiteral("the character %1 \"%2\"").arg(codePoint(character), QString::fromUcs4(&character, 1));
    throw Failure(QStringLiteral("Cannot write \"%1\" in %2: the result holds %3, which %2 cannot represent")
                      .arg(m_path, encodingName(m_encoding), what));
}

void TextEncoder::encode(QStringView text, QByteArray& out)
{
    switch (m_encoding) {
    case TextEncoding::Windows1252: {
        const qsizetype start = out.size();
        out.resize(start + text.size());
        char* target = out.data() + start;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i].unicode();
            const int byte = unicodeToWindows1252(unit);
            if (byte < 0) {
                if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1].unicode()))
                    failCharacter(QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
                failCharacter(unit);
            }
            target[i] = static_cast<char>(byte);
        }
        break;
    }
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        const qsizetype start = out.size();
        out.resize(start + text.size() * 2);
        if (m_encoding == TextEncoding::Utf16BE)
            qToBigEndian<quint16>(text.data(), text.size(), out.data() + start);
        else
            qToLittleEndian<quint16>(text.data(), text.size(), out.data() + start);
        break;
    }
    default: encodeUnicode(text, out); break;
    }
}

// UTF-8 and UTF-32 need well-paired surrogates; a high surrogate at the end of
// one block waits for its partner at the start of the next.
void TextEncoder::encodeUnicode(QStringView text, QByteArray& out)
{
    if (m_pendingHigh != 0) {
        if (text.isEmpty())
            return;
        if (!isLowSurrogate(text[0].unicode()))
            failCharacter(m_pendingHigh);
        const char16_t pair[2] = {m_pendingHigh, text[0].unicode()};
        m_pendingHigh = 0;
        appendScalars(QStringView(pair, 2), out);
        text = text.mid(1);
    }
    if (hasSurrogate(text)) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i].unicode();
            if (isLowSurrogate(unit))
                failCharacter(unit);
            if (!isHighSurrogate(unit))
                continue;
            if (i + 1 == text.size()) {
                m_pendingHigh = unit;
                text.chop(1);
                break;
            }
            if (!isLowSurrogate(text[i + 1].unicode()))
                failCharacter(unit);
            ++i;
        }
    }
    appendScalars(text, out);
}

void TextEncoder::appendScalars(QStringView text, QByteArray& out)
{
    if (m_encoding == TextEncoding::Utf32LE || m_encoding == TextEncoding::Utf32BE) {
        const bool big = m_encoding == TextEncoding::Utf32BE;
        const qsizetype start = out.size();
        out.resize(start + text.size() * 4);
        char* target = out.data() + start;
        const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
        for (qsizetype i = 0; i < text.size(); ++i, target += 4) {
            char32_t scalar = units[i];
            if (isHighSurrogate(units[i])) {
                scalar = QChar::surrogateToUcs4(units[i], units[i + 1]);
                ++i;
            }
            if (big)
                qToBigEndian<quint32>(scalar, target);
            else
                qToLittleEndian<quint32>(scalar, target);
        }
        out.resize(target - out.constData());
        return;
    }
    const qsizetype start = out.size();
    out.resize(start + m_utf8.requiredSpace(text.size()));
    char* end = m_utf8.appendToBuffer(out.data() + start, text);
    out.resize(end - out.constData());
}

void TextEncoder::finish()
{
    if (m_pendingHigh != 0)
        failCharacter(m_pendingHigh);
}

bool isRepresentable(QStringView text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: return true;
    case TextEncoding::Windows1252:
        for (QChar c : text) {
            if (unicodeToWindows1252(c.unicode()) < 0)
                return false;
        }
        return true;
    default:
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i].unicode();
            if (isLowSurrogate(unit))
                return false;
            if (isHighSurrogate(unit)) {
                if (i + 1 == text.size() || !isLowSurrogate(text[i + 1].unicode()))
                    return false;
                ++i;
            }
        }
        return true;
    }
}

QByteArray encodeText(QStringView text, TextEncoding encoding)
{
    QByteArray bytes;
    TextEncoder encoder(encoding, QString());
    encoder.encode(text, bytes);
    encoder.finish();
    return bytes;
}

QString decodeText(const QByteArray& bytes, TextEncoding encoding, const QString& sourcePath, qint64 firstOffset)
{
    QString text;
    TextDecoder decoder(encoding, sourcePath, firstOffset);
    decoder.decode(bytes.constData(), bytes.size(), text);
    decoder.finish();
    return text;
}
