#include "base/settings.h"
#include "base/windowpointer.h"
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"

#include "support/scantree.h"
#include "support/testfiles.h"
#include "support/window/form1testcase.h"

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

namespace {
QStringList rows(Form1& form)
{
    FileListModel* list = form.ListView1->fileList();
    QStringList all;
    for (int i = 1; i <= list->Count(); ++i)
        all.append(list->Text(i));
    return all;
}

void fill(Form1& form, const QStringList& paths)
{
    for (const QString& path : paths)
        form.ListView1->fileList()->Append(path);
    form.ListView1->fileList()->publishPending();
}

QMimeData* fileDrag(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

struct DragAnswers {
    bool enter = false;
    bool move = false;
    bool drop = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

// A drag from the file manager entering the list, moving over it and dropping.
DragAnswers dragOnto(FileListView* view, QMimeData* data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
{
    QWidget* target = view->viewport();
    const QPoint at(20, 20);
    DragAnswers answers;
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    answers.enter = enter.isAccepted();
    QDragMoveEvent move(at + QPoint(5, 5), actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    answers.move = move.isAccepted();
    QDropEvent drop(at + QPoint(5, 5), actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    answers.drop = drop.isAccepted();
    answers.action = drop.dropAction();
    delete data;
    // The dropped entries are added once the drop has been answered.
    QCoreApplication::processEvents();
    return answers;
}

QPoint rowCentre(FileListView* view, int row)
{
    return view->visualRect(view->model()->index(row - 1, 0)).center();
}

void mouse(FileListView* view, QEvent::Type type, const QPoint& at, Qt::MouseButtons held)
{
    QWidget* target = view->viewport();
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}
} // namespace

class TestFileListCommands : public Form1TestCase {
    Q_OBJECT

    Form1& shown()
    {
        Form1& form = f->open();
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qWarning("window not exposed");
        return form;
    }

private slots:
    void listPresentation()
    {
        Form1& form = f->open();
        FileListView* view = form.ListView1;
        QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QString("File(s)"));
        QVERIFY(!view->header()->sectionsClickable());
        QCOMPARE(view->header()->sectionResizeMode(0), QHeaderView::Interactive);
        QCOMPARE(view->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QVERIFY(!view->dragEnabled());
        QVERIFY(view->viewport()->acceptDrops());
        QCOMPARE(view->font().family(), QString("Arial"));
        QCOMPARE(view->font().pointSize(), 9);
        QVERIFY(view->font().bold());
        QCOMPARE(view->toolTip(),
            QString("Drag and drop files here. Double-click item to remove it. Move | line to "
                    "right and out of window to reveal full names."));
        QCOMPARE(view->SelectedIndex(), 0);
    }

    // The hint shows over the empty space, not only the frame; over a row
    // the row's whole path shows instead, as the row may be cut short.
    void hintShowsOverRowsAndEmptySpace()
    {
        Form1& form = shown();
        fill(form, {"/a.csv"});
        FileListView* view = form.ListView1;
        const QList<QPair<QPoint, QString>> expected{
            {rowCentre(view, 1), "/a.csv"}, {QPoint(10, view->viewport()->height() - 5), view->toolTip()}};
        for (const auto& [at, text] : expected) {
            QToolTip::hideText();
            QHelpEvent hint(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(view->viewport(), &hint);
            QTRY_VERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), text);
        }
        QToolTip::hideText();
    }

    void addCsvFilesByDialog()
    {
        Form1& form = f->open();
        f->prompts.answerOpenFiles({"/data//one pick.csv"});
        form.PushButton13->click();
        QCOMPARE(rows(form), QStringList({"/data//one pick.csv"}));
        const ShownPrompt& dialog = f->prompts.shown().first();
        QCOMPARE(dialog.kind, ShownPrompt::OpenFiles);
        QCOMPARE(dialog.text, QString("Add File(s) - Hold Ctrl to select multiple files"));
        QCOMPARE(dialog.title, QString("CSV Files (*.csv)|*.csv|"));
        QCOMPARE(dialog.style, 1); // several files may be picked
        QCOMPARE(dialog.extra, QString());

        // Three picks in the root folder, in the dialog's order; a name that
        // does not exist still becomes a row; the same file again is a second row.
        f->prompts.answerOpenFiles({"//c.csv", "//a.csv", "//no such.csv"});
        form.PushButton13->click();
        f->prompts.answerOpenFiles({"/data//one pick.csv"});
        form.PushButton13->click();
        QCOMPARE(rows(form),
            QStringList({"/data//one pick.csv", "/c.csv", "/a.csv", "/no such.csv", "/data//one pick.csv"}));
        // Cancelling adds nothing and says nothing.
        f->prompts.answerOpenFiles({});
        form.PushButton13->click();
        QCOMPARE(form.ListView1->fileList()->Count(), 5);
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 0);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));
    }

    void listFilesKeepEveryNonBlankLineAsRead()
    {
        Form1& form = f->open();
        QTemporaryDir dir;
        const QString list1 = dir.filePath("list1.txt");
        const QString list2 = dir.filePath("list2.txt");
        writeBytes(list1, "first.csv\r\n\r\n   \r\n  second.csv \r\n\t\r\n");
        writeBytes(list2, "/third.csv");
        writeBytes(dir.filePath("empty.txt"), "");
        f->prompts.answerOpenFiles({list1, dir.filePath("empty.txt"), list2});
        form.PushButton9->click();
        QCOMPARE(rows(form), QStringList({"first.csv", "  second.csv ", "\t", "/third.csv"}));
        const ShownPrompt& dialog = f->prompts.shown().first();
        QCOMPARE(dialog.text, QString("Load List(s) - Hold Ctrl to select multiple list files"));
        QCOMPARE(dialog.title, QString("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
        QCOMPARE(dialog.style, 1);
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 0);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));

        f->prompts.answerOpenFiles({});
        form.PushButton9->click();
        QCOMPARE(form.ListView1->fileList()->Count(), 4);
    }

    void missingListFileSaysFileNotFoundAndTheNextStillLoads()
    {
        Form1& form = f->open();
        QTemporaryDir dir;
        writeBytes(dir.filePath("good.txt"), "a.csv\r\nb.csv\r\n");
        int pointerDuringMessage = -1;
        f->prompts.answerOpenFiles({dir.filePath("missing.txt"), dir.filePath("good.txt")});
        f->prompts.answerMessage().duringLast([&] { pointerDuringMessage = form.pointer().value(); });
        form.PushButton9->click();
        QCOMPARE(f->prompts.messageTexts(), QStringList({"File not found"}));
        QCOMPARE(f->prompts.shown().at(1).title, QString("Tallowmere"));
        QCOMPARE(f->prompts.shown().at(1).style, int(StyleOkOnly));
        QCOMPARE(pointerDuringMessage, int(WindowPointer::Hourglass));
        QCOMPARE(rows(form), QStringList({"a.csv", "b.csv"}));
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));
    }

    void unreadableListFileIsReportedAndTheNextStillLoads()
    {
        Form1& form = f->open();
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder.txt"));
        writeBytes(dir.filePath("good.txt"), "a.csv");
        f->prompts.answerOpenFiles({dir.filePath("folder.txt"), dir.filePath("good.txt")});
        f->prompts.answerMessage();
        form.PushButton9->click();
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 1);
        const ShownPrompt& report = f->prompts.shown().at(1);
        QCOMPARE(report.title, QString("Application Error"));
        QVERIFY2(report.text.contains("\r\nin Quorvane2021/08/31.Form1.PushButton9_Click at line 108\r\r"),
            qPrintable(report.text));
        QCOMPARE(rows(form), QStringList({"a.csv"}));
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));
    }

    void folderScanAsksRemembersAndAdds()
    {
        Form1& form = f->open();
        ScanTree tree;
        tree.file("a.csv");
        tree.file("b.txt");
        tree.file("noext");
        tree.file("x..csv");
        tree.file("sub/c.CSV");
        tree.file("sub/~tmp.csv");
        tree.file("sub/.hidden.csv");

        f->prompts.answerInput("csv");
        f->prompts.answerBrowseFolder(tree.root());
        form.PushButton3->click();
        QCOMPARE(relative(rows(form), tree), QStringList({"/a.csv", "/x..csv", "/sub/c.CSV"}));
        const ShownPrompt& input = f->prompts.shown().at(0);
        QCOMPARE(input.kind, ShownPrompt::Input);
        QCOMPARE(input.text,
            QString("Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for "
                    "all doc files, etc.)"));
        QCOMPARE(input.title, QString("Tallowmere"));
        QCOMPARE(input.extra, QString("csv"));
        const ShownPrompt& browser = f->prompts.shown().at(1);
        QCOMPARE(browser.text, QString("Please select folder:"));
        QCOMPARE(browser.extra, QString());
        QCOMPARE(GetSetting("Extension", QString()), QString("csv"));
        QCOMPARE(GetSetting("LastFolder", QString()), tree.root());
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));

        // "*": every file; the answer and the folder are offered next time.
        f->prompts.clear();
        form.ListView1->fileList()->Clear();
        f->prompts.answerInput("*");
        f->prompts.answerBrowseFolder(tree.root());
        form.PushButton3->click();
        QCOMPARE(relative(rows(form), tree), QStringList({"/a.csv", "/b.txt", "/noext", "/x..csv", "/sub/c.CSV"}));
        QCOMPARE(f->prompts.shown().at(1).extra, tree.root());

        // ".csv" as typed: two dots in a row before csv. A second scan adds its rows again.
        f->prompts.clear();
        f->prompts.answerInput(".csv");
        f->prompts.answerBrowseFolder(tree.root());
        form.PushButton3->click();
        QCOMPARE(f->prompts.shown().at(0).extra, QString("*"));
        QCOMPARE(relative(rows(form), tree),
            QStringList({"/a.csv", "/b.txt", "/noext", "/x..csv", "/sub/c.CSV", "/x..csv"}));
        QCOMPARE(GetSetting("Extension", QString()), QString(".csv"));
    }

    void cancellingTheScanPrompts()
    {
        Form1& form = f->open();
        SaveSetting("Extension", "doc");
        SaveSetting("LastFolder", "/earlier");
        f->prompts.answerInput("");
        form.PushButton3->click();
        QCOMPARE(GetSetting("Extension", QString()), QString("doc"));
        QCOMPARE(f->prompts.count(ShownPrompt::BrowseFolder), 0);

        // The answer stays stored when the folder browser is cancelled.
        f->prompts.answerInput("txt");
        f->prompts.answerBrowseFolder("");
        form.PushButton3->click();
        QCOMPARE(GetSetting("Extension", QString()), QString("txt"));
        QCOMPARE(GetSetting("LastFolder", QString()), QString("/earlier"));
        QCOMPARE(form.ListView1->fileList()->Count(), 0);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));
    }

    // The scan lets events through: a Clear or double-click arriving then
    // finds the window busy and does nothing.
    void clearAndDoubleClickDuringAScanDoNothing()
    {
        Form1& form = shown();
        ScanTree tree;
        for (int i = 0; i < 5; ++i)
            tree.file(QString("f%1/x.csv").arg(i));
        fill(form, {"/kept/before.csv"});
        form.ListView1->selectionModel()->setCurrentIndex(
            form.ListView1->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
        int pointerDuringScan = -1;
        QTimer::singleShot(0, &form, [&] {
            pointerDuringScan = form.pointer().value();
            form.PushButton5->click();
            mouse(form.ListView1, QEvent::MouseButtonDblClick, rowCentre(form.ListView1, 1), Qt::LeftButton);
        });
        f->prompts.answerInput("csv");
        f->prompts.answerBrowseFolder(tree.root());
        form.PushButton3->click();
        QCOMPARE(pointerDuringScan, int(WindowPointer::Hourglass));
        QCOMPARE(form.ListView1->fileList()->Count(), 6);
        QCOMPARE(rows(form).first(), QString("/kept/before.csv"));
    }

    void closingTheWindowStopsAScan()
    {
        Form1& form = shown();
        ScanTree tree;
        for (int i = 0; i < 20; ++i)
            tree.file(QString("f%1/x.csv").arg(i));
        QTimer::singleShot(0, &form, [&] { form.close(); });
        f->prompts.answerInput("csv");
        f->prompts.answerBrowseFolder(tree.root());
        form.PushButton3->click();
        QVERIFY(form.isClosing());
        QCOMPARE(form.ListView1->fileList()->Count(), 0);
    }

    void droppedFilesAndFoldersInDropOrder()
    {
        Form1& form = f->open();
        ScanTree first;
        first.file("one.csv");
        first.file("picture.png");
        first.file("~skip.csv");
        first.file(".hidden");
        first.file("deeper/two");
        ScanTree second;
        second.file("three.csv");
        ScanTree loose;
        loose.file("~loose.png");

        const QStringList dropped{loose.path("~loose.png"), first.root(), second.root(), "/no/such/file"};
        const DragAnswers answers = dragOnto(form.ListView1, fileDrag(dropped));
        QVERIFY(answers.enter);
        QVERIFY(answers.move);
        QVERIFY(answers.drop);
        QCOMPARE(answers.action, Qt::CopyAction); // never a move: the source keeps its files
        QCOMPARE(rows(form),
            QStringList({loose.path("~loose.png"), first.path("one.csv"), first.path("picture.png"),
                first.path("deeper/two"), second.path("three.csv"), "/no/such/file"}));
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));
        QCOMPARE(f->prompts.shown().size(), 0);
    }

    // Files named on the command line go in as given, like a drop; a folder
    // adds the files with the extension the folder scan last used.
    void startFilesAreRowsAndFoldersTakeTheRememberedExtension()
    {
        Form1& form = f->open();
        ScanTree tree;
        tree.file("a.csv");
        tree.file("b.txt");
        tree.file("~c.txt");
        tree.file("sub/d.txt");
        ScanTree loose;
        loose.file("picked.png");

        // Before any scan was made, a folder gives its CSV files.
        form.AddStartFiles({tree.root()});
        QCOMPARE(rows(form), QStringList({tree.path("a.csv")}));

        form.ListView1->fileList()->Clear();
        SaveSetting("Extension", "txt");
        form.AddStartFiles({loose.path("picked.png"), tree.root(), "/no/such/file.csv"});
        QCOMPARE(rows(form),
            QStringList({loose.path("picked.png"), tree.path("b.txt"), tree.path("sub/d.txt"), "/no/such/file.csv"}));
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));
        QCOMPARE(GetSetting("Extension", QString()), QString("txt"));
        QCOMPARE(f->prompts.shown().size(), 0);
    }

    // Rows that arrive in the focused list mark the first one as where the
    // keys start, without selecting it: Delete still removes nothing.
    void rowsArrivingInTheListMarkTheFirstRow()
    {
        Form1& form = f->open();
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        FileListView* view = form.ListView1;
        QCOMPARE(QApplication::focusWidget(), view);
        QVERIFY(!view->currentIndex().isValid());

        form.AddStartFiles({"/data/one.csv", "/data/two.csv"});
        view->fileList()->publishPending();
        QCOMPARE(view->currentIndex().row(), 0);
        QCOMPARE(view->SelectedIndex(), 0);
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(view->fileList()->Count(), 2);
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(view->SelectedIndex(), 2);
    }

    void dragsOfOtherDataAreRefused()
    {
        Form1& form = f->open();
        auto* text = new QMimeData;
        text->setText("/some/path.csv");
        DragAnswers answers = dragOnto(form.ListView1, text);
        QVERIFY(!answers.enter);
        QVERIFY(!answers.move);
        QVERIFY(!answers.drop);

        auto* web = new QMimeData;
        web->setUrls({QUrl("https://example.org/a.csv")});
        answers = dragOnto(form.ListView1, web);
        QVERIFY(!answers.enter);
        QVERIFY(!answers.drop);

        // Files offered for moving only are refused rather than taken away.
        answers = dragOnto(form.ListView1, fileDrag({"/tmp/a.csv"}), Qt::MoveAction);
        QVERIFY(!answers.drop);
        QCOMPARE(form.ListView1->fileList()->Count(), 0);
    }

    // Row 1 clicked and pressed, moved over rows 2, 3 and 4, released.
    void draggingReordersRowsWithTheDragPointer()
    {
        QVERIFY(QFile::copy(QFINDTESTDATA("../../resources/drag.ico"), f->programFolder() + "drag.ico"));
        Form1& form = shown();
        FileListView* view = form.ListView1;
        fill(form, {"a", "b", "c", "d", "e"});
        QCursor::setPos(view->mapToGlobal(QPoint(10, 10)).x(), 330);

        form.pointer().set(WindowPointer::Custom);
        mouse(view, QEvent::MouseButtonPress, rowCentre(view, 1), Qt::LeftButton);
        QCOMPARE(view->viewport()->cursor().shape(), Qt::BitmapCursor);
        for (int row : {2, 3, 4})
            mouse(view, QEvent::MouseMove, rowCentre(view, row), Qt::LeftButton);
        QCOMPARE(rows(form), QStringList({"b", "c", "d", "a", "e"}));
        QCOMPARE(view->SelectedIndex(), 4);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default)); // moving over the list resets the window pointer
        mouse(view, QEvent::MouseButtonRelease, rowCentre(view, 4), Qt::NoButton);
        QCOMPARE(view->viewport()->cursor().shape(), Qt::ArrowCursor);

        // Released: moving changes nothing. Pressed on empty space: the row last clicked moves.
        mouse(view, QEvent::MouseMove, rowCentre(view, 5), Qt::NoButton);
        QCOMPARE(rows(form), QStringList({"b", "c", "d", "a", "e"}));
        mouse(view, QEvent::MouseButtonPress, QPoint(10, view->viewport()->height() - 2), Qt::LeftButton);
        mouse(view, QEvent::MouseMove, rowCentre(view, 5), Qt::LeftButton);
        mouse(view, QEvent::MouseButtonRelease, rowCentre(view, 5), Qt::NoButton);
        QCOMPARE(rows(form), QStringList({"b", "c", "d", "e", "a"}));

        // The hourglass stays while moving over the list.
        form.pointer().set(WindowPointer::Hourglass);
        mouse(view, QEvent::MouseMove, rowCentre(view, 2), Qt::NoButton);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Hourglass));
    }

    // Once a drag has ended the list shows the window's pointer again, so the
    // hourglass of a later long command shows over the list too.
    void hourglassShowsOverTheListAfterADrag()
    {
        QVERIFY(QFile::copy(QFINDTESTDATA("../../resources/drag.ico"), f->programFolder() + "drag.ico"));
        Form1& form = shown();
        FileListView* view = form.ListView1;
        fill(form, {"a", "b"});
        mouse(view, QEvent::MouseButtonPress, rowCentre(view, 1), Qt::LeftButton);
        mouse(view, QEvent::MouseButtonRelease, rowCentre(view, 1), Qt::NoButton);
        QCOMPARE(view->viewport()->cursor().shape(), Qt::ArrowCursor);
        form.pointer().set(WindowPointer::Hourglass);
        QCOMPARE(view->viewport()->cursor().shape(), Qt::WaitCursor);
        form.pointer().set(WindowPointer::Default);
    }

    void draggingWorksWithoutTheDragPointerFile()
    {
        Form1& form = shown();
        FileListView* view = form.ListView1;
        fill(form, {"a", "b", "a"});
        QCursor::setPos(view->mapToGlobal(QPoint(10, 10)).x(), 330);
        mouse(view, QEvent::MouseButtonPress, rowCentre(view, 1), Qt::LeftButton);
        QCOMPARE(view->viewport()->cursor().shape(), Qt::ArrowCursor);
        mouse(view, QEvent::MouseMove, rowCentre(view, 3), Qt::LeftButton); // equal texts: nothing
        QCOMPARE(view->SelectedIndex(), 1);
        mouse(view, QEvent::MouseMove, rowCentre(view, 2), Qt::LeftButton);
        mouse(view, QEvent::MouseButtonRelease, rowCentre(view, 2), Qt::NoButton);
        QCOMPARE(rows(form), QStringList({"b", "a", "a"}));
    }

    void draggingScrollsByTheScreenPosition()
    {
        Form1& form = shown();
        FileListView* view = form.ListView1;
        QStringList many;
        for (int i = 1; i <= 200; ++i)
            many.append(QString("row %1").arg(i));
        fill(form, many);
        QScrollBar* bar = view->verticalScrollBar();
        QCOMPARE(bar->value(), 0);

        // High on the screen over row 1: nothing above to show.
        QCursor::setPos(view->mapToGlobal(QPoint(10, 10)).x(), 200);
        mouse(view, QEvent::MouseButtonPress, rowCentre(view, 2), Qt::LeftButton);
        mouse(view, QEvent::MouseMove, rowCentre(view, 1), Qt::LeftButton);
        QCOMPARE(bar->value(), 0);

        // Low on the screen over the last row in view: the next row comes into view.
        const int lastVisible = view->indexAt(QPoint(10, view->viewport()->height() - 2)).row() + 1;
        QVERIFY(lastVisible > 2 && lastVisible < 200);
        QCursor::setPos(view->mapToGlobal(QPoint(10, 10)).x(), 400);
        mouse(view, QEvent::MouseMove, rowCentre(view, lastVisible), Qt::LeftButton);
        mouse(view, QEvent::MouseButtonRelease, rowCentre(view, lastVisible), Qt::NoButton);
        QVERIFY(bar->value() > 0);
        QVERIFY(view->viewport()->rect().intersects(view->visualRect(view->model()->index(lastVisible, 0))));
        QCOMPARE(rows(form).at(lastVisible - 1), QString("row 2"));
    }

    void filtersOnFiveRows()
    {
        Form1& form = f->open();
        const QStringList five{"/a/one.txt", "/CSV/two.txt", "/a/three.dat", "/a/four.Csv", "/a/five.doc"};
        fill(form, five);
        int pointerWhileFiltering = -1;
        QTimer::singleShot(0, &form, [&] { pointerWhileFiltering = form.pointer().value(); });
        f->prompts.answerInput("csv");
        form.PushButton17->click();
        QCOMPARE(rows(form), QStringList({"/a/one.txt", "/a/three.dat", "/a/five.doc"}));
        const ShownPrompt& input = f->prompts.shown().first();
        QCOMPARE(input.text, QString("Remove entries containing: "));
        QCOMPARE(input.title, QString("Tallowmere"));
        QCOMPARE(input.extra, QString());
        QCOMPARE(pointerWhileFiltering, 11);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Arrow));

        f->prompts.clear();
        f->prompts.answerInput("O");
        form.PushButton11->click();
        QCOMPARE(f->prompts.shown().first().text, QString("Remove entries not containing: "));
        QCOMPARE(rows(form), QStringList({"/a/one.txt", "/a/five.doc"}));

        // A text in every row empties the list; one in no row changes nothing.
        f->prompts.clear();
        f->prompts.answerInput("zzz");
        form.PushButton17->click();
        QCOMPARE(form.ListView1->fileList()->Count(), 2);
        f->prompts.answerInput("/A/");
        form.PushButton17->click();
        QCOMPARE(form.ListView1->fileList()->Count(), 0);

        fill(form, five);
        f->prompts.answerInput("no row has this");
        form.PushButton11->click();
        QCOMPARE(form.ListView1->fileList()->Count(), 0);
    }

    void cancelledFilterChangesNothing()
    {
        Form1& form = f->open();
        fill(form, {"a.csv", "b.csv"});
        form.pointer().set(WindowPointer::Custom);
        f->prompts.answerInput("");
        form.PushButton17->click();
        f->prompts.answerInput("");
        form.PushButton11->click();
        QCOMPARE(form.ListView1->fileList()->Count(), 2);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Custom));
    }

    void filtersOnALargeList()
    {
        Form1& form = shown();
        QStringList many;
        for (int i = 1; i <= 100000; ++i)
            many.append(QString("/data/%1/file%2.csv").arg(i % 2 ? "odd" : "even").arg(i));
        fill(form, many);
        f->prompts.answerInput("ODD");
        form.PushButton17->click();
        QCOMPARE(form.ListView1->fileList()->Count(), 50000);
        QCOMPARE(form.ListView1->fileList()->Text(1), QString("/data/even/file2.csv"));
        QCOMPARE(form.ListView1->fileList()->Text(50000), QString("/data/even/file100000.csv"));
        QCoreApplication::processEvents();
        QCOMPARE(form.ListView1->model()->rowCount(), 50000);
        f->prompts.answerInput("file1");
        form.PushButton11->click();
        QCOMPARE(form.ListView1->fileList()->Count(), 5556); // 10..18, 100..198, 1000..1998, 10000..19998, 100000
    }

    // A second filter run from the first one's yields removes rows under it:
    // the first must neither remove rows it did not match nor fail on an index.
    void filterInterruptedByAnotherFilterRemovesOnlyMatchingRows()
    {
        Form1& form = f->open();
        fill(form, {"x1", "keep1", "x2", "keep2", "x3", "keep3"});
        bool nested = false;
        QTimer::singleShot(0, &form, [&] {
            nested = true;
            f->prompts.answerInput("keep1");
            form.PushButton17->click();
        });
        f->prompts.answerInput("x");
        form.PushButton17->click();
        QVERIFY(nested);
        QCOMPARE(rows(form), QStringList({"keep2", "keep3"}));
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 0);
    }

    void clearList()
    {
        Form1& form = f->open();
        form.PushButton5->click(); // empty: nothing, no message
        fill(form, {"a", "b"});
        form.pointer().set(WindowPointer::Hourglass);
        form.PushButton5->click();
        QCOMPARE(form.ListView1->fileList()->Count(), 2);
        form.pointer().set(WindowPointer::Default);
        form.PushButton5->click();
        QCOMPARE(form.ListView1->fileList()->Count(), 0);
        QCOMPARE(form.ListView1->model()->rowCount(), 0);
    }

    void doubleClickRemovesTheSelectedRow()
    {
        Form1& form = shown();
        FileListView* view = form.ListView1;
        mouse(view, QEvent::MouseButtonDblClick, QPoint(10, 10), Qt::LeftButton); // empty list
        fill(form, {"a", "b", "c"});
        mouse(view, QEvent::MouseButtonPress, rowCentre(view, 2), Qt::LeftButton);
        mouse(view, QEvent::MouseButtonRelease, rowCentre(view, 2), Qt::NoButton);
        mouse(view, QEvent::MouseButtonDblClick, rowCentre(view, 2), Qt::LeftButton);
        mouse(view, QEvent::MouseButtonRelease, rowCentre(view, 2), Qt::NoButton);
        QCOMPARE(rows(form), QStringList({"a", "c"}));

        // On empty space: the row selected before goes.
        mouse(view, QEvent::MouseButtonPress, rowCentre(view, 1), Qt::LeftButton);
        mouse(view, QEvent::MouseButtonRelease, rowCentre(view, 1), Qt::NoButton);
        form.pointer().set(WindowPointer::Hourglass);
        mouse(view, QEvent::MouseButtonDblClick, rowCentre(view, 1), Qt::LeftButton);
        QCOMPARE(rows(form), QStringList({"a", "c"}));
        form.pointer().set(WindowPointer::Default);
        mouse(view, QEvent::MouseButtonDblClick, QPoint(10, view->viewport()->height() - 2), Qt::LeftButton);
        mouse(view, QEvent::MouseButtonRelease, QPoint(10, view->viewport()->height() - 2), Qt::NoButton);
        QCOMPARE(rows(form), QStringList({"c"}));
    }
};

QTEST_MAIN(TestFileListCommands)
#include "test_filelistcommands.moc"
