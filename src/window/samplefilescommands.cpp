#include "window/samplefilescommands.h"

#include "window/tabcontrol.h"

#include <QPlainTextEdit>
#include <QPushButton>

SampleFilesCommands::SampleFilesCommands(
    const Controls& controls, WindowServices& services, FolderListing listFiles, QObject* parent)
    : QObject(parent),
      m_controls(controls),
      m_services(services),
      m_listFiles(std::move(listFiles))
{
    connect(m_controls.PushButton8, &QPushButton::clicked, this, &SampleFilesCommands::PushButton8_Click);
}

void SampleFilesCommands::recordSampleFilesWhenNeeded()
{
    const QStringList names = sampleNames(m_services.programFolder, m_listFiles);
    if (SampleRecordingNeeded(m_services.programFolder, !names.isEmpty(), m_services.yield))
        RecordSampleFiles(m_services.programFolder, names, m_services.yield);
}

// Labels of the steps below, as error reports give them.
namespace samplesStep {
constexpr int loadSamples = 100, findA = 102, replaceB = 104, singleTab = 106;
}

void SampleFilesCommands::PushButton8_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton8_Click"));
    proc.step(samplesStep::loadSamples, [&] { LoadSampleFiles(*m_controls.fileList, m_services); });
    proc.step(samplesStep::findA, [&] { m_controls.Text1->setPlainText(QStringLiteral("a")); });
    proc.step(samplesStep::replaceB, [&] { m_controls.Text2->setPlainText(QStringLiteral("b")); });
    proc.step(samplesStep::singleTab, [&] { m_controls.TabControl1->setCurrentIndex(0); });
}
