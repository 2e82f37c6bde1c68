#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTest>

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable: " + file.errorString().toUtf8() + ">";
    return file.readAll();
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

#ifdef Q_OS_UNIX
struct stat statOf(const QString& path)
{
    struct stat info { };
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}
#endif
