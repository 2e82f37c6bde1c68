#include "engine/textfile/chunkstream.h"

namespace {

// Large enough that system calls cost little next to the work on the bytes.
constexpr qsizetype minimumBlock = 65536;

} // namespace

ByteChunkStream::ByteChunkStream(ByteSource& source, TextEncoding encoding, qsizetype chunkSize)
    : m_source(source),
      m_checker(encoding, source.path(), source.position())
{
    m_buffer.resize(static_cast<size_t>(qMax<qsizetype>(1, chunkSize)));
}

bool ByteChunkStream::next(std::string_view& chunk)
{
    if (m_gaveAny && m_source.position() >= m_source.size())
        return false;
    const qsizetype got = m_source.read(m_buffer.data(), static_cast<qsizetype>(m_buffer.size()));
    m_checker.check(m_buffer.data(), got);
    if (m_source.position() >= m_source.size())
        m_checker.finish();
    chunk = std::string_view(m_buffer.data(), static_cast<size_t>(got));
    m_gaveAny = true;
    return true;
}

TextChunkStream::TextChunkStream(ByteSource& source, TextEncoding encoding, qsizetype chunkSize)
    : m_source(source),
      m_decoder(encoding, source.path(), source.position()),
      m_chunkSize(qMax<qsizetype>(1, chunkSize))
{
    m_block.resize(qMax(minimumBlock, m_chunkSize));
}

// Keeps more than one chunk's worth decoded, so that the end is known when
// the last chunk is handed out.
void TextChunkStream::fill()
{
    if (m_taken > 0) {
        m_pending.remove(0, m_taken);
        m_taken = 0;
    }
    while (!m_sourceDone && m_pending.size() <= m_chunkSize) {
        const qsizetype got = m_source.read(m_block.data(), m_block.size());
        m_decoder.decode(m_block.constData(), got, m_pending);
        if (m_source.position() >= m_source.size()) {
            m_decoder.finish();
            m_sourceDone = true;
        }
    }
}

bool TextChunkStream::next(QStringView& chunk)
{
    fill();
    const qsizetype available = m_pending.size() - m_taken;
    if (available == 0 && m_gaveAny)
        return false;
    const qsizetype size = qMin(available, m_chunkSize);
    chunk = QStringView(m_pending).mid(m_taken, size);
    m_taken += size;
    m_gaveAny = true;
    return true;
}
