#include "base/desktopfolder.h"

#include <QDir>
#include <QStandardPaths>
#include <QTest>

class TestDesktopFolder : public QObject {
    Q_OBJECT

    static QString desktop() { return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation); }

private slots:
    void outputFolderIsTheDesktopOnlyWhenItExists()
    {
        QDir(desktop()).removeRecursively();
        const QString home = QDir::toNativeSeparators(QDir::homePath()) + QDir::separator();
        QCOMPARE(DefaultOutputFolder(), home);

        QVERIFY(QDir().mkpath(desktop()));
        const QString expected = QDir::toNativeSeparators(desktop()) + QDir::separator();
        QCOMPARE(DefaultOutputFolder(), expected);
        QCOMPARE(DefaultOutputFolder(), DesktopFolderPath());
        QVERIFY(!DefaultOutputFolder().endsWith(QString(QDir::separator()) + QDir::separator()));
        QDir(desktop()).removeRecursively();
    }

    void homeFolderAtTheRootGetsOneSeparator()
    {
        QDir(desktop()).removeRecursively();
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", "/");
        const QString folder = DefaultOutputFolder();
        qputenv("HOME", home);
        QCOMPARE(folder, QDir::toNativeSeparators("/"));
    }
};

QTEST_MAIN(TestDesktopFolder)
#include "test_desktopfolder.moc"
