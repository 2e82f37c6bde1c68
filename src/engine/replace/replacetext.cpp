#include "engine/replace/replacetext.h"

#include "engine/replace/filereplacement.h"
#include "engine/replace/pathrules.h"

namespace {

constexpr EntrySteps singleSteps{100, 102, 104, 114, 118, 122, 124, 126, 128, 130, 132, 134, 136, 138};
constexpr EntrySteps setsSteps{100, 102, 104, 0, 108, 110, 112, 114, 116, 118, 120, 122, 124, 126};

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

FileOutcome ReplaceTextInFile(const QString& sourcePath, const QString& findWhat, const QString& replaceWith,
                       EngineContext& context)
{
    GuardedProcedure proc(context.reporter, errorLocation(QStringLiteral("ReplaceText"), QStringLiteral("ReplaceTextInFile")));
    proc.reach(106);
    const QStringList findLines = splitAtLineBreaks(findWhat);
    proc.reach(108);
    QStringList replaceLines;
    if (!replaceWith.isEmpty()) {
        // Lines are paired by number; with unequal counts no pairing is right.
        const bool paired = proc.step(110, [&] {
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
    EntrySteps steps = singleSteps;
    if (replaceWith.isEmpty())
        steps.replace = 120; // the branch that deletes the find lines
    return replaceInFile(proc, steps, sourcePath, pairs, context);
}

FileOutcome ReplaceTextInFileCombo(const QString& sourcePath, const QStringList& findList, const QStringList& replaceList,
                            EngineContext& context)
{
    GuardedProcedure proc(context.reporter, errorLocation(QStringLiteral("ReplaceText"), QStringLiteral("ReplaceTextInFileCombo")));
    const bool paired = proc.step(108, [&] {
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
    return replaceInFile(proc, setsSteps, sourcePath, pairs, context);
}
