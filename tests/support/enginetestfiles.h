// Files and reference results for the engine tests. The reference encodes and
// decodes with Qt's own converters, independent of the engine's.
#pragma once

#include "engine/textfile/textencoding.h"

#include "support/testfiles.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The file's bytes: mark, then the text in the encoding.
QByteArray referenceBytes(const QString& text, TextEncoding encoding);
QString referenceText(const QByteArray& bytesWithoutMark, TextEncoding encoding);
// The pairs applied in order to the whole text; empty finds change nothing.
QString replacedWholeText(QString text, const QStringList& finds, const QStringList& replaces);

QList<TextEncoding> allEncodings();
QString encodingLabel(TextEncoding encoding);
