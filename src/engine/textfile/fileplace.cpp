#include "engine/textfile/fileplace.h"

#include "base/folderprobes.h"

#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QDateTime>

#include <io.h>
#endif

namespace {

// As many links as the system itself follows before it gives up.
constexpr int maxLinks = 40;

#ifdef Q_OS_UNIX
FileIdentity identityFromStat(const struct stat& st)
{
    FileIdentity id;
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.changed = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    id.links = st.st_nlink;
    id.regular = S_ISREG(st.st_mode);
    id.owner = st.st_uid;
    id.group = st.st_gid;
    id.mode = st.st_mode & 07777;
    return id;
}

FileHandle openFolder(int at, const char* name, const QString& path)
{
    const int fd = ::openat(at, name, O_PATH | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        throwFileError(path, errno);
    return FileHandle(fd);
}

// The kernel's protected-symlinks rule: in a sticky folder that everyone may
// write, only links of the folder's owner or of this user are followed, so
// that another user cannot point a name there at a file of ours.
bool mayFollow(int folder, const struct stat& link)
{
    struct stat dir;
    if (::fstat(folder, &dir) != 0)
        return false;
    const bool shared = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
    return !shared || link.st_uid == dir.st_uid || link.st_uid == ::geteuid();
}

QList<QByteArray> componentsOf(const QByteArray& path)
{
    QList<QByteArray> parts = path.split('/');
    parts.removeAll(QByteArray());
    return parts;
}
#endif

} // namespace

QString FileIdentity::key() const
{
    return exists ? QStringLiteral("%1:%2").arg(device).arg(inode) : QString();
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        reset();
        m_fd = other.release();
    }
    return *this;
}

void FileHandle::reset()
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::close(m_fd);
#else
    if (m_fd >= 0)
        ::_close(m_fd);
#endif
    m_fd = -1;
}

#ifdef Q_OS_UNIX

FileIdentity identityOfHandle(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return {};
    return identityFromStat(st);
}

FileIdentity identityAt(int folder, const QByteArray& name)
{
    struct stat st;
    if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    return identityFromStat(st);
}

FileIdentity FilePlace::folderIdentity() const
{
    return identityOfHandle(folder.get());
}

FileIdentity FilePlace::identity() const
{
    struct stat st;
    if (::fstatat(folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return identityFromStat(st);
    if (errno != ENOENT)
        throwFileError(path, errno);
    return {};
}

QString FilePlace::folderWriteProblem() const
{
    // Writing and searching it, as the user the run writes as; nothing is made.
    if (::faccessat(folder.get(), ".", W_OK | X_OK, AT_EACCESS) == 0)
        return {};
    return systemErrorText(errno);
}

QString FilePlace::placeKey() const
{
    return identityOfHandle(folder.get()).key() + QLatin1Char('/') + QString::fromLocal8Bit(name);
}

// Walks the path one name at a time from a folder handle, so that every link
// on the way is judged by the rule before it is followed.
FilePlace locateFile(const QString& path)
{
    if (path.isEmpty())
        throwFileError(path, ENOENT);
    const QByteArray native = QFile::encodeName(path);
    if (native.endsWith('/'))
        throwFileError(path, EISDIR);
    FilePlace place;
    place.path = path;
    place.folder = openFolder(AT_FDCWD, native.startsWith('/') ? "/" : ".", path);
    QList<QByteArray> pending = componentsOf(native);
    int links = 0;
    while (!pending.isEmpty()) {
        const QByteArray name = pending.takeFirst();
        if (name == ".")
            continue;
        struct stat st;
        const bool found = ::fstatat(place.folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!found && (errno != ENOENT || !pending.isEmpty()))
            throwFileError(path, errno);
        if (found && S_ISLNK(st.st_mode)) {
            if (++links > maxLinks)
                throwFileError(path, ELOOP);
            if (!mayFollow(place.folder.get(), st)) {
                throwFileFailure(path,
                    QStringLiteral("a symbolic link that another user put into a shared folder; "
                                   "it is not followed"));
            }
            QByteArray target(PATH_MAX, '\0');
            const ssize_t length = ::readlinkat(place.folder.get(), name.constData(), target.data(), target.size());
            if (length < 0)
                throwFileError(path, errno);
            target.truncate(length);
            if (target.startsWith('/'))
                place.folder = openFolder(AT_FDCWD, "/", path);
            pending = componentsOf(target) + pending;
            if (pending.isEmpty()) // a link to "/" itself
                throwFileError(path, EISDIR);
            continue;
        }
        if (pending.isEmpty()) {
            place.name = name;
            return place;
        }
        place.folder = openFolder(place.folder.get(), name.constData(), path);
    }
    throwFileError(path, EISDIR); // "." or "/" names a folder
}

#else

FileIdentity identityOfHandle(int)
{
    return {};
}

FileIdentity identityAt(int, const QByteArray&)
{
    return {};
}

FileIdentity FilePlace::folderIdentity() const
{
    return {};
}

QString FilePlace::folderWriteProblem() const
{
    return ::folderWriteProblem(QFileInfo(path).absolutePath());
}

FileIdentity FilePlace::identity() const
{
    const QFileInfo info(path);
    FileIdentity id;
    id.exists = info.exists();
    id.regular = info.isFile();
    id.size = info.size();
    id.modified = info.lastModified().toMSecsSinceEpoch() * 1000000;
    id.links = 1;
    return id;
}

QString FilePlace::placeKey() const
{
    return QFileInfo(path).absoluteFilePath();
}

FilePlace locateFile(const QString& path)
{
    if (path.isEmpty())
        throwFileError(path, ENOENT);
    FilePlace place;
    place.path = path;
    place.name = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    return place;
}

#endif

void throwFileError(const QString& path, int errnoValue)
{
    throwFileFailure(path, systemErrorText(errnoValue));
}

void throwFileFailure(const QString& path, const QString& text)
{
    throw Failure(path + QStringLiteral(": ") + text);
}

void throwChangedDuringRun(const QString& path)
{
    throwFileFailure(path,
        QStringLiteral("changed by another program during the run; its result was not written "
                       "and the file keeps what that program left"));
}
