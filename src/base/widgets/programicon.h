#pragma once

#include <QIcon>

// The program's icon, shared by the main window and the Load Sets dialog.
QIcon programIcon();
