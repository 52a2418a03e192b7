// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ions the program counts in a solution: their codes as the element
// directory stores them, their charges, and the mass that turns mg/l into
// mmol/l.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace solvane {

// In the order of the directory's drop-down.
enum class Ion { Nitrate, Ammonium, Phosphate, Potassium, Calcium, Magnesium, Sulfate, Sodium, Chloride, Bicarbonate };

constexpr std::size_t kIonCount = 10;

// One value per ion, indexed by IonIndex.
using IonValues = std::array<double, kIonCount>;

constexpr std::size_t IonIndex(Ion ion) {
    return static_cast<std::size_t>(ion);
}

struct IonInfo {
    std::string_view code; // "NO3-", "NH4+", "H2PO4-", "K+", "Ca+2", ...
    int charge;
    // mg/l of the element the directory counts (N for nitrate and ammonium, P
    // for phosphate, S for sulfate; the ion itself for bicarbonate) divided by
    // this mass gives mmol/l of the ion.
    double mass;
};

const IonInfo& InfoOf(Ion ion);

// The ion of a code, matched exactly; none for an empty text or one that is
// no code.
std::optional<Ion> IonFromCode(std::string_view code);

// meq/l = mmol/l × |charge|.
double Milliequivalents(Ion ion, double millimoles);

} // namespace solvane
