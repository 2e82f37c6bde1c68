#include "base/desktopfolder.h"
#include "base/settings.h"
#include "base/widgets/qtprompts.h"
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "window/tabcontrol.h"

#include "support/window/form1testcase.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <functional>

namespace {
// The real prompts for the Help box, with a desktop that opens nothing; a box
// raised over the open box is recorded instead of shown.
class HelpBoxPrompts : public QtPrompts {
public:
    QStringList opened, told;

protected:
    Answer showMessage(const QString& text, int style, const QString& title) override
    {
        if (QApplication::activeModalWidget()) {
            told.append(text);
            return Answer::Ok;
        }
        return QtPrompts::showMessage(text, style, title);
    }
    bool showWithDesktop(const QString& pathOrUrl) override
    {
        opened.append(pathOrUrl);
        return false;
    }
};
} // namespace

class TestForm1 : public Form1TestCase {
    Q_OBJECT

    static void moveOver(QWidget* widget)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
    }

private slots:
    void firstStartWithEmptyStore()
    {
        Form1& form = f->open();
        QCOMPARE(form.TabControl1->currentIndex(), 0);
        QCOMPARE(form.Text3->text(), DefaultOutputFolder());
        QVERIFY(form.Text3->text().endsWith(QDir::separator()));
        QVERIFY(form.Option1->isChecked());
        QVERIFY(!form.Option2->isChecked());
        QVERIFY(form.Frame4->isEnabled());
        QCOMPARE(form.windowTitle(), QString("Tallowmere"));
        QVERIFY(!form.windowIcon().isNull());
        QCOMPARE(f->prompts.applicationTitle(), QString("Tallowmere"));
        QCOMPARE(form.ListView1->model()->headerData(0, Qt::Horizontal).toString(), QString("File(s)"));
        QCOMPARE(form.ListView1->fileList()->Count(), 0);
    }

    void restartRestoresTabAndDestination()
    {
        {
            Form1& form = f->open();
            form.TabControl1->setCurrentIndex(1);
            SaveSetting("Option1", "False");
            SaveSetting("Option2", "True");
            SaveSetting("Output Folder", "/no/such/folder/");
        }
        QCOMPARE(GetSetting("TabSel", 0), QString("1"));
        Form1& again = f->open();
        QCOMPARE(again.TabControl1->currentIndex(), 1);
        QVERIFY(again.Option2->isChecked());
        QVERIFY(!again.Option1->isChecked());
        QVERIFY(!again.Frame4->isEnabled());
        QCOMPARE(again.Text3->text(), QString("/no/such/folder/"));
    }

    void badOption1ValueGivesOneReportAtLine140()
    {
        SaveSetting("Option1", "Maybe");
        SaveSetting("Option2", "0");
        SaveSetting("TabSel", "1");
        f->prompts.answerMessage();
        Form1& form = f->open();
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 1);
        const ShownPrompt& report = f->prompts.shown().first();
        QCOMPARE(report.title, QString("Application Error"));
        QCOMPARE(report.style, int(StyleExclamation));
        QVERIFY(report.text.startsWith("Type mismatch\r\nin Quorvane2021/08/31.Form1.Form_Load at line 140\r\r"));
        // The rest of the sequence still ran.
        QCOMPARE(form.TabControl1->currentIndex(), 1);
        QVERIFY(form.Option1->isChecked());
        QVERIFY(form.Frame4->isEnabled());
    }

    void unreadableSettingsFileGivesOneReportAndAFreshStore()
    {
        const QByteArray garbage("[Tallowmere\nOption1=False\nTabSel=1\n");
        QFile file(f->settings.fileName());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(garbage);
        file.close();
        f->prompts.answerMessage();
        Form1& form = f->open();
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 1);
        QVERIFY2(f->prompts.shown().first().text.startsWith(
                     "The settings file " + f->settings.fileName() + " could not be read. It was kept as "),
            qPrintable(f->prompts.shown().first().text));
        // The defaults, and a store that takes new choices without another word.
        QCOMPARE(form.TabControl1->currentIndex(), 0);
        QVERIFY(form.Option1->isChecked());
        QCOMPARE(form.Text3->text(), DefaultOutputFolder());
        form.TabControl1->setCurrentIndex(1);
        QCOMPARE(GetSetting("TabSel", 0), QString("1"));
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 1);
        const QDir folder = QFileInfo(f->settings.fileName()).dir();
        const QStringList kept = folder.entryList({"Pellworth.conf.unreadable-*"});
        QCOMPARE(kept.size(), 1);
        QFile aside(folder.filePath(kept[0]));
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), garbage);
    }

    void badTabValueIsReportedAtLine136()
    {
        SaveSetting("TabSel", "7");
        f->prompts.answerMessage();
        Form1& form = f->open();
        QVERIFY(f->prompts.shown().first().text.contains("Form1.Form_Load at line 136\r\r"));
        QCOMPARE(form.TabControl1->currentIndex(), 0);
    }

    void tabChangeIsRemembered()
    {
        Form1& form = f->open();
        form.TabControl1->setCurrentIndex(1);
        QCOMPARE(GetSetting("TabSel", 0), QString("1"));
        form.TabControl1->setCurrentIndex(0);
        QCOMPARE(GetSetting("TabSel", 9), QString("0"));
    }

    void tabClickWithUnwritableStoreIsReportedNotThrown()
    {
        Form1& form = f->open();
        // A folder where the settings file should be: every write fails.
        QFile::remove(f->settings.fileName());
        QVERIFY(QDir().mkdir(f->settings.fileName()));
        f->prompts.answerMessage();
        form.TabControl1->setCurrentIndex(1);
        QCOMPARE(form.TabControl1->currentIndex(), 1);
        QCOMPARE(f->prompts.count(ShownPrompt::Message), 1);
        QVERIFY(
            f->prompts.shown().last().text.contains("in Quorvane2021/08/31.Form1.TabControl1_Click at line 100\r\r"));
    }

    void pointerFeedback()
    {
        Form1& form = f->open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        moveOver(form.PushButton13);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Custom));
        moveOver(form.Frame3);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));
        moveOver(form.PushButton7);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Custom));
        moveOver(form.Text3);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));
    }

    void handPointerLeftBehindOverTabPageOrHeaders()
    {
        // Real pointer moves, delivered the way the window system delivers them.
        Form1& form = f->open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.TabControl1->setCurrentIndex(1);
        QTest::mouseMove(form.PushButton7, QPoint(5, 5));
        QCOMPARE(form.pointer().value(), int(WindowPointer::Custom));
        QTest::mouseMove(form.TabControl1, QPoint(100, form.TabControl1->height() - 4));
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));
        QTest::mouseMove(form.PushButton1, QPoint(5, 5));
        QCOMPARE(form.pointer().value(), int(WindowPointer::Custom));
        QTest::mouseMove(form.TabControl1->tabBar(), QPoint(10, 5));
        QCOMPARE(form.pointer().value(), int(WindowPointer::Default));
    }

    void hoverWhileBusyKeepsHourglass()
    {
        Form1& form = f->open();
        form.pointer().set(WindowPointer::Hourglass);
        moveOver(form.PushButton12);
        moveOver(form.TabControl1);
        moveOver(&form);
        QCOMPARE(form.pointer().value(), int(WindowPointer::Hourglass));
        QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    }

    void handCursorFromProgramFolder()
    {
        Form1& plain = f->open();
        QVERIFY(!plain.handCursor());
        moveOver(plain.PushButton10);
        QCOMPARE(plain.pointer().value(), int(WindowPointer::Custom));

        QVERIFY(QFile::copy(QFINDTESTDATA("../../resources/HAND-M.CUR"), f->programFolder() + "HAND-M.CUR"));
        Form1& withHand = f->open();
        QVERIFY(withHand.handCursor());
        QCOMPARE(withHand.handCursor()->hotSpot(), QPoint(7, 0));
    }

    void skinFileGivesButtonFaceColour()
    {
        QDir(f->programDir.path()).mkdir("x");
        QFile skin(f->programFolder() + "x/o.cjs");
        QVERIFY(skin.open(QIODevice::WriteOnly));
        skin.write("QPushButton { font-weight: bold; }");
        skin.close();
        Form1& form = f->open();
        QVERIFY(form.Frame3->autoFillBackground());
        QCOMPARE(form.Option1->palette().color(QPalette::Window), form.palette().color(QPalette::Button));
        QVERIFY(form.styleSheet().contains("QPushButton"));
    }

    void homePageOnlyOnSeven()
    {
        f->draw = 8;
        f->open();
        f->draw = 7;
        f->prompts.expectDesktop();
        f->open();
        QCOMPARE(f->prompts.shown().last().text, QString("https://www.pellworth.example/"));
        // Nobody asked for the page: that no program opens it is not told.
        f->prompts.expectDesktop(false);
        f->open();
    }

    void helpMessage()
    {
        Form1& form = f->open();
        form.pointer().set(WindowPointer::Hourglass);
        f->prompts.answerMessage();
        form.PushButton10->click();
        const ShownPrompt& help = f->prompts.shown().last();
        QCOMPARE(help.text,
            QString("This software is not intended to be used on non-text-based files such as media "
                    "files, executables, etc.\r\rQuestions? Please contact Team Pellworth at "
                    "https://www.pellworth.example/contact/"));
        QCOMPARE(help.style, int(StyleOkOnly));
        QCOMPARE(help.title, QString("Tallowmere"));
    }

    // The real box: what it shows reads back as the help text itself (an
    // invisible U+2060 used to follow every "/" of the address), the address
    // stays on one line, and a link that no program opens says so once.
    void helpBoxReadsBackExactlyAndItsLinkSaysWhenNothingOpensIt()
    {
        HelpBoxPrompts prompts;
        prompts.setApplicationTitle("Tallowmere");
        Form1 form(prompts, Form1Environment{f->programFolder(), [] { return 1; }});
        form.Form_Load();
        prompts.setOwner(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QString shown, addressLine;
        int addressWidth = 0, labelWidth = 0;
        std::function<void()> actOnBox = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                QTimer::singleShot(10, &form, actOnBox);
                return;
            }
            auto* label = box->findChild<QLabel*>("qt_msgbox_label");
            QTextDocument document;
            document.setHtml(label->text());
            shown = document.toPlainText();
            addressLine = document.findBlock(document.toPlainText().indexOf("https")).text();
            addressWidth = QFontMetrics(label->font()).horizontalAdvance(addressLine);
            labelWidth = label->contentsRect().width();
            emit label->linkActivated("https://www.pellworth.example/contact/");
            box->accept();
        };
        QTimer::singleShot(0, &form, actOnBox);
        form.PushButton10->click();
        QCOMPARE(shown,
            QString("This software is not intended to be used on non-text-based files such as media "
                    "files, executables, etc.\n\nQuestions? Please contact Team Pellworth at "
                    "https://www.pellworth.example/contact/"));
        QVERIFY2(labelWidth >= addressWidth, qPrintable(QString("%1 < %2").arg(labelWidth).arg(addressWidth)));
        QCOMPARE(prompts.opened, QStringList{"https://www.pellworth.example/contact/"});
        QCOMPARE(prompts.told, QStringList{"No program was found to open https://www.pellworth.example/contact/."});
    }

    void childrenGoBeforeTheServicesTheyUse()
    {
        // While the window is still a Form1, its members (services, pointer,
        // reporter) have not been destroyed yet.
        Form1& form = f->open();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        Form1* window = &form;
        int children = 0;
        QStringList lateChildren;
        for (QObject* child : form.children()) {
            ++children;
            QObject::connect(child, &QObject::destroyed, [window, &lateChildren](QObject* gone) {
                if (qobject_cast<Form1*>(window))
                    window->services().pointer.hover(WindowPointer::Default);
                else
                    lateChildren.append(
                        gone->objectName().isEmpty() ? gone->metaObject()->className() : gone->objectName());
            });
        }
        f->form.reset();
        QVERIFY(children >= 10);
        QCOMPARE(lateChildren, QStringList());
    }

    void layoutFollowsTwips()
    {
        Form1& form = f->open();
        const qreal scale = form.logicalDpiX() / 1440.0;
        QCOMPARE(form.size(), QSize(qRound(15960 * scale), qRound(6180 * scale)));
        QCOMPARE(form.PushButton11->geometry(),
            QRect(qRound(4080 * scale), qRound(5160 * scale), qRound(3840 * scale), qRound(405 * scale)));
        // Page controls sit relative to the tab control, headers included.
        const QPoint text1 = form.Text1->mapTo(form.TabControl1, QPoint(0, 0));
        QCOMPARE(text1, QPoint(qRound(225 * scale), qRound(720 * scale)));
        QCOMPARE(form.Text3->mapTo(form.Frame3, QPoint(0, 0)),
            QPoint(qRound((480 + 240) * scale), qRound((510 + 300) * scale)));
        QCOMPARE(form.ListView1->header()->sectionSize(0), qRound(7000 * scale));
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
