// Conversion between a file's bytes and the program's UTF-16 text, strict in
// both directions: bytes that don't decode exactly and text that the file's
// encoding can't hold are failures, never replacement characters. Both work
// block by block and carry a character cut at a block's end to the next one.
// Used by the text readers and the replacement engine.
#pragma once

#include "base/failure.h"
#include "engine/textfile/textencoding.h"
#include "engine/textfile/utf8validator.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringView>

// An unmarked file whose bytes are not UTF-8: it is read as Windows-1252.
class NotUtf8 : public Failure {
public:
    using Failure::Failure;
};

class TextDecoder {
public:
    // sourcePath names the file in messages; firstOffset is the byte offset of
    // the first byte decoded (the mark's size).
    TextDecoder(TextEncoding encoding, QString sourcePath, qint64 firstOffset);

    // Appends the text of the next bytes to out. Throws Failure, or NotUtf8
    // for an unmarked file.
    void decode(const char* data, qsizetype size, QString& out);
    // Checks the next bytes as decode() would, without making text: for
    // callers that work on the bytes themselves.
    void check(const char* data, qsizetype size);
    // Throws when the bytes end inside a character.
    void finish();

private:
    [[noreturn]] void fail(const QString& reason, qint64 offset) const;
    void decodeUtf8(const char* data, qsizetype size, QString& out);
    void decodeUtf16(const unsigned char* data, qsizetype size, QString& out);
    void decodeUtf32(const unsigned char* data, qsizetype size, QString& out);

    TextEncoding m_encoding;
    QString m_path;
    qint64 m_firstOffset;
    qint64 m_offset; // file offset of the next byte
    Utf8Validator m_validator;
    QStringDecoder m_utf8{QStringDecoder::Utf8};
    unsigned char m_partial[4] = {0, 0, 0, 0}; // bytes of a cut UTF-16/32 unit
    int m_partialSize = 0;
};

class TextEncoder {
public:
    // targetPath names the file in messages.
    TextEncoder(TextEncoding encoding, QString targetPath);

    // Appends the bytes of text to out. Throws Failure for a character the
    // encoding cannot represent (Windows-1252) or a lone surrogate (UTF-8, UTF-32).
    void encode(QStringView text, QByteArray& out);
    // Throws when the text ended with a lone high surrogate.
    void finish();

private:
    [[noreturn]] void failCharacter(char32_t character) const;
    void encodeUnicode(QStringView text, QByteArray& out);
    void appendScalars(QStringView text, QByteArray& out);

    TextEncoding m_encoding;
    QString m_path;
    QStringEncoder m_utf8{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    char16_t m_pendingHigh = 0;
};

// True when every character of text has bytes in the encoding, so that text
// can be searched for and written as bytes.
bool isRepresentable(QStringView text, TextEncoding encoding);
// The bytes of text in the encoding; only for representable text.
QByteArray encodeText(QStringView text, TextEncoding encoding);
// The whole text of bytes (without mark). Throws as TextDecoder does.
QString decodeText(const QByteArray& bytes, TextEncoding encoding, const QString& sourcePath, qint64 firstOffset);
