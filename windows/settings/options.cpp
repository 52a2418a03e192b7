// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/settings/options.h"

#include "store/dataset.h"
#include "windows/settings/colours.h"

#include <QApplication>

namespace solvane {

Options ReadOptions(DataSet& set) {
    // Only the first row counts; an empty table reads as a record of empty fields.
    set.first();
    auto boolean = [&set](const char* name) { return set.fieldByName(QLatin1String(name))->asBoolean(); };
    Options r;
    r.c21 = boolean("c21");
    r.c22 = boolean("c22");
    r.c31 = boolean("c31");
    r.c32 = boolean("c32");
    r.c34 = boolean("c34");
    r.avto = boolean("avto");
    r.ppm1 = boolean("ppm1");
    r.ppm2 = boolean("ppm2");
    r.kult = boolean("kult");
    r.maxim = set.fieldByName(QStringLiteral("maxim"))->asInteger();
    for (int n = 1; n <= 14; ++n)
        r.cl[static_cast<size_t>(n)] = set.fieldByName(QStringLiteral("cl%1").arg(n))->asLargeInt();
    return r;
}

std::array<QColor, 15> Options::holderColours() const {
    std::array<long long, 15> holders{};
    for (int n = 1; n <= 14; ++n) {
        const long long colour = cl[static_cast<size_t>(n)];
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
