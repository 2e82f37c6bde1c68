// One engine entry's surroundings: scripted prompts that collect its reports,
// a destination (beside the source unless an output folder is given), and a
// context that counts the yields and the reads of the destination.
#pragma once

#include "base/errorreport.h"
#include "engine/replace/replacetext.h"

#include "support/scriptedprompts.h"

struct EngineHarness {
    ScriptedPrompts prompts;
    ErrorReporter reporter{prompts};
    Destination destination;
    int yields = 0;
    int destinationReads = 0;
    EngineContext context{reporter, {[this] { ++yields; }}, {[this] {
                              ++destinationReads;
                              return destination;
                          }},
        65536};

    explicit EngineHarness(const QString& outputFolder = {}) { intoFolder(outputFolder); }
    // An empty folder puts the result beside its source.
    void intoFolder(const QString& folder) { destination = Destination{!folder.isEmpty(), folder.isEmpty(), folder}; }
    // The first report's text, or "".
    QString report() const { return prompts.shown().isEmpty() ? QString() : prompts.shown().first().text; }
    // The first line of every report.
    QStringList reports() const
    {
        QStringList lines;
        for (const ShownPrompt& shown : prompts.shown())
            lines << shown.text.section("\r\n", 0, 0);
        return lines;
    }
    // One pair, Berlin to Hamburg, on each tab.
    FileOutcome sets(const QString& source) { return ReplaceTextInFileCombo(source, {"Berlin"}, {"Hamburg"}, context); }
    FileOutcome single(const QString& source) { return ReplaceTextInFile(source, "Berlin", "Hamburg", context); }
};
