#include "support/recordingkeeper.h"

#include <unistd.h>

qint64 RecordingKeeper::keep(const FilePlace& target, const FileIdentity&, int result, bool copyOver)
{
    QByteArray bytes;
    char block[4096];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(result, block, sizeof block, offset);
        if (got <= 0)
            break;
        bytes.append(block, got);
        offset += got;
    }
    if (onKeep)
        onKeep(target.path, bytes);
    kept << target.path;
    events << QStringLiteral("keep ") + target.path;
    copiedOver << copyOver;
    return kept.size() - 1;
}
