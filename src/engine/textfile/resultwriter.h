// Writes one result file atomically: a temporary file beside the target (its
// name carries ".tallowmere-tmp-"), written in blocks and put in the target's
// place only when committed, and only while the target is still what it was
// when the writer looked at it. Until then the target stays exactly as it
// was, whatever fails; a writer destroyed without commit() leaves no trace.
// The replacement engine's sink.
#pragma once

#include "engine/textfile/fileplace.h"
#include "engine/textfile/textencoding.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class BackgroundWrites;
class OldFileKeeper;
class SourceFile;
class SpareTemporaries;

class ResultWriter {
public:
    // Refuses a target without write permission ("Permission denied", also
    // for root, or the system's reason such as a read-only file system), a
    // folder, FIFO or device in the target's place, and a link that the
    // protected-symlinks rule would not follow; follows other links to their
    // file. Writes the encoding's mark. Throws Failure naming the target.
    // A durable writer also forces the result to the disk before the rename:
    // worth its cost only where the result replaces the user's source.
    ResultWriter(const QString& targetPath, TextEncoding encoding, bool durable);
    // As above; when the target is the source's own file the result replaces
    // it in place, durably, and only while it is still what was read.
    // spares, when given, may hold a temporary file made ahead in the folder.
    ResultWriter(
        const QString& targetPath, TextEncoding encoding, const SourceFile& source, SpareTemporaries* spares = nullptr);
    ResultWriter(const ResultWriter&) = delete;
    ResultWriter& operator=(const ResultWriter&) = delete;
    ~ResultWriter();

    bool inPlace() const { return m_inPlace; }
    const QString& targetPath() const { return m_place.path; }
    // Keys of the target for a run's collision rules: its device and inode
    // when it exists, and its folder's key with its name.
    QStringList targetKeys() const;
    // After commit(): the key of the file that holds the result.
    const QString& resultKey() const { return m_resultKey; }
    // After commit(): the key of the file that the result replaced and that is
    // gone now; empty where the file itself took the result or none was there.
    QString replacedKey() const { return m_copyOver ? QString() : m_expected.key(); }
    // Runs in commit() just before the target is replaced (tests race it).
    void setBeforeReplace(std::function<void()> hook) { m_beforeReplace = std::move(hook); }
    // Told in commit() once the result is complete, before the check and the
    // replacement; when its keep() throws, the target stays. Not owned.
    void setKeeper(OldFileKeeper* keeper) { m_keeper = keeper; }
    // Told the bytes copied so far during a copy over the file itself (tests
    // stop the program there).
    void setCopyProgress(std::function<void(qint64)> progress) { m_copyProgress = std::move(progress); }

    // Bytes already in the target's encoding. Throws Failure.
    void write(const char* data, qsizetype size);
    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    // Puts the result in the target's place. The file keeps its owner,
    // permission bits, extended attributes and ACLs; where a new file could
    // not keep them all, or the target has other hard links, the result is
    // copied over the file itself and the complete temporary file is kept as
    // the recovery copy until that copy has ended. Throws Failure, also when
    // another program changed the target meanwhile.
    void commit();

    // The same commit in steps, for results committed as a group: the data
    // of several results reaches the disk with one wait instead of one each,
    // and each folder is synced once. finish() writes what is buffered and
    // lets the disk start on it; syncData() may run on another thread, one
    // writer per thread, and keeps its error for placeResult(). Meanwhile
    // keepForCommit() keeps the old file and settleKept() puts it on the
    // disk (the first of a group waits, the others find it done); then
    // placeResult() puts the result in its place, the folder left to
    // syncFolder(). Each throws Failure, and then the target stays as it was.
    void finish();
    void syncData() noexcept;
    void keepForCommit();
    void settleKept();
    void placeResult();
    void syncFolder();
    // The folder's device and inode, to sync each folder of a group once.
    QString folderKey() const;
    // After finish() or commit().
    qint64 size() const { return m_written + m_buffer.size(); }

private:
    void open(
        const QString& targetPath, TextEncoding encoding, const SourceFile* source, SpareTemporaries* spares = nullptr);
    void createTemporary(SpareTemporaries* spares);
    void keepAttributes();
    void flush();
    void startWritingBehind();
    void writeFully(const char* data, qsizetype size);
    void checkTargetUnchanged() const;
    void renameOver();
    void copyOver();
    QString temporaryPath() const;

    FilePlace m_place;
    FileIdentity m_expected; // the target as found, or the source as read
    bool m_inPlace = false;
    bool m_durable = false;
    bool m_copyOver = false;
    bool m_keepTemporary = false;
    bool m_done = false;
    bool m_synced = false;
    int m_syncError = 0;
    FileHandle m_temporary;
    QByteArray m_temporaryName;
    qint64 m_written = 0;
    qint64 m_writtenBack = 0; // bytes the disk was asked to take before the sync
    static constexpr qint64 writebackStretch = 32 * 1024 * 1024;
    QByteArray m_buffer;
    // A long result is written on a thread of its own; from then on only that
    // thread moves m_written and m_writtenBack, until flush() has waited for it.
    std::unique_ptr<BackgroundWrites> m_behind;
    bool m_behindRefused = false;
    QString m_resultKey;
    std::function<void()> m_beforeReplace;
    OldFileKeeper* m_keeper = nullptr;
    FileIdentity m_resultIdentity;
    qint64 m_ticket = -1;
    std::function<void(qint64)> m_copyProgress;
};

// The refusals of a writer for an existing target, before it writes anything:
// a folder, FIFO or device in its place, no write permission (nobody's, even
// for root). Throws Failure naming the target. A review asks it ahead.
void refuseUnwritableTarget(const FilePlace& place);
