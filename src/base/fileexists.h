// Existence tests that never throw.
#pragma once

#include <QString>

// True for an existing file or folder; false on any failure.
bool FileExists(const QString& path);
