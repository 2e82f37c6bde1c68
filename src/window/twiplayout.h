// Positions and sizes of the main window's controls in twips (1/1440 inch),
// kept as data in one place. Tab page controls are placed relative to the tab
// control itself, its headers included; Frame3's and Frame4's children
// relative to their frame.
#pragma once

#include <QRect>
#include <QString>

struct TwipRect {
    int left;
    int top;
    int width; // 0: as wide as the control's text
    int height;
};

struct PlacedControl {
    const char* name;
    TwipRect rect;
};

namespace TwipLayout {
inline constexpr int windowWidth = 15960;
inline constexpr int windowHeight = 6180;
inline constexpr int labelHeight = 255;
inline constexpr int fileColumnWidth = 7000;

// Every placed control of the main window, by its name.
const PlacedControl* find(const QString& name);
} // namespace TwipLayout

// Pixels for a length in twips on a screen of the given logical dpi.
int twipsToPixels(int twips, qreal dpi);
QRect twipsToPixels(const TwipRect& rect, qreal dpi);
