// Writes one result file atomically: a temporary file beside the target,
// written in blocks and renamed over the target only when committed. Until
// then the target stays exactly as it was, whatever fails; a writer destroyed
// without commit() leaves no trace. The replacement engine's sink.
#pragma once

#include "engine/textfile/textencoding.h"

#include <QByteArray>
#include <QTemporaryFile>
#include <QString>
#include <functional>

class ResultWriter {
public:
    // Refuses a target without write permission ("Permission denied", also
    // for root) and a folder, FIFO or device in the target's place; follows a
    // symlinked target, link by link, to its file. Writes the encoding's mark.
    // Throws Failure.
    // A durable writer also forces the result to the disk before the rename:
    // worth its cost only where the result replaces the user's source.
    ResultWriter(const QString& targetPath, TextEncoding encoding, bool durable);
    ResultWriter(const ResultWriter&) = delete;
    ResultWriter& operator=(const ResultWriter&) = delete;

    // Bytes already in the target's encoding. Throws Failure.
    void write(const char* data, qsizetype size);
    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    // Called with the final target and the finished result's path just before
    // the result takes the target's place; when it throws, the target stays.
    void setBeforeReplace(std::function<void(const QString& target, const QString& result)> hook)
    {
        m_beforeReplace = std::move(hook);
    }
    // Puts the result in the target's place; it keeps the target's owner and
    // permission bits where the system lets it.
    void commit();

private:
    void flush();
    void writeFully(const char* data, qsizetype size);
    void replaceTarget();

    QString m_finalPath;
    bool m_durable;
    QTemporaryFile m_file;
    QByteArray m_buffer;
    std::function<void(const QString&, const QString&)> m_beforeReplace;
};
