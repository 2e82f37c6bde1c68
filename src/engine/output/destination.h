// Where the results go, as the "Save Option" controls say it.
#pragma once

#include <QString>

struct Destination {
    bool option1 = true; // "Save results to this folder:" outputFolder
    bool option2 = false; // "Save results in folder of original file"
    QString outputFolder;
};
