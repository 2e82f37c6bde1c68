#include "base/widgets/qtprompts.h"

#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QTest>

// Records what would have been opened instead of opening it.
class RecordingQtPrompts : public QtPrompts {
public:
    QStringList opened;

protected:
    void showWithDesktop(const QString& pathOrUrl) override { opened.append(pathOrUrl); }
};

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

    void shortBoxIsWideEnoughForItsTitle()
    {
        RecordingQtPrompts prompts;
        const QString title("Tallowmere - a long application title here");
        QMessageBox box;
        prompts.prepareMessageBox(box, "Done.", StyleOkOnly, title);
        QFont bold = box.font();
        bold.setBold(true);
        QVERIFY(box.layout()->totalMinimumSize().width() > QFontMetrics(bold).horizontalAdvance(title));
        QCOMPARE(box.text(), QString("Done."));
        QCOMPARE(box.textFormat(), Qt::PlainText);
    }

    void addressInATextIsALinkThatOpensThroughThePrompts()
    {
        RecordingQtPrompts prompts;
        QMessageBox box;
        prompts.prepareMessageBox(box, "Files only.\r\rQuestions? Write to https://example.org/contact/ <now>",
                                  StyleOkOnly, "T");
        QCOMPARE(box.textFormat(), Qt::RichText);
        QVERIFY(box.text().contains("<a href=\"https://example.org/contact/\""));
        // Shown with a word joiner after each "/", so that it is not broken over two lines.
        const QString joined = QString("https://example.org/contact/").replace('/', QString("/") + QChar(0x2060));
        QVERIFY(box.text().contains(">" + joined + "</a>"));
        // The rest is still the plain text, line breaks and all.
        QVERIFY(box.text().contains("Files only.<br><br>Questions?"));
        QVERIFY(box.text().contains("&lt;now&gt;"));
        auto* label = box.findChild<QLabel*>("qt_msgbox_label");
        QVERIFY(label);
        QVERIFY(!label->openExternalLinks());
        emit label->linkActivated("https://example.org/contact/");
        QCOMPARE(prompts.opened, QStringList{"https://example.org/contact/"});
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
