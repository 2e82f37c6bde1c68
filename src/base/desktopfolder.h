#pragma once

#include <QString>

// The user's desktop folder followed by the separator; throws Failure when the
// platform names none.
QString DesktopFolderPath();
