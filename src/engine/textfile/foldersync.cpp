#include "engine/textfile/foldersync.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

std::function<void(int)>& folderSyncWatch()
{
    static std::function<void(int)> watch;
    return watch;
}

} // namespace

void syncFolderEntries(int folder)
{
#ifdef Q_OS_UNIX
    (void)::fsync(folder);
#endif
    if (folderSyncWatch())
        folderSyncWatch()(folder);
}

void setFolderSyncWatch(std::function<void(int)> watch)
{
    folderSyncWatch() = std::move(watch);
}
