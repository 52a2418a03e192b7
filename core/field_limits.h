// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/number_text.h"

// What a grower may type into each numeric field. Where the program's
// editors always had limits they stand; elsewhere the limit is one no grower
// would ever reach, so that a slip of the keyboard (a "1e308", a minus sign)
// is refused before it is stored and fitted.
namespace solvane::FieldLimits {

// Content of an element in a fertilizer, percent by mass.
inline NumberLimits Content() {
    return {0.0001, 100, QStringLiteral("%")};
}
// A fertilizer's salt figure: ppm of 1 g per litre.
inline NumberLimits Ppm() {
    return {0, 100000, QStringLiteral("ppm"), true};
}
// A conversion coefficient from an oxide to its element.
inline NumberLimits Coefficient() {
    return {0, 1000, QString()};
}
// A target concentration, mg per litre.
inline NumberLimits Target() {
    return {0, 100000, QStringLiteral("мг/л")};
}
// An amount of the working composition, g per litre.
inline NumberLimits Amount() {
    return {0, 1000, QStringLiteral("г/л")};
}
// A target row's weight in the grower's fit.
inline NumberLimits Weight() {
    return {0, 100, QString()};
}
// An amount of a saved solution's line, g per litre.
inline NumberLimits SavedAmount() {
    return {0, 100, QStringLiteral("г/л")};
}
// The litres a saved solution is worked out for.
inline NumberLimits Litres() {
    return {0.1, 100000, QStringLiteral("л")};
}
// The volume of each stock tank, litres.
inline NumberLimits TankVolume() {
    return {0.1, 100000, QStringLiteral("л")};
}
// How many times the stock concentrates are stronger than the solution.
inline NumberLimits Concentration() {
    return {2, 1000, QString(), true};
}
// The fit the calculator uses: 0 the classic one, 1 the grower's, 2 the
// cheapest within the tolerances.
inline NumberLimits FitMode() {
    return {0, 2, QString(), true};
}
// The density of a liquid fertilizer, g per ml: from the lightest solvents
// (0,5) to beyond the densest acids growers buy (96 % sulfuric acid, 1,84).
inline NumberLimits Density() {
    return {0.5, 3, QStringLiteral("г/мл")};
}
// The grower's price of a kilogram (or a litre of a liquid), in no named
// currency.
inline NumberLimits Price() {
    return {0, 1e6, QString()};
}
// How far a fitted concentration may stray from its target, in % of it.
inline NumberLimits Tolerance() {
    return {0.1, 100, QStringLiteral("%")};
}
// The bicarbonate the acid leaves in the water, mg/l of HCO3, a water value
// like the others.
inline NumberLimits BicarbonateLeft() {
    return Target();
}
// A crop's EC, mS/cm at 25 °C: nutrient solutions run from about 0,5 to 5,
// and a drain or a salt-tolerant crop seldom above 10.
inline NumberLimits CropEc() {
    return {0, 20, QStringLiteral("мСм/см")};
}
// An amount typed into the converter, in any of its units.
inline NumberLimits ConverterAmount() {
    return {-1e15, 1e15, QString()};
}

} // namespace solvane::FieldLimits
