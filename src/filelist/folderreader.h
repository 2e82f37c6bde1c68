// Reads the entries of one folder for the folder scan: names as the program
// carries them, the kind of each entry (links followed), and the identity of a
// sub-folder, by which a scan notices a folder it has reached before. The
// platform handle lives exactly as long as the reader. Qt Core only.
#pragma once

#include "base/failure.h"

#include <QString>

#include <memory>
#include <optional>

// The folder is missing or may not be read: a scan skips it without a word.
class FolderRefused : public Failure {
public:
    using Failure::Failure;
};

struct FolderIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator<(const FolderIdentity& other) const
    {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

// The identity of a folder by its path; nothing when it cannot be read.
std::optional<FolderIdentity> folderIdentity(const QString& folder);

class FolderReader {
public:
    enum class Kind { File, Folder, Other };

    // Throws FolderRefused when the folder is missing or access is denied, and
    // Failure for any other error.
    explicit FolderReader(const QString& folder);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // Moves to the next entry other than "." and ".."; false at the end.
    // Throws Failure when reading fails.
    bool next();

    const QString& name() const { return m_name; }
    // False when the entry's name is not valid text: such a name cannot be
    // carried through the program's paths.
    bool nameCarried() const { return m_carried; }
    // Regular file, folder or anything else, following links; Other for every
    // entry of a folder that may be listed but not searched, as such entries
    // cannot be reached. Never throws.
    Kind kind() const;
    // The entry's identity, following links; nothing when it cannot be read.
    std::optional<FolderIdentity> identity() const;

    // The same rule for a path: what it names, following links. Never throws.
    static Kind kindOfPath(const QString& path);

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    QString m_name;
    bool m_carried = true;
};
