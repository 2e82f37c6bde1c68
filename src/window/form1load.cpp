// Form1's load sequence: look, pointer, the occasional home-page call, sample
// recording, caption and title, the list's column, then the restored choices.
#include "window/form1.h"

#include "base/appinfo.h"
#include "base/widgets/cursorfile.h"
#include "base/desktopfolder.h"
#include "base/widgets/facecolour.h"
#include "base/fileexists.h"
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "base/widgets/programicon.h"
#include "base/settings.h"
#include "window/samplefiles.h"
#include "window/tabcontrol.h"
#include "window/twiplayout.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QtNumeric>

namespace {
int tabIndexFromText(const QString& text, int count)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !qIsFinite(number))
        throw Failure(QStringLiteral("Type mismatch"));
    // Range first: rounding a huge number to int is undefined.
    if (number <= -0.5 || number >= count - 0.5)
        throw Failure(QStringLiteral("Invalid property value"));
    return qRound(number);
}
} // namespace

void Form1::Form_Load()
{
    GuardedProcedure proc(m_reporter, errorLocation(QStringLiteral("Form1"), QStringLiteral("Form_Load")));
    const QString folder = m_environment.programFolder;

    proc.step(100, [&] { applySkin(); });

    bool haveHand = false;
    proc.step(102, [&] { haveHand = FileExists(folder + QStringLiteral("HAND-M.CUR")); });
    if (haveHand)
        proc.step(104, [&] { m_handCursor = loadCursorFile(folder + QStringLiteral("HAND-M.CUR")); });

    proc.step(106, [&] {
        if (m_environment.drawOneToHundred && m_environment.drawOneToHundred() == 7)
            m_prompts.openWithDesktop(AppInfo::homePage);
    });

    proc.step(108, [&] {
        if (m_recordSampleFiles && SampleRecordingNeeded(folder, m_services.yield))
            m_recordSampleFiles();
    });

    // Caption, icon and application title: three statements on one line, so
    // a failure in one leaves the others done.
    proc.step(130, [&] { setWindowTitle(AppInfo::productName); });
    proc.step(130, [&] { setWindowIcon(programIcon()); });
    proc.step(130, [&] {
        QApplication::setApplicationDisplayName(QString());
        m_prompts.setApplicationTitle(ApplicationTitle(AppInfo::productName));
    });

    proc.step(132, [&] { ListView1->fileList()->setHeaderText(QStringLiteral("File(s)")); });
    proc.step(134, [&] {
        ListView1->header()->resizeSection(0, twipsToPixels(TwipLayout::fileColumnWidth, logicalDpiX()));
    });

    proc.step(136, [&] {
        TabControl1->setCurrentIndex(tabIndexFromText(GetSetting(QStringLiteral("TabSel"), 0), TabControl1->count()));
    });
    proc.step(138, [&] { Text3->setText(GetSetting(QStringLiteral("Output Folder"), DefaultOutputFolder())); });
    proc.step(140, [&] { Option1->setChecked(toTruthValue(GetSetting(QStringLiteral("Option1"), 1))); });
    proc.step(142, [&] { Option2->setChecked(toTruthValue(GetSetting(QStringLiteral("Option2"), 0))); });

    bool option1 = false;
    proc.step(144, [&] { option1 = Option1->isChecked(); });
    if (option1)
        proc.step(146, [&] { Frame4->setEnabled(true); });
    else
        proc.step(148, [&] { Frame4->setEnabled(false); });
}

void Form1::applySkin()
{
    const QString skin = m_environment.programFolder + QStringLiteral("x/o.cjs");
    if (!QFileInfo(skin).isFile())
        return;
    SetFaceColour(this);
    QFile file(skin);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(file.errorString());
    setStyleSheet(QString::fromUtf8(file.readAll()));
}
