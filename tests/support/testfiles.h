// Whole-file helpers for tests: write bytes (failing the test when the file
// can't be written) and read them back.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

void writeBytes(const QString& path, const QByteArray& bytes);
// "<unreadable: reason>" when the file can't be read, so comparisons show why.
QByteArray readBytes(const QString& path);
// Every entry of a folder, hidden ones included: temporary files show.
QStringList entriesOf(const QString& folder);

#ifdef Q_OS_UNIX
#include <sys/stat.h>
// What lstat says of the path; all zero when it can't.
struct stat statOf(const QString& path);
#endif
