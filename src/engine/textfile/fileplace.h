// Where a path leads, held by handles rather than by name: the folder that
// holds the file (open), the file's name in it, and what the file was when it
// was looked at. Symbolic links are followed as the kernel's protected-symlinks
// rule would let this user follow them. Used by SourceFile and ResultWriter.
#pragma once

#include "base/failure.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// A file's device and inode and, for telling a change, its size and times;
// who owns it and its permission bits, for putting an old file back as it was.
struct FileIdentity {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds
    qint64 changed = 0; // nanoseconds: also moves with owner, bits, links and attributes
    quint64 links = 0;
    bool regular = false;
    quint32 owner = 0;
    quint32 group = 0;
    quint32 mode = 0; // permission bits

    bool sameFile(const FileIdentity& other) const
    {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
    // The same file, not written since.
    bool sameState(const FileIdentity& other) const
    {
        return sameFile(other) && size == other.size && modified == other.modified;
    }
    // The same file, not written nor touched in any other way since: also
    // its owner, bits, links and attributes are as they were. A stricter test
    // than sameState(), for files this program did not just write itself.
    bool untouchedSince(const FileIdentity& other) const { return sameState(other) && changed == other.changed; }
    // "device:inode", the key of the run's collision rules; empty when missing.
    QString key() const;
};

// An open file descriptor, closed with its owner.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : m_fd(fd) { }
    FileHandle(FileHandle&& other) noexcept : m_fd(other.release()) { }
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { reset(); }

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset();

private:
    int m_fd = -1;
};

struct FilePlace {
    QString path; // as the user gave it, for reports
    FileHandle folder; // the folder the name is in (on Unix)
    QByteArray name; // the name in that folder (on Unix); the path elsewhere

    // What the name refers to now, links not followed. Throws Failure.
    FileIdentity identity() const;
    // The folder's key and the name: a key for a file that does not exist yet.
    QString placeKey() const;
    // What the folder is, to tell it from a folder put in its place later.
    FileIdentity folderIdentity() const;
    // Why no new file can be made in the folder (the system's reason), or
    // "" when one can: asked of the folder held, not of its path again.
    QString folderWriteProblem() const;
};

// Follows the path to the file it names, which need not exist. Throws Failure
// naming the path: a missing folder, a link that may not be followed, a loop.
FilePlace locateFile(const QString& path);

// What an open file is now.
FileIdentity identityOfHandle(int fd);
// What a name in an open folder is now, links not followed; exists is false
// when there is no such name.
FileIdentity identityAt(int folder, const QByteArray& name);

// "<path>: <system's text>".
[[noreturn]] void throwFileError(const QString& path, int errnoValue);
[[noreturn]] void throwFileFailure(const QString& path, const QString& text);
// The report of a file that another program changed while this run used it.
[[noreturn]] void throwChangedDuringRun(const QString& path);
