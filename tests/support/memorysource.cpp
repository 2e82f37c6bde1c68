#include "support/memorysource.h"

#include "base/failure.h"

#include <cstring>

MemorySource::MemorySource(QByteArray bytes, qint64 failAt, QString failure, QString path)
    : m_bytes(std::move(bytes)),
      m_failAt(failAt),
      m_failure(std::move(failure)),
      m_path(std::move(path))
{
}

qsizetype MemorySource::read(char* buffer, qsizetype maxSize)
{
    m_largestRead = qMax(m_largestRead, maxSize);
    const qsizetype count = qsizetype(qMin<qint64>(maxSize, m_bytes.size() - m_position));
    if (m_failAt >= 0 && m_position + count > m_failAt)
        throw Failure(m_failure);
    std::memcpy(buffer, m_bytes.constData() + m_position, size_t(count));
    m_position += count;
    return count;
}

void MemorySource::seek(qint64 position)
{
    m_position = position;
}
