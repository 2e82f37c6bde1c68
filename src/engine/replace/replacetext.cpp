#include "engine/replace/replacetext.h"

#include "base/pathnames.h"
#include "engine/replace/filereplacement.h"

namespace {

// Labels of the steps of each entry, as error reports give them.
namespace singleStep {
constexpr int pairLines = 110, deleteLines = 120;
constexpr EntrySteps onFile{/*read*/ 100, /*takeChunk*/ 104, /*yield*/ 114, /*replace*/ 118, /*readDestination*/ 128,
    /*targetInFolder*/ 130, /*targetBesideSource*/ 134, /*write*/ 136};
} // namespace singleStep

namespace setsStep {
constexpr int pairLists = 108;
constexpr EntrySteps onFile{/*read*/ 100, /*takeChunk*/ 104, /*yield*/ 0, /*replace*/ 108, /*readDestination*/ 116,
    /*targetInFolder*/ 118, /*targetBesideSource*/ 122, /*write*/ 124};
} // namespace setsStep

} // namespace

QStringList splitAtLineBreaks(const QString& text)
{
    if (text.isEmpty())
        return {};
    return text.split(QStringLiteral("\r\n"));
}

QString resultTargetPath(const QString& sourcePath, const Destination& destination, QChar separator)
{
    const QString name = sourcePath.mid(sourcePath.lastIndexOf(separator) + 1);
    if (destination.option1)
        return NormalizePath(destination.outputFolder + separator + name, separator);
    if (destination.option2) {
        const QString folder = GetFolderPath(sourcePath, separator);
        // A bare file name stays where it is, not at the root.
        if (folder.isEmpty())
            return name;
        return NormalizePath(folder + separator + name, separator);
    }
    throw Failure(QStringLiteral("No destination is selected"));
}

FileOutcome ReplaceTextInFile(
    const QString& sourcePath, const QString& findWhat, const QString& replaceWith, EngineContext& context)
{
    GuardedProcedure proc(
        context.reporter, errorLocation(QStringLiteral("ReplaceText"), QStringLiteral("ReplaceTextInFile")));
    const QStringList findLines = splitAtLineBreaks(findWhat);
    QStringList replaceLines;
    if (!replaceWith.isEmpty()) {
        // Lines are paired by number; with unequal counts no pairing is right.
        const bool paired = proc.step(singleStep::pairLines, [&] {
            replaceLines = splitAtLineBreaks(replaceWith);
            if (replaceLines.size() != findLines.size())
                throw Failure(QStringLiteral("The number of lines of Find What and Replace With must be the same."));
        });
        if (!paired)
            return {FileOutcome::Failed, 0, proc.lastFailure()};
    }
    QList<ReplacementPair> pairs;
    for (qsizetype j = 0; j < findLines.size(); ++j)
        pairs.append({findLines[j], replaceLines.isEmpty() ? QString() : replaceLines[j]});
    EntrySteps steps = singleStep::onFile;
    if (replaceWith.isEmpty())
        steps.replace = singleStep::deleteLines;
    return replaceInFile(proc, steps, sourcePath, pairs, context);
}

FileOutcome ReplaceTextInFileCombo(
    const QString& sourcePath, const QStringList& findList, const QStringList& replaceList, EngineContext& context)
{
    GuardedProcedure proc(
        context.reporter, errorLocation(QStringLiteral("ReplaceText"), QStringLiteral("ReplaceTextInFileCombo")));
    const bool paired = proc.step(setsStep::pairLists, [&] {
        if (replaceList.size() < findList.size()) {
            throw Failure(QStringLiteral("The sets list holds %1 find texts but only %2 replace texts")
                              .arg(findList.size())
                              .arg(replaceList.size()));
        }
    });
    if (!paired)
        return {FileOutcome::Failed, 0, proc.lastFailure()};
    QList<ReplacementPair> pairs;
    for (qsizetype j = 0; j < findList.size(); ++j)
        pairs.append({findList[j], replaceList[j]});
    return replaceInFile(proc, setsStep::onFile, sourcePath, pairs, context);
}
