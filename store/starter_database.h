// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace solvane {

// Writes a new base.mdb at path with the schema and the reference data:
// elements (the key elements 1 to 6 first) and oxides with their conversion
// records, fertilizers with their content, crops with their targets, and the
// options row. Refuses to overwrite an existing file; throws Error.
void CreateStarterDatabase(const QString& path);

// Writes a new database holding only the schema (and no rows).
void CreateEmptyDatabase(const QString& path);

} // namespace solvane
