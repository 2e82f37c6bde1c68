// The per-user settings store: text values under application "Pellworth",
// section "Tallowmere" ($XDG_CONFIG_HOME/Pellworth.conf, group [Tallowmere]).
#pragma once

#include <QString>

// Throws Failure, once, when the settings file could not be read: it is kept
// aside under another name and a fresh one started, so the default applies.
QString GetSetting(const QString& key, const QString& defaultValue);
QString GetSetting(const QString& key, int defaultValue);
// Throws Failure when the store can't be written, once a session; and when
// an unreadable settings file was kept aside and a fresh one started (the
// value is saved all the same).
void SaveSetting(const QString& key, const QString& value);
// Tells a store that can't be written again: a new session (each test is one).
void beginSettingsSession();

// "True"/"False" and decimal numbers (non-zero is true), any letter case;
// anything else throws Failure("Type mismatch").
bool toTruthValue(const QString& text);
QString truthText(bool value);
