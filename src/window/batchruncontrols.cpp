#include "window/batchruncontrols.h"

#include "engine/widgets/destinationcontrols.h"
#include "filelist/filelistmodel.h"
#include "pairs/widgets/pairboxes.h"

#include <QPushButton>

BatchRunControls::BatchRunControls(Controls controls, WindowServices& services, QObject* parent,
                                   ReplaceEntries entries)
    : QObject(parent), m_controls(std::move(controls)), m_run(*this, services, std::move(entries))
{
    connect(m_controls.PushButton12, &QPushButton::clicked, this, &BatchRunControls::PushButton12_Click);
}

int BatchRunControls::rowCount() const
{
    return m_controls.fileList->Count();
}

QString BatchRunControls::rowText(int row) const
{
    return m_controls.fileList->Text(row);
}

int BatchRunControls::selectedTab() const
{
    return m_controls.selectedTab();
}

QString BatchRunControls::findWhat() const
{
    return boxText(*m_controls.Text1);
}

QString BatchRunControls::replaceWith() const
{
    return boxText(*m_controls.Text2);
}

QStringList BatchRunControls::findList() const
{
    return m_controls.sets.findItems();
}

QStringList BatchRunControls::replaceList() const
{
    return m_controls.sets.replaceItems();
}

Destination BatchRunControls::destination() const
{
    const DestinationControls& controls = *m_controls.destination;
    return {controls.option1(), controls.option2(), controls.outputFolder()};
}
