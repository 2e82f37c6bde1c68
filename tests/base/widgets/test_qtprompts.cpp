#include "base/widgets/qtprompts.h"

#include "support/testfiles.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <functional>

namespace {
// Acts on the real file dialog once it is open, then sees that it closed:
// a dialog left open is rejected and reported instead of hanging the test.
struct FileDialogDriver {
    std::function<void(QFileDialog&)> act;
    QFileDialog::FileMode fileMode = QFileDialog::Directory;
    QFileDialog::Options options;
    bool stayedOpen = false;
    // The text of a box the dialog raised over itself ("File not found...").
    QString refusal;

    void start()
    {
        QTimer::singleShot(0, [this] { poll(); });
    }

    void poll()
    {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(0, [this] { poll(); });
            return;
        }
        fileMode = dialog->fileMode();
        options = dialog->options();
        closeBoxesOver(dialog);
        act(*dialog);
        if (dialog->isVisible()) {
            stayedOpen = true;
            dialog->reject();
        }
    }

    void closeBoxesOver(QFileDialog* dialog)
    {
        QTimer::singleShot(0, dialog, [this, dialog] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                refusal = box->text();
                box->reject();
            }
            if (dialog->isVisible())
                closeBoxesOver(dialog);
        });
    }
};

void pressReturn(QLineEdit* edit)
{
    // Return goes to the dialog, not to the list of completions.
    if (edit->completer() && edit->completer()->popup())
        edit->completer()->popup()->hide();
    QTest::keyClick(edit, Qt::Key_Return);
}

void typeName(QFileDialog& dialog, const QString& text)
{
    auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
    QVERIFY(edit);
    edit->clear();
    QTest::keyClicks(edit, text);
    pressReturn(edit);
}

// Several quoted names, as a paste puts them into the box.
void pasteNames(QFileDialog& dialog, const QString& text)
{
    auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
    QVERIFY(edit);
    edit->setText(text);
    pressReturn(edit);
}
} // namespace

// Records what would have been opened instead of opening it.
class RecordingQtPrompts : public QtPrompts {
public:
    QStringList opened;

protected:
    bool showWithDesktop(const QString& pathOrUrl) override
    {
        opened.append(pathOrUrl);
        return true;
    }
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

    void openDialogTakesATypedMissingName_data()
    {
        QTest::addColumn<bool>("multiSelect");
        QTest::addColumn<int>("fileMode");
        QTest::newRow("several files (Add CSV File(s))") << true << int(QFileDialog::ExistingFiles);
        QTest::newRow("one file (Load Sets ...)") << false << int(QFileDialog::AnyFile);
    }
    void openDialogTakesATypedMissingName()
    {
        QFETCH(bool, multiSelect);
        QFETCH(int, fileMode);
        QTemporaryDir dir;
        // No options of the test's own: the open dialogs are Qt's in the program too.
        QtPrompts prompts;
        FileDialogDriver driver{[](QFileDialog& dialog) { typeName(dialog, "missing.csv"); }};
        driver.start();
        const QStringList picked
            = prompts.openFiles({"Add File(s)", "CSV Files (*.csv)|*.csv|", multiSelect, dir.path()});
        QCOMPARE(driver.refusal, QString());
        QVERIFY(!driver.stayedOpen);
        QCOMPARE(picked, QStringList({QDir::toNativeSeparators(dir.filePath("missing.csv"))}));
        QCOMPARE(int(driver.fileMode), fileMode);
        QVERIFY(driver.options.testFlag(QFileDialog::DontUseNativeDialog));
        QVERIFY(driver.options.testFlag(QFileDialog::HideNameFilterDetails));
    }

    void openDialogStillPicksSeveralFilesAndEntersAFolder()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("a.csv"), "a");
        writeBytes(dir.filePath("b.csv"), "b");
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        QtPrompts prompts;
        prompts.setFileDialogOptions(QFileDialog::DontUseNativeDialog);

        FileDialogDriver several{[](QFileDialog& dialog) { pasteNames(dialog, "\"a.csv\" \"b.csv\""); }};
        several.start();
        QStringList picked = prompts.openFiles({"Add File(s)", "CSV Files (*.csv)|*.csv|", true, dir.path()});
        QVERIFY(!several.stayedOpen);
        QCOMPARE(picked,
            QStringList(
                {QDir::toNativeSeparators(dir.filePath("a.csv")), QDir::toNativeSeparators(dir.filePath("b.csv"))}));

        // A folder's name opens the folder instead of being picked.
        QString shownFolder;
        FileDialogDriver folder{[&shownFolder](QFileDialog& dialog) {
            typeName(dialog, "sub");
            shownFolder = dialog.directory().path();
        }};
        folder.start();
        picked = prompts.openFiles({"Add File(s)", "CSV Files (*.csv)|*.csv|", true, dir.path()});
        QVERIFY(folder.stayedOpen);
        QCOMPARE(picked, QStringList());
        QCOMPARE(shownFolder, dir.filePath("sub"));
    }

    // Each kind of dialog opens at the folder asked for, and at the home
    // folder, not the working folder, when none is.
    void dialogsOpenAtTheStartFolderOrHome()
    {
        QTemporaryDir dir;
        QtPrompts prompts;
        prompts.setFileDialogOptions(QFileDialog::DontUseNativeDialog);
        const auto shownFolder = [](const std::function<void()>& show) {
            QString shown;
            FileDialogDriver driver{[&shown](QFileDialog& dialog) { shown = dialog.directory().absolutePath(); }};
            driver.start();
            show();
            return shown;
        };
        const QString home = QDir::homePath();
        QVERIFY(QDir::setCurrent(dir.path()));
        for (const QString& start : {dir.path(), QString()}) {
            const QString expected = start.isEmpty() ? home : start;
            QCOMPARE(shownFolder([&] {
                prompts.openFiles({"Open", "Text Files (*.txt)|*.txt|", false, start});
            }),
                expected);
            QCOMPARE(shownFolder([&] {
                prompts.saveFile({"Save", "Text Files (*.txt)|*.txt|", false, start});
            }),
                expected);
            QCOMPARE(shownFolder([&] { prompts.browseFolder("Please select folder:", start); }), expected);
        }
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

    // The run's report in a box's details: named for a screen reader, walked
    // line by line with the keyboard, and left with Tab.
    void reportIsNamedAndReadByKeyboard()
    {
        RecordingQtPrompts prompts;
        QString name;
        QString description;
        Qt::TextInteractionFlags flags;
        bool tabLeaves = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            if (auto* area = box->findChild<QTextEdit*>()) {
                name = area->accessibleName();
                description = area->accessibleDescription();
                flags = area->textInteractionFlags();
                tabLeaves = area->tabChangesFocus();
            }
            box->accept();
        });
        prompts.report("Done.", "1 file changed (1 replacement)\n\nchanged, 1 replacement: /a.csv", "Run report");
        QCOMPARE(name, QString("Run report"));
        QCOMPARE(description, QString("Done."));
        QVERIFY(flags.testFlag(Qt::TextSelectableByKeyboard));
        QVERIFY(tabLeaves);

        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (auto* area = box ? box->findChild<QTextEdit*>() : nullptr)
                name = area->accessibleName();
            if (box)
                box->accept();
        });
        prompts.message("Undone.", "restored: /a.csv");
        QCOMPARE(name, QString("Details"));
    }

    // Unfolded, a report's details grow with the box the user enlarges.
    void reportBoxGrowsWithItsDetails()
    {
        RecordingQtPrompts prompts;
        QSize before;
        QSize after;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::ActionRole)
                    button->click();
            }
            QApplication::processEvents();
            auto* area = box->findChild<QTextEdit*>();
            if (area && area->isVisible()) {
                before = area->size();
                box->resize(box->width() + 300, box->height() + 300);
                QApplication::processEvents();
                QApplication::processEvents();
                after = area->size();
            }
            box->accept();
        });
        prompts.report("Done.", QString("changed, 1 replacement: /a.csv\n").repeated(500), "Run report");
        QVERIFY(before.isValid());
        QVERIFY2(after.width() >= before.width() + 250 && after.height() >= before.height() + 250,
            qPrintable(QString("%1x%2 to %3x%4")
                           .arg(before.width())
                           .arg(before.height())
                           .arg(after.width())
                           .arg(after.height())));
    }

    void addressInATextIsALinkThatOpensThroughThePrompts()
    {
        RecordingQtPrompts prompts;
        QMessageBox box;
        prompts.prepareMessageBox(
            box, "Files only.\r\rQuestions? Write to https://example.org/contact/ <now>", StyleOkOnly, "T");
        QCOMPARE(box.textFormat(), Qt::RichText);
        QVERIFY(box.text().contains("<a href=\"https://example.org/contact/\">https://example.org/contact/</a>"));
        // It reads back as the plain text, line breaks and all, nothing added.
        QTextDocument shown;
        shown.setHtml(box.text());
        QCOMPARE(shown.toPlainText(), QString("Files only.\n\nQuestions? Write to https://example.org/contact/ <now>"));
        auto* label = box.findChild<QLabel*>("qt_msgbox_label");
        QVERIFY(label);
        QVERIFY(!label->openExternalLinks());
        emit label->linkActivated("https://example.org/contact/");
        QCOMPARE(prompts.opened, QStringList{"https://example.org/contact/"});

        QMessageBox sentence;
        prompts.prepareMessageBox(sentence, "No program was found to open https://example.org/a/b.", StyleOkOnly, "T");
        QVERIFY(sentence.text().contains("<a href=\"https://example.org/a/b\">https://example.org/a/b</a>.</p>"));
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
