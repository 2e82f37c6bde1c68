#include "window/twiplayout.h"

#include <QtMath>

#include <iterator>

namespace {
constexpr int labelH = TwipLayout::labelHeight;

constexpr PlacedControl placedControls[] = {
    // Left half: the list and the eight buttons under it.
    {"ListView1", {120, 120, 7800, 3915}},
    {"PushButton13", {120, 4140, 3840, 405}},
    {"PushButton3", {4080, 4140, 3840, 405}},
    {"PushButton9", {120, 4650, 3840, 405}},
    {"PushButton5", {4080, 4650, 3840, 405}},
    {"PushButton17", {120, 5160, 3840, 405}},
    {"PushButton11", {4080, 5160, 3840, 405}},
    {"PushButton8", {120, 5670, 3840, 405}},
    {"PushButton10", {4080, 5670, 3840, 405}},
    // Right half.
    {"TabControl1", {8040, 80, 7800, 3600}},
    {"Frame3", {8040, 3740, 7800, 1815}},
    {"PushButton12", {8040, 5670, 7800, 405}},
    // Tab 0, relative to the tab control.
    {"Label1", {240, 450, 0, labelH}},
    {"Text1", {225, 720, 7350, 1140}},
    {"Label2", {225, 1980, 0, labelH}},
    {"Text2", {225, 2250, 7350, 1140}},
    // Tab 1, relative to the tab control.
    {"Label3", {240, 480, 0, labelH}},
    {"Combo1", {240, 765, 7320, 345}},
    {"Label4", {240, 1245, 0, labelH}},
    {"Combo2", {240, 1560, 7320, 345}},
    {"PushButton7", {240, 2025, 7320, 405}},
    {"PushButton1", {240, 2535, 3600, 405}},
    {"PushButton2", {3960, 2535, 3600, 405}},
    {"PushButton6", {240, 3030, 3600, 405}},
    {"PushButton4", {3960, 3030, 3600, 405}},
    // Inside Frame3.
    {"Option1", {240, 300, 3615, 255}},
    {"Frame4", {480, 510, 6840, 810}},
    {"Option2", {240, 1410, 3615, 255}},
    // Inside Frame4.
    {"Text3", {240, 300, 5670, 345}},
    {"PushButton14", {6000, 300, 600, 345}},
};
} // namespace

const PlacedControl* TwipLayout::find(const QString& name)
{
    for (const PlacedControl& control : placedControls) {
        if (name == QLatin1String(control.name))
            return &control;
    }
    return nullptr;
}

int twipsToPixels(int twips, qreal dpi)
{
    return qRound(twips * dpi / 1440.0);
}

QRect twipsToPixels(const TwipRect& rect, qreal dpi)
{
    return {twipsToPixels(rect.left, dpi), twipsToPixels(rect.top, dpi), twipsToPixels(rect.width, dpi),
        twipsToPixels(rect.height, dpi)};
}
