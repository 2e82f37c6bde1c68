// Forces a folder's entries to the disk: a rename into a folder survives a
// crash only once the folder itself is synced. Tests watch each sync, so that
// a lost one shows.
#pragma once

#include <functional>

void syncFolderEntries(int folder);
// Called with each folder handle just after its sync; empty for none.
void setFolderSyncWatch(std::function<void(int folder)> watch);
