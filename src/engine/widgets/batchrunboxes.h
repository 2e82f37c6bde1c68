// The boxes of "Start Replacing", "Count Matches Only" and the undo, in the
// program's words, shown through the window's prompts.
#pragma once

#include "engine/batchrun/batchrunboxes.h"

class Prompts;

class PromptedBatchRunBoxes : public BatchRunBoxes {
public:
    explicit PromptedBatchRunBoxes(Prompts& prompts) : m_prompts(prompts) { }

    void refuse(Refusal refusal, const QString& folder, const QString& problem) override;
    bool confirmStop() override;
    void runEnded(const RunEnding& ending) override;
    void nothingToUndo(const UndoStore::Candidate& candidate, const QStringList& recovered) override;
    bool confirmUndo(int files) override;
    void undone(const QList<UndoOutcome>& outcomes, const QStringList& recovered) override;
    void recovered(const QStringList& lines) override;

private:
    Prompts& m_prompts;
};
