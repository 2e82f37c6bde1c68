// Replaced by the pairs sources.
