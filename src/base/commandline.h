// What the command line asks for before any window exists: "--help" and
// "--version" print their text and end the program, so they work without a
// display; anything else opens the window. Called by main() only.
#pragma once

#include <QString>
#include <QStringList>

struct CommandLineAnswer {
    // False: open the window as usual.
    bool handled = false;
    QString output;
};

// arguments: the program's arguments without the program name.
CommandLineAnswer answerCommandLine(const QStringList& arguments);
