#include "engine/widgets/browsefolder.h"

#include "base/prompts.h"

QString BrowseFolder(Prompts& owner, const QString& title, const QString& startFolder)
{
    return owner.browseFolder(title, startFolder);
}

QString withTrailingSeparator(const QString& folder, QChar separator)
{
    return folder.endsWith(separator) ? folder : folder + separator;
}
