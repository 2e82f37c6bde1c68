#include "pairs/widgets/setfilescommands.h"

#include "pairs/setsfile.h"
#include "pairs/widgets/setslist.h"

SetFilesCommands::SetFilesCommands(WindowServices& services, QComboBox* findList, QComboBox* replaceList,
                                   LoadSetsDialog::AppendSet appendSet, QWidget* window)
    : QObject(window),
      m_services(services),
      m_findList(findList),
      m_replaceList(replaceList),
      m_appendSet(std::move(appendSet)),
      m_window(window)
{
}

// Labels of the steps below, as error reports give them.
namespace loadSetsStep {
constexpr int showDialog = 100;
}

void SetFilesCommands::PushButton1_Click()
{
    GuardedProcedure proc(m_services.reporter, errorLocation(QStringLiteral("Form1"), QStringLiteral("PushButton1_Click")));
    proc.step(loadSetsStep::showDialog, [&] {
        LoadSetsDialog dialog(m_services, m_appendSet, m_window);
        dialog.setModal(true);
        dialog.Form_Load();
        runDialog(dialog);
    });
}

// Labels of the steps below, as error reports give them.
namespace saveSetsStep {
constexpr int pick = 100, write = 114;
}

void SetFilesCommands::PushButton2_Click()
{
    GuardedProcedure proc(m_services.reporter, errorLocation(QStringLiteral("Form1"), QStringLiteral("PushButton2_Click")));
    QString path;
    proc.step(saveSetsStep::pick, [&] {
        path = m_services.prompts.saveFile(
            {QStringLiteral("Save"), QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"), false, QString()});
    });
    if (path.isEmpty())
        return;
    proc.step(saveSetsStep::write, [&] {
        WriteSetsFile(path, SetsList::items(*m_findList), SetsList::items(*m_replaceList), m_services.prompts);
    });
}
