// Loads a pointer from a .cur or .ico file beside the program.
#pragma once

#include <QCursor>
#include <QString>

#include <optional>

// The pointer with the hotspot stored in the file (a .cur keeps it in its
// first directory entry; Qt's reader drops it). Nothing when the file is
// missing or unreadable.
std::optional<QCursor> loadCursorFile(const QString& path);
