#include "base/commandline.h"

#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void helpAndVersionPrintAndEnd()
    {
        const CommandLineAnswer help = answerCommandLine({"--help"});
        QVERIFY(help.handled);
        QVERIFY(help.output.startsWith("Usage: tallowmere"));
        QVERIFY(help.output.contains("--version"));
        QCOMPARE(answerCommandLine({"-h"}).output, help.output);
        QCOMPARE(answerCommandLine({"--version", "--help"}).output, help.output);

        const CommandLineAnswer version = answerCommandLine({"--version"});
        QVERIFY(version.handled);
        QCOMPARE(version.output, QString("Tallowmere " TALLOWMERE_VERSION "\n"));
        QCOMPARE(answerCommandLine({"-v"}).output, version.output);
    }

    void anythingElseOpensTheWindow()
    {
        QVERIFY(!answerCommandLine({}).handled);
        QVERIFY(!answerCommandLine({"/home/user/data.csv"}).handled);
        QVERIFY(!answerCommandLine({"--helper"}).handled);
        QVERIFY(!answerCommandLine({"-platform", "offscreen"}).handled);
    }
};

QTEST_MAIN(TestCommandLine)
#include "test_commandline.moc"
