// A source file opened for reading raw bytes: regular files only, so that a
// folder, FIFO, socket or device fails at once instead of blocking or never
// ending. Used by the text readers and the replacement engine.
#pragma once

#include "engine/textfile/textencoding.h"

#include <QFile>
#include <QString>

class SourceFile {
public:
    // Throws Failure with the platform's text (missing, permission) or
    // "Not a regular file".
    explicit SourceFile(const QString& path);

    const QString& path() const { return m_path; }
    // The size when opened; reading stops there.
    qint64 size() const { return m_size; }
    qint64 position() const { return m_position; }

    // Reads the first bytes and leaves the position just after the mark.
    SourceEncoding sniffEncoding();
    // Up to maxSize bytes; fewer only at the end. Throws Failure.
    qsizetype read(char* buffer, qsizetype maxSize);
    QByteArray readAll();
    void seek(qint64 position);
    // Lets go of the file before the result is put in its place.
    void close() { m_file.close(); }

private:
    QString m_path;
    QFile m_file;
    qint64 m_size = 0;
    qint64 m_position = 0;
};
