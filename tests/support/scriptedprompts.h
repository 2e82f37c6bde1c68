// A Prompts that answers from a script, in order, and records every prompt.
// A prompt of another kind than the next answer, or with no answer left, is
// recorded as a problem; so is an answer never used. Tests end with
// QVERIFY2(prompts.done(), qPrintable(prompts.problems())).
#pragma once

#include "base/prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct ShownPrompt {
    enum Kind { Message, Input, OpenFiles, SaveFile, BrowseFolder, Desktop };
    Kind kind;
    QString text; // message or prompt text; dialog title; the opened path
    QString title; // box title; for dialogs the filter
    int style = 0; // message style
    QString extra; // input preset; dialog or browser start folder
    QString details; // a message's unfoldable details
};

class ScriptedPrompts : public Prompts {
public:
    ScriptedPrompts& answerMessage(Answer answer = Answer::Ok);
    ScriptedPrompts& answerInput(const QString& text);
    ScriptedPrompts& answerOpenFiles(const QStringList& paths);
    ScriptedPrompts& answerSaveFile(const QString& path);
    ScriptedPrompts& answerBrowseFolder(const QString& path);
    // opened: whether a program could be started to open it.
    ScriptedPrompts& expectDesktop(bool opened = true);
    // Runs while the prompt is "open", as a user could act on the window then.
    ScriptedPrompts& duringLast(std::function<void()> action);

    const QList<ShownPrompt>& shown() const { return m_shown; }
    QStringList messageTexts() const;
    // The details of the last message that had any.
    QString lastDetails() const;
    int count(ShownPrompt::Kind kind) const;
    bool done() const { return m_problems.isEmpty() && m_script.isEmpty(); }
    QString problems() const;
    void clear();

protected:
    Answer showMessage(const QString& text, int style, const QString& title) override;
    Answer showMessageWithDetails(
        const QString& text, const QString& details, int style, const QString& title) override;
    QString showInput(const QString& prompt, const QString& title, const QString& preset) override;
    QStringList showOpenFiles(const FileDialogRequest& request) override;
    QString showSaveFile(const FileDialogRequest& request) override;
    QString showBrowseFolder(const QString& title, const QString& startFolder) override;
    bool showWithDesktop(const QString& pathOrUrl) override;

private:
    struct Step {
        ShownPrompt::Kind kind;
        Answer answer = Answer::Ok;
        QString text;
        QStringList paths;
        std::function<void()> during;
    };
    // The next step when it is of this kind; records a problem otherwise.
    bool take(const ShownPrompt& shown, Step& step);

    QList<Step> m_script;
    QList<ShownPrompt> m_shown;
    QStringList m_problems;
};
