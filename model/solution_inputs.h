// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Everything the working solution is computed from, as plain records: the
// directories, the crop's target rows and the solution's lines, the water
// and the options that count. The windows' data sets or the file fill it; the
// computation (model/solution_calculation.h) never reads anything else.

#include "core/contribution.h"
#include "core/ions.h"
#include "core/solution_lines.h"
#include "store/options.h"
#include "store/records.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace solvane {

struct SolutionInputs {
    // The directories, in the tables' order.
    std::vector<FertilizerRecord> fertilizers;
    std::vector<ContentRecord> content;
    std::vector<ElementRecord> elements;
    std::vector<CoefficientRecord> coefficients;
    // The crop's target rows and the solution's lines, in the grids' order.
    std::vector<TargetRecord> targets;
    std::vector<LineRecord> lines;
    // The mg/l of each element the counted source water brings (none without
    // water), a form's also counted toward its total, as the sums take it.
    std::unordered_map<long long, double> water;
    // The same water as the profile holds it, each element once: the ions
    // count it so.
    std::unordered_map<long long, double> sourceWater;
    // The HCO3 the acid leaves in the counted water, mg/l; empty: the default.
    std::optional<double> bicarbonateLeft;
    // The line under "Кислота:" once the acid is applied (ApplyAcid): its
    // dose, or why it is 0.
    QString acidLabel;
    Options options;
    int strength = 100; // % of the full solution
};

// What the inputs' directories say about a fertilizer, an element or a line,
// looked up as the data sets' lookups find them (the first row of a key).
class Directories {
public:
    explicit Directories(const SolutionInputs& inputs);

    // The fertilizer is in the directory.
    bool fertilizerExists(long long key) const { return fertilizers_.count(key) > 0; }
    // The line's fertilizer's record; none for a line without one or whose
    // fertilizer is gone.
    const FertilizerRecord* fertilizer(const std::optional<long long>& key) const;
    // A line's fertilizer key that names no fertilizer of the directory: the
    // line counts nowhere (an empty key is a line without a fertilizer).
    bool lineFertilizerGone(const std::optional<long long>& key) const { return key && !fertilizerExists(*key); }
    // The name a line shows: its fertilizer's, or the deleted one's words;
    // empty without a fertilizer.
    QString lineName(const std::optional<long long>& key) const;
    // The fertilizer's ppm of 1 g/l, as the composition's whole-number column holds it.
    double linePpm(const std::optional<long long>& key) const;
    // The element's short name (empty when none).
    QString elementName(const std::optional<long long>& key) const;
    // The element each form counts toward, by the form's key.
    const std::unordered_map<long long, long long>& formTotals() const { return formTotals_; }

    // The content rows of the given fertilizers in element terms (the
    // classic recipe's and the mixing tools' reading) and as the
    // concentration calculation reads them, in the table's order. Rows of a
    // fertilizer no longer in the directory count for nothing.
    std::unordered_map<long long, std::vector<ElementShare>>
    elementTermsContent(const std::unordered_set<long long>& fertilizers) const;
    std::unordered_map<long long, std::vector<ContentRow>>
    calculationContent(const std::unordered_set<long long>& fertilizers) const;

private:
    const SolutionInputs& inputs_;
    std::unordered_map<long long, const FertilizerRecord*> fertilizers_;
    std::unordered_map<long long, const ElementRecord*> elements_;
    std::unordered_map<long long, const CoefficientRecord*> coefficients_;
    std::unordered_map<long long, long long> formTotals_;
};

// The mg/l each element of the water profile brings (rows of one element add
// up), over the profile's rows, each form's also counted toward the element
// it is a form of; nothing for no profile.
// The profile's mg/l per element as it holds them (rows of one element add up).
std::unordered_map<long long, double> ProfileWater(const std::vector<WaterElementRecord>& rows,
                                                   const std::optional<long long>& profile);
// The element each form counts toward, by the form's key.
std::unordered_map<long long, long long> FormTotals(const std::vector<ElementRecord>& elements);
// The ion of each element that has one the program knows.
std::unordered_map<long long, Ion> IonsOf(const std::vector<ElementRecord>& elements);

std::unordered_map<long long, double> WaterAmounts(const std::vector<WaterElementRecord>& rows,
                                                   const std::vector<ElementRecord>& elements,
                                                   const std::optional<long long>& profile);

} // namespace solvane
