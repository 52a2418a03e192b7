// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

struct sqlite3;

namespace solvane {

// The schema version a base carries (PRAGMA user_version).
int SchemaVersionOf(sqlite3* db);

// Brings an open base up to the current schema version, in one transaction,
// through every version after its own: a version-0 base gets the columns and
// tables of version 1 (the options' fit_mode, 0, so that the base keeps the
// fit it was made with), and every base the columns of the versions after.
// Rows and values already there stay as they are. A base of a
// newer version than this program knows is refused with
// "Файл «<name>» создан более новой версией Solvane (версия схемы N).",
// and a failed upgrade leaves the file as it was. Throws Error.
void UpgradeSchema(sqlite3* db, const QString& fileName);

} // namespace solvane
