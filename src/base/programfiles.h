// Where the program finds what it reads from beside itself ("x/o.cjs",
// "HAND-M.CUR", "drag.ico", "Samples"). Qt Core only; every reader of those
// files asks here.
#pragma once

#include <QString>

// The name of the file in the program folder that names the data folder: an
// installed program keeps its data apart from its executable (/usr/share),
// and a copied or moved program folder still finds it there.
inline const QString dataFolderPointer = QStringLiteral("datafolder");

// programFolder + name when that exists (a file beside the executable always
// wins); otherwise the same name in the data folder that the pointer file
// names, when it exists there; otherwise programFolder + name. programFolder
// ends with a separator; the result has the platform's separators.
QString programFile(const QString& programFolder, const QString& name);
