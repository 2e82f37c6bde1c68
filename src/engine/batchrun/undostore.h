// The way back from the last run. Before a result replaces a file, the old
// file is kept in a private folder: a hard link where the file system allows
// (no copy, no extra space), a copy otherwise; a result that created a file is
// recorded so that undo removes it. The record is kept on disk beside the kept
// files, so it outlasts the program. The batch run owns one.
#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <thread>

// What a file was when the run left it: a file that differs now has been
// changed since, and undo leaves it alone.
struct FileStamp {
    qint64 device = 0;
    qint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp& other) const
    {
        return device == other.device && inode == other.inode && size == other.size
            && modifiedNs == other.modifiedNs;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

struct UndoOutcome {
    enum Kind { Restored, Removed, ChangedSince, Failed };
    QString target;
    Kind kind = Failed;
    QString reason;
};

class UndoStore {
public:
    // folder: the private folder of the kept files; it is created by begin().
    explicit UndoStore(QString folder);
    UndoStore(const UndoStore&) = delete;
    UndoStore& operator=(const UndoStore&) = delete;
    // Waits for the removal that releaseDropped() started.
    ~UndoStore();

    const QString& folder() const { return m_folder; }
    // Drops the last run's data and starts an empty record. Throws Failure.
    // The old data is only set aside here (it can no longer be undone): its
    // removal frees as many files as the last run wrote, and a file system
    // may look past every freshly freed file each time it creates one, so the
    // removal waits for releaseDropped() once this run's results are in place.
    void begin();
    // Removes what begin() set aside, and whatever an earlier program left
    // set aside, on a thread of its own.
    void releaseDropped();
    // Called just before `result` takes the place of `target`. Throws Failure:
    // then the target must stay as it is. Where the target file itself will be
    // overwritten, its old bytes are copied (a link would see the new ones) and
    // the entry is recorded by replaced() once the result is in place.
    void keep(const QString& target, const QString& result, bool overwritesTarget = false);
    void replaced(const QString& target);
    // The number of files that undo would give back or remove.
    int fileCount() const;
    bool isEmpty() const { return fileCount() == 0; }
    // Puts every recorded file back, the latest first, each atomically. The
    // data is dropped unless some file failed for a reason other than having
    // been changed since; those stay recorded for another try.
    QList<UndoOutcome> undo();
    void drop();

    // Makes a hard link; false when the system refuses (another file system,
    // no links there). Tests put a refusal here to take the copy path.
    std::function<bool(const QString& existing, const QString& link)> makeLink;

private:
    struct Entry {
        bool created = false;
        bool overwritten = false; // the result was copied into the file itself
        QString target;
        QString kept;
        FileStamp result;
    };
    QString recordPath() const;
    QList<Entry> readRecord() const;
    void writeRecord(const QList<Entry>& entries, bool append) const;
    UndoOutcome undoOne(const Entry& entry);

    QString droppedPattern() const;
    void waitForRelease();

    QString m_folder;
    std::thread m_release;
    int m_kept = 0;
    QList<Entry> m_pending;
};

// The stamp of an existing file; size -1 when there is none.
FileStamp fileStamp(const QString& path);
