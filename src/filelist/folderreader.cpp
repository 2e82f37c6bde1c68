#include "filelist/folderreader.h"

#include <QFile>
#include <QStringDecoder>

#include <cstring>

#ifdef Q_OS_WIN
#include <QDir>
#include <QFileInfo>

#include <vector>
#else
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

#ifdef Q_OS_WIN

// Windows has no inode numbers to offer through Qt; its 260-character path
// limit ends any loop of junctions.
struct FolderReader::Handle {
    std::vector<QFileInfo> entries;
    size_t at = 0;
};

std::optional<FolderIdentity> folderIdentity(const QString&)
{
    return std::nullopt;
}

FolderReader::FolderReader(const QString& folder) : m_handle(std::make_unique<Handle>())
{
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        throw FolderRefused(QStringLiteral("Path not found"));
    const QFileInfoList list
        = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    m_handle->entries.assign(list.begin(), list.end());
}

FolderReader::~FolderReader() = default;

bool FolderReader::next()
{
    if (m_handle->at >= m_handle->entries.size())
        return false;
    m_name = m_handle->entries[m_handle->at++].fileName();
    return true;
}

namespace {
FolderReader::Kind kindOfInfo(const QFileInfo& info)
{
    return info.isDir() ? FolderReader::Kind::Folder
        : info.isFile() ? FolderReader::Kind::File
                        : FolderReader::Kind::Other;
}
} // namespace

FolderReader::Kind FolderReader::kind() const
{
    return kindOfInfo(m_handle->entries[m_handle->at - 1]);
}

FolderReader::Kind FolderReader::kindOfPath(const QString& path)
{
    return path.isEmpty() ? Kind::Other : kindOfInfo(QFileInfo(path));
}

std::optional<FolderIdentity> FolderReader::identity() const
{
    return std::nullopt;
}

#else

namespace {
FolderIdentity identityOf(const struct stat& info)
{
    return {static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino)};
}

// Decodes a name, noting whether its bytes were valid text.
QString decodeName(const char* bytes, bool& carried)
{
    const size_t length = std::strlen(bytes);
    bool ascii = true;
    for (size_t i = 0; i < length && ascii; ++i)
        ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
    carried = true;
    if (ascii)
        return QString::fromLatin1(bytes, static_cast<qsizetype>(length));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString name = decoder(QByteArrayView(bytes, static_cast<qsizetype>(length)));
    carried = !decoder.hasError();
    return name;
}
// Regular file, folder or anything else, following links.
FolderReader::Kind kindAt(int folder, const char* name)
{
    struct stat info { };
    if (::fstatat(folder, name, &info, 0) != 0)
        return FolderReader::Kind::Other;
    return S_ISREG(info.st_mode) ? FolderReader::Kind::File
        : S_ISDIR(info.st_mode)  ? FolderReader::Kind::Folder
                                 : FolderReader::Kind::Other;
}
} // namespace

struct FolderReader::Handle {
    DIR* dir = nullptr;
    struct dirent* entry = nullptr;
    enum class Reach { Unknown, Yes, No } reach = Reach::Unknown;
    ~Handle()
    {
        if (dir)
            ::closedir(dir);
    }

    // A folder with read but without search permission lists names that
    // cannot be reached; one lookup answers for every entry, so that the
    // entries' own types need no lookup of their own.
    bool entriesReachable()
    {
        if (reach == Reach::Unknown) {
            struct stat info { };
            const bool refused
                = ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 && errno == EACCES;
            reach = refused ? Reach::No : Reach::Yes;
        }
        return reach == Reach::Yes;
    }
};

std::optional<FolderIdentity> folderIdentity(const QString& folder)
{
    struct stat info { };
    if (folder.isEmpty() || ::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return std::nullopt;
    return identityOf(info);
}

FolderReader::FolderReader(const QString& folder) : m_handle(std::make_unique<Handle>())
{
    m_handle->dir = ::opendir(QFile::encodeName(folder).constData());
    if (!m_handle->dir) {
        const int error = errno;
        if (error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR)
            throw FolderRefused(systemErrorText(error));
        throwSystemError(error);
    }
}

FolderReader::~FolderReader() = default;

bool FolderReader::next()
{
    for (;;) {
        errno = 0;
        m_handle->entry = ::readdir(m_handle->dir);
        if (!m_handle->entry) {
            if (errno != 0)
                throwSystemError(errno);
            return false;
        }
        const char* raw = m_handle->entry->d_name;
        if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
            continue;
        m_name = decodeName(raw, m_carried);
        return true;
    }
}

FolderReader::Kind FolderReader::kind() const
{
    if (!m_handle->entriesReachable())
        return Kind::Other;
    switch (m_handle->entry->d_type) {
    case DT_REG: return Kind::File;
    case DT_DIR: return Kind::Folder;
    case DT_LNK:
    case DT_UNKNOWN: break;
    default: return Kind::Other;
    }
    return kindAt(::dirfd(m_handle->dir), m_handle->entry->d_name);
}

FolderReader::Kind FolderReader::kindOfPath(const QString& path)
{
    return path.isEmpty() ? Kind::Other : kindAt(AT_FDCWD, QFile::encodeName(path).constData());
}

std::optional<FolderIdentity> FolderReader::identity() const
{
    struct stat info { };
    if (::fstatat(::dirfd(m_handle->dir), m_handle->entry->d_name, &info, 0) != 0)
        return std::nullopt;
    return identityOf(info);
}

#endif
