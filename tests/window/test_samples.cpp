#include "base/settings.h"
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "window/scramble.h"
#include "window/tabcontrol.h"

#include "support/window/form1testcase.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestSamples : public Form1TestCase {
    Q_OBJECT

    QString samples() const { return f->programFolder() + "Samples/"; }
    void addSample(const QString& name)
    {
        QFile file(samples() + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a,b\r\n");
    }
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 1; i <= f->form->ListView1->fileList()->Count(); ++i)
            texts << f->form->ListView1->fileList()->Text(i);
        return texts;
    }

private slots:
    void firstStartRecordsOnceAndButtonAddsOnce()
    {
        QDir(f->programDir.path()).mkdir("Samples");
        addSample("b.csv");
        addSample("A.csv");
        addSample("c.csv");
        f->open();
        const QString recorded = UnscrambleText(GetSetting("Snapshot", ""), sampleListKey);
        QCOMPARE(recorded, samples() + "A.csv|" + samples() + "b.csv|" + samples() + "c.csv");

        addSample("later.csv");
        f->open(); // a second start keeps the first recording
        QCOMPARE(UnscrambleText(GetSetting("Snapshot", ""), sampleListKey), recorded);

        f->form->TabControl1->setCurrentIndex(1);
        f->prompts.answerMessage(Answer::No).answerMessage(Answer::Yes).expectDesktop();
        f->form->PushButton8->click();
        f->form->PushButton8->click();
        QCOMPARE(rows(), recorded.split('|'));
        QCOMPARE(f->prompts.shown().last().text, samples());
        const ShownPrompt& question = f->prompts.shown().first();
        QCOMPARE(question.text,
            QString("Would you like this software to open the folder where these sample files "
                    "are stored (so that you can view them before working with them)?"));
        QCOMPARE(question.style, int(StyleYesNo));
        QCOMPARE(f->form->TabControl1->currentIndex(), 0);
        QCOMPARE(GetSetting("TabSel", 9), QString("0"));
        QCOMPARE(f->form->Text1->toPlainText(), QString("a"));
        QCOMPARE(f->form->Text2->toPlainText(), QString("b"));
    }

    void missingOrEmptyFolderRecordsAgainAndStillAsks()
    {
        f->open();
        QCOMPARE(GetSetting("Snapshot", "unset"), QString(""));
        QDir(f->programDir.path()).mkdir("Samples");
        f->open();
        QCOMPARE(GetSetting("Snapshot", "unset"), QString(""));
        addSample("new.csv");
        f->open();
        QVERIFY(!GetSetting("Snapshot", "").isEmpty());
        QFile::remove(samples() + "new.csv");
        f->prompts.answerMessage(Answer::No);
        f->form->PushButton8->click();
        QCOMPARE(f->form->ListView1->fileList()->Count(), 0);
    }

    void movedProgramRecordsItsOwnSampleFolderAgain()
    {
        // Recorded by a build tree that is gone since: nothing of it exists.
        const QString gone = QDir::toNativeSeparators("/no/such/build/program/Samples/");
        SaveSetting("Snapshot", ScrambleText(gone + "a.csv|" + gone + "b.csv", sampleListKey));
        QDir(f->programDir.path()).mkdir("Samples");
        addSample("a.csv");
        f->open();
        QCOMPARE(UnscrambleText(GetSetting("Snapshot", ""), sampleListKey), samples() + "a.csv");
        f->prompts.answerMessage(Answer::No);
        f->form->PushButton8->click();
        QCOMPARE(rows(), QStringList{samples() + "a.csv"});
    }

    void samplesDeletedFromTheirOwnFolderAreNotRecordedAgain()
    {
        QDir(f->programDir.path()).mkdir("Samples");
        addSample("a.csv");
        f->open();
        const QString recorded = GetSetting("Snapshot", "");
        QFile::remove(samples() + "a.csv");
        addSample("later.csv");
        f->open();
        QCOMPARE(GetSetting("Snapshot", ""), recorded);
    }

    // The old samples still existing used to keep the old recording for good.
    void movedProgramWhoseOldSamplesStillExistRecordsItsOwn()
    {
        QTemporaryDir oldProgram;
        const QString old = QDir::toNativeSeparators(oldProgram.path()) + "/Samples/";
        QVERIFY(QDir().mkpath(old));
        QFile oldSample(old + "a.csv");
        QVERIFY(oldSample.open(QIODevice::WriteOnly));
        oldSample.close();
        SaveSetting("Snapshot", ScrambleText(old + "a.csv", sampleListKey));
        // Without samples of its own the program keeps what it has.
        f->open();
        QCOMPARE(UnscrambleText(GetSetting("Snapshot", ""), sampleListKey), old + "a.csv");

        QDir(f->programDir.path()).mkdir("Samples");
        addSample("b.csv");
        f->open();
        QCOMPARE(UnscrambleText(GetSetting("Snapshot", ""), sampleListKey), samples() + "b.csv");
        f->prompts.answerMessage(Answer::No);
        f->form->PushButton8->click();
        QCOMPARE(rows(), QStringList{samples() + "b.csv"});
    }

    // Yes used to do nothing at all where no program opens folders.
    void openingTheSampleFolderWithoutAProgramSaysSo()
    {
        QDir(f->programDir.path()).mkdir("Samples");
        addSample("a.csv");
        f->open();
        f->prompts.answerMessage(Answer::Yes).expectDesktop(false).answerMessage();
        f->form->PushButton8->click();
        QCOMPARE(f->prompts.shown().last().text, "No program was found to open " + samples() + ".");
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 2);
        QCOMPARE(rows(), QStringList{samples() + "a.csv"});
    }

    void rowDifferingInCaseIsNotTheSample()
    {
        QDir(f->programDir.path()).mkdir("Samples");
        addSample("s.csv");
        f->open();
        f->form->ListView1->fileList()->Append(samples() + "S.csv");
        f->prompts.answerMessage(Answer::No);
        f->form->PushButton8->click();
        QCOMPARE(rows(), QStringList({samples() + "S.csv", samples() + "s.csv"}));
    }
};

QTEST_MAIN(TestSamples)
#include "test_samples.moc"
