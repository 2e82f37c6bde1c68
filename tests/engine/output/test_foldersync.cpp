// A result in place is on the disk only once the rename that put it there is:
// its folder is synced after the rename, whether the result was committed on
// its own or with a group of others.
#include "engine/output/commitqueue.h"
#include "engine/textfile/fileplace.h"
#include "engine/textfile/foldersync.h"

#include "support/engineharness.h"
#include "support/testfiles.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Each folder sync: the folder, and whether the watched file already held the
// result then (the rename came first).
struct FolderSync {
    QString folder;
    bool resultInPlace;
};

class SyncWatch {
public:
    SyncWatch(const QString& file, const QByteArray& result)
    {
        setFolderSyncWatch([this, file, result](int folder) {
            m_syncs.append({identityOfHandle(folder).key(), readBytes(file) == result});
        });
    }
    ~SyncWatch() { setFolderSyncWatch({}); }
    const QList<FolderSync>& syncs() const { return m_syncs; }

private:
    QList<FolderSync> m_syncs;
};

} // namespace

class TestFolderSync : public QObject {
    Q_OBJECT

    void checkSyncedAfterRename(bool grouped)
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("a.csv");
        writeBytes(file, "Berlin;1\r\n");
        const QString folderKey = locateFile(dir.path()).identity().key();
        EngineHarness harness;
        CommitQueue commits;
        if (grouped)
            harness.context.output.commits = &commits;
        SyncWatch watch(file, "Hamburg;1\r\n");

        QCOMPARE(harness.single(file).kind, FileOutcome::Changed);
        commits.flush();

        QCOMPARE(readBytes(file), QByteArray("Hamburg;1\r\n"));
        const auto synced = std::find_if(watch.syncs().cbegin(), watch.syncs().cend(),
            [&](const FolderSync& sync) { return sync.folder == folderKey; });
        QVERIFY2(synced != watch.syncs().cend(), "the folder of the result was never synced");
        QVERIFY2(synced->resultInPlace, "the folder was synced before the rename");
        QVERIFY(harness.prompts.shown().isEmpty());
    }

private slots:
    void resultCommittedAloneSyncsItsFolder() { checkSyncedAfterRename(false); }
    void resultCommittedInAGroupSyncsItsFolder() { checkSyncedAfterRename(true); }
};

QTEST_GUILESS_MAIN(TestFolderSync)
#include "test_foldersync.moc"
