// Picking a folder: the modal folder chooser of the owner window's prompts, and
// the output-folder form of a picked path. Called by the "..." button of the
// output destination and by the folder scan.
#pragma once

#include "base/pathseparator.h"

#include <QString>

class Prompts;

// The chosen folder's path, or "" when the user cancels.
QString BrowseFolder(Prompts& owner, const QString& title, const QString& startFolder);

// The folder followed by one separator, unless it ends with one already (a root).
QString withTrailingSeparator(const QString& folder, QChar separator = nativePathSeparator);
