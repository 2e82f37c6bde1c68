#include "pairs/widgets/loadsetsdialog.h"
#include "pairs/widgets/setfilescommands.h"
#include "pairs/widgets/setspage.h"

#include "support/window/form1testcase.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
QStringList items(const QComboBox* list)
{
    return SetsList::items(*list);
}

// Picks an entry as the user does: the popup's choice arrives as "activated".
void pick(QComboBox* list, int position)
{
    list->setCurrentIndex(position);
    emit list->activated(position);
}
} // namespace

class TestSetsPage : public Form1TestCase {
    Q_OBJECT

    Form1& openWithSets(const QStringList& answers)
    {
        Form1& form = f->open();
        for (const QString& answer : answers) {
            f->prompts.answerInput(answer);
            form.PushButton7->click();
        }
        return form;
    }

    // Loads a set file through the Load Sets dialog with the given separator.
    void loadSets(Form1& form, const QString& file, const QString& separator)
    {
        auto* commands = form.findChild<SetFilesCommands*>();
        QVERIFY(commands);
        commands->runDialog = [&](LoadSetsDialog& dialog) {
            dialog.Text2->setText(separator);
            dialog.Text1->setText(file);
            dialog.PushButton1->click();
        };
        form.PushButton1->click();
    }

private slots:
    void addSetCutsAtEveryDoubleColon_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replace");
        QTest::newRow("plain") << "cat::dog"
                               << "cat"
                               << "dog";
        QTest::newRow("third piece dropped") << "a::b::c"
                                             << "a"
                                             << "b";
        QTest::newRow("three colons") << "a:::b"
                                      << "a"
                                      << ":b";
        QTest::newRow("four colons") << "a::::b"
                                     << "a"
                                     << "";
        QTest::newRow("empty find") << "::x"
                                    << ""
                                    << "x";
        QTest::newRow("empty replace") << "x::"
                                       << "x"
                                       << "";
        QTest::newRow("only separator") << "::"
                                        << ""
                                        << "";
        QTest::newRow("blanks kept") << " a :: b "
                                     << " a "
                                     << " b ";
        QTest::newRow("preset as offered") << "findwhat::replacewith"
                                           << "findwhat"
                                           << "replacewith";
    }
    void addSetCutsAtEveryDoubleColon()
    {
        QFETCH(QString, answer);
        QFETCH(QString, find);
        QFETCH(QString, replace);
        Form1& form = openWithSets({"first::one", answer});
        QCOMPARE(items(form.Combo1), QStringList({"first", find}));
        QCOMPARE(items(form.Combo2), QStringList({"one", replace}));
        const ShownPrompt& asked = f->prompts.shown().last();
        QCOMPARE(asked.kind, ShownPrompt::Input);
        QCOMPARE(asked.text, QString("Enter find and replace set (use :: to separate find text and replace text):"));
        QCOMPARE(asked.title, QString("Tallowmere"));
        QCOMPARE(asked.extra, QString("findwhat::replacewith"));
    }

    void addSetRefusals()
    {
        Form1& form = openWithSets({"a::b", ""});
        // An empty answer (Cancel) is silent.
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 0);
        for (const QString& answer : {QString("cat dog"), QString("a:b"), QString(" ")}) {
            f->prompts.clear();
            f->prompts.answerInput(answer).answerMessage();
            form.PushButton7->click();
            const ShownPrompt& said = f->prompts.shown().last();
            QCOMPARE(said.text, QString("You must use :: to separate the find text from the replace text"));
            QCOMPARE(said.style, int(StyleOkOnly));
            QCOMPARE(said.title, QString("Tallowmere"));
            QVERIFY2(f->prompts.done(), qPrintable(f->prompts.problems()));
        }
        QCOMPARE(items(form.Combo1), QStringList({"a"}));
        QCOMPARE(items(form.Combo2), QStringList({"b"}));
    }

    void addingKeepsSelectionAndAllowsDuplicates()
    {
        Form1& form = openWithSets({"a::b", "a::b"});
        QCOMPARE(items(form.Combo1), QStringList({"a", "a"}));
        QCOMPARE(form.Combo1->currentIndex(), -1);
        QCOMPARE(form.Combo2->currentIndex(), -1);
        pick(form.Combo1, 1);
        form.setsPage().sets().appendSet("c", "d");
        QCOMPARE(form.Combo1->currentIndex(), 1);
        QCOMPARE(form.Combo2->currentIndex(), 1);
        QCOMPARE(form.setsPage().sets().findItems(), QStringList({"a", "a", "c"}));
        QCOMPARE(form.setsPage().sets().replaceItems(), QStringList({"b", "b", "d"}));
    }

    void pickingMirrorsBothWays()
    {
        Form1& form = openWithSets({"a::1", "b::2", "c::3", "d::4"});
        pick(form.Combo2, 2);
        QCOMPARE(form.Combo1->currentIndex(), 2);
        QCOMPARE(form.Combo1->currentText(), QString("c"));
        pick(form.Combo1, 0);
        QCOMPARE(form.Combo2->currentText(), QString("1"));
    }

    void removeSelectedTakesWholeSet()
    {
        Form1& form = openWithSets({"a::1", "b::2", "c::3", "d::4"});
        pick(form.Combo2, 2);
        form.PushButton6->click();
        QCOMPARE(items(form.Combo1), QStringList({"a", "b", "d"}));
        QCOMPARE(items(form.Combo2), QStringList({"1", "2", "4"}));
        QCOMPARE(form.Combo1->currentIndex(), form.Combo2->currentIndex());
        // The last set, then the only one left of a single-set list.
        pick(form.Combo1, 2);
        form.PushButton6->click();
        QCOMPARE(items(form.Combo1), QStringList({"a", "b"}));
        QCOMPARE(form.Combo1->currentIndex(), form.Combo2->currentIndex());
    }

    void removeWithoutSelectionDoesNothing()
    {
        Form1& form = openWithSets({"a::1", "b::2"});
        form.PushButton6->click();
        QCOMPARE(items(form.Combo1), QStringList({"a", "b"}));
        QCOMPARE(items(form.Combo2), QStringList({"1", "2"}));
    }

    void clearAllEmptiesBothWithoutAsking()
    {
        Form1& form = openWithSets({"a::1", "b::2"});
        pick(form.Combo1, 1);
        form.PushButton4->click();
        QCOMPARE(form.Combo1->count(), 0);
        QCOMPARE(form.Combo2->count(), 0);
        QCOMPARE(form.Combo1->currentIndex(), -1);
        QCOMPARE(form.Combo2->currentIndex(), -1);
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 0);
    }

    void setFilesSaveAndLoadTheWindowsSetsList()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("sets.txt");
        Form1& form = openWithSets({"a::1", "b::2"});
        f->prompts.answerSaveFile(file);
        form.PushButton2->click();
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("a::1\r\nb::2\r\n"));

        form.PushButton4->click();
        form.setsPage().sets().appendSet("x", "y");
        pick(form.Combo1, 0);
        auto* commands = form.findChild<SetFilesCommands*>();
        QVERIFY(commands);
        commands->runDialog = [&](LoadSetsDialog& dialog) {
            dialog.Text2->setText("::");
            dialog.Text1->setText(file);
            dialog.PushButton1->click();
        };
        form.PushButton1->click();
        QCOMPARE(items(form.Combo1), QStringList({"x", "a", "b"}));
        QCOMPARE(items(form.Combo2), QStringList({"y", "1", "2"}));
        QCOMPARE(form.Combo1->currentIndex(), 0);
        QCOMPARE(form.Combo2->currentIndex(), 0);
    }

    void returnInThePathBoxLoadsTheFileAndEveryControlHasAName()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("sets.txt");
        QFile sets(file);
        QVERIFY(sets.open(QIODevice::WriteOnly));
        sets.write("hi::hello\r\n");
        sets.close();
        Form1& form = f->open();
        auto* commands = form.findChild<SetFilesCommands*>();
        QVERIFY(commands);
        bool closed = false;
        commands->runDialog = [&](LoadSetsDialog& dialog) {
            QVERIFY(dialog.PushButton1->isDefault());
            // Every control is announced by a name that says what it is.
            for (QWidget* control : dialog.findChildren<QWidget*>()) {
                if (control->focusPolicy() == Qt::NoFocus)
                    continue;
                const QString name = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
                QVERIFY2(!name.isEmpty() && name != "..." && name != "?", qPrintable(name));
            }
            QCOMPARE(dialog.PushButton16->accessibleName(), QString("Browse for set file"));
            dialog.show();
            dialog.Text1->setFocus();
            QTest::keyClicks(dialog.Text1, file);
            QTest::keyClick(dialog.Text1, Qt::Key_Return);
            closed = !dialog.isVisible();
        };
        form.PushButton1->click();
        QVERIFY(closed);
        QCOMPARE(items(form.Combo1), QStringList({"hi"}));
        QCOMPARE(items(form.Combo2), QStringList({"hello"}));
    }

    void setsThatASetFileCannotHoldAreNotSaved_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("named");
        QTest::newRow("find holds ::") << QByteArray("a::b,c") << QString("find text \"a::b\" and replace text \"c\"");
        QTest::newRow("find ends with :") << QByteArray("a:,b") << QString("find text \"a:\"");
        QTest::newRow("replace holds ::") << QByteArray("a,b::c") << QString("replace text \"b::c\"");
    }

    // Loaded with another separator, such a set used to be saved as it was and
    // to load back as another set, without a word.
    void setsThatASetFileCannotHoldAreNotSaved()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QString source = dir.filePath("comma.txt");
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x,y\r\n" + line + "\r\n");
        file.close();
        Form1& form = f->open();
        loadSets(form, source, ",");
        QCOMPARE(form.Combo1->count(), 2);
        // The refusal comes before the save dialog: a dialog here fails the test.
        f->prompts.answerMessage();
        form.PushButton2->click();
        const QString refusal = f->prompts.shown().last().text;
        QVERIFY2(refusal.contains(named) && refusal.contains("The sets were not saved"), qPrintable(refusal));
        QCOMPARE(form.Combo1->count(), 2);
    }

    void setFilesGiveBackTheSetsSavedWithColonsAndNonAscii()
    {
        QTemporaryDir dir;
        const QString comma = dir.filePath("comma.txt");
        QFile file(comma);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Sets the input box cannot give: a lone CR, a U+FEFF inside a text.
        file.write(QString(":a\r:b,c\rd\r\nx\uFEFF,y").toUtf8());
        file.close();
        Form1& form = openWithSets(
            {"a:::b", ":x::y:", "\u00e9\u20ac\u0436\U0001D11E::\u00fc:", "::", " :: ", "x::", "\t1 :: 2\t"});
        loadSets(form, comma, ",");
        const QStringList finds = items(form.Combo1);
        const QStringList replaces = items(form.Combo2);
        QCOMPARE(
            finds, QStringList({"a", ":x", "\u00e9\u20ac\u0436\U0001D11E", "", " ", "x", "\t1 ", ":a\r:b", "x\uFEFF"}));
        QCOMPARE(replaces, QStringList({":b", "y:", "\u00fc:", "", " ", "", " 2\t", "c\rd", "y"}));

        const QString saved = dir.filePath("saved.txt");
        f->prompts.answerSaveFile(saved);
        form.PushButton2->click();
        form.PushButton4->click();
        loadSets(form, saved, "::");
        QCOMPARE(items(form.Combo1), finds);
        QCOMPARE(items(form.Combo2), replaces);
    }

    void addSetRefusesASetThatASetFileCannotHold_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("line feed") << QString("a\nb::c");
        // (A literal's leading U+FEFF would be dropped as a byte-order mark.)
        QTest::newRow("byte-order mark first") << QChar(0xFEFF) + QString("a::b");
    }

    void addSetRefusesASetThatASetFileCannotHold()
    {
        QFETCH(QString, answer);
        Form1& form = f->open();
        f->prompts.answerInput(answer).answerMessage();
        form.PushButton7->click();
        QVERIFY(f->prompts.shown().last().text.endsWith("The set was not added."));
        QCOMPARE(form.Combo1->count(), 0);
        QCOMPARE(form.Combo2->count(), 0);
    }

    void setsAreNotRememberedAcrossStarts()
    {
        openWithSets({"a::1"});
        Form1& again = f->open();
        QCOMPARE(again.Combo1->count(), 0);
        QCOMPARE(again.Combo2->count(), 0);
    }
};

QTEST_MAIN(TestSetsPage)
#include "test_setspage.moc"
