// The folder where the program keeps what it records about its runs (reports,
// undo data): $XDG_STATE_HOME/tallowmere, by default ~/.local/state/tallowmere;
// on Windows the user's local application data. Not created here.
#pragma once

#include <QString>

QString stateFolder();
