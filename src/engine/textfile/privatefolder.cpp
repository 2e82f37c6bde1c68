#include "engine/textfile/privatefolder.h"

#include "engine/textfile/temporaryname.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
[[noreturn]] void throwNotPrivate(const QString& path)
{
    throw Failure(QDir::toNativeSeparators(path) + QStringLiteral(" is not private"));
}

// A group of one: the user's own group, named as the user is, as systems
// that give every user a group of their own set it up.
bool isOwnGroup(gid_t group)
{
    if (group != ::getegid())
        return false;
    const struct passwd* user = ::getpwuid(::geteuid());
    const struct group* entry = ::getgrgid(group);
    return user && entry && qstrcmp(user->pw_name, entry->gr_name) == 0 && (!entry->gr_mem || !entry->gr_mem[0]);
}

// Nobody but this user (or root) could change what the folder holds.
bool trustedFolder(const struct stat& st)
{
    if (st.st_uid != ::geteuid() && st.st_uid != 0)
        return false;
    if (st.st_mode & S_ISVTX)
        return true; // others may add names, but not touch ours
    if (st.st_mode & S_IWOTH)
        return false;
    return !(st.st_mode & S_IWGRP) || isOwnGroup(st.st_gid);
}

FileHandle openFolderAt(int at, const char* name)
{
    return FileHandle(::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}
#endif

} // namespace

#ifdef Q_OS_UNIX

FileHandle openPrivateFolder(const QString& path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    FileHandle folder = openFolderAt(AT_FDCWD, "/");
    if (!folder.isOpen())
        throwFileError(QStringLiteral("/"), errno);
    QString walked;
    QList<QByteArray> pending = QFile::encodeName(absolute).split('/');
    pending.removeAll(QByteArray());
    int links = 0;
    while (!pending.isEmpty()) {
        const QByteArray name = pending.takeFirst();
        walked += QLatin1Char('/') + QFile::decodeName(name);
        struct stat st;
        if (::fstatat(folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                throwFileError(walked, errno);
            if (::mkdirat(folder.get(), name.constData(), 0700) != 0 && errno != EEXIST)
                throwFileError(walked, errno);
            if (::fstatat(folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                throwFileError(walked, errno);
        }
        if (S_ISLNK(st.st_mode)) {
            // A link in a folder that only this user or root can change was
            // put there by one of them; where it leads is judged in turn.
            if (++links > 40)
                throwFileError(walked, ELOOP);
            QByteArray target(PATH_MAX, '\0');
            const ssize_t length = ::readlinkat(folder.get(), name.constData(), target.data(), target.size());
            if (length < 0)
                throwFileError(walked, errno);
            target.truncate(length);
            if (target.startsWith('/')) {
                folder = openFolderAt(AT_FDCWD, "/");
                walked.clear();
            } else {
                walked.chop(name.size() + 1);
            }
            QList<QByteArray> parts = target.split('/');
            parts.removeAll(QByteArray());
            pending = parts + pending;
            continue;
        }
        if (name == "..") {
            walked.chop(name.size() + 1);
            walked.truncate(qMax(0, int(walked.lastIndexOf(QLatin1Char('/')))));
        }
        FileHandle next = openFolderAt(folder.get(), name.constData());
        if (!next.isOpen())
            throwFileError(walked, errno);
        if (::fstat(next.get(), &st) != 0)
            throwFileError(walked, errno);
        if (pending.isEmpty()) {
            // The folder itself: this user's alone.
            if (st.st_uid != ::geteuid())
                throwNotPrivate(absolute);
            if ((st.st_mode & 07777) != 0700 && ::fchmod(next.get(), 0700) != 0)
                throwNotPrivate(absolute);
        } else if (!trustedFolder(st)) {
            throwNotPrivate(absolute);
        }
        folder = std::move(next);
    }
    return folder;
}

FileHandle openPrivateSubfolder(int folder, const QByteArray& name, const QString& path)
{
    if (::mkdirat(folder, name.constData(), 0700) != 0 && errno != EEXIST)
        throwFileError(path, errno);
    FileHandle sub = openFolderAt(folder, name.constData());
    if (!sub.isOpen()) {
        if (errno == ELOOP || errno == ENOTDIR)
            throwNotPrivate(path);
        throwFileError(path, errno);
    }
    struct stat st;
    if (::fstat(sub.get(), &st) != 0)
        throwFileError(path, errno);
    if (st.st_uid != ::geteuid())
        throwNotPrivate(path);
    if ((st.st_mode & 07777) != 0700 && ::fchmod(sub.get(), 0700) != 0)
        throwNotPrivate(path);
    return sub;
}

bool isOwnEntry(int folder, const QByteArray& name)
{
    struct stat st;
    return ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISLNK(st.st_mode)
        && st.st_uid == ::geteuid() && !(st.st_mode & (S_IWGRP | S_IWOTH));
}

QList<QByteArray> folderEntries(int folder)
{
    QList<QByteArray> names;
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!entries) {
        if (listing >= 0)
            ::close(listing);
        return names;
    }
    while (const struct dirent* entry = ::readdir(entries)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(entries);
    return names;
}

bool removeTree(int folder, const QByteArray& name)
{
    if (::unlinkat(folder, name.constData(), 0) == 0 || errno == ENOENT)
        return true;
    if (errno != EISDIR && errno != EPERM)
        return false;
    FileHandle sub = openFolderAt(folder, name.constData());
    if (!sub.isOpen())
        return false;
    bool all = true;
    for (const QByteArray& inner : folderEntries(sub.get()))
        all = removeTree(sub.get(), inner) && all;
    return ::unlinkat(folder, name.constData(), AT_REMOVEDIR) == 0 && all;
}

void writePrivateFile(int folder, const QByteArray& name, const QByteArray& bytes, const QString& path)
{
    QByteArray temporary;
    FileHandle file = createTemporaryIn(folder, QString(), path, temporary);
    auto fail = [&](int error) {
        (void)::unlinkat(folder, temporary.constData(), 0);
        throwFileError(path, error);
    };
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t put = ::write(file.get(), bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            fail(put < 0 ? errno : ENOSPC);
        done += put;
    }
    if (::fdatasync(file.get()) != 0)
        fail(errno);
    if (::renameat(folder, temporary.constData(), folder, name.constData()) != 0)
        fail(errno);
}

QString folderPath(int folder, const QString& fallback)
{
#ifdef Q_OS_LINUX
    const QString path = QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(folder)).symLinkTarget();
    if (!path.isEmpty())
        return path;
#endif
    Q_UNUSED(folder);
    return fallback;
}

#else

// Elsewhere the folders are reached by path: the user's own profile folder
// is private there by the system's own rules.
FileHandle openPrivateFolder(const QString& path)
{
    if (!QDir().mkpath(path))
        throw Failure(QStringLiteral("Could not create the folder %1").arg(QDir::toNativeSeparators(path)));
    return {};
}

FileHandle openPrivateSubfolder(int, const QByteArray&, const QString& path)
{
    return openPrivateFolder(path);
}

bool isOwnEntry(int, const QByteArray&)
{
    return false;
}

QList<QByteArray> folderEntries(int)
{
    return {};
}

bool removeTree(int, const QByteArray&)
{
    return false;
}

void writePrivateFile(int, const QByteArray&, const QByteArray& bytes, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throwFileFailure(path, file.errorString());
}

QString folderPath(int, const QString& fallback)
{
    return fallback;
}

#endif
