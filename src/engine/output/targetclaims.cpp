#include "engine/output/targetclaims.h"

#include "base/failure.h"
#include "engine/textfile/resultwriter.h"
#include "engine/textfile/sourcefile.h"

#include <QDir>
#include <QFileInfo>

void TargetClaims::addSource(const QString& path)
{
    try {
        const FilePlace place = locateFile(path);
        m_sources.insert(place.placeKey());
        const FileIdentity identity = place.identity();
        if (identity.exists)
            m_sources.insert(identity.key());
    } catch (const Failure&) {
        // Not to be found now; reading it will say why.
        m_sources.insert(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    }
}

void TargetClaims::check(const SourceFile& source, const ResultWriter& writer) const
{
    check(source, writer.targetKeys(), writer.targetPath());
}

void TargetClaims::check(const SourceFile& source, const QStringList& targetKeys, const QString& targetPath) const
{
    const QStringList own{source.identity().key(), source.place().placeKey()};
    for (const QString& key : targetKeys) {
        if (m_written.contains(key) || m_pending.contains(key)) {
            throwFileFailure(targetPath,
                QStringLiteral("the result of %1 was not written here, as a result "
                               "of this run was already written to this file")
                    .arg(source.path()));
        }
        if (m_sources.contains(key) && !own.contains(key)) {
            throwFileFailure(targetPath,
                QStringLiteral("the result of %1 was not written here, as this "
                               "file is itself in the list")
                    .arg(source.path()));
        }
    }
}

void TargetClaims::recordPending(const ResultWriter& writer)
{
    for (const QString& key : writer.targetKeys())
        m_pending.insert(key);
}

void TargetClaims::recordReviewed(const QStringList& targetKeys)
{
    for (const QString& key : targetKeys)
        m_pending.insert(key);
}

void TargetClaims::recordWritten(const ResultWriter& writer)
{
    for (const QString& key : writer.targetKeys())
        m_pending.remove(key);
    // The replaced file's inode is free now and may come back as another file's.
    const QString gone = writer.replacedKey();
    m_sources.remove(gone);
    for (const QString& key : writer.targetKeys()) {
        if (key != gone)
            m_written.insert(key);
    }
    m_written.insert(writer.resultKey());
}
