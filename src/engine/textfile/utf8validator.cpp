#include "engine/textfile/utf8validator.h"

#include <QtAlgorithms>

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// What a lead byte asks of the bytes after it; needed 0 for a byte that
// cannot start a sequence.
struct LeadRule {
    int needed;
    unsigned char low; // range of the first continuation byte
    unsigned char high;
};

inline LeadRule ruleOf(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return {1, 0x80, 0xBF};
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (lead == 0xE0)
            return {2, 0xA0, 0xBF}; // overlong below U+0800
        if (lead == 0xED)
            return {2, 0x80, 0x9F}; // surrogates
        return {2, 0x80, 0xBF};
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0)
            return {3, 0x90, 0xBF}; // overlong below U+10000
        if (lead == 0xF4)
            return {3, 0x80, 0x8F}; // above U+10FFFF
        return {3, 0x80, 0xBF};
    }
    return {0, 0, 0};
}

// The index of the first byte at or after i that is not ASCII, or size.
// Text is mostly ASCII: it is skipped sixteen bytes at a time.
qsizetype skipAscii(const unsigned char* p, qsizetype i, qsizetype size)
{
#ifdef __SSE2__
    for (; i + 16 <= size; i += 16) {
        const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
        if (high != 0)
            return i + qCountTrailingZeroBits(unsigned(high));
    }
#else
    for (; i + 16 <= size; i += 16) {
        quint64 a, b;
        std::memcpy(&a, p + i, 8);
        std::memcpy(&b, p + i + 8, 8);
        if (((a | b) & 0x8080808080808080ULL) != 0)
            break;
    }
#endif
    while (i < size && p[i] < 0x80)
        ++i;
    return i;
}

// The length of the well-formed sequence at p when it lies wholly within the
// available bytes, else 0: an ill-formed or cut one is left to the careful
// byte-by-byte path, which tells where and what it is.
int wholeSequenceLength(const unsigned char* p, qsizetype available)
{
    const LeadRule rule = ruleOf(p[0]);
    if (rule.needed == 0 || available <= rule.needed || p[1] < rule.low || p[1] > rule.high)
        return 0;
    for (int k = 2; k <= rule.needed; ++k) {
        if (p[k] < 0x80 || p[k] > 0xBF)
            return 0;
    }
    return rule.needed + 1;
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
            i = skipAscii(p, i, size);
            if (i == size)
                break;
            if (const int length = wholeSequenceLength(p + i, size - i)) {
                i += length;
                continue;
            }
            const unsigned char lead = p[i];
            m_sequence[0] = static_cast<char>(lead);
            m_sequenceSize = 1;
            m_sequenceOffset = m_consumed + i;
            const LeadRule rule = ruleOf(lead);
            if (rule.needed == 0)
                return fail(m_sequenceOffset);
            m_needed = rule.needed;
            m_low = rule.low;
            m_high = rule.high;
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
