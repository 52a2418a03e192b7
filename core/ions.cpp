// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ions.h"

#include <cstdlib>

namespace solvane {

namespace {

// Standard atomic weights (IUPAC, abridged); HCO3 is the ion's formula mass.
constexpr std::array<IonInfo, kIonCount> kIons = {{
    {"NO3-", -1, 14.007},
    {"NH4+", +1, 14.007},
    {"H2PO4-", -1, 30.974},
    {"K+", +1, 39.098},
    {"Ca+2", +2, 40.078},
    {"Mg+2", +2, 24.305},
    {"SO4-2", -2, 32.06},
    {"Na+", +1, 22.990},
    {"Cl-", -1, 35.45},
    {"HCO3-", -1, 61.017},
}};

} // namespace

const IonInfo& InfoOf(Ion ion) {
    return kIons[IonIndex(ion)];
}

std::optional<Ion> IonFromCode(std::string_view code) {
    for (std::size_t i = 0; i < kIonCount; ++i)
        if (kIons[i].code == code)
            return static_cast<Ion>(i);
    return std::nullopt;
}

double Milliequivalents(Ion ion, double millimoles) {
    return millimoles * std::abs(InfoOf(ion).charge);
}

} // namespace solvane
