// "Start Replacing" on the real main window, with the real engine on
// temporary files.
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "window/tabcontrol.h"

#include "support/enginetestfiles.h"
#include "support/window/form1fixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
const QString done = QStringLiteral("Done.");
const QString noFiles = QStringLiteral("No files added.");
const QString noFolder = QStringLiteral("Folder does not exist. Please select another folder.");
const QString lineCounts = QStringLiteral("The number of lines of Find What and Replace With must be the same.");
const QString forgotFind = QStringLiteral("You forgot to input find what.");
} // namespace

class TestBatchRunWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<Form1Fixture> f;
    std::unique_ptr<QTemporaryDir> dir;
    Form1* form = nullptr;

    QString path(const QString& name) const { return QDir::toNativeSeparators(dir->filePath(name)); }
    QString outFolder() const { return path("out") + QDir::separator(); }
    QString result(const QString& name) const { return outFolder() + name; }

    // A source file in the list.
    QString addFile(const QString& name, const QByteArray& bytes)
    {
        const QString file = path(name);
        QDir().mkpath(QFileInfo(file).path());
        writeBytes(file, bytes);
        form->ListView1->fileList()->Append(file);
        return file;
    }
    void addRow(const QString& row) { form->ListView1->fileList()->Append(row); }

    void singlePairs(const QString& findWhat, const QString& replaceWith)
    {
        form->TabControl1->setCurrentIndex(0);
        form->Text1->setPlainText(findWhat);
        form->Text2->setPlainText(replaceWith);
    }
    void addSet(const QString& answer)
    {
        f->prompts.answerInput(answer);
        form->PushButton7->click();
    }
    void start() { QTest::mouseClick(form->PushButton12, Qt::LeftButton); }
    // Runs at every yield of a run, before the window's own events.
    void atEveryYield(std::function<void()> action)
    {
        std::function<void()> windowYield = form->services().yield;
        form->services().yield = [windowYield, action] {
            action();
            windowYield();
        };
    }
    bool exists(const QString& file) const { return QFileInfo::exists(file); }

private slots:
    void init()
    {
        f = std::make_unique<Form1Fixture>();
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(dir->path()).mkdir("out"));
        form = &f->open();
        form->Text3->setText(outFolder());
    }
    void cleanup()
    {
        QVERIFY2(f->prompts.done(), qPrintable(f->prompts.problems()));
        f.reset();
        dir.reset();
    }

    void emptyListSaysNoFilesAddedWhateverElse()
    {
        form->Text3->clear();
        singlePairs("", "x\r\ny");
        f->prompts.answerMessage();
        start();
        QCOMPARE(f->prompts.messageTexts(), QStringList({noFiles}));
        QCOMPARE(f->prompts.shown().last().style, int(StyleOkOnly));
        QCOMPARE(f->prompts.shown().last().title, QString("Tallowmere"));
    }

    void option1NeedsExistingOutputFolder_data()
    {
        QTest::addColumn<QString>("outputFolder");
        QTest::newRow("empty box") << "";
        QTest::newRow("missing folder") << "/no/such/folder/";
        QTest::newRow("a file") << "file";
    }
    void option1NeedsExistingOutputFolder()
    {
        QFETCH(QString, outputFolder);
        const QString source = addFile("a.txt", "a");
        form->Text3->setText(outputFolder == "file" ? source : outputFolder);
        singlePairs("a", "b");
        f->prompts.answerMessage();
        start();
        QCOMPARE(f->prompts.messageTexts(), QStringList({noFolder}));
        QCOMPARE(readBytes(source), QByteArray("a"));
        QCOMPARE(QDir(outFolder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QCOMPARE(form->pointer().value(), int(WindowPointer::Default));
    }

    // Each file used to raise its own box after the run had started.
    void option1UnwritableOutputFolderSaysWhyOnceAndStartsNothing()
    {
#ifdef Q_OS_UNIX
        const QString a = addFile("a.txt", "a");
        const QString b = addFile("b.txt", "a");
        const QString c = addFile("c.txt", "a");
        singlePairs("a", "b");
        QVERIFY(chmod(QFile::encodeName(dir->path()).constData(), 0755) == 0);
        QVERIFY(chmod(QFile::encodeName(outFolder()).constData(), 0555) == 0);
        f->prompts.answerMessage();
        // Root writes anywhere: the run is started as another user then.
        const bool asOther = geteuid() == 0;
        QVERIFY(!asOther || seteuid(65534) == 0);
        start();
        QVERIFY(!asOther || seteuid(0) == 0);
        chmod(QFile::encodeName(outFolder()).constData(), 0755);
        QCOMPARE(f->prompts.messageTexts(),
            QStringList{"Folder " + outFolder()
                + " cannot be written to (Permission denied). Please select "
                  "another folder."});
        for (const QString& source : {a, b, c})
            QCOMPARE(readBytes(source), QByteArray("a"));
        QCOMPARE(QDir(outFolder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QCOMPARE(form->pointer().value(), int(WindowPointer::Default));
#endif
    }

    void option2IgnoresOutputFolderAndReplacesInPlace()
    {
        const QString a = addFile("one/a.csv", "x,y\r\nx");
        const QString b = addFile("two/b.csv", "yx");
        form->Text3->setText("/no/such/folder/");
        QTest::mouseClick(form->Option2, Qt::LeftButton);
        singlePairs("x", "z");
        f->prompts.answerMessage();
        start();
        QCOMPARE(f->prompts.messageTexts(), QStringList({done}));
        QCOMPARE(readBytes(a), QByteArray("z,y\r\nz"));
        QCOMPARE(readBytes(b), QByteArray("yz"));
        QCOMPARE(QDir(path("one")).entryList(QDir::Files | QDir::Hidden), QStringList({"a.csv"}));
    }

    void singleTabInputChecksTouchNoFile_data()
    {
        QTest::addColumn<QString>("findWhat");
        QTest::addColumn<QString>("replaceWith");
        QTest::addColumn<QString>("message");
        QTest::newRow("both empty") << ""
                                    << "" << forgotFind;
        QTest::newRow("find empty, one replace line") << ""
                                                      << "b" << lineCounts;
        QTest::newRow("two find lines, one replace line") << "a\r\nc"
                                                          << "b" << lineCounts;
        QTest::newRow("trailing line end on one side") << "a\r\n"
                                                       << "b" << lineCounts;
    }
    void singleTabInputChecksTouchNoFile()
    {
        QFETCH(QString, findWhat);
        QFETCH(QString, replaceWith);
        QFETCH(QString, message);
        addFile("a.txt", "abc");
        addFile("b.txt", "abc");
        singlePairs(findWhat, replaceWith);
        f->prompts.answerMessage().duringLast(
            [this] { QCOMPARE(form->pointer().value(), int(WindowPointer::Default)); });
        start();
        QCOMPARE(f->prompts.messageTexts(), QStringList({message}));
        QCOMPARE(f->prompts.shown().last().style, int(StyleOkOnly));
        QVERIFY(!exists(result("a.txt")));
        QVERIFY(!exists(result("b.txt")));
        // The boxes keep what was typed.
        QCOMPARE(form->Text1->toPlainText(), QString(findWhat).replace("\r\n", "\n"));
    }

    void trailingLineEndOnBothSidesIsAccepted()
    {
        addFile("a.txt", "cat and dog");
        form->TabControl1->setCurrentIndex(0);
        QTest::keyClicks(form->Text1, "cat");
        QTest::keyClick(form->Text1, Qt::Key_Return);
        QTest::keyClicks(form->Text2, "tiger");
        QTest::keyClick(form->Text2, Qt::Key_Return);
        f->prompts.answerMessage();
        start();
        QCOMPARE(f->prompts.messageTexts(), QStringList({done}));
        QCOMPARE(readBytes(result("a.txt")), QByteArray("tiger and dog"));
    }

    void emptyReplaceWithDeletesEveryFindLine()
    {
        addFile("a.txt", "a-b-c");
        singlePairs("-\r\nc", "");
        f->prompts.answerMessage();
        start();
        QCOMPARE(readBytes(result("a.txt")), QByteArray("ab"));
    }

    void emptyFileSkippedInSingleTabWrittenEmptyInSetsTab()
    {
        addFile("empty.txt", "");
        singlePairs("a", "b");
        f->prompts.answerMessage();
        start();
        QVERIFY(!exists(result("empty.txt")));

        form->TabControl1->setCurrentIndex(1);
        f->prompts.answerMessage();
        start();
        QVERIFY(exists(result("empty.txt")));
        QCOMPARE(readBytes(result("empty.txt")), QByteArray());
        QCOMPARE(f->prompts.messageTexts(), QStringList({done, done}));
    }

    void folderMissingAndPipeRowsSkippedSilentlyInSingleTab()
    {
        addRow(path("out"));
        addRow(path("missing.txt"));
#ifdef Q_OS_UNIX
        // Its size is never asked in a way that waits for a writer.
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
        addRow(path("pipe"));
#endif
        addFile("a.txt", "a");
        singlePairs("a", "b");
        f->prompts.answerMessage();
        start();
        QCOMPARE(f->prompts.messageTexts(), QStringList({done}));
        QCOMPARE(readBytes(result("a.txt")), QByteArray("b"));
    }

    void folderAndMissingRowsReportedInSetsTab()
    {
        addRow(path("out"));
        addRow(path("missing.txt"));
        addFile("a.txt", "a");
        addSet("a::b");
        form->TabControl1->setCurrentIndex(1);
        f->prompts.answerMessage().answerMessage().answerMessage();
        start();
        const QStringList texts = f->prompts.messageTexts();
        QCOMPARE(texts.size(), 3);
        QVERIFY(texts[0].startsWith(path("out")
            + ": Not a regular file\r\nin Quorvane2021/08/31.ReplaceText.ReplaceTextInFileCombo at line 100"));
        QVERIFY(texts[1].contains("ReplaceText.ReplaceTextInFileCombo at line 100"));
        QCOMPARE(f->prompts.shown()[1].title, QString("Application Error"));
        QCOMPARE(texts[2], done);
        QCOMPARE(readBytes(result("a.txt")), QByteArray("b"));
        QVERIFY(!exists(result("missing.txt")));
    }

    void threeFilesUnreadableMiddleOneReportedOthersDone()
    {
        addFile("1.txt", "a1");
        const QString middle = path("2.txt");
#ifdef Q_OS_UNIX
        // Unreadable even for root: a pipe, which must not block the run either.
        QCOMPARE(::mkfifo(QFile::encodeName(middle).constData(), 0600), 0);
#else
        QVERIFY(QDir().mkdir(middle));
#endif
        addRow(middle);
        addFile("3.txt", "a3");
        addSet("a::b");
        form->TabControl1->setCurrentIndex(1);
        f->prompts.answerMessage().answerMessage();
        start();
        const QStringList texts = f->prompts.messageTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY(texts[0].contains("ReplaceText.ReplaceTextInFileCombo at line 100\r\r"));
        QCOMPARE(texts[1], done);
        QCOMPARE(readBytes(result("1.txt")), QByteArray("b1"));
        QCOMPARE(readBytes(result("3.txt")), QByteArray("b3"));
        QVERIFY(!exists(result("2.txt")));
    }

    void setsTabWithEmptyListCopiesEveryFile()
    {
        addFile("a.txt", "a\r\nb");
        form->TabControl1->setCurrentIndex(1);
        f->prompts.answerMessage();
        start();
        QCOMPARE(readBytes(result("a.txt")), QByteArray("a\r\nb"));
    }

    void option1TwoSourcesOfSameNameSecondIsReportedNotWritten()
    {
        addFile("one/data.csv", "first");
        addFile("two/data.csv", "second");
        singlePairs("s", "S");
        f->prompts.answerMessage().answerMessage();
        start();
        const QStringList texts = f->prompts.messageTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(
            texts[0].startsWith(result("data.csv") + ": the result of " + path("two/data.csv") + " was not written"),
            qPrintable(texts[0]));
        QCOMPARE(texts[1], done);
        QCOMPARE(readBytes(result("data.csv")), QByteArray("firSt"));
        QCOMPARE(readBytes(path("one/data.csv")), QByteArray("first"));
        QCOMPARE(readBytes(path("two/data.csv")), QByteArray("second"));
    }

    void hourglassFromFirstFileToTheEnd()
    {
        addFile("a.txt", "a");
        addFile("b.txt", "a");
        singlePairs("a", "b");
        QList<int> atYields;
        atEveryYield([&] { atYields.append(form->pointer().value()); });
        f->prompts.answerMessage().duringLast(
            [this] { QCOMPARE(form->pointer().value(), int(WindowPointer::Default)); });
        start();
        // Before the first file, then one engine yield per pair, for each file.
        QCOMPARE(atYields, QList<int>({0, 11, 11, 11}));
        QCOMPARE(form->pointer().value(), int(WindowPointer::Default));
    }

    void tabReadAfreshForEveryRow()
    {
        addFile("a.txt", "a");
        addFile("b.txt", "a");
        singlePairs("a", "single");
        addSet("a::sets");
        form->TabControl1->setCurrentIndex(0);
        atEveryYield([&] {
            if (exists(result("a.txt")))
                form->TabControl1->setCurrentIndex(1);
        });
        f->prompts.answerMessage();
        start();
        QCOMPARE(readBytes(result("a.txt")), QByteArray("single"));
        QCOMPARE(readBytes(result("b.txt")), QByteArray("sets"));
    }

    void pairEditedDuringRunAppliesFromNextFile()
    {
        addFile("a.txt", "a");
        addFile("b.txt", "a");
        addFile("c.txt", "a");
        singlePairs("a", "old");
        atEveryYield([&] {
            if (exists(result("a.txt")))
                form->Text2->setPlainText("new");
        });
        f->prompts.answerMessage();
        start();
        QCOMPARE(readBytes(result("a.txt")), QByteArray("old"));
        QCOMPARE(readBytes(result("b.txt")), QByteArray("new"));
        QCOMPARE(readBytes(result("c.txt")), QByteArray("new"));
    }

    void boxesEditedAndSecondClickDuringFilesOwnYieldsApplyFromNextFile()
    {
        addFile("a.txt", "x y");
        addFile("b.txt", "x y");
        singlePairs("x\r\ny", "1\r\n2");
        // Yields: before a, then one per pair of a; the edit comes at a's first pair.
        int yields = 0;
        atEveryYield([&] {
            if (++yields != 2)
                return;
            start();
            form->Text1->setPlainText("y");
            form->Text2->setPlainText("Y");
        });
        f->prompts.answerMessage();
        start();
        QCOMPARE(yields, 5);
        QCOMPARE(f->prompts.messageTexts(), QStringList({done}));
        QCOMPARE(readBytes(result("a.txt")), QByteArray("1 2"));
        QCOMPARE(readBytes(result("b.txt")), QByteArray("x Y"));
    }

    void editBreakingLineCountStopsAtNextFile()
    {
        addFile("a.txt", "a");
        addFile("b.txt", "a");
        singlePairs("a", "b");
        atEveryYield([&] {
            if (exists(result("a.txt")))
                form->Text2->setPlainText("b\nc");
        });
        f->prompts.answerMessage();
        start();
        QCOMPARE(f->prompts.messageTexts(), QStringList({lineCounts}));
        QCOMPARE(readBytes(result("a.txt")), QByteArray("b"));
        QVERIFY(!exists(result("b.txt")));
    }

    void secondClickDuringRunDoesNothingNextClickRunsAgain()
    {
        addFile("a.txt", "a");
        addFile("b.txt", "a");
        form->TabControl1->setCurrentIndex(1);
        addSet("a::b");
        int clicks = 0;
        atEveryYield([&] {
            ++clicks;
            start();
        });
        f->prompts.answerMessage();
        start();
        QCOMPARE(clicks, 2);
        QCOMPARE(f->prompts.messageTexts(), QStringList({done}));
        QCOMPARE(readBytes(result("b.txt")), QByteArray("b"));

        form->services().yield = [] {};
        addSet("b::c");
        f->prompts.answerMessage();
        start();
        QCOMPARE(f->prompts.messageTexts(), QStringList({done, done}));
        QCOMPARE(readBytes(result("a.txt")), QByteArray("c"));
    }

    void rowsRemovedDuringRunReportedOnceThenDone()
    {
        addFile("a.txt", "a");
        addFile("b.txt", "a");
        addFile("c.txt", "a");
        form->TabControl1->setCurrentIndex(1);
        atEveryYield([&] {
            FileListModel* list = form->ListView1->fileList();
            if (list->Count() == 3) {
                list->Remove(3);
                list->Remove(2);
            }
        });
        f->prompts.answerMessage().answerMessage();
        start();
        const QStringList texts = f->prompts.messageTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY(texts[0].startsWith(
            "Index out of bounds\r\nin Quorvane2021/08/31.Form1.PushButton12_Click at line 116\r\r"));
        QCOMPARE(texts[1], done);
        QVERIFY(exists(result("a.txt")));
    }

    void closingDuringRunStopsAndDiscardsFileBeingWritten()
    {
        const QString a = addFile("a.txt", "x y");
        const QString b = addFile("b.txt", "x y");
        const QString c = addFile("c.txt", "x y");
        QTest::mouseClick(form->Option2, Qt::LeftButton);
        singlePairs("x\r\ny", "1\r\n2");
        // Yields: before a, a's two pairs, before b, b's first pair: close there.
        int yields = 0;
        atEveryYield([&] {
            if (++yields == 5)
                form->close();
        });
        start();
        QVERIFY(form->isClosing());
        QCOMPARE(yields, 5);
        QCOMPARE(readBytes(a), QByteArray("1 2"));
        QCOMPARE(readBytes(b), QByteArray("x y"));
        QCOMPARE(readBytes(c), QByteArray("x y"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
        // No "Done." and no other box for a window that is gone.
        QCOMPARE(f->prompts.shown().size(), 0);
    }

    void closingBetweenFilesProcessesNoFurtherFile()
    {
        addFile("a.txt", "a");
        addFile("b.txt", "a");
        form->TabControl1->setCurrentIndex(1);
        addSet("a::b");
        atEveryYield([&] {
            if (exists(result("a.txt")))
                form->close();
        });
        start();
        QVERIFY(exists(result("a.txt")));
        QVERIFY(!exists(result("b.txt")));
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 0);
    }
};

QTEST_MAIN(TestBatchRunWindow)
#include "test_batchrunwindow.moc"
