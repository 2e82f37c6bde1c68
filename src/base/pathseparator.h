// The separator the path rules are written for: the platform's own.
#pragma once

#include <QChar>

#ifdef Q_OS_WIN
inline constexpr QChar nativePathSeparator{u'\\'};
#else
inline constexpr QChar nativePathSeparator{u'/'};
#endif
