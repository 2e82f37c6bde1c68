// A keeper of the way back that only records what the result writers tell
// it, and refuses to keep when told to, for tests of the engine on its own.
#pragma once

#include "engine/textfile/oldfilekeeper.h"

#include <QByteArray>
#include <QStringList>

#include <functional>

struct RecordingKeeper : OldFileKeeper {
    QStringList kept; // targets, as the writers name them
    QStringList replacedTargets;
    QList<bool> copiedOver;
    // Runs in keep() with the target and the finished result's bytes; may throw.
    std::function<void(const QString& target, const QByteArray& result)> onKeep;

    // Runs in settle(); may throw.
    std::function<void()> onSettle;
    // "keep <target>", "settle", "replaced <target>", in the order told.
    QStringList events;

    qint64 keep(const FilePlace& target, const FileIdentity&, int result, bool copyOver) override;
    void settle() override
    {
        events << QStringLiteral("settle");
        if (onSettle)
            onSettle();
    }
    void copyOverBegins(qint64, const QByteArray&, const FileIdentity&) override { }
    void copyOverEnded(qint64) override { }
    void replaced(qint64 ticket, const FileIdentity&) override
    {
        replacedTargets << kept.value(int(ticket));
        events << QStringLiteral("replaced ") + kept.value(int(ticket));
    }
    void notReplaced(qint64) override { }
};
