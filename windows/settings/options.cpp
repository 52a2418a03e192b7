// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/settings/options.h"

#include "windows/settings/colours.h"

#include <QApplication>

namespace solvane {

std::array<QColor, 15> HolderColours(const Options& options) {
    std::array<long long, 15> holders{};
    for (int n = 1; n <= 14; ++n) {
        const long long colour = options.cl[static_cast<size_t>(n)];
        holders[static_cast<size_t>(n)] = colour;
        switch (n) {
        case 1:
            holders[4] = colour;
            holders[10] = colour;
            break;
        case 3:
            holders[5] = colour;
            break;
        case 7:
            holders[11] = colour;
            holders[13] = colour;
            break;
        case 8:
            holders[12] = colour;
            holders[14] = colour;
            break;
        case 9:
            holders[2] = colour;
            break;
        default:
            break;
        }
    }
    std::array<QColor, 15> colours;
    for (size_t n = 1; n < colours.size(); ++n)
        colours[n] = StoredColour(holders[n], QApplication::palette());
    return colours;
}

} // namespace solvane
