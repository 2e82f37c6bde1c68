// Real folder trees for the folder-scan tests: files, folders, pipes and links
// under a temporary folder, and a way to make a folder unreadable even when
// the tests run as root.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class ScanTree {
public:
    ScanTree();

    // The tree's root, without a trailing separator.
    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const { return root() + QLatin1Char('/') + relative; }

    // Each creates the missing parent folders first.
    void file(const QString& relative, const QByteArray& content = "x");
    void folder(const QString& relative);
    void fifo(const QString& relative);
    void symlink(const QString& relative, const QString& target);
    void chmod(const QString& relative, int mode);

private:
    QTemporaryDir m_dir;
};

// The paths with the tree's root cut off ("/sub/a.csv"); paths outside it as they are.
QStringList relative(const QStringList& paths, const ScanTree& tree);

// While it lives, permission bits hold for this thread even as root (the
// capabilities that override them are dropped from the effective set).
class WithoutAccessOverride {
public:
    WithoutAccessOverride();
    ~WithoutAccessOverride();
    WithoutAccessOverride(const WithoutAccessOverride&) = delete;
    WithoutAccessOverride& operator=(const WithoutAccessOverride&) = delete;

    bool active() const { return m_active; }

private:
    bool m_active = false;
    bool m_restore = false;
    unsigned m_saved[2] = {0, 0};
};
