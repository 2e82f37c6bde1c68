// A file's change as a unified diff that `patch -p1` and `git apply` put in
// place byte for byte: lines end at LF (a CR stays part of its line), three
// lines of context, "\ No newline at end of file" where a side ends without
// LF. Names are given relative to the folder the patch is applied in.
#pragma once

#include <QByteArray>
#include <QString>

// The diff of one file, from its "diff --git" line; empty when the two are equal.
QByteArray unifiedDiff(const QByteArray& before, const QByteArray& after, const QString& relativePath);
