// The reversible scrambling of the recorded sample-file list in the settings
// store. Each character of the scrambled text stands for one byte of the
// UTF-8 form of the plain text, so any path survives the round trip.
#pragma once

#include <QString>

#include <functional>

// The built-in key: eight lowercase letters.
extern const QString sampleListKey;

// yield runs before each character, so a long text keeps the window alive.
QString ScrambleText(const QString& text, const QString& key, const std::function<void()>& yield = {});
QString UnscrambleText(const QString& text, const QString& key, const std::function<void()>& yield = {});
