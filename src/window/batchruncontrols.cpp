#include "window/batchruncontrols.h"

#include "engine/widgets/destinationcontrols.h"
#include "filelist/filelistmodel.h"
#include "pairs/widgets/pairboxes.h"
#include "window/reviewwindow.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

BatchRunControls::BatchRunControls(
    Controls controls, WindowServices& services, QObject* parent, ReplaceEntries entries, BatchRunOptions options)
    : QObject(parent),
      m_controls(std::move(controls)),
      m_services(services),
      m_boxes(services.prompts),
      m_run(*this, services, m_boxes, std::move(entries), std::move(options))
{
    QPushButton* start = m_controls.PushButton12;
    connect(start, &QPushButton::clicked, this, &BatchRunControls::PushButton12_Click);

    m_review = new QAction(QStringLiteral("Review Changes..."), this);
    m_review->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_review->setShortcutContext(Qt::WindowShortcut);
    connect(m_review, &QAction::triggered, this, &BatchRunControls::reviewChanges);
    m_count = new QAction(QStringLiteral("Count Matches Only"), this);
    connect(m_count, &QAction::triggered, this, [this] { m_run.countMatches(); });
    m_undo = new QAction(QStringLiteral("Undo Last Run"), this);
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_undo->setShortcutContext(Qt::WindowShortcut);
    connect(m_undo, &QAction::triggered, this, [this] { m_run.undoLastRun(); });
    start->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(start, &QWidget::customContextMenuRequested, this, &BatchRunControls::showMenu);
    start->setToolTip(QStringLiteral(
        "Right-click it (or press the menu key) to review the changes first (Ctrl+R), to count matches only or to "
        "undo the last run (Ctrl+Z)."));

    if (QWidget* window = m_controls.window) {
        // A text box keeps Ctrl+Z for its own typing; elsewhere it undoes the run.
        window->addAction(m_review);
        window->addAction(m_undo);
        m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
        m_escape->setContext(Qt::WindowShortcut);
        connect(m_escape, &QShortcut::activated, this, [this] { m_run.askToStop(); });
    }
}

void BatchRunControls::showMenu(const QPoint& at)
{
    QMenu menu(m_controls.PushButton12);
    menu.addAction(m_review);
    menu.addAction(m_count);
    menu.addAction(m_undo);
    menu.exec(m_controls.PushButton12->mapToGlobal(at));
}

QString BatchRunControls::caption() const
{
    return m_controls.window ? m_controls.window->windowTitle() : QString();
}

void BatchRunControls::setCaption(const QString& caption)
{
    if (m_controls.window)
        m_controls.window->setWindowTitle(caption);
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

void BatchRunControls::reviewChanges()
{
    if (m_run.isRunning())
        return;
    const ReviewResult result = m_run.review();
    // A refused input or an empty list has said so in its box.
    if (result.refused || result.rows.isEmpty() || m_services.isClosing())
        return;
    QList<ReviewedSource> files;
    {
        ReviewWindow review(
            result, pairLabels(), m_services.prompts,
            [this](
                const QString& path, const QList<ReviewedSource>& checked) { return m_run.savePatch(path, checked); },
            m_controls.window);
        if (review.exec() != QDialog::Accepted)
            return;
        files = review.checkedFiles();
    }
    // Gone before the run, so that the run's boxes open over the main window.
    m_run.runReviewed(files);
}

QStringList BatchRunControls::pairLabels() const
{
    QStringList finds;
    QStringList replaces;
    if (selectedTab() == 0) {
        finds = splitAtLineBreaks(findWhat());
        replaces = splitAtLineBreaks(replaceWith());
    } else {
        finds = findList();
        replaces = replaceList();
    }
    QStringList labels;
    for (qsizetype j = 0; j < finds.size(); ++j)
        labels << finds[j] + QStringLiteral(" \u2192 ") + (j < replaces.size() ? replaces[j] : QString());
    return labels;
}
