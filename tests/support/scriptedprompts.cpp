#include "support/scriptedprompts.h"

namespace {
const char* kindName(ShownPrompt::Kind kind)
{
    switch (kind) {
    case ShownPrompt::Message: return "message";
    case ShownPrompt::Input: return "input";
    case ShownPrompt::OpenFiles: return "open-files dialog";
    case ShownPrompt::SaveFile: return "save dialog";
    case ShownPrompt::BrowseFolder: return "folder browser";
    case ShownPrompt::Desktop: return "open with desktop";
    }
    return "?";
}
} // namespace

ScriptedPrompts& ScriptedPrompts::answerMessage(Answer answer)
{
    Step step{ShownPrompt::Message};
    step.answer = answer;
    m_script.append(step);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerInput(const QString& text)
{
    Step step{ShownPrompt::Input};
    step.text = text;
    m_script.append(step);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerOpenFiles(const QStringList& paths)
{
    Step step{ShownPrompt::OpenFiles};
    step.paths = paths;
    m_script.append(step);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerSaveFile(const QString& path)
{
    Step step{ShownPrompt::SaveFile};
    step.text = path;
    m_script.append(step);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerBrowseFolder(const QString& path)
{
    Step step{ShownPrompt::BrowseFolder};
    step.text = path;
    m_script.append(step);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::expectDesktop(bool opened)
{
    Step step{ShownPrompt::Desktop};
    step.answer = opened ? Answer::Ok : Answer::No;
    m_script.append(step);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::duringLast(std::function<void()> action)
{
    if (!m_script.isEmpty())
        m_script.last().during = std::move(action);
    return *this;
}

QStringList ScriptedPrompts::messageTexts() const
{
    QStringList texts;
    for (const ShownPrompt& prompt : m_shown) {
        if (prompt.kind == ShownPrompt::Message)
            texts.append(prompt.text);
    }
    return texts;
}

QString ScriptedPrompts::lastDetails() const
{
    for (auto it = m_shown.crbegin(); it != m_shown.crend(); ++it) {
        if (it->kind == ShownPrompt::Message && !it->details.isEmpty())
            return it->details;
    }
    return {};
}

int ScriptedPrompts::count(ShownPrompt::Kind kind) const
{
    int n = 0;
    for (const ShownPrompt& prompt : m_shown)
        n += prompt.kind == kind ? 1 : 0;
    return n;
}

QString ScriptedPrompts::problems() const
{
    QStringList all = m_problems;
    for (const Step& step : m_script)
        all.append(QStringLiteral("unused answer for a %1").arg(QLatin1String(kindName(step.kind))));
    return all.join(QLatin1Char('\n'));
}

void ScriptedPrompts::clear()
{
    m_script.clear();
    m_shown.clear();
    m_problems.clear();
}

bool ScriptedPrompts::take(const ShownPrompt& shown, Step& step)
{
    m_shown.append(shown);
    if (m_script.isEmpty() || m_script.first().kind != shown.kind) {
        m_problems.append(QStringLiteral("unexpected %1: \"%2\"").arg(QLatin1String(kindName(shown.kind)), shown.text));
        return false;
    }
    step = m_script.takeFirst();
    if (step.during)
        step.during();
    return true;
}

Answer ScriptedPrompts::showMessage(const QString& text, int style, const QString& title)
{
    return showMessageWithDetails(text, {}, style, title);
}

Answer ScriptedPrompts::showMessageWithDetails(
    const QString& text, const QString& details, int style, const QString& title)
{
    Step step;
    if (!take({ShownPrompt::Message, text, title, style, {}, details}, step))
        return (style & StyleYesNo) == StyleYesNo ? Answer::No : Answer::Ok;
    return step.answer;
}

QString ScriptedPrompts::showInput(const QString& prompt, const QString& title, const QString& preset)
{
    Step step;
    return take({ShownPrompt::Input, prompt, title, 0, preset}, step) ? step.text : QString();
}

QStringList ScriptedPrompts::showOpenFiles(const FileDialogRequest& request)
{
    Step step;
    return take({ShownPrompt::OpenFiles, request.title, request.filter, request.multiSelect ? 1 : 0,
                    request.startFolder},
               step)
        ? step.paths
        : QStringList();
}

QString ScriptedPrompts::showSaveFile(const FileDialogRequest& request)
{
    Step step;
    return take({ShownPrompt::SaveFile, request.title, request.filter, 0, request.startFolder}, step) ? step.text
                                                                                                      : QString();
}

QString ScriptedPrompts::showBrowseFolder(const QString& title, const QString& startFolder)
{
    Step step;
    return take({ShownPrompt::BrowseFolder, title, {}, 0, startFolder}, step) ? step.text : QString();
}

bool ScriptedPrompts::showWithDesktop(const QString& pathOrUrl)
{
    Step step;
    return take({ShownPrompt::Desktop, pathOrUrl, {}, 0, {}}, step) && step.answer == Answer::Ok;
}
