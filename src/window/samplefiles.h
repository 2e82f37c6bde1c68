// The sample files shipped in "Samples" beside the program: recorded once at
// the first start, loaded into the file list by "Load Sample/Example Files".
#pragma once

#include "base/windowservices.h"

#include <QString>
#include <QStringList>
#include <functional>

class FileListModel;

// The names of the files directly in a folder that match a pattern.
using FolderListing = std::function<QStringList(const QString& folder, const QString& pattern)>;

// The sample folder with a trailing separator.
QString sampleFolder(const QString& programFolder);

// Stores the scrambled "|"-joined full paths of the sample files in "Snapshot".
void RecordSampleFiles(const QString& programFolder, const FolderListing& listFiles,
                       const std::function<void()>& yield);

// True when "Snapshot" must be recorded (again): it is empty, or the program
// was moved or installed elsewhere, so that no recorded sample exists any more
// and the recording names another folder than the one beside the program.
bool SampleRecordingNeeded(const QString& programFolder, const std::function<void()>& yield);

// Appends every recorded sample that exists and is not listed yet, then
// offers to open the sample folder.
void LoadSampleFiles(FileListModel& list, WindowServices& services);
