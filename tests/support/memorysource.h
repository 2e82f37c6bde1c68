// A byte source held in memory, for reader and engine tests: chunk edges at
// any size without files, and a read that fails at a chosen byte.
#pragma once

#include "engine/textfile/bytesource.h"

#include <QByteArray>
#include <QString>

class MemorySource : public ByteSource {
public:
    // A read that would pass failAt throws Failure(failure) instead; -1 never.
    explicit MemorySource(QByteArray bytes, qint64 failAt = -1, QString failure = QStringLiteral("Input/output error"),
        QString path = QStringLiteral("memory.csv"));

    const QString& path() const override { return m_path; }
    qint64 size() const override { return m_bytes.size(); }
    qint64 position() const override { return m_position; }
    qsizetype read(char* buffer, qsizetype maxSize) override;
    void seek(qint64 position) override;
    void close() override { m_closed = true; }

    bool closed() const { return m_closed; }
    // The largest single read asked for: memory stays bounded by it.
    qsizetype largestRead() const { return m_largestRead; }

private:
    QByteArray m_bytes;
    qint64 m_failAt;
    QString m_failure;
    QString m_path;
    qint64 m_position = 0;
    qsizetype m_largestRead = 0;
    bool m_closed = false;
};
