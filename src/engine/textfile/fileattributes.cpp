#include "engine/textfile/fileattributes.h"

#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
// Every extended attribute, ACLs included (they are system.posix_acl_*).
// False when one of them could not be read or set.
bool copyExtendedAttributes(int from, int to)
{
    ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;
    QByteArray names(size, '\0');
    size = ::flistxattr(from, names.data(), size_t(names.size()));
    if (size < 0)
        return false;
    names.truncate(size);
    for (const QByteArray& name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t valueSize = ::fgetxattr(from, name.constData(), nullptr, 0);
        if (valueSize < 0)
            return false;
        QByteArray value(valueSize, '\0');
        const ssize_t got = ::fgetxattr(from, name.constData(), value.data(), size_t(value.size()));
        if (got < 0 || ::fsetxattr(to, name.constData(), value.constData(), size_t(got), 0) != 0)
            return false;
    }
    return true;
}
#endif

} // namespace

QStringList giveAttributes(int to, const FileIdentity& like, int from)
{
    QStringList missing;
#ifdef Q_OS_UNIX
    // Owner first, as a change of owner may clear set-ID bits.
    if (::fchown(to, like.owner, like.group) != 0)
        missing << QStringLiteral("owner and group");
    // The bits as they are: Qt's permission flags would fold the running
    // user's own rights into the owner's.
    if (::fchmod(to, like.mode & 07777) != 0)
        missing << QStringLiteral("permissions");
    if (from >= 0 && !copyExtendedAttributes(from, to))
        missing << QStringLiteral("extended attributes and ACLs");
#else
    Q_UNUSED(to);
    Q_UNUSED(like);
    Q_UNUSED(from);
#endif
    return missing;
}
