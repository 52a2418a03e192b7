// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/stored_values.h"

#include <QString>
#include <QStringList>
#include <vector>

struct sqlite3;

namespace solvane {

class StatementWatch;

struct OpenBaseOptions {
    // Never written, even when the file and its folder could be.
    bool readOnly = false;
    // A base of an older schema version that is opened read-only is read as
    // upgraded: it is copied into memory and upgraded there, the file staying
    // as it is. Without it, such a base is refused (it cannot be upgraded).
    bool upgradeInMemory = false;
    // The file was found damaged while this program ran: it is opened
    // read-only, and not checked for damage again.
    bool knownDamaged = false;
    // Looks through every described table for cells read as empty (see
    // ReadStoredRow), for the start-up box.
    bool listUnreadableCells = false;
    // Watches every statement from the first read on; may be null.
    StatementWatch* watch = nullptr;
};

// What the start-up box tells about an opened base.
struct BaseNotes {
    bool readOnly = false;
    // The file's triggers and views, which are never run.
    QStringList unrunObjects;
    // The first cells read as empty, and how many there are in all.
    std::vector<UnreadableCell> unreadableCells;
    int unreadableCount = 0;
};

struct OpenedBase {
    sqlite3* db = nullptr; // the caller closes it
    bool readOnly = false; // nothing may be written through it
    bool inMemory = false; // an upgraded copy of an older base, in memory
    int fileVersion = 0;   // the schema version the file has
    BaseNotes notes;
};

// Opens a base made by anyone, and refuses (Error, in Russian, naming the
// file and what is wrong) a file that could harm the grower. In this order:
//  1. base must be a regular file (symbolic links resolved first): a FIFO, a
//     device or a directory is refused by name before anything reads it;
//  2. an Access database is refused (the program asks about it before);
//  3. a "-wal" or "-journal" beside the file base resolves to that is more
//     than 10 s older than it was left by another base, and is refused;
//  4. the file is opened: read-only when it cannot be written, or when its
//     folder cannot take the "-wal" (a WAL file without its "-shm" there
//     with immutable=1, so that nothing is made beside it); triggers and
//     views are switched off, the connection is defensive, the schema
//     untrusted, and the watch stops a statement that runs too long;
//  5. PRAGMA quick_check: a damaged file is refused;
//  6. the schema version: a newer or a negative one is refused;
//  7. the schema: each described table of the file's version must be an
//     ordinary rowid table with its columns and its key, and whatever an
//     upgrade would add must not be there yet;
//  8. then, writable, journal_mode=WAL and the upgrade to this program's
//     version; an older base opened read-only is refused, or upgraded in
//     memory when asked.
// A refused file is never changed, and nothing is left beside it that was
// not there before. Extra tables, triggers and views stay in the file,
// untouched and never run.
OpenedBase OpenBase(const QString& base, const OpenBaseOptions& options);

// Runs every check of OpenBase on the file, read-only, and closes it again:
// throws the refusal when there is one. Nothing is made beside the file.
void CheckBase(const QString& base);

// Step 1 alone: throws Error unless base is a regular file that can be read.
// Start-up runs it before it looks whether the file is an Access database.
void RequireRegularBaseFile(const QString& base);

// The words every action that would write is refused with.
QString ReadOnlyBaseText(const QString& base);
QString DamagedBaseText(const QString& base);

// The start-up box's text: one paragraph for each thing to tell, empty when
// there is nothing.
QString BaseNotesText(const BaseNotes& notes, const QString& base);

} // namespace solvane
