// A Form1 over scripted prompts, a temporary settings store and a temporary
// program folder.
#pragma once

#include "window/form1.h"

#include "support/scriptedprompts.h"
#include "support/temporarysettings.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

struct Form1Fixture {
    TemporarySettings settings;
    QTemporaryDir programDir;
    ScriptedPrompts prompts;
    int draw = 1;
    std::unique_ptr<Form1> form;

    QString programFolder() const { return QDir::toNativeSeparators(programDir.path()) + QDir::separator(); }

    Form1& open()
    {
        form = std::make_unique<Form1>(prompts, Form1Environment{programFolder(), [this] { return draw; }});
        form->Form_Load();
        return *form;
    }
};
