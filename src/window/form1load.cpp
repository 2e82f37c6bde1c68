// Form1's load sequence: look, pointer, the occasional home-page call, sample
// recording, caption and title, the list's column, then the restored choices.
#include "base/appinfo.h"
#include "base/desktopfolder.h"
#include "base/fileexists.h"
#include "base/programfiles.h"
#include "base/settings.h"
#include "base/widgets/cursorfile.h"
#include "base/widgets/facecolour.h"
#include "base/widgets/programicon.h"
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "window/form1.h"
#include "window/samplefilescommands.h"
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

// Labels of the steps below, as error reports give them.
namespace loadStep {
constexpr int skin = 100, findHand = 102, loadHand = 104, homePageCall = 106, recordSamples = 108;
constexpr int captionIconTitle = 130, fileColumnHeader = 132, fileColumnWidth = 134;
constexpr int restoreTab = 136, restoreOutputFolder = 138, restoreOption1 = 140, restoreOption2 = 142;
constexpr int readOption1 = 144, enableFolder = 146, disableFolder = 148;
} // namespace loadStep

void Form1::Form_Load()
{
    GuardedProcedure proc(m_reporter, form1Location("Form_Load"));
    const QString folder = m_environment.programFolder;

    proc.step(loadStep::skin, [&] { applySkin(); });

    bool haveHand = false;
    const QString hand = programFile(folder, QStringLiteral("HAND-M.CUR"));
    proc.step(loadStep::findHand, [&] { haveHand = FileExists(hand); });
    if (haveHand)
        proc.step(loadStep::loadHand, [&] { m_handCursor = loadCursorFile(hand); });

    proc.step(loadStep::homePageCall, [&] {
        // Nobody asked for this page: a failure to open it is not told.
        if (m_environment.drawOneToHundred && m_environment.drawOneToHundred() == 7)
            m_prompts.openWithDesktop(AppInfo::homePage);
    });

    proc.step(loadStep::recordSamples, [&] { m_samples->recordSampleFilesWhenNeeded(); });

    // Caption, icon and application title: three statements on one line, so
    // a failure in one leaves the others done.
    proc.step(loadStep::captionIconTitle, [&] { setWindowTitle(AppInfo::productName); });
    proc.step(loadStep::captionIconTitle, [&] { setWindowIcon(programIcon()); });
    proc.step(loadStep::captionIconTitle, [&] {
        QApplication::setApplicationDisplayName(QString());
        m_prompts.setApplicationTitle(ApplicationTitle(AppInfo::productName));
    });

    proc.step(loadStep::fileColumnHeader, [&] { ListView1->fileList()->setHeaderText(QStringLiteral("File(s)")); });
    proc.step(loadStep::fileColumnWidth,
        [&] { ListView1->header()->resizeSection(0, twipsToPixels(TwipLayout::fileColumnWidth, logicalDpiX())); });

    proc.step(loadStep::restoreTab, [&] {
        TabControl1->setCurrentIndex(tabIndexFromText(GetSetting(QStringLiteral("TabSel"), 0), TabControl1->count()));
    });
    proc.step(loadStep::restoreOutputFolder,
        [&] { Text3->setText(GetSetting(QStringLiteral("Output Folder"), DefaultOutputFolder())); });
    proc.step(
        loadStep::restoreOption1, [&] { Option1->setChecked(toTruthValue(GetSetting(QStringLiteral("Option1"), 1))); });
    proc.step(
        loadStep::restoreOption2, [&] { Option2->setChecked(toTruthValue(GetSetting(QStringLiteral("Option2"), 0))); });

    bool option1 = false;
    proc.step(loadStep::readOption1, [&] { option1 = Option1->isChecked(); });
    if (option1)
        proc.step(loadStep::enableFolder, [&] { Frame4->setEnabled(true); });
    else
        proc.step(loadStep::disableFolder, [&] { Frame4->setEnabled(false); });
}

void Form1::applySkin()
{
    const QString skin = programFile(m_environment.programFolder, QStringLiteral("x/o.cjs"));
    if (!QFileInfo(skin).isFile())
        return;
    SetFaceColour(this);
    QFile file(skin);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(file.errorString());
    setStyleSheet(QString::fromUtf8(file.readAll()));
}
