// Checks a byte stream for well-formed UTF-8 block by block: no overlong
// forms, no surrogates, nothing above U+10FFFF, no cut sequence at the end.
// Such bytes decode to UTF-16 and encode back unchanged.
#pragma once

#include <QByteArray>
#include <QtGlobal>

class Utf8Validator {
public:
    // False at the first ill-formed sequence; errorOffset()/errorBytes() then
    // tell where and what it is. Offsets count all bytes checked so far.
    bool check(const char* data, qsizetype size);
    // False when the stream ends inside a sequence.
    bool finish();

    qint64 errorOffset() const { return m_errorOffset; }
    QByteArray errorBytes() const { return m_errorBytes; }

private:
    bool fail(qint64 offset);

    qint64 m_consumed = 0;
    int m_needed = 0; // continuation bytes still to come
    unsigned char m_low = 0x80; // range of the next continuation byte
    unsigned char m_high = 0xBF;
    char m_sequence[4] = {}; // the bytes of the open sequence, for the message
    int m_sequenceSize = 0;
    qint64 m_sequenceOffset = 0;
    qint64 m_errorOffset = -1;
    QByteArray m_errorBytes;
};

bool isValidUtf8(const char* data, qsizetype size);
