#include "pairs/widgets/setfilescommands.h"

#include "pairs/setsfile.h"
#include "pairs/setsfolder.h"

#include <QPushButton>

SetFilesCommands::SetFilesCommands(const Controls& controls, WindowServices& services, QWidget* window)
    : QObject(window),
      m_controls(controls),
      m_services(services),
      m_window(window)
{
    connect(m_controls.PushButton1, &QPushButton::clicked, this, &SetFilesCommands::PushButton1_Click);
    connect(m_controls.PushButton2, &QPushButton::clicked, this, &SetFilesCommands::PushButton2_Click);
}

// Labels of the steps below, as error reports give them.
namespace loadSetsStep {
constexpr int showDialog = 100;
}

void SetFilesCommands::PushButton1_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton1_Click"));
    proc.step(loadSetsStep::showDialog, [&] {
        LoadSetsDialog dialog(
            m_services,
            [this](const QString& find, const QString& replace) { m_controls.sets.appendSet(find, replace); },
            m_window);
        dialog.setModal(true);
        dialog.Form_Load();
        runDialog(dialog);
    });
}

// Labels of the steps below, as error reports give them.
namespace saveSetsStep {
constexpr int pick = 100, rememberFolder = 110, write = 114, unsavableSet = 116;
}

void SetFilesCommands::PushButton2_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton2_Click"));
    // Before the dialog: a set that would load back as another one is not
    // saved, and nor are the others, so that the file never misleads.
    const QStringList finds = m_controls.sets.findItems();
    const QStringList replaces = m_controls.sets.replaceItems();
    for (int i = 0; i < finds.size(); ++i) {
        const QString problem = setSaveProblem(finds[i], replaces.value(i));
        if (problem.isEmpty())
            continue;
        proc.step(saveSetsStep::unsavableSet, [&] {
            m_services.prompts.message(unsavableSetMessage(finds[i], replaces.value(i), problem)
                + QStringLiteral(" The sets were not saved: remove this set with \"Remove "
                                 "Selected Set\" to save the others."));
        });
        return;
    }
    QString path;
    proc.step(saveSetsStep::pick, [&] {
        path = m_services.prompts.saveFile({QStringLiteral("Save"),
            QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"), false, setsStartFolder()});
    });
    if (path.isEmpty())
        return;
    proc.step(saveSetsStep::rememberFolder, [&] { rememberSetsFolder(path); });
    proc.step(saveSetsStep::write, [&] { WriteSetsFile(path, finds, replaces, m_services.prompts); });
}
