#include "base/widgets/qtprompts.h"

#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QTest>

class TestQtPrompts : public QObject {
    Q_OBJECT

private slots:
    void fileDialogListedEachFilterTwice()
    {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QtPrompts::prepareFileDialog(dialog, {"Save", "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|", false, {}});
        QCOMPARE(dialog.windowTitle(), QString("Save"));
        auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        QVERIFY(types);
        QCOMPARE(types->count(), 2);
        QCOMPARE(types->itemText(0), QString("Text Files (*.txt)"));
        QCOMPARE(types->itemText(1), QString("All Files (*.*)"));
        // "All Files" takes names without a dot too.
        QCOMPARE(dialog.nameFilters().at(1), QString("All Files (*.*) (*)"));
    }

    void boxesOpenOverTheOpenModalDialog()
    {
        QWidget window;
        QtPrompts prompts;
        prompts.setOwner(&window);
        QCOMPARE(prompts.boxOwner(), &window);
        QDialog dialog(&window);
        dialog.setModal(true);
        dialog.show();
        QCOMPARE(prompts.boxOwner(), &dialog);
        dialog.hide();
        QCOMPARE(prompts.boxOwner(), &window);
    }
};

QTEST_MAIN(TestQtPrompts)
#include "test_qtprompts.moc"
