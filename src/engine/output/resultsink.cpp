#include "engine/output/resultsink.h"

#include "engine/output/countonlysink.h"
#include "engine/output/inplacesink.h"
#include "engine/output/memorysink.h"
#include "engine/output/outputfoldersink.h"
#include "engine/output/outputrules.h"
#include "engine/output/reviewsink.h"
#include "engine/textfile/fileplace.h"
#include "engine/textfile/sourcefile.h"

namespace {

// True when the target is the very file being read.
bool isSourceItself(const QString& target, const ByteSource& source)
{
    const SourceFile* file = source.onDisk();
    if (!file)
        return false;
    try {
        return locateFile(target).identity().sameFile(file->identity());
    } catch (const Failure&) {
        return false; // opening the writer will say why
    }
}

} // namespace

std::unique_ptr<ResultSink> makeResultSink(const OutputRules& rules, ResultTarget target)
{
    if (rules.countOnly)
        return std::make_unique<CountOnlySink>();
    // An output folder gets its copy even when nothing changes.
    if (rules.keepResult)
        return std::make_unique<MemorySink>(*rules.keepResult, target, rules.keepResultLimit);
    if (rules.review)
        return std::make_unique<ReviewSink>(rules, std::move(target));
    if (isSourceItself(target.path, target.source))
        return std::make_unique<InPlaceSink>(rules, std::move(target));
    return std::make_unique<OutputFolderSink>(rules, std::move(target));
}
