#include "base/commandline.h"

#include <QDir>
#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT

    static CommandLineAnswer answer(const QStringList& arguments)
    {
        return answerCommandLine(arguments, QStringLiteral("/work/here"));
    }

private slots:
    void helpAndVersionPrintAndEnd()
    {
        const CommandLineAnswer help = answer({"--help"});
        QVERIFY(help.handled);
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.output.startsWith("Usage: tallowmere"));
        QVERIFY(help.output.contains("--version"));
        QVERIFY(help.errors.isEmpty());
        QCOMPARE(answer({"-h"}).output, help.output);
        QCOMPARE(answer({"--version", "--help"}).output, help.output);
        QCOMPARE(answer({"a.csv", "--help"}).output, help.output);

        const CommandLineAnswer version = answer({"--version"});
        QVERIFY(version.handled);
        QCOMPARE(version.output, QString("Tallowmere " TALLOWMERE_VERSION "\n"));
        QCOMPARE(answer({"-v"}).output, version.output);
    }

    // Exit code 2 with the usage on standard error, whatever else the line holds;
    // Qt's own options are not taken either.
    void unknownOptionsAreRefused()
    {
        const QList<QPair<QStringList, QString>> lines{{{"--helper"}, "--helper"}, {{"-x"}, "-x"},
            {{"a.csv", "--bogus"}, "--bogus"}, {{"--help", "--bogus"}, "--bogus"},
            {{"-platform", "offscreen"}, "-platform"}};
        for (const auto& [line, option] : lines) {
            const CommandLineAnswer refused = answer(line);
            QVERIFY2(refused.handled, qPrintable(line.join(' ')));
            QCOMPARE(refused.exitCode, 2);
            QVERIFY(refused.output.isEmpty());
            QVERIFY2(refused.errors.startsWith("tallowmere: unknown option " + option + "\nUsage: tallowmere"),
                qPrintable(refused.errors));
            QVERIFY(refused.paths.isEmpty());
        }
    }

    void pathsOpenTheWindowAsAbsolutePathsInOrder()
    {
        QVERIFY(!answer({}).handled);
        QVERIFY(answer({}).paths.isEmpty());
        const CommandLineAnswer files
            = answer({"b.csv", "/data/a.csv", "../up/./c.csv", "-", "--", "-dash.csv", "--help"});
        QVERIFY(!files.handled);
        QCOMPARE(files.paths,
            QStringList({QDir::toNativeSeparators("/work/here/b.csv"), QDir::toNativeSeparators("/data/a.csv"),
                QDir::toNativeSeparators("/work/up/c.csv"), QDir::toNativeSeparators("/work/here/-"),
                QDir::toNativeSeparators("/work/here/-dash.csv"), QDir::toNativeSeparators("/work/here/--help")}));
    }
};

QTEST_MAIN(TestCommandLine)
#include "test_commandline.moc"
