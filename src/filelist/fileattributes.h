// File-system tests the folder scan applies to one path, with the attribute
// bits it filters on. Qt Core only. None of them throws.
//
// Linux has no attribute bits; they are read as Windows sets them: hidden = the
// name begins with "."; archive = a regular file; read-only = no write
// permission bit; system = never; alias = a symbolic link; directory as usual.
#pragma once

#include "base/pathseparator.h"

#include <QString>

enum FileAttribute : int {
    AttributeReadOnly = 1,
    AttributeHidden = 2,
    AttributeSystem = 4,
    AttributeDirectory = 16,
    AttributeArchive = 32,
    AttributeAlias = 1024,
};

#ifdef Q_OS_WIN
inline constexpr bool systemAttributeExists = true;
#else
inline constexpr bool systemAttributeExists = false;
#endif

// Hidden + archive and nothing else: the kind of file a scan leaves out.
inline constexpr int hiddenArchiveOnly = AttributeHidden | AttributeArchive;
// Hidden + system folders (with or without alias): never searched.
inline constexpr int hiddenSystemFolder = AttributeHidden | AttributeSystem | AttributeDirectory;
inline constexpr int hiddenSystemAliasFolder = hiddenSystemFolder | AttributeAlias;

// The attribute bits of the path; -1 when the path cannot be examined.
int FileAttributes(const QString& path, QChar separator = nativePathSeparator);

// True when the path names an existing regular file (after following links);
// false for folders, devices, pipes, sockets, missing paths and bad names.
bool IsExistingFile(const QString& path);

// True for the root folder of a drive ("C:\", and "/" here), trailing
// separators allowed.
bool isDriveRoot(const QString& folder, QChar separator = nativePathSeparator);
