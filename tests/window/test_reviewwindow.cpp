// "Review Changes..." on the real main window, offscreen: Ctrl+R reviews the
// list, the window "Tallowmere - Review Changes" shows what would change and
// what would fail, the keyboard unchecks a file, and only the checked files
// are written; "Save as Patch..." asks for a file through the prompts.
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "window/batchruncontrols.h"
#include "window/reviewwindow.h"
#include "window/tabcontrol.h"

#include "support/enginetestfiles.h"
#include "support/window/form1fixture.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

class TestReviewWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<Form1Fixture> f;
    Form1* form = nullptr;

    QString path(const QString& name) const { return f->path(name); }
    QString addFile(const QString& name, const QByteArray& bytes) { return f->addFile(name, bytes); }
    // Ctrl+R in the list, then the action on the review window once it is
    // open (the review yields first, so the window is looked for until then).
    void review(std::function<void(ReviewWindow&)> action)
    {
        bool opened = false;
        std::function<void()> poll = [&] {
            auto* window = qobject_cast<ReviewWindow*>(QApplication::activeModalWidget());
            if (!window) {
                QTimer::singleShot(10, form, poll);
                return;
            }
            opened = true;
            QApplication::setActiveWindow(window);
            if (QTest::qWaitForWindowActive(window))
                action(*window);
            if (window->isVisible())
                window->reject();
        };
        QTimer::singleShot(0, form, poll);
        QApplication::setActiveWindow(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        form->ListView1->setFocus();
        QTest::keyClick(form->ListView1, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(opened);
    }

private slots:
    void init()
    {
        f = std::make_unique<Form1Fixture>();
        form = &f->open();
        form->show();
        QApplication::setActiveWindow(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::mouseClick(form->Option2, Qt::LeftButton);
        form->TabControl1->setCurrentIndex(0);
        form->Text1->setPlainText("Berlin");
        form->Text2->setPlainText("Hamburg");
    }
    void cleanup()
    {
        QVERIFY2(f->prompts.done(), qPrintable(f->prompts.problems()));
        f.reset();
    }

    void keyboardUnchecksAFileAndOnlyCheckedFilesAreWritten()
    {
        const QString a = addFile("a.csv", "1,Berlin\n2,Paris\n");
        const QString b = addFile("b.csv", "Berlin\n");
        const QString ro = addFile("ro.csv", "Berlin\n");
        const QString c = addFile("c.csv", "Paris\n");
        QFile::setPermissions(ro, QFile::ReadOwner);
        f->prompts.answerMessage();
        review([&](ReviewWindow& window) {
            QCOMPARE(window.windowTitle(), QString("Tallowmere - Review Changes"));
            QTableWidget* files = window.files();
            QCOMPARE(files->accessibleName(), QString("Files to review"));
            QCOMPARE(window.changes()->accessibleName(), QString("Changes in the selected file"));
            QCOMPARE(files->rowCount(), 4);
            QCOMPARE(window.findChild<QLabel*>("ReviewSummary")->text(),
                QString("2 files would change (2 replacements), 1 unchanged, 0 skipped, 1 would fail"));
            QCOMPARE(files->item(0, 1)->data(Qt::AccessibleTextRole).toString(), a);
            QCOMPARE(files->item(0, 3)->text(), QString("1"));
            QCOMPARE(window.replaceButton()->text(), QString("&Replace in 2 Checked Files"));
            QVERIFY(window.replaceButton()->isDefault());
            QCOMPARE(files->item(0, 0)->checkState(), Qt::Checked);
            QCOMPARE(files->item(2, 2)->text(), "would fail: " + ro + ": Permission denied");
            QVERIFY(!(files->item(2, 0)->flags() & Qt::ItemIsUserCheckable));
            QCOMPARE(files->item(3, 2)->text(), QString("unchanged"));
            QVERIFY(!(files->item(3, 0)->flags() & Qt::ItemIsUserCheckable));
            const QString shown = window.changes()->toPlainText();
            QVERIFY2(shown.contains("Line 1\nbefore: 1,Berlin\nafter: 1,Hamburg"), qPrintable(shown));
            QVERIFY(shown.contains("Berlin \u2192 Hamburg: 1 replacement"));
            QCOMPARE(QApplication::focusWidget(), files);
            QTest::keyClick(files, Qt::Key_Down);
            QVERIFY(window.changes()->toPlainText().startsWith("b.csv"));
            // Space toggles the row from any of its cells.
            QTest::keyClick(files, Qt::Key_Right);
            QTest::keyClick(files, Qt::Key_Space);
            QCOMPARE(files->item(1, 0)->checkState(), Qt::Unchecked);
            QTest::keyClick(files, Qt::Key_Left);
            QTest::keyClick(files, Qt::Key_Space);
            QCOMPARE(files->item(1, 0)->checkState(), Qt::Checked);
            QTest::keyClick(files, Qt::Key_Space);
            QCOMPARE(files->item(1, 0)->checkState(), Qt::Unchecked);
            QCOMPARE(window.checkedFiles().size(), 1);
            QCOMPARE(window.replaceButton()->text(), QString("&Replace in 1 Checked File"));
            // Tab through the changes to "Replace in Checked Files".
            QTest::keyClick(files, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), window.changes());
            QTest::keyClick(window.changes(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), window.replaceButton());
            QTest::keyClick(window.replaceButton(), Qt::Key_Space);
        });
        QCOMPARE(f->prompts.messageTexts(), QStringList({"Done."}));
        QCOMPARE(readBytes(a), QByteArray("1,Hamburg\n2,Paris\n"));
        QCOMPARE(readBytes(b), QByteArray("Berlin\n"));
        QCOMPARE(readBytes(ro), QByteArray("Berlin\n"));
        QCOMPARE(readBytes(c), QByteArray("Paris\n"));
        QVERIFY(!f->prompts.lastDetails().contains("b.csv"));
    }

    void closingWritesNothingAndThePatchIsAskedThroughThePrompts()
    {
        const QString a = addFile("a.csv", "Berlin\n");
        const QString patch = path("changes.patch");
        f->prompts.answerSaveFile(patch).answerMessage();
        review([&](ReviewWindow& window) {
            window.patchButton()->setFocus();
            QTest::keyClick(window.patchButton(), Qt::Key_Space);
            QTest::keyClick(window.patchButton(), Qt::Key_Escape);
            QVERIFY(!window.isVisible());
        });
        QCOMPARE(f->prompts.shown().size(), 2);
        QCOMPARE(f->prompts.shown().first().kind, ShownPrompt::SaveFile);
        QCOMPARE(f->prompts.shown().last().text.left(22), QString("The patch is saved as "));
        QCOMPARE(readBytes(patch),
            QByteArray("diff --git a/a.csv b/a.csv\n--- a/a.csv\n+++ b/a.csv\n"
                       "@@ -1,1 +1,1 @@\n-Berlin\n+Hamburg\n"));
        QCOMPARE(readBytes(a), QByteArray("Berlin\n"));
    }

    // Sorted by a column, the run still goes in list order; the size is kept.
    void sortingKeepsTheListOrderOfTheRunAndTheSizeIsRemembered()
    {
        const QString a = addFile("a.csv", "Berlin Berlin\n");
        const QString b = addFile("b.csv", "Berlin\n");
        const QString twice = addFile("a.csv", "Berlin Berlin\n");
        Q_UNUSED(twice);
        f->prompts.answerMessage();
        review([&](ReviewWindow& window) {
            QTableWidget* files = window.files();
            QCOMPARE(files->item(2, 2)->text(), QString("would fail: listed before (row 1)"));
            files->sortByColumn(3, Qt::AscendingOrder);
            QCOMPARE(files->item(0, 3)->text(), QString("0"));
            QCOMPARE(files->item(1, 1)->text(), b);
            QCOMPARE(files->item(2, 1)->text(), a);
            QCOMPARE(window.checkedFiles().first().path, a);
            window.resize(700, 500);
            window.accept();
        });
        QCOMPARE(f->prompts.messageTexts(), QStringList({"Done."}));
        QVERIFY(f->prompts.lastDetails().indexOf("a.csv") < f->prompts.lastDetails().indexOf("b.csv"));
        QCOMPARE(readBytes(a), QByteArray("Hamburg Hamburg\n"));
        review([&](ReviewWindow& window) { QCOMPARE(window.size(), QSize(700, 500)); });
    }

    // Escape during the review asks to stop; the window then shows what was
    // reviewed and the rows not reached.
    void escapeStopsTheReview()
    {
        addFile("a.csv", "Berlin\n");
        addFile("b.csv", "Berlin\n");
        int yields = 0;
        std::function<void()> windowYield = form->services().yield;
        form->services().yield = [&, windowYield] {
            if (++yields == 3)
                QTest::keyClick(form->ListView1, Qt::Key_Escape);
            windowYield();
        };
        f->prompts.answerMessage(Answer::Yes);
        review([&](ReviewWindow& window) {
            QTableWidget* files = window.files();
            QCOMPARE(files->item(1, 2)->text(), QString("not reviewed (stopped)"));
            QVERIFY(!(files->item(1, 0)->flags() & Qt::ItemIsUserCheckable));
            QVERIFY(window.findChild<QLabel*>("ReviewSummary")->text().endsWith("1 not reviewed (stopped)"));
        });
        QCOMPARE(f->prompts.messageTexts(), QStringList({"Stop replacing?"}));
    }

    void anEmptyListSaysSoAndOpensNoWindow()
    {
        f->prompts.answerMessage();
        form->batchRunControls().reviewAction()->trigger();
        QCOMPARE(f->prompts.messageTexts(), QStringList({"No files added."}));
    }

    void changesViewMarksTheReplacedPartsAndTheLinesLeftOut()
    {
        ReviewedRow row{"/x/a.csv", {FileOutcome::Changed, 3, {}}, true, {}};
        ChangedLine line;
        line.number = 1234;
        line.before = "a<b";
        line.after = "a>b";
        line.beforeParts = {{1, 1}};
        line.afterParts = {{1, 1}};
        row.review.lines = {line};
        row.review.pairReplacements = {3};
        row.review.moreLines = 2;
        const QString html = ReviewWindow::changesHtml(row, {"< \u2192 >"});
        QVERIFY2(html.contains("<b>Line 1,234</b>"), qPrintable(html));
        QVERIFY(html.contains("a<b style=\"background-color:#ffd7d7\">&lt;</b>b"));
        QVERIFY(html.contains("&lt; \u2192 &gt;: 3 replacements"));
        QVERIFY(html.contains("and 2 more changed lines"));
    }
};

QTEST_MAIN(TestReviewWindow)
#include "test_reviewwindow.moc"
