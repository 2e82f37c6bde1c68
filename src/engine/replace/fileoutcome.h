// What one run did with one row of the file list, for the run's report: the
// engine entries give it for their file and the batch run collects it.
#pragma once

#include <QString>
#include <QtGlobal>

struct FileOutcome {
    enum Kind {
        Changed, // the result was written; replacements > 0
        Unchanged, // nothing occurred (an output folder still gets its copy)
        Skipped, // not processed: reason says why (empty, missing, not a regular file, ...)
        Failed, // reason holds the report's description
        NotReached, // the run stopped before this row
    };

    Kind kind = NotReached;
    qint64 replacements = 0;
    QString reason;
};
