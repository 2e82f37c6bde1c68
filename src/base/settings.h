// The per-user settings store: text values under application "Pellworth",
// section "Tallowmere" ($XDG_CONFIG_HOME/Pellworth.conf, group [Tallowmere]).
#pragma once

#include <QString>

QString GetSetting(const QString& key, const QString& defaultValue);
QString GetSetting(const QString& key, int defaultValue);
void SaveSetting(const QString& key, const QString& value);

// "True"/"False" and decimal numbers (non-zero is true), any letter case;
// anything else throws Failure("Type mismatch").
bool toTruthValue(const QString& text);
QString truthText(bool value);
