// The sink of a result that goes to a new file: an output folder gets its
// copy from the first piece, even when nothing changes.
#pragma once

#include "engine/output/writersink.h"

class OutputFolderSink : public WriterSink {
public:
    using WriterSink::WriterSink;
};
