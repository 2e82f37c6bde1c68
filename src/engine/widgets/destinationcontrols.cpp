#include "engine/widgets/destinationcontrols.h"

#include "base/errorreport.h"
#include "base/settings.h"
#include "base/windowservices.h"
#include "engine/widgets/browsefolder.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

DestinationControls::DestinationControls(const Controls& controls, WindowServices& services, QObject* parent)
    : QObject(parent),
      m_controls(controls),
      m_services(services)
{
    // clicked also comes from arrow keys moving between the options, never from
    // the load sequence setting them.
    connect(controls.Option1, &QRadioButton::clicked, this, &DestinationControls::Option1_Click);
    connect(controls.Option2, &QRadioButton::clicked, this, &DestinationControls::Option2_Click);
    connect(controls.Text3, &QLineEdit::textChanged, this, &DestinationControls::Text3_Change);
    connect(controls.PushButton14, &QPushButton::clicked, this, &DestinationControls::PushButton14_Click);
}

bool DestinationControls::option1() const
{
    return m_controls.Option1->isChecked();
}

bool DestinationControls::option2() const
{
    return m_controls.Option2->isChecked();
}

QString DestinationControls::outputFolder() const
{
    return m_controls.Text3->text();
}

void DestinationControls::Option1_Click()
{
    optionClick("Option1_Click");
}

void DestinationControls::Option2_Click()
{
    optionClick("Option2_Click");
}

// Labels of the steps below, as error reports give them.
namespace optionClickStep {
constexpr int rememberOption1 = 100, rememberOption2 = 102, enableFolder = 104;
}

void DestinationControls::optionClick(const char* procedure)
{
    // Guarded although the window's other option handlers are not: a settings
    // store that can't be written must not end the program from an event.
    GuardedProcedure proc(m_services.reporter, form1Location(procedure));
    proc.step(optionClickStep::rememberOption1, [&] { SaveSetting(QStringLiteral("Option1"), truthText(option1())); });
    proc.step(optionClickStep::rememberOption2, [&] { SaveSetting(QStringLiteral("Option2"), truthText(option2())); });
    proc.step(optionClickStep::enableFolder, [&] { m_controls.Frame4->setEnabled(option1()); });
}

// Labels of the steps below, as error reports give them.
namespace folderChangeStep {
constexpr int remember = 100;
}

void DestinationControls::Text3_Change()
{
    GuardedProcedure proc(m_services.reporter, form1Location("Text3_Change"));
    proc.step(folderChangeStep::remember, [&] { SaveSetting(QStringLiteral("Output Folder"), outputFolder()); });
}

// Labels of the steps below, as error reports give them.
namespace browseFolderStep {
constexpr int browse = 100, remember = 104, showWithSeparator = 108, showAsIs = 110;
}

void DestinationControls::PushButton14_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton14_Click"));
    QString chosen;
    proc.step(browseFolderStep::browse, [&] {
        const QString startFolder = GetSetting(QStringLiteral("LastFolderDot"), QString());
        chosen = BrowseFolder(m_services.prompts, QStringLiteral("Please select folder:"), startFolder);
    });
    if (chosen.isEmpty())
        return;
    proc.step(browseFolderStep::remember, [&] { SaveSetting(QStringLiteral("LastFolderDot"), chosen); });
    const bool endsWithSeparator = withTrailingSeparator(chosen) == chosen;
    const int show = endsWithSeparator ? browseFolderStep::showAsIs : browseFolderStep::showWithSeparator;
    proc.step(show, [&] { m_controls.Text3->setText(withTrailingSeparator(chosen)); });
}
