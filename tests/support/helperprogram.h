// A test's helper program run as a process of its own, for faults that end a
// process: a kill, a file size limit.
#pragma once

#include <QString>
#include <QStringList>

struct HelperRun {
    int exitCode = -1; // -1 when it did not end by itself
    bool killed = false; // ended by a signal
    QString output;
    // The output's lines, empty ones left out.
    QStringList lines() const { return output.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

HelperRun runHelperProgram(const QString& program, const QStringList& arguments);
// Starts it and kills it after the given time; false when it did not start or end.
bool killHelperProgramAfter(const QString& program, const QStringList& arguments, unsigned long milliseconds);
