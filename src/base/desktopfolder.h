#pragma once

#include <QString>

// The user's desktop folder followed by the separator; throws Failure when the
// platform names none.
QString DesktopFolderPath();

// The folder "Save results to this folder:" starts with: the desktop folder
// when it exists, otherwise the home folder, each with one trailing separator.
QString DefaultOutputFolder();
