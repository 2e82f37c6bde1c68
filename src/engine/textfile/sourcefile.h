// A source file opened for reading raw bytes: regular files only, so that a
// folder, FIFO, socket or device fails at once instead of blocking or never
// ending. The file is found by its folder's handle with links judged by the
// protected-symlinks rule, and what it was at the open is kept, so that a
// change by another program during the run is told, never taken for the end
// of the text. Used by the text readers and the replacement engine.
#pragma once

#include "engine/textfile/bytesource.h"
#include "engine/textfile/fileplace.h"
#include "engine/textfile/textencoding.h"

#include <QFile>
#include <QString>

#include <functional>

class SourceFile : public ByteSource {
public:
    // Throws Failure naming the path with the platform's text (missing,
    // permission), "Not a regular file", or a link that may not be followed.
    // afterOpen, when given, runs at once after the open (tests race it).
    explicit SourceFile(const QString& path, const std::function<void(const QString&)>& afterOpen = {});

    const QString& path() const override { return m_place.path; }
    // The size when opened; reading stops there.
    qint64 size() const override { return m_opened.size; }
    qint64 position() const override { return m_position; }
    // The file as it was opened, and where it lies.
    const FileIdentity& identity() const { return m_opened; }
    const FilePlace& place() const { return m_place; }

    // Up to maxSize bytes; fewer only at the end. Throws Failure, also when
    // the file ends before the size it had when opened.
    qsizetype read(char* buffer, qsizetype maxSize) override;
    void seek(qint64 position) override;
    // Throws Failure when the file has been written, truncated, deleted,
    // replaced or renamed since it was opened.
    void checkUnchanged() const override;
    void close() override { m_file.close(); }
    const SourceFile* onDisk() const override { return this; }

private:
    FilePlace m_place;
    FileIdentity m_opened;
    QFile m_file;
    qint64 m_position = 0;
};
