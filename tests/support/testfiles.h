// Whole-file helpers for tests: write bytes (failing the test when the file
// can't be written) and read them back.
#pragma once

#include <QByteArray>
#include <QString>

void writeBytes(const QString& path, const QByteArray& bytes);
// "<unreadable: reason>" when the file can't be read, so comparisons show why.
QByteArray readBytes(const QString& path);
