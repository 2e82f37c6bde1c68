// A source file opened for reading raw bytes: regular files only, so that a
// folder, FIFO, socket or device fails at once instead of blocking or never
// ending. Used by the text readers and the replacement engine.
#pragma once

#include "engine/textfile/bytesource.h"

#include <QFile>
#include <QString>

class SourceFile : public ByteSource {
public:
    // Throws Failure with the platform's text (missing, permission) or
    // "Not a regular file".
    explicit SourceFile(const QString& path);

    const QString& path() const override { return m_path; }
    qint64 size() const override { return m_size; }
    qint64 position() const override { return m_position; }

    qsizetype read(char* buffer, qsizetype maxSize) override;
    void seek(qint64 position) override;
    void close() override { m_file.close(); }

private:
    QString m_path;
    QFile m_file;
    qint64 m_size = 0;
    qint64 m_position = 0;
};
