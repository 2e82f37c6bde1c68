#include "base/appinfo.h"
#include "base/errorreport.h"

#include "support/scriptedprompts.h"

#include <QTest>

class TestErrorReport : public QObject {
    Q_OBJECT

private slots:
    void reportTextByteForByte()
    {
        const QString text = errorReportText("Permission denied", errorLocation("Form1", "PushButton12_Click"), 144);
        QCOMPARE(text,
            QString("Permission denied\r\nin Quorvane2021/08/31.Form1.PushButton12_Click at line 144"
                    "\r\rPlease email screenshot of this message to support@pellworth.example"));
        QCOMPARE(subDirectoriesErrorLocation(), QString("in Ravelstone2021/08/31.AddFolder.GetSubDirectories2016 "));
    }

    void failedStepIsReportedAndProcedureGoesOn()
    {
        ScriptedPrompts prompts;
        prompts.setApplicationTitle("Tallowmere");
        prompts.answerMessage();
        ErrorReporter reporter(prompts);
        GuardedProcedure proc(reporter, errorLocation("ReplaceText", "ReplaceTextInFile"));
        QStringList ran;
        QVERIFY(proc.step(100, [&] { ran << "100"; }));
        QVERIFY(!proc.step(102, [&] { throw Failure("No such file or directory"); }));
        QVERIFY(proc.step(104, [&] { ran << "104"; }));
        QCOMPARE(ran, QStringList({"100", "104"}));
        QCOMPARE(proc.failures(), 1);
        QVERIFY2(prompts.done(), qPrintable(prompts.problems()));
        const ShownPrompt& shown = prompts.shown().first();
        QCOMPARE(shown.title, QString("Application Error"));
        QCOMPARE(shown.style, int(StyleExclamation));
        QVERIFY(shown.text.startsWith(
            "No such file or directory\r\nin Quorvane2021/08/31.ReplaceText.ReplaceTextInFile at line 102\r\r"));
    }

    void labelOfLastReachedStepIsReported()
    {
        ScriptedPrompts prompts;
        prompts.answerMessage();
        ErrorReporter reporter(prompts);
        GuardedProcedure proc(reporter, errorLocation("Form1", "Form_Load"));
        proc.step(110, [] {});
        proc.step(112, [] { throw std::runtime_error("boom"); });
        QVERIFY(prompts.shown().first().text.contains("at line 112\r\r"));
    }

    void applicationTitle()
    {
        QCOMPARE(ApplicationTitle("Tallowmere"), QString("Tallowmere"));
        QCOMPARE(ApplicationTitle("Tallowmere Pro"), QString("Tallowmere"));
        QCOMPARE(ApplicationTitle("A B C"), QString("A B"));
        const QString longName = QString(45, 'x') + " y " + QString(3, 'z');
        QCOMPARE(ApplicationTitle(longName), QString(45, 'x'));
    }

    void boxWithoutTitleShowsApplicationTitle()
    {
        ScriptedPrompts prompts;
        prompts.setApplicationTitle("Tallowmere");
        prompts.answerMessage().answerMessage();
        prompts.message("Done.");
        prompts.message("x", StyleStop, "File Not Found");
        QCOMPARE(prompts.shown().at(0).title, QString("Tallowmere"));
        QCOMPARE(prompts.shown().at(1).title, QString("File Not Found"));
        QVERIFY(prompts.done());
    }

    void scriptedPromptsFlagUnexpectedAndUnused()
    {
        ScriptedPrompts prompts;
        prompts.answerInput("x");
        prompts.message("surprise");
        QVERIFY(!prompts.done());
        QVERIFY(prompts.problems().contains("unexpected message"));
        QVERIFY(prompts.problems().contains("unused answer for a input"));
    }
};

QTEST_GUILESS_MAIN(TestErrorReport)
#include "test_errorreport.moc"
