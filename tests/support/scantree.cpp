#include "support/scantree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

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
    QCOMPARE(::mkfifo(QFile::encodeName(path(relative)).constData(), 0644), 0);
}

void ScanTree::symlink(const QString& relative, const QString& target)
{
    folder(QFileInfo(relative).path());
    QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path(relative)).constData()), 0);
}

void ScanTree::chmod(const QString& relative, int mode)
{
    QCOMPARE(::chmod(QFile::encodeName(path(relative)).constData(), static_cast<mode_t>(mode)), 0);
}

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

QStringList relative(const QStringList& paths, const ScanTree& tree)
{
    QStringList result;
    for (const QString& path : paths)
        result.append(path.startsWith(tree.root()) ? path.mid(tree.root().size()) : path);
    return result;
}
