#include "base/settings.h"
#include "engine/textfile/textfilereader.h"
#include "pairs/setsfile.h"
#include "pairs/widgets/loadsetsdialog.h"
#include "pairs/widgets/setfilescommands.h"

#include "support/scriptedprompts.h"
#include "support/temporarysettings.h"
#include "support/testfiles.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/resource.h>
#endif

class TestSetFiles : public QObject {
    Q_OBJECT
    std::unique_ptr<TemporarySettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<ErrorReporter> m_reporter;
    std::unique_ptr<WindowPointer> m_pointer;
    std::unique_ptr<WindowServices> m_services;
    QList<QPair<QString, QString>> m_appended;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<LoadSetsDialog> openDialog()
    {
        auto dialog
            = std::make_unique<LoadSetsDialog>(*m_services, [this](const QString& find, const QString& replace) {
                  m_appended.append({find, replace});
              });
        dialog->Form_Load();
        return dialog;
    }

    // Loads a file through the dialog; true when the dialog closed.
    bool load(const QString& file, const QString& separator)
    {
        auto dialog = openDialog();
        dialog->Text2->setText(separator);
        dialog->Text1->setText(file);
        dialog->setVisible(true);
        dialog->PushButton1->click();
        return dialog->result() == QDialog::Accepted && !dialog->isVisible();
    }

private slots:
    void init()
    {
        m_settings = std::make_unique<TemporarySettings>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompts = std::make_unique<ScriptedPrompts>();
        m_prompts->setApplicationTitle("Tallowmere");
        m_reporter = std::make_unique<ErrorReporter>(*m_prompts);
        m_pointer = std::make_unique<WindowPointer>();
        m_services.reset(new WindowServices{
            *m_prompts, *m_reporter, *m_pointer, QDir::toNativeSeparators(m_dir->path()) + "/", [] {}});
        m_appended.clear();
    }
    void cleanup() { QVERIFY2(m_prompts->done(), qPrintable(m_prompts->problems())); }

    void savedFileIsExactlyTheSetLines()
    {
        WriteSetsFile(path("sets.txt"), {"hi", "peter"}, {"hello", "pete"}, *m_prompts);
        QCOMPARE(readBytes(path("sets.txt")), QByteArray("hi::hello\r\npeter::pete\r\n"));
    }

    void overwriteAskedAndHonoured()
    {
        writeBytes(path("old.txt"), "keep me");
        m_prompts->answerMessage(Answer::No);
        WriteSetsFile(path("old.txt"), {}, {}, *m_prompts);
        QCOMPARE(readBytes(path("old.txt")), QByteArray("keep me"));
        const ShownPrompt& question = m_prompts->shown().last();
        QCOMPARE(question.text, "Are you sure you wish to overwrite " + path("old.txt") + " ?");
        QCOMPARE(question.style, int(StyleYesNo));
        QCOMPARE(question.title, QString("Tallowmere"));

        m_prompts->answerMessage(Answer::Yes);
        WriteSetsFile(path("old.txt"), {}, {}, *m_prompts);
        QCOMPARE(readBytes(path("old.txt")), QByteArray());
    }

    void truncatedSaveReplacedTheOldFile()
    {
#if !defined(Q_OS_UNIX)
        QSKIP("needs a file size limit");
#else
        // A file size limit makes the write stop half-way, as a full disk does, for root too.
        writeBytes(path("sets.txt"), "old");
        struct rlimit saved;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 1000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        m_prompts->answerMessage(Answer::Yes);
        QString failure;
        try {
            WriteSetsFile(path("sets.txt"), QStringList(100, QString(40, 'a')), QStringList(100, "b"), *m_prompts);
        } catch (const Failure& error) {
            failure = error.description();
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldSignal);
        QCOMPARE(failure, QString("File too large"));
        QCOMPARE(readBytes(path("sets.txt")), QByteArray("old"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList({"sets.txt"}));
#endif
    }

    void saveSetsDialogCancelAndFailureAtStep114()
    {
        QComboBox finds;
        QComboBox replaces;
        finds.addItem("a");
        replaces.addItem("1");
        QPushButton load;
        QPushButton save;
        SetFilesCommands commands({&load, &save, SetsList(finds, replaces)}, *m_services, nullptr);

        m_prompts->answerSaveFile("");
        commands.PushButton2_Click();
        const ShownPrompt& dialog = m_prompts->shown().last();
        QCOMPARE(dialog.kind, ShownPrompt::SaveFile);
        QCOMPARE(dialog.text, QString("Save"));
        QCOMPARE(dialog.title, QString("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
        QCOMPARE(m_prompts->shown().size(), 1);

        m_prompts->answerSaveFile(path("no-such-folder/sets.txt")).answerMessage();
        commands.PushButton2_Click();
        const ShownPrompt& report = m_prompts->shown().last();
        QCOMPARE(report.title, QString("Application Error"));
        QVERIFY2(report.text.contains("\r\nin Quorvane2021/08/31.Form1.PushButton2_Click at line 114\r\r"),
            qPrintable(report.text));
        QVERIFY(!QFile::exists(path("no-such-folder/sets.txt")));
    }

    void roundTripWithSeparatorInsideAndNonAscii()
    {
        writeBytes(path("comma.txt"), "a::b,c\r\ncafé,日本\r\n");
        QVERIFY(load(path("comma.txt"), ","));
        QCOMPARE(m_appended.size(), 2);
        QCOMPARE(m_appended[0], qMakePair(QString("a::b"), QString("c")));
        QCOMPARE(m_appended[1], qMakePair(QString::fromUtf8("café"), QString::fromUtf8("日本")));
        WriteSetsFile(path("saved.txt"), {m_appended[0].first, m_appended[1].first},
            {m_appended[0].second, m_appended[1].second}, *m_prompts);
        QCOMPARE(readBytes(path("saved.txt")), QByteArray("a::b::c\r\ncafé::日本\r\n"));
        m_appended.clear();
        QVERIFY(load(path("saved.txt"), "::"));
        QCOMPARE(m_appended[0], qMakePair(QString("a"), QString("b")));
        QCOMPARE(m_appended[1], qMakePair(QString::fromUtf8("café"), QString::fromUtf8("日本")));
    }

    // Every short text over the characters that matter to a set file: the
    // refusal names a problem exactly when the saved line loads back as
    // another set (or none).
    void saveProblemNamedExactlyWhenTheSetDoesNotLoadBack()
    {
        const QList<QChar> alphabet{':', 'a', '\r', '\n', QChar(0xFEFF), QChar(0xD800)};
        QStringList texts{QString()};
        for (int length = 1, from = 0; length <= 3; ++length) {
            const int to = texts.size();
            for (int i = from; i < to; ++i)
                for (QChar c : alphabet)
                    texts.append(texts[i] + c);
            from = to;
        }
        QList<SetLine> sets;
        for (const QString& text : texts) {
            sets.append({text, QStringLiteral("r")});
            sets.append({QStringLiteral("f"), text});
        }
        sets.append({QString::fromUtf8("caf\u00e9 \U0001D11E"), QString::fromUtf8("\u65e5\u672c:")});
        sets.append({QString(QChar(0)), QString::fromUtf8("\u00e9:")});
        int refused = 0;
        for (const SetLine& set : sets) {
            WriteSetsFile(path("one.txt"), {set.find}, {set.replace}, *m_prompts);
            QList<SetLine> back;
            for (const QString& line : ReadFileLines(path("one.txt")).lines) {
                SetLine read;
                if (cutSetLine(line, "::", read))
                    back.append(read);
            }
            const bool same = back.size() == 1 && back[0].find == set.find && back[0].replace == set.replace;
            const QString problem = setSaveProblem(set.find, set.replace);
            QVERIFY2(same == problem.isEmpty(),
                qPrintable(QString("%1 / %2: %3")
                               .arg(set.find.toUtf8().toPercentEncoding(), set.replace.toUtf8().toPercentEncoding(),
                                   problem)));
            refused += !same;
            QFile::remove(path("one.txt"));
        }
        QVERIFY(refused > 0 && refused < sets.size());
    }

    void commaFileWithEachSeparator()
    {
        writeBytes(path("comma.txt"), "hi,hello\r\npeter,pete\r\n");
        QVERIFY(load(path("comma.txt"), ","));
        QCOMPARE(m_appended, (QList<QPair<QString, QString>>{{"hi", "hello"}, {"peter", "pete"}}));
        m_appended.clear();
        QVERIFY(load(path("comma.txt"), "::"));
        QVERIFY(m_appended.isEmpty());
    }

    void cuttingRules()
    {
        writeBytes(path("cuts.txt"), "a::b::c\r\nabc::\r\n::x\r\n\r\nnothing here\r\n");
        QVERIFY(load(path("cuts.txt"), "::"));
        QCOMPARE(m_appended, (QList<QPair<QString, QString>>{{"a", "b"}, {"abc", ""}, {"", "x"}}));
        m_appended.clear();
        writeBytes(path("x.txt"), "aXb\r\naxb\r\n");
        QVERIFY(load(path("x.txt"), "X"));
        QCOMPARE(m_appended, (QList<QPair<QString, QString>>{{"a", "b"}}));
    }

    void loadingTwiceAppendsTwice()
    {
        writeBytes(path("s.txt"), "p::q\r\n");
        QVERIFY(load(path("s.txt"), "::"));
        QVERIFY(load(path("s.txt"), "::"));
        QCOMPARE(m_appended.size(), 2);
    }

    void dialogMessages()
    {
        QDir(m_dir->path()).mkdir("folder");
        writeBytes(path(".hidden.txt"), "h::i\r\n");

        m_prompts->answerMessage();
        QVERIFY(!load(path("s.txt"), ""));
        QCOMPARE(m_prompts->shown().last().text, QString("You must enter separating character(s)."));

        QVERIFY(!load("   ", "::"));
        // Only blanks are trimmed: a path of a tab is looked up, and not found.
        m_prompts->answerMessage();
        QVERIFY(!load("\t", "::"));
        QCOMPARE(m_prompts->shown().last().text, QString("\t not found."));
        m_prompts->answerMessage();
        QVERIFY(!load(" \r\n ", "::"));
        QCOMPARE(m_prompts->shown().last().text, QString(" \r\n  not found."));

        m_prompts->answerMessage();
        QVERIFY(!load(path("missing.txt"), "::"));
        const ShownPrompt& missing = m_prompts->shown().last();
        QCOMPARE(missing.text, path("missing.txt") + " not found.");
        QCOMPARE(missing.title, QString("File Not Found"));
        QCOMPARE(missing.style, int(StyleStop));

        m_prompts->answerMessage();
        QVERIFY(!load(path("folder"), "::"));
        QCOMPARE(m_prompts->shown().last().text, path("folder") + " not found.");

        // An existing dot-file is a file like any other.
        QVERIFY(load(path(".hidden.txt"), "::"));
        QCOMPARE(m_appended, (QList<QPair<QString, QString>>{{"h", "i"}}));
        QVERIFY(m_appended.size() == 1);
    }

    void unreadableFileReportsStep106AndAppendsNothing()
    {
        // A file marked UTF-8 whose second line is not: no line of it is taken.
        writeBytes(path("broken.txt"),
            "\xEF\xBB\xBF"
            "a::b\r\n\xFF\xFE::x\r\n");
        m_prompts->answerMessage();
        QVERIFY(!load(path("broken.txt"), "::"));
        QVERIFY(m_prompts->shown().last().text.contains("Form2.PushButton1_Click at line 106\r\r"));
        QVERIFY(m_appended.isEmpty());
        if (geteuid() == 0)
            return; // root reads every file
        writeBytes(path("locked.txt"), "a::b\r\n");
        QFile::setPermissions(path("locked.txt"), {});
        m_prompts->answerMessage();
        QVERIFY(!load(path("locked.txt"), "::"));
        QVERIFY(m_prompts->shown().last().text.startsWith(
            "Permission denied\r\nin Quorvane2021/08/31.Form2.PushButton1_Click at line 106"));
        QVERIFY(m_appended.isEmpty());
    }

    void separatorRememberedEvenWhenCancelled()
    {
        {
            auto dialog = openDialog();
            QCOMPARE(dialog->Text2->text(), QString("::"));
            QVERIFY(dialog->Text1->text().isEmpty());
            dialog->Text1->setText("/some/path");
            dialog->Text2->setText(";");
            dialog->PushButton2->click();
        }
        QCOMPARE(GetSetting("Form2.Text2", "::"), QString(";"));
        auto again = openDialog();
        QCOMPARE(again->Text2->text(), QString(";"));
        QVERIFY(again->Text1->text().isEmpty());
    }

    void separatorTypedWithUnwritableStoreIsReportedNotThrown()
    {
        auto dialog = openDialog();
        // A folder where the settings file should be: every write fails.
        QFile::remove(m_settings->fileName());
        QVERIFY(QDir().mkdir(m_settings->fileName()));
        m_prompts->answerMessage();
        QTest::keyClick(dialog->Text2, Qt::Key_Semicolon);
        QCOMPARE(dialog->Text2->text(), QString("::;"));
        QVERIFY(m_prompts->shown().last().text.contains("in Quorvane2021/08/31.Form2.Text2_Change at line 100\r\r"));
    }

    void focusOrderAndCaptions()
    {
        auto dialog = openDialog();
        QCOMPARE(dialog->windowTitle(), QString("Load Sets"));
        QCOMPARE(dialog->Label1_0->text(), QString("File To Load:"));
        QCOMPARE(dialog->Label1_1->text(), QString("Separator:"));
        QList<QWidget*> order;
        QWidget* w = dialog->Text1;
        for (int i = 0; i < 6; ++i) {
            order.append(w);
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
        }
        QCOMPARE(order,
            (QList<QWidget*>{dialog->Text1, dialog->Text2, dialog->PushButton1, dialog->PushButton2,
                dialog->PushButton16, dialog->PushButton3}));
        QVERIFY(!dialog->windowIcon().isNull());
    }

    void handPointerOverButtonsOnlyWithTheCursorFile()
    {
        for (const bool withFile : {false, true}) {
            if (withFile)
                QVERIFY(QFile::copy(QFINDTESTDATA("../../resources/HAND-M.CUR"), path("HAND-M.CUR")));
            auto dialog = openDialog();
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
            QTest::mouseMove(dialog->PushButton1, QPoint(5, 5));
            QCOMPARE(dialog->pointer().value(), int(WindowPointer::Custom));
            QCOMPARE(dialog->cursor().shape(), withFile ? Qt::BitmapCursor : Qt::ArrowCursor);
            QTest::mouseMove(dialog.get(), QPoint(dialog->width() / 2, 2));
            QCOMPARE(dialog->pointer().value(), int(WindowPointer::Default));
            QCOMPARE(dialog->cursor().shape(), Qt::ArrowCursor);
        }
    }

    void helpAndBrowse()
    {
        auto dialog = openDialog();
        m_prompts->answerMessage();
        dialog->PushButton3->click();
        const QString help = m_prompts->shown().last().text;
        QCOMPARE(help.split("\r\n").size(), 18);
        QVERIFY(help.startsWith("If the text file you are loading looks like this:\r\n\r\nhi::hello\r\n"));
        QVERIFY(help.endsWith("always saves in this format:\r\n\r\nhi::hello\r\npeter::pete"));

        m_prompts->answerOpenFiles({"/picked/sets.txt"});
        dialog->PushButton16->click();
        QCOMPARE(dialog->Text1->text(), QString("/picked/sets.txt"));
        QCOMPARE(m_prompts->shown().last().text, QString("Select Text File"));
        QCOMPARE(m_prompts->shown().last().title, QString("Text Files (*.txt)|*.txt|"));
        m_prompts->answerOpenFiles({});
        dialog->PushButton16->click();
        QCOMPARE(dialog->Text1->text(), QString("/picked/sets.txt"));
    }

    // Both set-file dialogs open where a set file was last picked in either,
    // after a restart too; a cancelled dialog forgets nothing.
    void setFileDialogsOpenInTheFolderLastUsed()
    {
        QComboBox finds;
        QComboBox replaces;
        QPushButton load;
        QPushButton save;
        SetFilesCommands commands({&load, &save, SetsList(finds, replaces)}, *m_services, nullptr);
        m_prompts->answerSaveFile(path("kept/sets.txt"));
        QDir(m_dir->path()).mkdir("kept");
        commands.PushButton2_Click();
        QCOMPARE(m_prompts->shown().last().extra, QString());
        QVERIFY(QFile::exists(path("kept/sets.txt")));

        auto dialog = openDialog();
        m_prompts->answerOpenFiles({});
        dialog->PushButton16->click();
        QCOMPARE(m_prompts->shown().last().extra, QDir::toNativeSeparators(path("kept")));
        m_prompts->answerOpenFiles({"/elsewhere/other.txt"});
        dialog->PushButton16->click();

        m_prompts->answerSaveFile("");
        commands.PushButton2_Click();
        QCOMPARE(m_prompts->shown().last().extra, QDir::toNativeSeparators("/elsewhere"));
        QCOMPARE(GetSetting("SetsFolder", QString()), QDir::toNativeSeparators("/elsewhere"));
    }
};

QTEST_MAIN(TestSetFiles)
#include "test_setfiles.moc"
