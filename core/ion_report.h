// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What growers read from a solution's ions: the balance of cations and
// anions, the ammonium share of the nitrogen, the ratios in meq/l, and the
// warnings about them.

#include "core/ion_sums.h"
#include "core/solution_lines.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace solvane {

inline constexpr double kAmmoniumShareLimit = 15.0; // % of all N
inline constexpr double kIonBalanceLimit = 10.0;    // % of the larger sum
inline constexpr double kBicarbonateWarning = 60.0; // mg/l of HCO3⁻ left in the water

struct IonReportInputs {
    IonSums sums;
    // mg/l of nitrogen that counts in no ion (amide N): it belongs to all N.
    double unchargedNitrogen = 0.0;
    // The fertilizers whose nitrogen is in plain N rows (counted as nitrate),
    // each once, in the lines' order.
    QStringList plainNitrogen;
    // mg/l of HCO3⁻ of a counted water that no acid neutralises; empty when
    // an acid is dosed or no water is counted.
    std::optional<double> unneutralisedBicarbonate;
};

struct IonReport {
    // |cations − anions| in % of the larger sum; 0 when both are 0.
    double balancePercent = 0.0;
    // NH4-N in % of all N (nitrate, ammonium and uncharged); empty without N.
    std::optional<double> ammoniumShare;
    // meq/l.
    double potassium = 0.0, calcium = 0.0, magnesium = 0.0, nitrate = 0.0, ammonium = 0.0;
    QStringList warnings;
};

IonReport ReportIons(const IonReportInputs& inputs);

// The inputs for a solution's lines (in element terms; a line left out or
// with no amount above 0 puts nothing in) and its counted water (mg/l by
// element, as the profile holds it): each row counts for its own element's
// ion. Uncharged nitrogen is that of the forms of N without an ion; the
// fertilizers with a plain N row are named; the water's HCO3 is
// unneutralised (no acid is dosed here).
IonReportInputs IonInputsOf(const std::vector<SolutionLine>& lines, const std::unordered_map<long long, double>& water,
                            const std::unordered_map<long long, Ion>& ionOfElement,
                            const std::unordered_map<long long, long long>& totalOf);

} // namespace solvane
