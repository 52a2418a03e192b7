// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <array>

namespace solvane {

class DataSet;

// The options record (the first row of t_opt) as the program applies it; an
// empty field reads as false, 0 or black (0), an empty table as a record of
// empty fields.
struct Options {
    bool c21 = false, c22 = false, c31 = false, c32 = false, c34 = false;
    bool avto = false, ppm1 = false, ppm2 = false, kult = false;
    int maxim = 0;
    std::array<long long, 15> cl{}; // cl[1] .. cl[14]

    // The colour of each of the fourteen holders [1..14] the record's colours
    // fill, in ascending order: setting holder 1, 3, 7, 8 or 9 passes its
    // colour on to other holders, which pass it no further, so holder 2 ends
    // with cl9. An invalid colour where the value names none.
    std::array<QColor, 15> holderColours() const;
};

// Reads the record; moves the set to its first row.
Options ReadOptions(DataSet& options);

} // namespace solvane
