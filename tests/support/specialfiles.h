// File-system objects that are not regular files, where the platform has them.
#pragma once

#include <QString>

// Makes a named pipe; false where the platform has none (the test then skips
// that case) or when it could not be made.
bool makeFifo(const QString& path);
