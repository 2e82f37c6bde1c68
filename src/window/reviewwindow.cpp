#include "window/reviewwindow.h"

#include "base/prompts.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

// A row that a run would write, and that may be checked.
bool wouldChange(const ReviewedRow& row)
{
    return row.reviewed && row.outcome.kind == FileOutcome::Changed && row.review.problem.isEmpty();
}

// Line breaks inside a change shown as marks, the text escaped, the replaced parts in bold.
QString markedText(const QString& text, const QList<ChangedLine::Part>& parts, const char* colour)
{
    const auto shown = [](const QString& piece) {
        QString escaped = piece.toHtmlEscaped();
        escaped.replace(QLatin1Char('\r'), QStringLiteral("\u240D")).replace(QLatin1Char('\n'), QStringLiteral("\u240A"));
        escaped.replace(QLatin1Char('\t'), QStringLiteral("\u2409"));
        return escaped;
    };
    QString html;
    int at = 0;
    for (const ChangedLine::Part& part : parts) {
        html += shown(text.mid(at, part.at - at));
        const QString replaced = text.mid(part.at, part.length);
        html += QStringLiteral("<b style=\"background-color:%1\">").arg(QLatin1String(colour))
            + (replaced.isEmpty() ? QStringLiteral("\u2038") : shown(replaced)) + QStringLiteral("</b>");
        at = part.at + part.length;
    }
    return html + shown(text.mid(at));
}

QString plural(qint64 n, const char* one, const char* many)
{
    return groupedNumber(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

} // namespace

ReviewWindow::ReviewWindow(const ReviewResult& result, const QStringList& pairLabels, Prompts& prompts,
    std::function<void(const QString&, const QList<ReviewedSource>&)> savePatch, QWidget* parent)
    : QDialog(parent),
      m_result(result),
      m_pairLabels(pairLabels),
      m_prompts(prompts),
      m_savePatch(std::move(savePatch))
{
    setWindowTitle(QStringLiteral("Tallowmere - Review Changes"));
    setObjectName(QStringLiteral("ReviewWindow"));
    auto* layout = new QVBoxLayout(this);

    int changing = 0;
    int failing = 0;
    qint64 replacements = 0;
    for (const ReviewedRow& row : m_result.rows) {
        changing += wouldChange(row);
        failing += !row.review.problem.isEmpty();
        replacements += row.outcome.kind == FileOutcome::Changed ? row.outcome.replacements : 0;
    }
    QString summary = QStringLiteral("Nothing has been written yet. %1 would change (%2)")
                          .arg(plural(changing, "file", "files"), plural(replacements, "replacement", "replacements"));
    if (failing > 0)
        summary += QStringLiteral(", ") + plural(failing, "file", "files") + QStringLiteral(" would fail");
    if (m_result.stopped)
        summary += QStringLiteral("; the review was stopped before the end of the list");
    auto* summaryLabel = new QLabel(summary + QLatin1Char('.'), this);
    summaryLabel->setWordWrap(true);
    layout->addWidget(summaryLabel);

    auto* filesLabel = new QLabel(QStringLiteral("&Files to review"), this);
    m_files = new QTableWidget(this);
    m_files->setObjectName(QStringLiteral("FilesToReview"));
    m_files->setAccessibleName(QStringLiteral("Files to review"));
    m_files->setAccessibleDescription(QStringLiteral("Space checks or unchecks a file; only checked files are written."));
    filesLabel->setBuddy(m_files);
    layout->addWidget(filesLabel);
    layout->addWidget(m_files, 2);

    auto* changesLabel = new QLabel(QStringLiteral("C&hanges in the selected file"), this);
    m_changes = new QTextEdit(this);
    m_changes->setObjectName(QStringLiteral("ChangesInTheSelectedFile"));
    m_changes->setAccessibleName(QStringLiteral("Changes in the selected file"));
    m_changes->setReadOnly(true);
    // Read-only text that the keyboard can still walk through and select.
    m_changes->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_changes->setTabChangesFocus(true);
    changesLabel->setBuddy(m_changes);
    layout->addWidget(changesLabel);
    layout->addWidget(m_changes, 3);

    auto* buttons = new QDialogButtonBox(this);
    m_replace = buttons->addButton(QStringLiteral("&Replace in Checked Files"), QDialogButtonBox::AcceptRole);
    m_patch = buttons->addButton(QStringLiteral("Save as &Patch..."), QDialogButtonBox::ActionRole);
    m_close = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    // Enter in the table must not start writing.
    for (QPushButton* button : {m_replace, m_patch, m_close})
        button->setAutoDefault(false);
    layout->addWidget(buttons);
    connect(m_replace, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_patch, &QPushButton::clicked, this, &ReviewWindow::askForPatch);

    fillTable();
    connect(m_files, &QTableWidget::currentCellChanged, this, [this](int row) { showRow(row); });
    connect(m_files, &QTableWidget::itemChanged, this, [this] { updateButtons(); });
    setTabOrder(m_files, m_changes);
    setTabOrder(m_changes, m_replace);
    setTabOrder(m_replace, m_patch);
    setTabOrder(m_patch, m_close);
    resize(900, 640);
    if (!m_result.rows.isEmpty())
        m_files->setCurrentCell(0, 0);
    showRow(m_files->currentRow());
    updateButtons();
    m_files->setFocus();
}

void ReviewWindow::fillTable()
{
    m_files->setColumnCount(3);
    m_files->setHorizontalHeaderLabels(
        {QStringLiteral("File"), QStringLiteral("Replacements"), QStringLiteral("What the run would do")});
    m_files->setRowCount(int(m_result.rows.size()));
    m_files->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_files->setSelectionMode(QAbstractItemView::SingleSelection);
    m_files->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_files->setTabKeyNavigation(false);
    m_files->verticalHeader()->hide();
    m_files->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < m_result.rows.size(); ++r) {
        const ReviewedRow& row = m_result.rows[r];
        auto* file = new QTableWidgetItem(row.path);
        file->setToolTip(row.path);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (wouldChange(row)) {
            flags |= Qt::ItemIsUserCheckable;
            file->setCheckState(Qt::Checked);
        }
        file->setFlags(flags);
        m_files->setItem(r, 0, file);
        const qint64 count = row.outcome.kind == FileOutcome::Changed ? row.outcome.replacements : 0;
        auto* replacements = new QTableWidgetItem(groupedNumber(count));
        replacements->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        replacements->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_files->setItem(r, 1, replacements);
        auto* outcome = new QTableWidgetItem(outcomeText(row));
        outcome->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_files->setItem(r, 2, outcome);
    }
    m_files->resizeColumnToContents(1);
    m_files->setColumnWidth(0, 480);
}

QString ReviewWindow::outcomeText(const ReviewedRow& row)
{
    if (!row.review.problem.isEmpty())
        return row.review.problemText();
    switch (row.outcome.kind) {
    case FileOutcome::Changed: return QStringLiteral("would change");
    case FileOutcome::Unchanged: return QStringLiteral("nothing to replace");
    case FileOutcome::Skipped: return QStringLiteral("would be skipped: ") + row.outcome.reason;
    case FileOutcome::Failed: return QStringLiteral("would fail: ") + row.outcome.reason;
    case FileOutcome::NotReached: return QStringLiteral("not reviewed (stopped)");
    }
    return {};
}

QString ReviewWindow::changesHtml(const ReviewedRow& row, const QStringList& pairLabels)
{
    QString html = QStringLiteral("<p><b>%1</b><br>%2</p>")
                       .arg(QFileInfo(row.path).fileName().toHtmlEscaped(), outcomeText(row).toHtmlEscaped());
    if (!row.reviewed)
        return html;
    QStringList counts;
    for (size_t j = 0; j < row.review.pairReplacements.size(); ++j) {
        const qint64 n = row.review.pairReplacements[j];
        if (n == 0)
            continue;
        const QString label = qsizetype(j) < pairLabels.size() ? pairLabels[qsizetype(j)]
                                                               : QStringLiteral("Pair %1").arg(j + 1);
        counts << label.toHtmlEscaped() + QStringLiteral(": ") + plural(n, "replacement", "replacements");
    }
    if (!counts.isEmpty())
        html += QStringLiteral("<p>") + counts.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
    for (const ChangedLine& line : row.review.lines) {
        html += QStringLiteral("<p><b>Line %1</b><br>before: %2<br>after: %3</p>")
                    .arg(groupedNumber(line.number), markedText(line.before, line.beforeParts, "#ffd7d7"),
                        markedText(line.after, line.afterParts, "#d2f5d2"));
    }
    if (row.review.moreLines > 0)
        html += QStringLiteral("<p>") + row.review.moreLinesText().toHtmlEscaped() + QStringLiteral("</p>");
    return html;
}

void ReviewWindow::showRow(int row)
{
    if (row < 0 || row >= m_result.rows.size()) {
        m_changes->setHtml(QStringLiteral("<p>No file is selected.</p>"));
        return;
    }
    m_changes->setHtml(changesHtml(m_result.rows[row], m_pairLabels));
}

QList<ReviewedSource> ReviewWindow::checkedFiles() const
{
    QList<ReviewedSource> files;
    for (int r = 0; r < m_result.rows.size(); ++r) {
        const QTableWidgetItem* item = m_files->item(r, 0);
        if (item && (item->flags() & Qt::ItemIsUserCheckable) && item->checkState() == Qt::Checked)
            files.append({m_result.rows[r].path, m_result.rows[r].review.source});
    }
    return files;
}

void ReviewWindow::updateButtons()
{
    const bool any = !checkedFiles().isEmpty();
    m_replace->setEnabled(any);
    m_patch->setEnabled(any);
}

void ReviewWindow::askForPatch()
{
    const QList<ReviewedSource> files = checkedFiles();
    if (files.isEmpty() || !m_savePatch)
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Save as Patch");
    request.filter = QStringLiteral("Patch Files (*.patch)|*.patch|All Files (*.*)|*.*|");
    const QString path = m_prompts.saveFile(request);
    if (!path.isEmpty())
        m_savePatch(path, files);
}
