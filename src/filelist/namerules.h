// Rules for the names and paths the folder scan meets: which names the program
// can carry, the platform's length limits, and the order in which a folder's
// names are listed. Qt Core only; used by the folder scan and its tests.
#pragma once

#include <QString>

// True when the name holds a character the program cannot carry through its
// paths: a control code below 32, U+007F to U+009F, or "?". File names on this
// platform are Unicode, so every other character is safe.
bool HasUnsafeCharacters(const QString& name);

// A path or name is accepted only when its length is below these limits
// (Windows counts characters up to 260; Linux counts bytes, 4096 for a path
// and 256 for one name).
bool folderPathWithinLimit(const QString& path);
bool nameWithinLimit(const QString& name);

// The order in which the file system lists names: letter case ignored, as
// upper case (so "_a" comes after "Z"); names equal but for case by code.
bool listedBefore(const QString& a, const QString& b);
