// Writes one result file atomically: opened once per file, written in blocks,
// and renamed over the target only when committed. Until then the target stays
// exactly as it was, whatever fails; a writer destroyed without commit() leaves
// no trace. The replacement engine's sink.
#pragma once

#include "textencoding.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>

class ResultWriter {
public:
    // Refuses a target without write permission ("Permission denied", also
    // for root) and a folder in the target's place; follows a symlinked target
    // to its file. Writes the encoding's mark. Throws Failure.
    ResultWriter(const QString& targetPath, TextEncoding encoding);
    ResultWriter(const ResultWriter&) = delete;
    ResultWriter& operator=(const ResultWriter&) = delete;

    // Bytes already in the target's encoding. Throws Failure.
    void write(const char* data, qsizetype size);
    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    // Puts the result in the target's place; it keeps the target's permission bits.
    void commit();

private:
    void flush();
    void writeFully(const char* data, qsizetype size);

    QSaveFile m_file;
    QByteArray m_buffer;
};
