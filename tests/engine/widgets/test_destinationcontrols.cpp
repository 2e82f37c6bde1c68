#include "base/settings.h"
#include "engine/widgets/browsefolder.h"

#include "support/window/form1testcase.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class TestDestinationControls : public Form1TestCase {
    Q_OBJECT

private slots:
    void optionClicksSaveBothAndEnableFrame4()
    {
        Form1& form = f->open();
        form.Text3->setText("/out/");
        QTest::mouseClick(form.Option2, Qt::LeftButton);
        QVERIFY(form.Option2->isChecked());
        QVERIFY(!form.Option1->isChecked());
        QCOMPARE(GetSetting("Option1", "?"), QString("False"));
        QCOMPARE(GetSetting("Option2", "?"), QString("True"));
        QVERIFY(!form.Frame4->isEnabled());
        QVERIFY(!form.Text3->isEnabled());
        QVERIFY(!form.PushButton14->isEnabled());

        QTest::mouseClick(form.Option1, Qt::LeftButton);
        QCOMPARE(GetSetting("Option1", "?"), QString("True"));
        QCOMPARE(GetSetting("Option2", "?"), QString("False"));
        QVERIFY(form.Text3->isEnabled());
        QCOMPARE(form.Text3->text(), QString("/out/"));
    }

    void everyChangeOfText3IsSaved()
    {
        Form1& form = f->open();
        form.Text3->clear();
        QCOMPARE(GetSetting("Output Folder", "?"), QString());
        QTest::keyClicks(form.Text3, "/o");
        QCOMPARE(GetSetting("Output Folder", "?"), QString("/o"));
        QTest::keyClick(form.Text3, Qt::Key_Backspace);
        QCOMPARE(GetSetting("Output Folder", "?"), QString("/"));
    }

    void destinationRestoredAfterRestart()
    {
        {
            Form1& form = f->open();
            QTest::mouseClick(form.Option2, Qt::LeftButton);
            form.Text3->setText("/kept/");
        }
        Form1& again = f->open();
        QVERIFY(again.Option2->isChecked());
        QVERIFY(!again.Option1->isChecked());
        QVERIFY(!again.Frame4->isEnabled());
        QCOMPARE(again.Text3->text(), QString("/kept/"));
        QTest::mouseClick(again.Option1, Qt::LeftButton);
        Form1& third = f->open();
        QVERIFY(third.Option1->isChecked());
        QVERIFY(third.Frame4->isEnabled());
    }

    void browseCancelChangesNothing()
    {
        Form1& form = f->open();
        form.Text3->setText("/before/");
        SaveSetting("LastFolderDot", "/last");
        f->prompts.answerBrowseFolder("");
        form.PushButton14->click();
        const ShownPrompt& browser = f->prompts.shown().last();
        QCOMPARE(browser.kind, ShownPrompt::BrowseFolder);
        QCOMPARE(browser.text, QString("Please select folder:"));
        QCOMPARE(browser.extra, QString("/last"));
        QCOMPARE(form.Text3->text(), QString("/before/"));
        QCOMPARE(GetSetting("LastFolderDot", "?"), QString("/last"));
    }

    void pickedFolderGetsOneTrailingSeparatorAndIsRemembered()
    {
        const QString picked = QDir::toNativeSeparators(QDir::tempPath());
        Form1& form = f->open();
        f->prompts.answerBrowseFolder(picked);
        form.PushButton14->click();
        QCOMPARE(f->prompts.shown().last().extra, QString());
        QCOMPARE(form.Text3->text(), picked + QDir::separator());
        QCOMPARE(GetSetting("Output Folder", "?"), picked + QDir::separator());
        QCOMPARE(GetSetting("LastFolderDot", "?"), picked);

        // A root already ends with the separator.
        const QString root = QDir::toNativeSeparators(QDir::rootPath());
        f->prompts.answerBrowseFolder(root);
        form.PushButton14->click();
        QCOMPARE(f->prompts.shown().last().extra, picked);
        QCOMPARE(form.Text3->text(), root);

        // The next start opens the chooser on the folder picked last.
        Form1& again = f->open();
        f->prompts.answerBrowseFolder("");
        again.PushButton14->click();
        QCOMPARE(f->prompts.shown().last().extra, root);
    }

    void trailingSeparatorRuleForEitherSeparator()
    {
        QCOMPARE(withTrailingSeparator("C:\\Out", u'\\'), QString("C:\\Out\\"));
        QCOMPARE(withTrailingSeparator("C:\\", u'\\'), QString("C:\\"));
        QCOMPARE(withTrailingSeparator("\\\\server\\share", u'\\'), QString("\\\\server\\share\\"));
        QCOMPARE(withTrailingSeparator("/home/u", u'/'), QString("/home/u/"));
        QCOMPARE(withTrailingSeparator("/", u'/'), QString("/"));
    }

    void unwritableSettingsAreReportedNotFatal()
    {
        Form1& form = f->open();
        // A folder where the settings file should be: every write fails.
        QVERIFY(QFile::remove(f->settings.fileName()));
        QVERIFY(QDir().mkpath(f->settings.fileName()));
        f->prompts.answerMessage();
        QTest::mouseClick(form.Option2, Qt::LeftButton);
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 1);
        QVERIFY(f->prompts.shown().first().text.startsWith("Cannot write the settings file " + f->settings.fileName()));
        QVERIFY(f->prompts.shown().first().text.contains("Form1.Option2_Click at line 100\r\r"));
        // The frame still follows the option.
        QVERIFY(!form.Frame4->isEnabled());
        // Told once a session, not once per keystroke.
        QTest::keyClicks(form.Text3, "/x/");
        QTest::mouseClick(form.Option1, Qt::LeftButton);
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 1);
    }
};

QTEST_MAIN(TestDestinationControls)
#include "test_destinationcontrols.moc"
