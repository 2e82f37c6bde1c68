// Replaced by the filelist sources.
