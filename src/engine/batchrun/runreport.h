// What one run did with each row of the file list: the summary and details
// that the closing box shows, and the same report as a CSV file kept in the
// program's state folder (the last 20 runs).
#pragma once

#include "engine/replace/fileoutcome.h"

#include <QDateTime>
#include <QList>
#include <QString>

struct RunRow {
    QString path;
    FileOutcome outcome;
};

struct RunReport {
    QList<RunRow> rows;
    bool countOnly = false;

    int count(FileOutcome::Kind kind) const;
    qint64 replacements() const;
};

// "44 files changed (1,283 replacements), 5 unchanged, 0 skipped, 1 failed",
// and how many were not reached when the run stopped.
QString summaryLine(const RunReport& report);
// One line per row: "changed, 12 replacements: D:\data\a.csv".
QString rowLine(const RunRow& row, bool countOnly);
// The box's details: the summary, one line per row, then `closing` lines.
QString detailsText(const RunReport& report, const QStringList& closing);
// path,outcome,replacements,reason with one header row; fields quoted as CSV
// needs, and a field that a spreadsheet would take for a formula (beginning
// with =, +, -, @, tab or carriage return) begun with an apostrophe.
QByteArray csvText(const RunReport& report);

// Writes the CSV into "runs" in the private state folder (created when
// missing; 0700, the report 0600) under a name made of the time, removes all
// but the newest `keep` reports and returns the path. Throws Failure naming
// the path once.
QString writeRunReport(const QString& stateFolder, const RunReport& report, const QDateTime& when, int keep = 20);

// 1283 as "1,283".
QString groupedNumber(qint64 n);
// "1 file", "1,283 files".
QString plural(qint64 n, const char* one, const char* many);
