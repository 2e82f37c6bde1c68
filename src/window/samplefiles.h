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

// The names of the files in the sample folder now.
QStringList sampleNames(const QString& programFolder, const FolderListing& listFiles);

// Stores the scrambled "|"-joined full paths of the named samples in "Snapshot".
void RecordSampleFiles(const QString& programFolder, const QStringList& names, const std::function<void()>& yield);

// True when "Snapshot" must be recorded (again): it is empty; or it names
// files outside the sample folder beside the running program (which was moved
// or installed elsewhere) while that folder holds samples. Samples deleted
// from that very folder are not recorded again.
bool SampleRecordingNeeded(const QString& programFolder, bool folderHoldsSamples, const std::function<void()>& yield);

// Appends every recorded sample that exists and is not listed yet, then
// offers to open the sample folder.
void LoadSampleFiles(FileListModel& list, WindowServices& services);
