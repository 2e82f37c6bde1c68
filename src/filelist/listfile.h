// List files: text files naming one file per line, loaded into the file list.
// Qt Core only; used by "Load List Of Files From File".
#pragma once

#include <QString>

class FileListModel;
class Prompts;

// Empty, or spaces (code 32) only; a tab makes a line non-blank.
bool isBlankLine(const QString& line);

// Appends every non-blank line of the list file exactly as read. A missing
// list file gives the message "File not found" and nothing else. A failure
// while reading throws; rows appended before it stay.
void LoadListFile(FileListModel& list, const QString& path, Prompts& prompts);
