// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace solvane {

// Whether a file starts with the header of a Microsoft Access (Jet 3, Jet 4
// or ACE) database: the page-0 mark and "Standard Jet DB" or "Standard ACE DB".
// A file that cannot be read is not one.
bool IsAccessDatabase(const QString& path);

} // namespace solvane
