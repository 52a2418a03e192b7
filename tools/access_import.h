// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace solvane {

// Writes a new base at newPath holding the ten tables of the Access database
// at accessPath: every live row with its keys as they are (the
// auto-increment sequences go on after the highest key), every value exact,
// empty cells empty. Tables and columns are matched without regard to case;
// others are ignored. The schema is the current one, the columns of later
// versions taking their defaults, so the base keeps the classic fit. An
// existing newPath is never replaced. On failure throws Error with one line
// that names the Access file and the reason, and leaves no file behind.
void ConvertAccessDatabase(const QString& accessPath, const QString& newPath);

} // namespace solvane
