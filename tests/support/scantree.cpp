#include "support/scantree.h"

#include "support/specialfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <linux/capability.h>
#include <sys/syscall.h>
#endif

ScanTree::ScanTree()
{
    QVERIFY(m_dir.isValid());
}

void ScanTree::folder(const QString& relative)
{
    QVERIFY(QDir().mkpath(path(relative)));
}

void ScanTree::file(const QString& relative, const QByteArray& content)
{
    folder(QFileInfo(relative).path());
    QFile out(path(relative));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(content);
}

void ScanTree::fifo(const QString& relative)
{
    folder(QFileInfo(relative).path());
    QVERIFY2(makeFifo(path(relative)), "no named pipe could be made");
}

void ScanTree::symlink(const QString& relative, const QString& target)
{
    folder(QFileInfo(relative).path());
#if defined(Q_OS_UNIX)
    QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path(relative)).constData()), 0);
#else
    QVERIFY(QFile::link(target, path(relative)));
#endif
}

void ScanTree::chmod(const QString& relative, int mode)
{
#if defined(Q_OS_UNIX)
    QCOMPARE(::chmod(QFile::encodeName(path(relative)).constData(), static_cast<mode_t>(mode)), 0);
#else
    // Only the owner's write bit has a meaning here.
    QFile::Permissions permissions = QFile::ReadOwner | QFile::ReadUser;
    if (mode & 0200)
        permissions |= QFile::WriteOwner | QFile::WriteUser;
    QVERIFY(QFile::setPermissions(path(relative), permissions));
#endif
}

#if defined(Q_OS_LINUX)
namespace {
constexpr unsigned overrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool capabilities(__user_cap_data_struct (&data)[2], bool set)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}
} // namespace

WithoutAccessOverride::WithoutAccessOverride()
{
    if (::geteuid() != 0) {
        m_active = true;
        return;
    }
    __user_cap_data_struct data[2]{};
    if (!capabilities(data, false))
        return;
    m_saved[0] = data[0].effective;
    m_saved[1] = data[1].effective;
    data[0].effective &= ~overrides;
    m_active = m_restore = capabilities(data, true);
}

WithoutAccessOverride::~WithoutAccessOverride()
{
    if (!m_restore)
        return;
    __user_cap_data_struct data[2]{};
    if (capabilities(data, false)) {
        data[0].effective = m_saved[0];
        data[1].effective = m_saved[1];
        capabilities(data, true);
    }
}
#elif defined(Q_OS_UNIX)
// Without Linux capabilities only a user other than root is bound by the bits.
WithoutAccessOverride::WithoutAccessOverride() : m_active(::geteuid() != 0) { }
WithoutAccessOverride::~WithoutAccessOverride() = default;
#else
WithoutAccessOverride::WithoutAccessOverride() = default;
WithoutAccessOverride::~WithoutAccessOverride() = default;
#endif

QStringList relative(const QStringList& paths, const ScanTree& tree)
{
    QStringList result;
    for (const QString& path : paths)
        result.append(path.startsWith(tree.root()) ? path.mid(tree.root().size()) : path);
    return result;
}
