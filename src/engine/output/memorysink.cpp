#include "engine/output/memorysink.h"

MemorySink::MemorySink(QByteArray& into, const ResultTarget& target)
    : m_into(into),
      m_encoder(target.encoding, target.path)
{
    m_into = markOf(target.encoding);
}

void MemorySink::put(std::string_view bytes, qint64)
{
    m_into.append(bytes.data(), qsizetype(bytes.size()));
}

void MemorySink::put(std::u16string_view text, qint64)
{
    m_encoder.encode(QStringView(text.data(), qsizetype(text.size())), m_into);
}

void MemorySink::finish(qint64)
{
    m_encoder.finish();
}
