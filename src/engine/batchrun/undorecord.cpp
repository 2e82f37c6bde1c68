#include "engine/batchrun/undorecord.h"

namespace {

const QByteArray header = "tallowmere-undo 1";

QByteArray identityField(const FileIdentity& id)
{
    if (!id.exists)
        return "-";
    return QByteArray::number(id.device) + ':' + QByteArray::number(id.inode) + ':' + QByteArray::number(id.size) + ':'
        + QByteArray::number(id.modified) + ':' + QByteArray::number(id.changed) + ':' + QByteArray::number(id.owner)
        + ':' + QByteArray::number(id.group) + ':' + QByteArray::number(id.mode);
}

bool parseIdentity(const QByteArray& field, FileIdentity& id)
{
    id = {};
    if (field == "-")
        return true;
    const QList<QByteArray> parts = field.split(':');
    if (parts.size() != 8)
        return false;
    bool ok[8];
    id.device = parts[0].toULongLong(&ok[0]);
    id.inode = parts[1].toULongLong(&ok[1]);
    id.size = parts[2].toLongLong(&ok[2]);
    id.modified = parts[3].toLongLong(&ok[3]);
    id.changed = parts[4].toLongLong(&ok[4]);
    id.owner = parts[5].toUInt(&ok[5]);
    id.group = parts[6].toUInt(&ok[6]);
    id.mode = parts[7].toUInt(&ok[7]);
    id.exists = true;
    id.regular = true;
    id.links = 1;
    for (bool each : ok) {
        if (!each)
            return false;
    }
    return true;
}

QByteArray hexField(const QByteArray& bytes)
{
    return bytes.isEmpty() ? QByteArray("-") : bytes.toHex();
}

QByteArray fromHexField(const QByteArray& field)
{
    return field == "-" ? QByteArray() : QByteArray::fromHex(field);
}

char kindLetter(UndoEntry::Kind kind)
{
    return kind == UndoEntry::Created ? 'c' : kind == UndoEntry::Renamed ? 'r' : 'o';
}

UndoEntry* entryOf(QList<UndoEntry>& entries, const QByteArray& field)
{
    bool ok = false;
    const qint64 index = field.toLongLong(&ok);
    if (!ok)
        return nullptr;
    for (UndoEntry& entry : entries) {
        if (entry.index == index)
            return &entry;
    }
    return nullptr;
}

void parseKept(const QList<QByteArray>& f, QList<UndoEntry>& entries)
{
    if (f.size() != 11 || f[2].size() != 1)
        return;
    UndoEntry entry;
    bool ok = false;
    entry.index = f[1].toLongLong(&ok);
    const char kind = f[2][0];
    if (!ok || (kind != 'c' && kind != 'r' && kind != 'o'))
        return;
    entry.kind = kind == 'c' ? UndoEntry::Created : kind == 'r' ? UndoEntry::Renamed : UndoEntry::CopiedOver;
    entry.target = QString::fromUtf8(fromHexField(f[3]));
    entry.name = fromHexField(f[5]);
    entry.kept = fromHexField(f[6]);
    if (!parseIdentity(f[4], entry.folder) || !parseIdentity(f[7], entry.original)
        || !parseIdentity(f[8], entry.keptFile) || !parseIdentity(f[9], entry.expected))
        return;
    // A kept name is a plain name in the run's folder, nothing else.
    if (entry.name.isEmpty() || entry.name.contains('/') || entry.kept.contains('/') || entry.kept.startsWith('.'))
        return;
    if ((entry.kind == UndoEntry::Created) != entry.kept.isEmpty())
        return;
    entries.append(entry);
}

} // namespace

QString UndoEntry::placeKey() const
{
    return folder.key() + QLatin1Char('/') + QString::fromLocal8Bit(name);
}

int UndoRecord::undoableCount() const
{
    int n = 0;
    for (const UndoEntry& entry : entries)
        n += entry.undoable() ? 1 : 0;
    return n;
}

bool UndoRecord::hasOpenJournal() const
{
    for (const UndoEntry& entry : entries) {
        if (entry.journalOpen)
            return true;
    }
    return false;
}

UndoRecord parseUndoRecord(const QByteArray& text)
{
    UndoRecord record;
    QList<QByteArray> lines = text.split('\n');
    lines.removeLast(); // what follows the last "\n": empty, or a line cut short
    if (lines.isEmpty() || lines.first() != header)
        return record;
    record.valid = true;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> f = line.split(' ');
        const QByteArray& kind = f.first();
        if (kind == "K") {
            parseKept(f, record.entries);
            continue;
        }
        if (kind == "F") {
            record.finished = true;
            continue;
        }
        if (kind == "D") {
            record.undone = true;
            continue;
        }
        UndoEntry* entry = f.size() >= 2 ? entryOf(record.entries, f[1]) : nullptr;
        if (!entry)
            continue;
        if (kind == "R" && f.size() == 3 && parseIdentity(f[2], entry->result)) {
            entry->replaced = true;
        } else if (kind == "V") {
            entry->voided = true;
        } else if (kind == "J" && f.size() == 5 && (f[2] == "f" || f[2] == "u")
            && parseIdentity(f[4], entry->journalTemporaryFile)) {
            entry->journalOpen = true;
            entry->journalDirection = f[2][0];
            entry->journalTemporary = fromHexField(f[3]);
        } else if (kind == "j") {
            entry->journalEnded = entry->journalOpen;
            entry->journalOpen = false;
        } else if (kind == "U" && f.size() == 4 && parseIdentity(f[3], entry->restoredTo)) {
            entry->undone = f[2] == "restored" ? UndoEntry::Restored
                : f[2] == "removed"            ? UndoEntry::Removed
                                               : UndoEntry::LeftAlone;
        }
    }
    return record;
}

QByteArray headerLine()
{
    return header + '\n';
}

QByteArray keptLine(const UndoEntry& e)
{
    return "K " + QByteArray::number(e.index) + ' ' + kindLetter(e.kind) + ' ' + hexField(e.target.toUtf8()) + ' '
        + identityField(e.folder) + ' ' + hexField(e.name) + ' ' + hexField(e.kept) + ' ' + identityField(e.original)
        + ' ' + identityField(e.keptFile) + ' ' + identityField(e.expected) + " .\n";
}

QByteArray replacedLine(qint64 index, const FileIdentity& result)
{
    return "R " + QByteArray::number(index) + ' ' + identityField(result) + '\n';
}

QByteArray voidedLine(qint64 index)
{
    return "V " + QByteArray::number(index) + '\n';
}

QByteArray journalLine(qint64 index, char direction, const QByteArray& temporary, const FileIdentity& file)
{
    return "J " + QByteArray::number(index) + ' ' + direction + ' ' + hexField(temporary) + ' ' + identityField(file)
        + '\n';
}

QByteArray journalEndLine(qint64 index)
{
    return "j " + QByteArray::number(index) + '\n';
}

QByteArray undoneLine(qint64 index, UndoEntry::Undone how, const FileIdentity& restoredTo)
{
    const char* word = how == UndoEntry::Restored ? "restored" : how == UndoEntry::Removed ? "removed" : "left";
    return "U " + QByteArray::number(index) + ' ' + word + ' ' + identityField(restoredTo) + '\n';
}

QByteArray finishedLine()
{
    return "F\n";
}

QByteArray runUndoneLine()
{
    return "D\n";
}
