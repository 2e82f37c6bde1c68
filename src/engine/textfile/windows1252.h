// The Windows-1252 code page, with its five undefined bytes (81, 8D, 8F, 90,
// 9D) standing for U+0081 ... so that every byte round-trips.
#pragma once

#include <QtGlobal>

char16_t windows1252ToUnicode(unsigned char byte);
// The byte for a character, or -1 when the code page has none.
int unicodeToWindows1252(char16_t character);
