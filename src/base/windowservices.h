// What the main window lends to every command handler: the prompts, the error
// reporter, the busy pointer, the program folder, a way to let pending window
// events run and whether the window is closing.
#pragma once

#include "base/errorreport.h"
#include "base/prompts.h"
#include "base/windowpointer.h"

#include <QString>

#include <functional>

struct WindowServices {
    Prompts& prompts;
    ErrorReporter& reporter;
    WindowPointer& pointer;
    // The executable's folder, with a trailing separator: programFile() finds
    // "x/o.cjs", "HAND-M.CUR", "drag.ico" and "Samples" from it.
    QString programFolder;
    // Lets pending window events run (EventYield: at a clock read's cost when
    // called often).
    std::function<void()> yield;
    // True once the window is closing; may be empty (never closing).
    std::function<bool()> closing;

    // Long commands stop at their next yield once this is true.
    bool isClosing() const { return closing && closing(); }

    // The same, for the engine's extra yields inside a long file; may be empty.
    std::function<void()> keepAlive;
};
