#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "filelist/widgets/pathelision.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTest>

class TestFileListView : public QObject {
    Q_OBJECT

private slots:
    void longPathLosesTheMiddleOfItsFoldersNotItsName()
    {
        const QFontMetrics metrics(QFont("Arial", 9));
        const QString path = "/home/user/Documents/" + QString(60, 'f') + "/monthly-orders.csv";
        const int width = metrics.horizontalAdvance("/home/user/Documents/monthly-orders.csv");
        const QString shown = elidePathKeepingName(path, metrics, width);
        QVERIFY(shown.endsWith("/monthly-orders.csv"));
        QVERIFY(shown.startsWith("/home"));
        QVERIFY(shown.contains(QChar(0x2026)));
        QVERIFY(metrics.horizontalAdvance(shown) <= width);

        // Whole when it fits; Windows separators count too.
        QCOMPARE(elidePathKeepingName("/a/b.csv", metrics, 500), QString("/a/b.csv"));
        const QString windows = "C:\\Users\\user\\" + QString(60, 'f') + "\\orders.csv";
        QVERIFY(elidePathKeepingName(windows, metrics, width).endsWith("\\orders.csv"));

        // A name wider than the column still shows both of its ends.
        const QString longName = "/d/" + QString(40, 'a') + QString(40, 'z') + ".csv";
        const QString narrow = elidePathKeepingName(longName, metrics, 100);
        QVERIFY(narrow.startsWith("/d/"));
        QVERIFY(narrow.endsWith(".csv"));
        QVERIFY(metrics.horizontalAdvance(narrow) <= 100);
        QVERIFY(!elidePathKeepingName("no-separator-" + QString(80, 'x'), metrics, 100).isEmpty());
    }

    void rowKeepsItsWholePathForToolTipAndScreenReaders()
    {
        FileListView view;
        const QString path = "/home/user/Documents/" + QString(60, 'f') + "/monthly-orders.csv";
        view.fileList()->Append(path);
        view.fileList()->publishPending();
        const QModelIndex row = view.model()->index(0, 0);
        QCOMPARE(row.data(Qt::DisplayRole).toString(), path);
        QCOMPARE(row.data(Qt::ToolTipRole).toString(), path);
        QCOMPARE(row.data(Qt::AccessibleTextRole).toString(), path);
        QVERIFY(dynamic_cast<PathElisionDelegate*>(view.itemDelegate()));
    }
};

QTEST_MAIN(TestFileListView)
#include "test_filelistview.moc"
