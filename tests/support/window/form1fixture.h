// A Form1 over scripted prompts, a temporary settings store and a temporary
// program folder, with a folder for the test's files.
#pragma once

#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "window/form1.h"

#include "support/scriptedprompts.h"
#include "support/temporarysettings.h"
#include "support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

struct Form1Fixture {
    TemporarySettings settings;
    QTemporaryDir programDir;
    ScriptedPrompts prompts;
    int draw = 1;
    QTemporaryDir files; // outlives the form, which may still hold them as rows
    std::unique_ptr<Form1> form;

    QString programFolder() const { return QDir::toNativeSeparators(programDir.path()) + QDir::separator(); }

    Form1& open()
    {
        form = std::make_unique<Form1>(prompts, Form1Environment{programFolder(), [this] { return draw; }});
        form->Form_Load();
        return *form;
    }

    QString path(const QString& name) const { return QDir::toNativeSeparators(files.filePath(name)); }
    // A file of the test, written and added as a row of the open form's list.
    QString addFile(const QString& name, const QByteArray& bytes)
    {
        writeBytes(path(name), bytes);
        form->ListView1->fileList()->Append(path(name));
        return path(name);
    }
};
