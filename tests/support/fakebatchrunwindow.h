// A main window for the batch run made of plain values, with every caption
// the run shows recorded.
#pragma once

#include "engine/batchrun/batchrun.h"

struct FakeBatchRunWindow : BatchRunWindow {
    QStringList rows;
    int tab = 1;
    QString find;
    QString replace;
    QStringList finds;
    QStringList replaces;
    Destination where{false, true, {}};
    bool isClosing = false; // for the services' closing
    QString shownCaption = QStringLiteral("Tallowmere");
    QStringList captions;

    int rowCount() const override { return static_cast<int>(rows.size()); }
    QString rowText(int row) const override
    {
        if (row < 1 || row > rows.size())
            throw Failure("Index out of bounds");
        return rows[row - 1];
    }
    int selectedTab() const override { return tab; }
    QString findWhat() const override { return find; }
    QString replaceWith() const override { return replace; }
    QStringList findList() const override { return finds; }
    QStringList replaceList() const override { return replaces; }
    Destination destination() const override { return where; }
    QString caption() const override { return shownCaption; }
    void setCaption(const QString& caption) override
    {
        shownCaption = caption;
        captions.append(caption);
    }
};
