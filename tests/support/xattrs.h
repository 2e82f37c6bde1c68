// Extended attributes and ACLs of test files (POSIX systems).
#pragma once

#include <QByteArray>
#include <QString>

// The value of the extended attribute, or "(none)".
QByteArray attributeOf(const QString& path, const char* name);
// A POSIX ACL as the kernel stores it: owner rw, user 65534 r, group r, mask r, others none.
QByteArray aclGivingNobodyRead();
