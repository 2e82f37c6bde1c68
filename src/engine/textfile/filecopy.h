// The one copy routine for whole files, used in both directions: a result
// copied over a file that must keep its inode, an old file kept for undo, a
// kept file put back. The space is taken first, so that a full disk fails
// before the first byte of the destination changes.
#pragma once

#include <QtGlobal>

#include <functional>

// Reserves `size` bytes for fd. 0 or the system's error; a file system that
// cannot reserve ahead is not an error.
int reserveSpace(int fd, qint64 size);

// Copies the first `size` bytes of `from` to the start of `to`, then cuts
// `to` at `size`; neither file's offset is used. progress, when given, is
// told the bytes copied so far after each block. 0 or the system's error
// (ENOSPC for a write that took nothing, EIO for a source shorter than size).
// Nothing is synced.
int copyFileData(int from, int to, qint64 size, const std::function<void(qint64)>& progress = {});
