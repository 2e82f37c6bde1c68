#include "support/xattrs.h"

#include "support/otheruser.h"

#include <QFile>

#include <sys/xattr.h>

QByteArray attributeOf(const QString& path, const char* name)
{
    QByteArray value(4096, '\0');
    const ssize_t size = ::getxattr(QFile::encodeName(path).constData(), name, value.data(), size_t(value.size()));
    return size < 0 ? QByteArray("(none)") : value.left(size);
}

QByteArray aclGivingNobodyRead()
{
    QByteArray acl;
    auto put32 = [&](quint32 v) { acl.append(reinterpret_cast<const char*>(&v), 4); };
    auto entry = [&](quint16 tag, quint16 perm, quint32 id) {
        acl.append(reinterpret_cast<const char*>(&tag), 2);
        acl.append(reinterpret_cast<const char*>(&perm), 2);
        put32(id);
    };
    put32(2);
    entry(0x01, 6, quint32(-1));
    entry(0x02, 4, otherUserId);
    entry(0x04, 4, quint32(-1));
    entry(0x10, 4, quint32(-1));
    entry(0x20, 0, quint32(-1));
    return acl;
}
