#include "engine/output/memorysink.h"

#include "base/failure.h"

MemorySink::MemorySink(QByteArray& into, const ResultTarget& target, qsizetype limit)
    : m_into(into),
      m_limit(limit),
      m_encoder(target.encoding, target.path)
{
    m_into = markOf(target.encoding);
}

void MemorySink::put(std::string_view bytes, qint64)
{
    m_into.append(bytes.data(), qsizetype(bytes.size()));
    checkLimit();
}

void MemorySink::put(std::u16string_view text, qint64)
{
    m_encoder.encode(QStringView(text.data(), qsizetype(text.size())), m_into);
    checkLimit();
}

void MemorySink::finish(qint64)
{
    m_encoder.finish();
}

void MemorySink::checkLimit() const
{
    if (m_limit >= 0 && m_into.size() > m_limit)
        throw Failure(QStringLiteral("The result is longer than can be kept in memory"));
}
