#include "base/failure.h"
#include "filelist/filelistmodel.h"
#include "filelist/rowreorder.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QItemSelectionModel>
#include <QTest>
#include <QTreeView>

namespace {
QStringList texts(const FileListModel& list)
{
    QStringList all;
    for (int i = 1; i <= list.Count(); ++i)
        all.append(list.Text(i));
    return all;
}

void fill(FileListModel& list, const QStringList& rows)
{
    for (const QString& row : rows)
        list.Append(row);
    list.publishPending();
}
} // namespace

class TestFileListModel : public QObject {
    Q_OBJECT

private slots:
    void operationsCountFromOne()
    {
        FileListModel list;
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(list.Count(), 0);
        QVERIFY(!list.ListContainsFile(QString()));

        fill(list, {"/a/one.csv", "/a/two.csv", "/a/one.csv", "/b/three.csv"});
        QCOMPARE(list.Count(), 4);
        QCOMPARE(list.Text(1), QString("/a/one.csv"));
        QCOMPARE(list.Text(4), QString("/b/three.csv"));
        QCOMPARE(list.rowCount(), 4);

        list.Remove(2);
        QCOMPARE(texts(list), QStringList({"/a/one.csv", "/a/one.csv", "/b/three.csv"}));
        list.Clear();
        QCOMPARE(list.Count(), 0);
        list.Clear();
        QCOMPARE(list.rowCount(), 0);
    }

    void indexOutsideTheListThrows()
    {
        FileListModel list;
        fill(list, {"x"});
        QVERIFY_THROWS_EXCEPTION(Failure, list.Text(0));
        QVERIFY_THROWS_EXCEPTION(Failure, list.Text(2));
        QVERIFY_THROWS_EXCEPTION(Failure, list.Remove(2));
        QVERIFY_THROWS_EXCEPTION(Failure, list.RemoveRows({1, 2}));
        QCOMPARE(list.Count(), 1);
    }

    void listContainsFileComparesWholeTextsExactly()
    {
        FileListModel list;
        fill(list, {"/data/Report.csv", " /data/x.csv", "/data//y.csv"});
        QVERIFY(list.ListContainsFile("/data/Report.csv"));
        QVERIFY(!list.ListContainsFile("/data/report.csv"));
        QVERIFY(!list.ListContainsFile("/data/Report.csv "));
        QVERIFY(!list.ListContainsFile("/data/x.csv"));
        QVERIFY(list.ListContainsFile(" /data/x.csv"));
        QVERIFY(!list.ListContainsFile("/data/y.csv"));
    }

    void appendsReachViewsAtMostOncePerInterval()
    {
        FileListModel list;
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        int announcements = 0;
        connect(&list, &QAbstractItemModel::rowsInserted, this, [&] { ++announcements; });
        list.Append("first");
        QCOMPARE(list.rowCount(), 1); // a single add shows at once
        for (int i = 0; i < 500; ++i)
            list.Append(QString::number(i));
        QCOMPARE(list.Count(), 501);
        QCOMPARE(announcements, 1);
        QTRY_COMPARE(list.rowCount(), 501);
        QCOMPARE(announcements, 2);
        QCOMPARE(list.Text(501), QString("499"));
    }

    void changesAnnouncePendingRowsFirst()
    {
        FileListModel list;
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.Append("a");
        list.Append("b");
        list.Append("c");
        QCOMPARE(list.rowCount(), 1);
        list.Remove(3);
        QCOMPARE(list.rowCount(), 2);
        list.Append("d");
        list.Exchange(1, 3);
        QCOMPARE(texts(list), QStringList({"d", "b", "a"}));
        QCOMPARE(list.data(list.index(0), Qt::DisplayRole).toString(), QString("d"));
        list.Append("e");
        list.RemoveRows({2});
        QCOMPARE(texts(list), QStringList({"d", "a", "e"}));
        QCOMPARE(list.rowCount(), 3);
    }

    void removeRowsKeepsOrderAndFollowsPersistentIndexes()
    {
        FileListModel list;
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        fill(list, {"1", "2", "3", "4", "5"});
        const QPersistentModelIndex third(list.index(2));
        const QPersistentModelIndex fourth(list.index(3));
        list.RemoveRows({4, 2, 4});
        QCOMPARE(texts(list), QStringList({"1", "3", "5"}));
        QCOMPARE(third.row(), 1);
        QVERIFY(!fourth.isValid());
        list.RemoveRows({});
        QCOMPARE(list.Count(), 3);
    }

    void removeRowsUpdatesAViewAndItsSelection()
    {
        FileListModel list;
        QTreeView view;
        view.setModel(&list);
        view.resize(300, 200);
        view.show();
        QStringList rows;
        for (int i = 1; i <= 50000; ++i)
            rows.append(QString("/folder/%1.csv").arg(i));
        fill(list, rows);
        QCoreApplication::processEvents();
        view.selectionModel()->setCurrentIndex(list.index(4999), QItemSelectionModel::ClearAndSelect);

        std::vector<int> even;
        for (int i = 2; i <= 50000; i += 2)
            even.push_back(i);
        list.RemoveRows(even);
        QCoreApplication::processEvents();
        QCOMPARE(list.Count(), 25000);
        QCOMPARE(view.model()->rowCount(), 25000);
        QCOMPARE(list.Text(25000), QString("/folder/49999.csv"));
        // Row 5000 ("/folder/5000.csv") is gone, so nothing is selected.
        QVERIFY(view.selectionModel()->selectedRows().isEmpty());

        view.selectionModel()->setCurrentIndex(list.index(10), QItemSelectionModel::ClearAndSelect);
        list.RemoveRows({1, 2});
        QCOMPARE(view.selectionModel()->selectedRows().value(0).row(), 8);
        QCOMPARE(view.selectionModel()->selectedRows().value(0).data().toString(), QString("/folder/21.csv"));
        list.Clear();
        QCoreApplication::processEvents();
        QCOMPARE(view.model()->rowCount(), 0);
    }

    // Row 1 clicked and pressed, then moved over rows 2, 3 and 4.
    void draggingRowOneOverTheNextThreeCarriesItDown()
    {
        FileListModel list;
        fill(list, {"a", "b", "c", "d", "e"});
        RowReorder reorder(list);
        reorder.rowClicked(1);
        reorder.buttonDown();
        RowReorder::Step last;
        for (int row : {2, 3, 4})
            last = reorder.pointerMoved(row, 330);
        QCOMPARE(texts(list), QStringList({"b", "c", "d", "a", "e"}));
        QCOMPARE(last.select, 4);
        QCOMPARE(last.scrollTo, 0);
        QCOMPARE(reorder.movingRow(), 4);
        reorder.buttonUp();
        QCOMPARE(reorder.pointerMoved(1, 330).select, 0);
        QCOMPARE(texts(list), QStringList({"b", "c", "d", "a", "e"}));
    }

    void aJumpExchangesOnlyTheTwoEndRows()
    {
        FileListModel list;
        fill(list, {"a", "b", "c", "d"});
        RowReorder reorder(list);
        reorder.rowClicked(1);
        reorder.buttonDown();
        reorder.pointerMoved(4, 330);
        QCOMPARE(texts(list), QStringList({"d", "b", "c", "a"}));
    }

    void equalTextsNoRowAndNoPressNeverExchange()
    {
        FileListModel list;
        fill(list, {"same", "same", "other"});
        RowReorder reorder(list);
        QCOMPARE(reorder.pointerMoved(2, 330).select, 0); // nothing pressed, nothing clicked
        reorder.buttonDown();
        QCOMPARE(reorder.pointerMoved(2, 330).select, 0); // no moving row yet
        reorder.rowClicked(1);
        QCOMPARE(reorder.pointerMoved(2, 330).select, 0);
        QCOMPARE(reorder.pointerMoved(1, 330).select, 0);
        QCOMPARE(reorder.pointerMoved(0, 330).select, 0);
        QCOMPARE(texts(list), QStringList({"same", "same", "other"}));
        QCOMPARE(reorder.movingRow(), 1);
    }

    // Pressing on empty space moves the row last clicked.
    void pressOnEmptySpaceMovesTheRowLastClicked()
    {
        FileListModel list;
        fill(list, {"a", "b", "c"});
        RowReorder reorder(list);
        reorder.rowClicked(3);
        reorder.buttonDown();
        reorder.buttonUp();
        reorder.buttonDown();
        QCOMPARE(reorder.pointerMoved(2, 330).select, 2);
        QCOMPARE(texts(list), QStringList({"a", "c", "b"}));
    }

    void removedMovingRowIsNone()
    {
        FileListModel list;
        fill(list, {"a", "b", "c"});
        RowReorder reorder(list);
        reorder.rowClicked(2);
        reorder.buttonDown();
        list.Remove(2);
        QCOMPARE(reorder.movingRow(), 0);
        QCOMPARE(reorder.pointerMoved(1, 330).select, 0);
        QCOMPARE(texts(list), QStringList({"a", "c"}));

        reorder.rowClicked(2);
        list.Remove(1); // the moving row follows its text up
        QCOMPARE(reorder.movingRow(), 1);
        list.Clear();
        QCOMPARE(reorder.movingRow(), 0);
    }

    void scrollingFollowsTheScreenThresholds()
    {
        FileListModel list;
        fill(list, {"1", "2", "3", "4", "5"});
        RowReorder reorder(list);
        reorder.rowClicked(3);
        reorder.buttonDown();
        // High on the screen: the row above comes into view, never above row 1.
        QCOMPARE(reorder.pointerMoved(2, 304).scrollTo, 1);
        QCOMPARE(reorder.pointerMoved(1, 100).scrollTo, 0);
        // The band 305..364 scrolls nowhere.
        QCOMPARE(reorder.pointerMoved(2, 305).scrollTo, 0);
        QCOMPARE(reorder.pointerMoved(3, 364).scrollTo, 0);
        // Low on the screen: the row below, while there is one.
        QCOMPARE(reorder.pointerMoved(4, 365).scrollTo, 5);
        QCOMPARE(reorder.pointerMoved(5, 900).scrollTo, 0);
        QCOMPARE(reorder.movingRow(), 5);
    }
};

QTEST_MAIN(TestFileListModel)
#include "test_filelistmodel.moc"
