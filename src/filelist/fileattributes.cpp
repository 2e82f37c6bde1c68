#include "filelist/fileattributes.h"

#include "filelist/folderreader.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#ifdef Q_OS_WIN

int FileAttributes(const QString& path, QChar)
{
    const DWORD bits = GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.utf16()));
    return bits == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int>(bits);
}

bool IsExistingFile(const QString& path)
{
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), 0,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(handle);
    const DWORD bits = GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.utf16()));
    return bits != INVALID_FILE_ATTRIBUTES && !(bits & FILE_ATTRIBUTE_DIRECTORY);
}

#else

namespace {
QString lastName(const QString& path, QChar separator)
{
    qsizetype end = path.size();
    while (end > 0 && path[end - 1] == separator)
        --end;
    const qsizetype start = end > 0 ? path.lastIndexOf(separator, end - 1) + 1 : 0;
    return path.mid(start, end - start);
}
} // namespace

int FileAttributes(const QString& path, QChar separator)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat link { };
    if (path.isEmpty() || ::lstat(encoded.constData(), &link) != 0)
        return -1;
    int bits = 0;
    const QString name = lastName(path, separator);
    if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".") && name != QLatin1String(".."))
        bits |= AttributeHidden;
    struct stat target = link;
    if (S_ISLNK(link.st_mode)) {
        bits |= AttributeAlias;
        // A dangling link has only its own bits.
        if (::stat(encoded.constData(), &target) != 0)
            return bits;
    }
    if (S_ISDIR(target.st_mode))
        bits |= AttributeDirectory;
    else if (S_ISREG(target.st_mode))
        bits |= AttributeArchive;
    if ((target.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        bits |= AttributeReadOnly;
    return bits;
}

// The folder scan's own rule for its entries, applied to one path.
bool IsExistingFile(const QString& path)
{
    return FolderReader::kindOfPath(path) == FolderReader::Kind::File;
}

#endif

bool isDriveRoot(const QString& folder, QChar separator)
{
    qsizetype end = folder.size();
    while (end > 0 && folder[end - 1] == separator)
        --end;
    if (end == 0)
        return !folder.isEmpty();
    // Drive letters exist only where the separator is the backslash.
    return separator == QLatin1Char('\\') && end == 2 && end < folder.size() && folder[1] == QLatin1Char(':')
        && folder[0].isLetter();
}
