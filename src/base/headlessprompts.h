// Prompts for running without a window (command-line tools, helper
// processes): each message goes to a callback, questions are answered No,
// input boxes and dialogs are cancelled.
#pragma once

#include "base/prompts.h"

#include <functional>

class HeadlessPrompts : public Prompts {
public:
    explicit HeadlessPrompts(std::function<void(const QString& text)> onMessage = {})
        : m_onMessage(std::move(onMessage))
    {
    }

protected:
    Answer showMessage(const QString& text, int style, const QString&) override
    {
        if (m_onMessage)
            m_onMessage(text);
        return (style & StyleYesNo) == StyleYesNo ? Answer::No : Answer::Ok;
    }
    QString showInput(const QString&, const QString&, const QString&) override { return {}; }
    QStringList showOpenFiles(const FileDialogRequest&) override { return {}; }
    QString showSaveFile(const FileDialogRequest&) override { return {}; }
    QString showBrowseFolder(const QString&, const QString&) override { return {}; }
    bool showWithDesktop(const QString&) override { return false; }

private:
    std::function<void(const QString& text)> m_onMessage;
};
