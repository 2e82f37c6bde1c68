#include "pairs/widgets/setspage.h"

#include "base/errorreport.h"
#include "base/windowservices.h"
#include "pairs/setsfile.h"

#include <QComboBox>
#include <QPushButton>

namespace {
const QString setSeparator = QStringLiteral("::");
} // namespace

SetsPage::SetsPage(const Controls& controls, WindowServices& services, QObject* parent)
    : QObject(parent),
      m_controls(controls),
      m_services(services),
      m_sets(*controls.Combo1, *controls.Combo2)
{
    connect(controls.PushButton7, &QPushButton::clicked, this, &SetsPage::PushButton7_Click);
    connect(controls.PushButton6, &QPushButton::clicked, this, &SetsPage::PushButton6_Click);
    connect(controls.PushButton4, &QPushButton::clicked, this, &SetsPage::PushButton4_Click);
    // activated: only the user's pick, never the lists' own index changes while
    // one of them is being edited.
    connect(controls.Combo1, &QComboBox::activated, this, &SetsPage::Combo1_Click);
    connect(controls.Combo2, &QComboBox::activated, this, &SetsPage::Combo2_Click);
}

// Labels of the steps below, as error reports give them.
namespace addSetStep {
constexpr int ask = 100, cutSet = 106, appendFind = 108, appendReplace = 110, noSeparator = 112, unsavableSet = 114;
}

void SetsPage::PushButton7_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton7_Click"));
    QString answer;
    proc.step(addSetStep::ask, [&] {
        answer = m_services.prompts.input(
            QStringLiteral("Enter find and replace set (use :: to separate find text and replace text):"), {},
            QStringLiteral("findwhat::replacewith"));
    });
    if (answer.isEmpty())
        return;
    if (!answer.contains(setSeparator)) {
        proc.step(addSetStep::noSeparator, [&] {
            m_services.prompts.message(
                QStringLiteral("You must use :: to separate the find text from the replace text"));
        });
        return;
    }
    SetLine set;
    if (!proc.step(addSetStep::cutSet, [&] { cutSetLine(answer, setSeparator, set); }))
        return;
    // A set typed as a set file's line is one that such a file can hold.
    const QString problem = setSaveProblem(set.find, set.replace);
    if (!problem.isEmpty()) {
        proc.step(addSetStep::unsavableSet, [&] {
            m_services.prompts.message(
                unsavableSetMessage(set.find, set.replace, problem) + QStringLiteral(" The set was not added."));
        });
        return;
    }
    proc.step(addSetStep::appendFind, [&] { SetsList::appendItem(*m_controls.Combo1, set.find); });
    proc.step(addSetStep::appendReplace, [&] { SetsList::appendItem(*m_controls.Combo2, set.replace); });
}

// Labels of the steps below, as error reports give them.
namespace removeSetStep {
constexpr int removeFind = 100, removeReplace = 102;
}

void SetsPage::PushButton6_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton6_Click"));
    proc.step(removeSetStep::removeFind, [&] { SetsList::removeSelectedItem(*m_controls.Combo1); });
    proc.step(removeSetStep::removeReplace, [&] { SetsList::removeSelectedItem(*m_controls.Combo2); });
}

// Labels of the steps below, as error reports give them.
namespace clearSetsStep {
constexpr int clearFind = 100, clearReplace = 102;
}

void SetsPage::PushButton4_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton4_Click"));
    proc.step(clearSetsStep::clearFind, [&] { m_controls.Combo1->clear(); });
    proc.step(clearSetsStep::clearReplace, [&] { m_controls.Combo2->clear(); });
}

void SetsPage::Combo1_Click()
{
    SetsList::mirrorSelection(*m_controls.Combo1, *m_controls.Combo2);
}

void SetsPage::Combo2_Click()
{
    SetsList::mirrorSelection(*m_controls.Combo2, *m_controls.Combo1);
}
