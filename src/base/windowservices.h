// What the main window lends to every command handler: the prompts, the error
// reporter, the busy pointer, the program folder and a way to let pending
// window events run.
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
    // The folder the program reads "x/o.cjs", "HAND-M.CUR", "drag.ico" and
    // "Samples" from, with a trailing separator.
    QString programFolder;
    // Lets pending window events run (QCoreApplication::processEvents).
    std::function<void()> yield;
    // The same, for the engine's extra yields inside a long file; may be empty.
    std::function<void()> keepAlive;
};
