// Points the settings store at a fresh temporary folder for one test.
#pragma once

#include <QString>
#include <QTemporaryDir>

class TemporarySettings {
public:
    TemporarySettings();
    // The settings file as the store writes it.
    QString fileName() const;

private:
    QTemporaryDir m_dir;
};
