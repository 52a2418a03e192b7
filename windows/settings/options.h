// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/options.h"

#include <QColor>
#include <array>

namespace solvane {

// The colour of each of the fourteen holders [1..14] the options record's
// colours fill, in ascending order: setting holder 1, 3, 7, 8 or 9 passes its
// colour on to other holders, which pass it no further, so holder 2 ends with
// cl9. An invalid colour where the value names none.
std::array<QColor, 15> HolderColours(const Options& options);

} // namespace solvane
