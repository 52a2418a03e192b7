// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The working solution computed over plain values, as the calculator does it
// after every change: the zero-target rule, the fit of the amounts (classic
// or the grower's), the concentrations of the target rows, the figures at the
// strength, the totals strips and the analysis. The same sums in the same
// order, the same rounding, so that every figure is the calculator's, bit for
// bit. Nothing is read or written here: the inputs are a snapshot.

#include "core/ion_report.h"
#include "core/solution_analysis.h"
#include "core/tank_cost.h"
#include "model/solution_inputs.h"

#include <optional>
#include <vector>

namespace solvane {

// The fits, as t_opt.fit_mode holds them.
constexpr int kClassicFit = 0;
constexpr int kGrowerFit = 1;
constexpr int kCheapestFit = 2;
// The fit the stored value names: the grower's for 1, the cheapest for 2, the
// classic one for any other.
int FitModeOf(int stored);
// How the analysis reads the rows under the stored fit: the grower's and the
// cheapest fit name the fitted rows beyond their bound, the cheapest one
// judges each row by its own tolerance and brings its message.
FitJudgement FitJudgementOf(int stored, const QString& fitMessage = {});
// The significant digits an amount shows with under the stored fit: the
// grower's and the cheapest fit's unrounded amounts four, the classic fit's
// fifteen, as every number.
constexpr int kFittedAmountDigits = 4;
constexpr int kAllAmountDigits = 15;
int AmountDigits(int stored);

// ---- the derived figures of one row

// A target at the strength (vaga_calc, cvet_calc): rounded to 2 places.
double TargetAtStrength(const std::optional<double>& target, int strength);
// A result (r_pr) or an amount (kol_pr) at the strength.
double AtStrength(const std::optional<double>& value, int strength);
// A saved line's amount for the litres (kol_temp).
double ForLitres(const std::optional<double>& amount, double litres);

// ---- the rules

// The zero-target rule: a row without a target (0 or empty) does not stay. A
// stored target that reads as empty (not a number) is not a missing one, and
// a base that cannot be written keeps every row.
bool TargetMissing(const TargetRecord& row, bool writable);

struct FittedAmounts {
    // Each line's amount after the fit, in the lines' order; a line left out
    // of the fit (its fertilizer deleted) keeps the one it had.
    std::vector<std::optional<double>> amounts;
    std::vector<bool> fitted;          // the fit gave the line its amount
    bool singularValueLeftOut = false; // the classic solve left out a singular value
    // Why the cheapest fit gave way to the grower's (a line without a price,
    // tolerances out of reach); empty when it ran, and under the other fits.
    QString fitMessage;
};
// The fit the options name, of inputs.lines to inputs.targets, the water counted.
FittedAmounts FitAmounts(const SolutionInputs& inputs);

// Each target row's concentration from the lines, the water included, rounded
// to 4 places.
std::vector<double> Concentrations(const SolutionInputs& inputs, const std::vector<LineRecord>& lines);

// The totals strips: each a sum as the strips show it (0 while its option is off).
struct SolutionTotals {
    double result = 0, target = 0, floweringTarget = 0, resultAtStrength = 0;
    double ppm = 0, ppmAtStrength = 0;
};
// targets: the rows with their results; composition: the working lines (the
// ppm strip always sums the composition, whichever lines the rows show).
SolutionTotals TotalsOf(const SolutionInputs& inputs, const std::vector<TargetRecord>& targets,
                        const std::vector<LineRecord>& composition);

// The name a line shows: its fertilizer's (or the deleted one's words), the
// acid's line the program adds marked as such.
QString LineName(const Directories& directories, const LineRecord& line);

// The lines as the mixing tools read them, with their content in element terms.
std::vector<SolutionLine> MixingLines(const SolutionInputs& inputs, const std::vector<LineRecord>& lines);
// The target rows as the analysis reads them.
std::vector<TargetRow> AnalysisTargets(const SolutionInputs& inputs, const std::vector<TargetRecord>& targets);

// The ions of the lines and of the source water, what growers read from them,
// and the EC a meter should read (pH 5.5, 25 °C), as the analysis shows them.
struct SolutionIons {
    IonReportInputs inputs;
    IonReport report;
    double ec = 0.0; // mS/cm
};
SolutionIons IonsOfSolution(const SolutionInputs& inputs, const std::vector<LineRecord>& lines);

// The one factor on every target (vega) that brings the EC of the recipe
// fitted to them, with the inputs' fit and water, to ec (mS/cm): by
// bisection over refits in memory (FactorForEc). None when no factor from
// 0.1 to 10 reaches it.
std::optional<double> EcTargetFactor(const SolutionInputs& inputs, double ec);

// What 1000 l of the solution costs, the lines without a price named (a line
// whose fertilizer is gone counts nowhere).
SolutionCost CostOfSolution(const SolutionInputs& inputs, const std::vector<LineRecord>& lines);

// ---- one pass

struct SolutionPass {
    bool fit = false; // fit the amounts first, as after a change
    // A saved solution's lines to show instead of the composition's (the
    // saved-solution pass); the composition is then neither fitted nor judged.
    std::optional<std::vector<LineRecord>> savedLines;
    bool writable = true; // whether the zero-target rule removes rows
};

struct SolutionOutcome {
    std::vector<LineRecord> lines;     // the lines shown: their amounts after the fit
    std::vector<TargetRecord> targets; // the rows that stay, their results set
    bool singularValueLeftOut = false;
    bool compositionShown = true;
    SolutionTotals totals;
    SolutionAnalysis analysis;
    SolutionIons ions;
    SolutionCost cost;
    QString fitMessage; // the fit's message (FittedAmounts::fitMessage); empty without a fit
};
SolutionOutcome WorkOut(SolutionInputs inputs, const SolutionPass& pass);

} // namespace solvane
