#include "utf8validator.h"

#include <cstring>

namespace {

bool isAsciiWord(const unsigned char* p)
{
    quint64 a, b;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    return ((a | b) & 0x8080808080808080ULL) == 0;
}

} // namespace

bool Utf8Validator::fail(qint64 offset)
{
    m_errorOffset = offset;
    m_errorBytes = QByteArray(m_sequence, m_sequenceSize);
    return false;
}

bool Utf8Validator::check(const char* data, qsizetype size)
{
    if (m_errorOffset >= 0)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    qsizetype i = 0;
    while (i < size) {
        if (m_needed == 0) {
            // Text is mostly ASCII: skip it sixteen bytes at a time.
            while (i + 16 <= size && isAsciiWord(p + i))
                i += 16;
            while (i < size && p[i] < 0x80)
                ++i;
            if (i == size)
                break;
            const unsigned char lead = p[i];
            m_sequence[0] = static_cast<char>(lead);
            m_sequenceSize = 1;
            m_sequenceOffset = m_consumed + i;
            m_low = 0x80;
            m_high = 0xBF;
            if (lead >= 0xC2 && lead <= 0xDF) {
                m_needed = 1;
            } else if (lead >= 0xE0 && lead <= 0xEF) {
                m_needed = 2;
                if (lead == 0xE0)
                    m_low = 0xA0; // overlong below U+0800
                else if (lead == 0xED)
                    m_high = 0x9F; // surrogates
            } else if (lead >= 0xF0 && lead <= 0xF4) {
                m_needed = 3;
                if (lead == 0xF0)
                    m_low = 0x90; // overlong below U+10000
                else if (lead == 0xF4)
                    m_high = 0x8F; // above U+10FFFF
            } else {
                return fail(m_sequenceOffset);
            }
            ++i;
            continue;
        }
        const unsigned char next = p[i];
        m_sequence[m_sequenceSize++] = static_cast<char>(next);
        if (next < m_low || next > m_high)
            return fail(m_sequenceOffset);
        m_low = 0x80;
        m_high = 0xBF;
        --m_needed;
        ++i;
    }
    m_consumed += size;
    return true;
}

bool Utf8Validator::finish()
{
    if (m_errorOffset >= 0)
        return false;
    if (m_needed > 0)
        return fail(m_sequenceOffset);
    return true;
}

bool isValidUtf8(const char* data, qsizetype size)
{
    Utf8Validator validator;
    return validator.check(data, size) && validator.finish();
}
