#include "base/programfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

class TestProgramFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_program;
    QString m_data;

    QString native(const QString& path) const { return QDir::toNativeSeparators(path); }

private slots:
    void init()
    {
        QDir(m_root.path()).removeRecursively();
        QDir().mkpath(m_root.path());
        m_program = m_root.filePath("lib/tallowmere") + "/";
        m_data = m_root.filePath("share/tallowmere");
        QDir().mkpath(m_program);
        write(m_data + "/HAND-M.CUR", "hand");
        write(m_data + "/Samples/a.csv", "a");
    }

    void withoutAPointerEverythingIsBesideTheProgram()
    {
        QCOMPARE(programFile(m_program, "HAND-M.CUR"), native(m_program + "HAND-M.CUR"));
        write(m_program + "HAND-M.CUR", "own");
        QCOMPARE(programFile(m_program, "HAND-M.CUR"), native(m_program + "HAND-M.CUR"));
    }

    // The installed layout: what is not beside the program is taken from the
    // data folder; a file put beside the program wins; a name missing from
    // both stays beside the program, where the user would put it.
    void thePointerNamesTheDataFolder()
    {
        write(m_program + "datafolder", (m_data + "\n").toUtf8());
        QCOMPARE(programFile(m_program, "HAND-M.CUR"), native(m_data + "/HAND-M.CUR"));
        QCOMPARE(programFile(m_program, "Samples"), native(m_data + "/Samples"));
        QCOMPARE(programFile(m_program, "x/o.cjs"), native(m_program + "x/o.cjs"));
        write(m_program + "x/o.cjs", "skin");
        QCOMPARE(programFile(m_program, "x/o.cjs"), native(m_program + "x/o.cjs"));
    }

    // A copied program folder keeps finding the data through an absolute pointer.
    void aCopiedProgramFolderStillFindsItsData()
    {
        const QString copy = m_root.filePath("elsewhere/copy") + "/";
        write(copy + "datafolder", m_data.toUtf8());
        QCOMPARE(programFile(copy, "HAND-M.CUR"), native(m_data + "/HAND-M.CUR"));
    }

    void aRelativePointerCountsFromTheProgramFolder()
    {
        write(m_program + "datafolder", "../../share/tallowmere\n");
        QCOMPARE(QFileInfo(programFile(m_program, "Samples")).canonicalFilePath(),
            QFileInfo(m_data + "/Samples").canonicalFilePath());
    }

#ifdef Q_OS_UNIX
    // A link left dangling by a copy counts as missing.
    void aDanglingLinkBesideTheProgramGivesWayToTheDataFolder()
    {
        write(m_program + "datafolder", m_data.toUtf8());
        QVERIFY(QFile::link("/no/such/HAND-M.CUR", m_program + "HAND-M.CUR"));
        QCOMPARE(programFile(m_program, "HAND-M.CUR"), native(m_data + "/HAND-M.CUR"));
    }
#endif
};

QTEST_MAIN(TestProgramFiles)
#include "test_programfiles.moc"
