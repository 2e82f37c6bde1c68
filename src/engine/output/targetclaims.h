// The files that one run may still write: a result never replaces a result
// written earlier in the same run, nor a file that the list names as a source
// other than its own source. Files are known by device and inode where they
// exist and by folder and name otherwise. The batch run fills it with the list
// at its start; the engine asks it before every result and tells it after.
#pragma once

#include <QSet>
#include <QString>

class ResultWriter;
class SourceFile;

class TargetClaims {
public:
    void addSource(const QString& path);
    // Throws Failure naming the target when the result may not be written there.
    void check(const SourceFile& source, const ResultWriter& writer) const;
    // The same for a target known by its keys and path, as a review asks it.
    void check(const SourceFile& source, const QStringList& targetKeys, const QString& targetPath) const;
    // A result waiting to be committed claims its target already.
    void recordPending(const ResultWriter& writer);
    // A review's result claims its target as a written one would.
    void recordReviewed(const QStringList& targetKeys);
    void recordWritten(const ResultWriter& writer);

private:
    QSet<QString> m_sources;
    QSet<QString> m_written;
    QSet<QString> m_pending;
};
