// What the command line asks for before any window exists: "--help" and
// "--version" print their text and end the program, and an unknown option
// ends it with a usage message on standard error and exit code 2, all without
// a display; otherwise the window opens, with the files and folders named on
// the line to be added to the list. Called by main() only.
#pragma once

#include <QString>
#include <QStringList>

struct CommandLineAnswer {
    // False: open the window as usual.
    bool handled = false;
    int exitCode = 0;
    // For standard output and standard error.
    QString output;
    QString errors;
    // Files and folders to add to the list, as absolute paths with the
    // platform's separators, in the order given.
    QStringList paths;
};

// arguments: the program's arguments without the program name. Relative
// paths count from workingFolder. "--" ends the options: what follows is a
// path even when it starts with "-".
CommandLineAnswer answerCommandLine(const QStringList& arguments, const QString& workingFolder);

inline constexpr int usageExitCode = 2;
