#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"

#include "support/window/form1testcase.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class TestAccessibleNames : public Form1TestCase {
    Q_OBJECT

    static QString spokenName(QWidget* widget)
    {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        return face ? face->text(QAccessible::Name) : QString();
    }

private slots:
    void everyControlThatTakesTheFocusHasAName()
    {
        Form1& form = f->open();
        const auto widgets = form.findChildren<QWidget*>();
        int checked = 0;
        for (QWidget* widget : widgets) {
            // Parts of composite controls (a combo's list, a view's scroll bars) speak for their control.
            if (widget->focusPolicy() == Qt::NoFocus || widget->objectName().isEmpty()
                || widget->objectName().startsWith("qt_"))
                continue;
            const QString name = spokenName(widget);
            QVERIFY2(!name.trimmed().isEmpty(), qPrintable(widget->objectName() + " has no accessible name"));
            QVERIFY2(name != "...", qPrintable(widget->objectName() + " is announced as \"...\""));
            ++checked;
        }
        QVERIFY(checked >= 25);
    }

    void boxesAreNamedByTheirLabels()
    {
        Form1& form = f->open();
        QCOMPARE(spokenName(form.Text1), QString("Find what (exact case)"));
        QCOMPARE(spokenName(form.Text2), QString("Replace with"));
        QCOMPARE(spokenName(form.Combo1), QString("Find what (exact case)"));
        QCOMPARE(spokenName(form.Combo2), QString("Replace with"));
        QCOMPARE(spokenName(form.Combo1->view()), QString("Find what (exact case)"));
        QCOMPARE(spokenName(form.Text3), QString("Save results to this folder"));
        QCOMPARE(spokenName(form.PushButton14), QString("Browse for output folder"));
        QCOMPARE(spokenName(form.ListView1), QString("File(s)"));
        QCOMPARE(spokenName(form.PushButton12), QString("Start Replacing"));
        // The captions themselves stay as they are.
        QCOMPARE(form.PushButton14->text(), QString("..."));
    }

    void rowsSpeakTheirFullPath()
    {
        Form1& form = f->open();
        const QString path = "/home/user/Documents/a very long folder name/" + QString(200, 'x') + "/orders.csv";
        form.ListView1->fileList()->Append(path);
        form.ListView1->fileList()->publishPending();
        // The view lays its rows out, and so tells of them, once shown.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(form.ListView1);
        QVERIFY(list);
        bool found = false;
        for (int i = 0; i < list->childCount() && !found; ++i)
            found = list->child(i) && list->child(i)->text(QAccessible::Name) == path;
        QVERIFY(found);
    }
};

QTEST_MAIN(TestAccessibleNames)
#include "test_accessiblenames.moc"
