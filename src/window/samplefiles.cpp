#include "window/samplefiles.h"

#include "base/fileexists.h"
#include "base/pathseparator.h"
#include "base/programfiles.h"
#include "base/settings.h"
#include "filelist/filelistmodel.h"
#include "window/scramble.h"

#include <algorithm>

QString sampleFolder(const QString& programFolder)
{
    return programFile(programFolder, QStringLiteral("Samples")) + nativePathSeparator;
}

QStringList sampleNames(const QString& programFolder, const FolderListing& listFiles)
{
    return listFiles(programFile(programFolder, QStringLiteral("Samples")), QStringLiteral("*.*"));
}

void RecordSampleFiles(const QString& programFolder, const QStringList& names, const std::function<void()>& yield)
{
    const QString folder = sampleFolder(programFolder);
    QStringList paths;
    for (const QString& name : names)
        paths.append(folder + name);
    SaveSetting(QStringLiteral("Snapshot"), ScrambleText(paths.join(QLatin1Char('|')), sampleListKey, yield));
}

namespace {
QStringList recordedSamples(const QString& fallback, const std::function<void()>& yield)
{
    const QString text = UnscrambleText(GetSetting(QStringLiteral("Snapshot"), fallback), sampleListKey, yield);
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('|'));
}
} // namespace

bool SampleRecordingNeeded(const QString& programFolder, bool folderHoldsSamples, const std::function<void()>& yield)
{
    if (GetSetting(QStringLiteral("Snapshot"), QString()).isEmpty())
        return true;
    if (!folderHoldsSamples)
        return false;
    const QString folder = sampleFolder(programFolder);
    const QStringList paths = recordedSamples(QString(), yield);
    return std::any_of(paths.cbegin(), paths.cend(), [&](const QString& path) { return !path.startsWith(folder); });
}

void LoadSampleFiles(FileListModel& list, WindowServices& services)
{
    const QStringList paths = recordedSamples(truthText(false), services.yield);
    for (const QString& path : paths) {
        if (FileExists(path) && !list.ListContainsFile(path))
            list.Append(path);
    }
    if (services.prompts.message(QStringLiteral("Would you like this software to open the folder where these sample "
                                                "files are stored (so that you can view them before working with "
                                                "them)?"),
            StyleYesNo)
        == Answer::Yes)
        services.prompts.openForUser(sampleFolder(services.programFolder));
}
