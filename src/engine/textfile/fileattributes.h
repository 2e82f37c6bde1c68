// What belongs to a file besides its bytes: owner, group, permission bits,
// extended attributes and ACLs (which are extended attributes here). Used by
// the result writer for a result that takes a file's place and by the undo
// for an old file that takes its place back.
#pragma once

#include "engine/textfile/fileplace.h"

#include <QStringList>

// Gives `to` the owner, group and bits of `like` and every extended attribute
// of the open file `from` (-1: none to copy). What could not be given is
// named in the list ("owner", "extended attributes"); empty when all was kept.
QStringList giveAttributes(int to, const FileIdentity& like, int from);
