// Where the set-file dialogs open ("Save Sets" and the Load Sets window's
// "..."): in the folder of the set file last picked in either, kept in the
// settings store under "SetsFolder". Qt Core only.
#pragma once

#include <QString>

inline const QString setsFolderKey = QStringLiteral("SetsFolder");

// The remembered folder; "" before the first pick.
QString setsStartFolder();
// Remembers the folder of a picked set file. Throws Failure as SaveSetting does.
void rememberSetsFolder(const QString& pickedFile);
