#include "base/windowpointer.h"
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "window/tabcontrol.h"

#include "support/window/form1testcase.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

class TestKeyboard : public Form1TestCase {
    Q_OBJECT

    Form1& openShown()
    {
        Form1& form = f->open();
        form.show();
        QApplication::setActiveWindow(&form);
        [&] { QVERIFY(QTest::qWaitForWindowActive(&form)); }();
        return form;
    }

    FileListModel& list() { return *f->form->ListView1->fileList(); }

    void fillList(int rows)
    {
        for (int i = 1; i <= rows; ++i)
            list().Append(QString("/data/file%1.csv").arg(i));
        list().publishPending();
    }

    bool rowInView(int row) const
    {
        FileListView* view = f->form->ListView1;
        const QRect rect = view->visualRect(view->model()->index(row - 1, 0));
        return view->viewport()->rect().contains(rect.center());
    }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(f->form->ListView1, static_cast<Qt::Key>(key), modifiers);
    }

private slots:
    void fileListHasTheFocusAtStart()
    {
        Form1& form = openShown();
        QCOMPARE(QApplication::focusWidget(), form.ListView1);
    }

    void tabFollowsTheReadingOrder()
    {
        Form1& form = openShown();
        form.TabControl1->setCurrentIndex(1);
        form.ListView1->setFocus();
        const QList<QWidget*> expected{form.ListView1, form.PushButton13, form.PushButton3, form.PushButton9,
            form.PushButton5, form.PushButton17, form.PushButton11, form.PushButton8, form.PushButton10,
            form.TabControl1->tabBar(), form.Combo1, form.Combo2, form.PushButton7, form.PushButton1, form.PushButton2,
            form.PushButton6, form.PushButton4, form.Option1, form.Text3, form.PushButton14, form.PushButton12,
            form.ListView1};
        QList<QWidget*> visited{QApplication::focusWidget()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget());
        }
        QCOMPARE(visited, expected);

        // On the first page the boxes come between the headers and the save option.
        form.TabControl1->setCurrentIndex(0);
        form.TabControl1->tabBar()->setFocus();
        QTest::keyClick(form.TabControl1->tabBar(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form.Text1);
    }

    void returnOrEnterOnAFocusedButtonClicksIt()
    {
        Form1& form = openShown();
        f->prompts.answerMessage().answerMessage();
        form.PushButton10->setFocus();
        QTest::keyClick(form.PushButton10, Qt::Key_Return);
        QTest::keyClick(form.PushButton10, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 2);
        QVERIFY(f->prompts.shown().first().text.startsWith("This software is not intended"));
    }

    void homeEndAndPageKeysSelectARowAndShowIt()
    {
        openShown();
        fillList(200);
        FileListView* view = f->form->ListView1;
        view->setFocus();

        press(Qt::Key_End);
        QCOMPARE(view->SelectedIndex(), 200);
        QVERIFY(rowInView(200));
        press(Qt::Key_Home);
        QCOMPARE(view->SelectedIndex(), 1);
        QVERIFY(rowInView(1));
        press(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(view->SelectedIndex(), 200);
        press(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(view->SelectedIndex(), 1);

        press(Qt::Key_PageDown);
        const int pageDown = view->SelectedIndex();
        QVERIFY(pageDown > 2);
        QVERIFY(rowInView(pageDown));
        press(Qt::Key_PageDown);
        QVERIFY(view->SelectedIndex() > pageDown);
        QVERIFY(rowInView(view->SelectedIndex()));
        press(Qt::Key_PageUp);
        QCOMPARE(view->SelectedIndex(), pageDown);
        press(Qt::Key_PageUp);
        press(Qt::Key_PageUp);
        QCOMPARE(view->SelectedIndex(), 1);
        press(Qt::Key_Down);
        QCOMPARE(view->SelectedIndex(), 2);
        press(Qt::Key_Up);
        press(Qt::Key_Up);
        QCOMPARE(view->SelectedIndex(), 1);
        press(Qt::Key_End);
        press(Qt::Key_PageDown);
        QCOMPARE(view->SelectedIndex(), 200);
    }

    void keysOnAnEmptyListDoNothing()
    {
        openShown();
        for (int key : {Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Delete})
            press(key);
        QCOMPARE(f->form->ListView1->SelectedIndex(), 0);
        QCOMPARE(list().Count(), 0);
    }

    void deleteRemovesTheSelectedRowUnlessBusy()
    {
        openShown();
        fillList(3);
        FileListView* view = f->form->ListView1;
        press(Qt::Key_Home);
        press(Qt::Key_Down);
        press(Qt::Key_Delete);
        QCOMPARE(list().Count(), 2);
        QCOMPARE(list().Text(1), QString("/data/file1.csv"));
        QCOMPARE(list().Text(2), QString("/data/file3.csv"));

        // As with the double-click, nothing goes while a long command runs.
        view->selectionModel()->setCurrentIndex(
            view->model()->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        f->form->pointer().set(WindowPointer::Hourglass);
        press(Qt::Key_Delete);
        QCOMPARE(list().Count(), 2);
        f->form->pointer().set(WindowPointer::Default);
        press(Qt::Key_Delete);
        QCOMPARE(list().Count(), 1);
        QCOMPARE(list().Text(1), QString("/data/file3.csv"));
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
