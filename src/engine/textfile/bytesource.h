// Where the readers take a file's bytes from: an open source file in the
// program, a buffer in the tests. Reads are sequential from a position that
// only seek() moves back.
#pragma once

#include "engine/textfile/textencoding.h"

#include <QString>
#include <QtGlobal>

class SourceFile;

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Names the source in messages.
    virtual const QString& path() const = 0;
    // The size when opened; reading stops there.
    virtual qint64 size() const = 0;
    virtual qint64 position() const = 0;
    // Up to maxSize bytes; fewer only at the end. Throws Failure.
    virtual qsizetype read(char* buffer, qsizetype maxSize) = 0;
    // Throws Failure.
    virtual void seek(qint64 position) = 0;
    // Throws Failure when another program has changed the source since it
    // was opened, so that a result made from it is not whole.
    virtual void checkUnchanged() const { }
    // Lets go of the file before a result is put in its place.
    virtual void close() { }
    // The file on the disk that the bytes come from; null for bytes in
    // memory, which share no place with a target.
    virtual const SourceFile* onDisk() const { return nullptr; }
};

// Reads the source's first bytes and leaves its position just after the
// mark. An unmarked source comes back as Utf8: the reader decides later.
SourceEncoding DetectTextEncoding(ByteSource& source);
