#include "window/helpcommand.h"

#include "base/appinfo.h"

#include <QPushButton>

HelpCommand::HelpCommand(const Controls& controls, WindowServices& services, QObject* parent)
    : QObject(parent),
      m_services(services)
{
    connect(controls.PushButton10, &QPushButton::clicked, this, &HelpCommand::PushButton10_Click);
}

// Labels of the steps below, as error reports give them.
namespace helpStep {
constexpr int show = 100;
}

void HelpCommand::PushButton10_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton10_Click"));
    proc.step(helpStep::show, [&] {
        m_services.prompts.message(
            QStringLiteral("This software is not intended to be used on non-text-based files such as media files, "
                           "executables, etc.")
                + QStringLiteral("\r\r") + QStringLiteral("Questions? Please contact Team Pellworth at ")
                + AppInfo::contactPage,
            StyleOkOnly);
    });
}
