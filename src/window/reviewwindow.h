// "Tallowmere - Review Changes": what a review found, before anything is
// written. The table "Files to review" lists every row with what the run would
// do; a file that would change is checked, and only checked files are written.
// "Changes in the selected file" shows its changed lines, before and after,
// with the replaced parts marked, and how often each pair replaces. Its
// buttons replace in the checked files, save their changes as a patch or
// close. The batch run's controls open it with Ctrl+R.
#pragma once

#include "engine/batchrun/batchrun.h"

#include <QDialog>

#include <functional>

class Prompts;
class QPushButton;
class QTableWidget;
class QTextEdit;

class ReviewWindow : public QDialog {
    Q_OBJECT

public:
    // pairLabels: "find → replace" for each pair, in order. savePatch writes
    // the checked files' changes to the path chosen and reports its failures;
    // the window tells where it applies and which files it left out.
    ReviewWindow(const ReviewResult& result, const QStringList& pairLabels, Prompts& prompts,
        std::function<SavedPatch(const QString& path, const QList<ReviewedSource>& files)> savePatch,
        QWidget* parent = nullptr);

    // The files checked, in the list's order, each as it was reviewed.
    QList<ReviewedSource> checkedFiles() const;
    // The changes view's text for a row, as shown (HTML).
    static QString changesHtml(const ReviewedRow& row, const QStringList& pairLabels);
    // The table's "What would happen" for a row.
    static QString outcomeText(const ReviewedRow& row);
    // "283 files would change (8,826,438 replacements), 17 unchanged, 0 skipped, 2 would fail".
    static QString summaryText(const ReviewResult& result);

    // Remembers the window's size for the next review.
    void done(int result) override;

    QTableWidget* files() const { return m_files; }
    QTextEdit* changes() const { return m_changes; }
    QPushButton* replaceButton() const { return m_replace; }
    QPushButton* patchButton() const { return m_patch; }
    QPushButton* closeButton() const { return m_close; }

private:
    void fillTable();
    void showRow(int tableRow);
    void updateButtons();
    void askForPatch();

    ReviewResult m_result;
    QStringList m_pairLabels;
    Prompts& m_prompts;
    std::function<SavedPatch(const QString&, const QList<ReviewedSource>&)> m_savePatch;
    QTableWidget* m_files = nullptr;
    QTextEdit* m_changes = nullptr;
    QPushButton* m_replace = nullptr;
    QPushButton* m_patch = nullptr;
    QPushButton* m_close = nullptr;
};
