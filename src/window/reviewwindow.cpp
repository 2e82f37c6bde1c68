#include "window/reviewwindow.h"

#include "base/prompts.h"
#include "base/settings.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

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
        escaped.replace(QLatin1Char('\r'), QStringLiteral("\u240D"))
            .replace(QLatin1Char('\n'), QStringLiteral("\u240A"));
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

constexpr int listRowRole = Qt::UserRole;
constexpr int numberRole = Qt::UserRole + 1;

// A cell that sorts by its check or its number rather than its text.
class SortedItem : public QTableWidgetItem {
public:
    enum By { ByCheck, ByNumber };
    explicit SortedItem(By by) : m_by(by) { }
    bool operator<(const QTableWidgetItem& other) const override
    {
        if (m_by == ByCheck)
            return checkState() < other.checkState();
        return data(numberRole).toLongLong() < other.data(numberRole).toLongLong();
    }

private:
    By m_by;
};

} // namespace

QString ReviewWindow::summaryText(const ReviewResult& result)
{
    int changing = 0;
    int unchanged = 0;
    int skipped = 0;
    int failing = 0;
    int notReached = 0;
    qint64 replacements = 0;
    for (const ReviewedRow& row : result.rows) {
        if (!row.review.problem.isEmpty() || row.outcome.kind == FileOutcome::Failed) {
            ++failing;
            continue;
        }
        switch (row.outcome.kind) {
        case FileOutcome::Changed:
            ++changing;
            replacements += row.outcome.replacements;
            break;
        case FileOutcome::Unchanged: ++unchanged; break;
        case FileOutcome::Skipped: ++skipped; break;
        case FileOutcome::Failed: break;
        case FileOutcome::NotReached: ++notReached; break;
        }
    }
    QString text = QStringLiteral("%1 (%2), %3 unchanged, %4 skipped, %5 would fail")
                       .arg(plural(changing, "file would change", "files would change"),
                           plural(replacements, "replacement", "replacements"), groupedNumber(unchanged),
                           groupedNumber(skipped), groupedNumber(failing));
    if (notReached > 0)
        text += QStringLiteral(", %1 not reviewed (stopped)").arg(groupedNumber(notReached));
    return text;
}

void ReviewWindow::done(int result)
{
    // The size is a convenience: a store that can't be written keeps the last one.
    try {
        SaveSetting(QStringLiteral("ReviewWidth"), QString::number(width()));
        SaveSetting(QStringLiteral("ReviewHeight"), QString::number(height()));
    } catch (const Failure&) {
    }
    QDialog::done(result);
}

ReviewWindow::ReviewWindow(const ReviewResult& result, const QStringList& pairLabels, Prompts& prompts,
    std::function<SavedPatch(const QString&, const QList<ReviewedSource>&)> savePatch, QWidget* parent)
    : QDialog(parent),
      m_result(result),
      m_pairLabels(pairLabels),
      m_prompts(prompts),
      m_savePatch(std::move(savePatch))
{
    setWindowTitle(QStringLiteral("Tallowmere - Review Changes"));
    setObjectName(QStringLiteral("ReviewWindow"));
    auto* layout = new QVBoxLayout(this);

    auto* summaryLabel = new QLabel(summaryText(m_result), this);
    summaryLabel->setWordWrap(true);
    summaryLabel->setObjectName(QStringLiteral("ReviewSummary"));
    layout->addWidget(summaryLabel);

    auto* filesLabel = new QLabel(QStringLiteral("&Files to review"), this);
    m_files = new QTableWidget(this);
    m_files->setObjectName(QStringLiteral("FilesToReview"));
    m_files->setAccessibleName(QStringLiteral("Files to review"));
    m_files->setAccessibleDescription(
        QStringLiteral("Space checks or unchecks a file; only checked files are written."));
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
    m_replace = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    m_patch = buttons->addButton(QStringLiteral("Save as &Patch..."), QDialogButtonBox::ActionRole);
    m_close = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    for (QPushButton* button : {m_patch, m_close})
        button->setAutoDefault(false);
    m_replace->setDefault(true);
    layout->addWidget(buttons);
    connect(m_replace, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_patch, &QPushButton::clicked, this, &ReviewWindow::askForPatch);

    fillTable();
    connect(m_files, &QTableWidget::currentCellChanged, this, [this](int row) { showRow(row); });
    connect(m_files, &QTableWidget::itemChanged, this, [this] { updateButtons(); });
    // Space toggles the focused row's check box, whichever of its cells has the focus.
    auto* space = new QShortcut(QKeySequence(Qt::Key_Space), m_files, nullptr, nullptr, Qt::WidgetShortcut);
    connect(space, &QShortcut::activated, this, [this] {
        QTableWidgetItem* check = m_files->currentRow() >= 0 ? m_files->item(m_files->currentRow(), 0) : nullptr;
        if (check && (check->flags() & Qt::ItemIsUserCheckable))
            check->setCheckState(check->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
    setTabOrder(m_files, m_changes);
    setTabOrder(m_changes, m_replace);
    setTabOrder(m_replace, m_patch);
    setTabOrder(m_patch, m_close);
    bool known = false;
    // A size that can't be read leaves the window at its first size.
    try {
        const QSize remembered(GetSetting(QStringLiteral("ReviewWidth"), 0).toInt(&known),
            GetSetting(QStringLiteral("ReviewHeight"), 0).toInt());
        known = known && remembered.width() > 0 && remembered.height() > 0;
        if (known)
            resize(remembered);
    } catch (const Failure&) {
        known = false;
    }
    if (!known)
        resize(900, 640);
    if (!m_result.rows.isEmpty())
        m_files->setCurrentCell(0, 0);
    showRow(m_files->currentRow());
    updateButtons();
    m_files->setFocus();
}

void ReviewWindow::fillTable()
{
    m_files->setColumnCount(4);
    m_files->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("File"), QStringLiteral("What would happen"), QStringLiteral("Replacements")});
    m_files->setRowCount(int(m_result.rows.size()));
    m_files->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_files->setSelectionMode(QAbstractItemView::SingleSelection);
    m_files->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_files->setTabKeyNavigation(false);
    m_files->setTextElideMode(Qt::ElideMiddle);
    m_files->setWordWrap(false);
    m_files->verticalHeader()->hide();
    for (int r = 0; r < m_result.rows.size(); ++r) {
        const ReviewedRow& row = m_result.rows[r];
        auto* check = new SortedItem(SortedItem::ByCheck);
        check->setData(listRowRole, r);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (wouldChange(row))
            flags |= Qt::ItemIsUserCheckable;
        check->setFlags(flags);
        check->setCheckState(wouldChange(row) ? Qt::Checked : Qt::Unchecked);
        check->setData(Qt::AccessibleTextRole, row.path);
        m_files->setItem(r, 0, check);
        auto* file = new QTableWidgetItem(row.path);
        file->setToolTip(row.path);
        file->setData(Qt::AccessibleTextRole, row.path);
        file->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_files->setItem(r, 1, file);
        auto* outcome = new QTableWidgetItem(outcomeText(row));
        outcome->setToolTip(outcome->text());
        outcome->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_files->setItem(r, 2, outcome);
        const qint64 count = row.outcome.kind == FileOutcome::Changed ? row.outcome.replacements : 0;
        auto* replacements = new SortedItem(SortedItem::ByNumber);
        replacements->setText(groupedNumber(count));
        replacements->setData(numberRole, count);
        replacements->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        replacements->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_files->setItem(r, 3, replacements);
    }
    // List order until a header is clicked.
    m_files->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_files->setSortingEnabled(true);
    m_files->resizeColumnToContents(0);
    m_files->setColumnWidth(1, 420);
    m_files->setColumnWidth(2, 260);
    m_files->horizontalHeader()->setStretchLastSection(true);
}

QString ReviewWindow::outcomeText(const ReviewedRow& row)
{
    if (!row.review.problem.isEmpty())
        return row.review.problemText();
    switch (row.outcome.kind) {
    case FileOutcome::Changed: return QStringLiteral("would change");
    case FileOutcome::Unchanged: return QStringLiteral("unchanged");
    case FileOutcome::Skipped: return QStringLiteral("skipped: ") + row.outcome.reason;
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
        const QString label
            = qsizetype(j) < pairLabels.size() ? pairLabels[qsizetype(j)] : QStringLiteral("Pair %1").arg(j + 1);
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

void ReviewWindow::showRow(int tableRow)
{
    const QTableWidgetItem* check = tableRow >= 0 ? m_files->item(tableRow, 0) : nullptr;
    if (!check) {
        m_changes->setHtml(QStringLiteral("<p>No file is selected.</p>"));
        return;
    }
    m_changes->setHtml(changesHtml(m_result.rows[check->data(listRowRole).toInt()], m_pairLabels));
}

QList<ReviewedSource> ReviewWindow::checkedFiles() const
{
    // In the list's order, however the table is sorted.
    QList<int> rows;
    for (int r = 0; r < m_files->rowCount(); ++r) {
        const QTableWidgetItem* item = m_files->item(r, 0);
        if (item && (item->flags() & Qt::ItemIsUserCheckable) && item->checkState() == Qt::Checked)
            rows.append(item->data(listRowRole).toInt());
    }
    std::sort(rows.begin(), rows.end());
    QList<ReviewedSource> files;
    for (const int r : rows)
        files.append({m_result.rows[r].path, m_result.rows[r].review.source, r + 1});
    return files;
}

void ReviewWindow::updateButtons()
{
    const qsizetype checked = checkedFiles().size();
    m_replace->setText(checked == 1 ? QStringLiteral("&Replace in 1 Checked File")
                                    : QStringLiteral("&Replace in %1 Checked Files").arg(groupedNumber(checked)));
    m_replace->setEnabled(checked > 0);
    m_patch->setEnabled(checked > 0);
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
    if (path.isEmpty())
        return;
    const SavedPatch saved = m_savePatch(path, files);
    if (!saved.saved)
        return;
    QString text = QStringLiteral("The patch is saved as %1. Apply it in %2 with \"patch -p1\" or \"git apply\".")
                       .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(saved.folder));
    if (!saved.leftOut.isEmpty()) {
        text += saved.leftOut.size() == 1
            ? QStringLiteral(" 1 file is left out (see the details).")
            : QStringLiteral(" %1 files are left out (see the details).").arg(saved.leftOut.size());
    }
    m_prompts.message(text, saved.leftOut.join(QLatin1Char('\n')));
}
