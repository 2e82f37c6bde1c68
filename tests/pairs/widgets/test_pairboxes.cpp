#include "engine/replace/replacetext.h"
#include "pairs/linebreaks.h"
#include "pairs/widgets/pairboxes.h"

#include "support/window/form1testcase.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

class TestPairBoxes : public Form1TestCase {
    Q_OBJECT

private slots:
    void typedLinesReachTheEngineWithCrLf()
    {
        Form1& form = f->open();
        QCOMPARE(boxText(*form.Text1), QString());
        QTest::keyClicks(form.Text1, "cat");
        QTest::keyClick(form.Text1, Qt::Key_Return);
        QTest::keyClicks(form.Text1, " dog");
        // A tab comes in by pasting: the Tab key moves on to the next control.
        form.Text1->insertPlainText("\t");
        QCOMPARE(boxText(*form.Text1), QString("cat\r\n dog\t"));
        // Shift+Enter shows a new line too.
        QTest::keyClick(form.Text1, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(form.Text1, "x");
        QCOMPARE(boxText(*form.Text1), QString("cat\r\n dog\t\r\nx"));
    }

    void tabAndShiftTabLeaveBothBoxes()
    {
        // As a new user tries it: find text, Tab, replace text, then Start.
        Form1& form = f->open();
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.Text1->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), "pending");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form.Text2);
        QTest::keyClicks(QApplication::focusWidget(), "done");
        QCOMPARE(boxText(*form.Text1), QString("pending"));
        QCOMPARE(boxText(*form.Text2), QString("done"));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), form.Text1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != form.Text2);
        QCOMPARE(boxText(*form.Text1), QString("pending"));
        QCOMPARE(boxText(*form.Text2), QString("done"));
    }

    void trailingLineEndGivesEmptyLastLine()
    {
        Form1& form = f->open();
        QTest::keyClicks(form.Text2, "b");
        QTest::keyClick(form.Text2, Qt::Key_Return);
        QCOMPARE(boxText(*form.Text2), QString("b\r\n"));
        QCOMPARE(splitAtLineBreaks(boxText(*form.Text2)), QStringList({"b", ""}));
    }

    void nonBreakingBlankIsKeptNotTurnedIntoBlank()
    {
        Form1& form = f->open();
        const QString typed = QString("a") + QChar(0x00A0) + "b";
        form.Text1->setPlainText(typed);
        QCOMPARE(boxText(*form.Text1), typed);
    }

    void pastedLineEndsOfEveryKindBecomeCrLf()
    {
        Form1& form = f->open();
        form.Text1->setPlainText("a\r\nb\nc\rd");
        QCOMPARE(boxText(*form.Text1), QString("a\r\nb\r\nc\r\nd"));
        QCOMPARE(crLfText(QString("x") + QChar::ParagraphSeparator + QChar::LineSeparator), QString("x\r\n\r\n"));
    }
};

QTEST_MAIN(TestPairBoxes)
#include "test_pairboxes.moc"
