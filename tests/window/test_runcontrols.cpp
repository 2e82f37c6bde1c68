// The run's controls on the real main window: the caption during a run,
// Escape's question, the context menu of "Start Replacing" and Ctrl+Z.
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "window/batchruncontrols.h"
#include "window/tabcontrol.h"

#include "support/enginetestfiles.h"
#include "support/window/form1fixture.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestRunControls : public QObject {
    Q_OBJECT
    std::unique_ptr<Form1Fixture> f;
    Form1* form = nullptr;

    QString path(const QString& name) const { return f->path(name); }
    QString addFile(const QString& name, const QByteArray& bytes) { return f->addFile(name, bytes); }
    void inPlace(const QString& findWhat, const QString& replaceWith)
    {
        QTest::mouseClick(form->Option2, Qt::LeftButton);
        form->TabControl1->setCurrentIndex(0);
        form->Text1->setPlainText(findWhat);
        form->Text2->setPlainText(replaceWith);
    }
    void atEveryYield(std::function<void()> action)
    {
        std::function<void()> windowYield = form->services().yield;
        form->services().yield = [windowYield, action] {
            action();
            windowYield();
        };
    }

private slots:
    void init()
    {
        f = std::make_unique<Form1Fixture>();
        form = &f->open();
        form->show();
        QApplication::setActiveWindow(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
    }
    void cleanup()
    {
        QVERIFY2(f->prompts.done(), qPrintable(f->prompts.problems()));
        f.reset();
    }

    void captionCountsFilesDuringRunAndIsRestored()
    {
        addFile("a.csv", "a");
        addFile("b.csv", "a");
        inPlace("a", "b");
        QStringList captions;
        atEveryYield([&] { captions.append(form->windowTitle()); });
        f->prompts.answerMessage();
        QTest::mouseClick(form->PushButton12, Qt::LeftButton);
        QVERIFY(captions.contains("Tallowmere - 1 of 2 files"));
        QVERIFY(captions.contains("Tallowmere - 2 of 2 files"));
        QCOMPARE(form->windowTitle(), QString("Tallowmere"));
    }

    void escapeDuringRunAsksAndYesStopsInTheMiddleOfAFile()
    {
        const QString first = addFile("first.csv", "a");
        const QByteArray large(10 * 65536, 'a');
        const QString big = addFile("big.csv", large);
        const QString later = addFile("later.csv", "a");
        inPlace("a", "b");
        // Yields: before first, its pair, before big, then one per chunk of big.
        int yields = 0;
        atEveryYield([&] {
            if (++yields == 6)
                QTest::keyClick(form->ListView1, Qt::Key_Escape);
        });
        f->prompts.answerMessage(Answer::Yes).answerMessage();
        QTest::mouseClick(form->PushButton12, Qt::LeftButton);
        QCOMPARE(f->prompts.messageTexts(), QStringList({"Stop replacing?", "Stopped."}));
        QCOMPARE(readBytes(first), QByteArray("b"));
        QCOMPARE(readBytes(big), large);
        QCOMPARE(readBytes(later), QByteArray("a"));
        QCOMPARE(QDir(f->files.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
        QVERIFY(f->prompts.lastDetails().contains("\nnot reached: " + later + "\n"));
        QCOMPARE(form->windowTitle(), QString("Tallowmere"));
        // Escape outside a run asks nothing.
        QTest::keyClick(form->ListView1, Qt::Key_Escape);
    }

    void startButtonMenuOffersCountOnlyAndUndo()
    {
        QVERIFY(form->PushButton12->toolTip().contains("count matches only"));
        QVERIFY(form->PushButton12->toolTip().contains("undo the last run"));
        QStringList offered;
        QTimer::singleShot(0, form, [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                for (QAction* action : popup->actions())
                    offered.append(action->text());
                popup->close();
            }
        });
        // What the desktop sends for the menu key.
        const QPoint centre = form->PushButton12->rect().center();
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, centre, form->PushButton12->mapToGlobal(centre));
        QApplication::sendEvent(form->PushButton12, &menuKey);
        QCOMPARE(offered, QStringList({"Review Changes...", "Count Matches Only", "Undo Last Run"}));
    }

    void countOnlyFromTheMenuWritesNothing()
    {
        const QString a = addFile("a.csv", "a,a");
        inPlace("a", "b");
        f->prompts.answerMessage();
        form->batchRunControls().countAction()->trigger();
        QCOMPARE(f->prompts.messageTexts(), QStringList({"Done."}));
        QVERIFY(f->prompts.lastDetails().startsWith("Nothing was written (count only)\n1 file would change "
                                                    "(2 replacements)"));
        QCOMPARE(readBytes(a), QByteArray("a,a"));
    }

    void ctrlZInTheWindowUndoesTheRunButInATextBoxUndoesTyping()
    {
        const QString a = addFile("a.csv", "a");
        inPlace("a", "b");
        f->prompts.answerMessage();
        QTest::mouseClick(form->PushButton12, Qt::LeftButton);
        QCOMPARE(readBytes(a), QByteArray("b"));

        form->Text1->setFocus();
        QTest::keyClicks(form->Text1, "x");
        QTest::keyClick(form->Text1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->Text1->toPlainText(), QString("a"));
        QCOMPARE(f->prompts.shown().size(), 1);

        form->ListView1->setFocus();
        f->prompts.answerMessage(Answer::Yes).answerMessage();
        QTest::keyClick(form->ListView1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f->prompts.messageTexts().mid(1),
            QStringList({"Undo the last run? 1 file will be restored.", "The last run is undone."}));
        QCOMPARE(readBytes(a), QByteArray("a"));
    }
};

QTEST_MAIN(TestRunControls)
#include "test_runcontrols.moc"
