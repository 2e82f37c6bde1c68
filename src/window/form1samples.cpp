// Form1's "Load Sample/Example Files" and the recording of the samples.
#include "window/form1.h"

#include "filelist/widgets/filelistview.h"
#include "window/samplefiles.h"
#include "window/tabcontrol.h"

#include <QPlainTextEdit>
#include <QPushButton>

void Form1::attachSampleFiles(FolderListing listFiles)
{
    m_recordSampleFiles = [this, listFiles] {
        RecordSampleFiles(m_environment.programFolder, listFiles, m_services.yield);
    };
    connect(PushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
}

// Labels of the steps below, as error reports give them.
namespace samplesStep {
constexpr int loadSamples = 100, findA = 102, replaceB = 104, singleTab = 106;
}

void Form1::PushButton8_Click()
{
    GuardedProcedure proc(m_reporter, errorLocation(QStringLiteral("Form1"), QStringLiteral("PushButton8_Click")));
    proc.step(samplesStep::loadSamples, [&] { LoadSampleFiles(*ListView1->fileList(), m_services); });
    proc.step(samplesStep::findA, [&] { Text1->setPlainText(QStringLiteral("a")); });
    proc.step(samplesStep::replaceB, [&] { Text2->setPlainText(QStringLiteral("b")); });
    proc.step(samplesStep::singleTab, [&] { TabControl1->setCurrentIndex(0); });
}
