// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/solution_calculation.h"

#include "core/cheapest_fit.h"
#include "core/classic_recipe.h"
#include "core/ec_factor.h"
#include "core/ec_model.h"
#include "core/concentration_sums.h"
#include "core/grower_fit.h"
#include "core/rounding.h"

#include <algorithm>
#include <limits>

namespace solvane {

namespace {

// A row without a tolerance of its own may stray 10 %, as t_konc's default.
constexpr double kDefaultTolerance = 10.0;

std::unordered_set<long long> FertilizerKeys(const std::vector<LineRecord>& lines) {
    std::unordered_set<long long> keys;
    for (const LineRecord& line : lines)
        keys.insert(line.fertilizer.value_or(0));
    return keys;
}

double WaterOf(const SolutionInputs& inputs, long long element) {
    const auto found = inputs.water.find(element);
    return found == inputs.water.end() ? 0.0 : found->second;
}

// The classic fit: the least-squares solve of the content matrix, the
// targets less what the counted water brings.
FittedAmounts FitClassic(const SolutionInputs& inputs, const Directories& directories,
                         const std::vector<bool>& fitted) {
    std::vector<long long> elements;
    std::vector<double> wanted;
    for (const TargetRecord& row : inputs.targets) {
        elements.push_back(row.element.value_or(0));
        const double vega = row.vega.value_or(0.0);
        const auto water = inputs.water.find(elements.back());
        wanted.push_back(water == inputs.water.end() ? vega : vega - water->second);
    }
    const auto content = directories.elementTermsContent(FertilizerKeys(inputs.lines));
    std::vector<std::vector<ElementShare>> shares;
    for (size_t i = 0; i < inputs.lines.size(); ++i) {
        if (!fitted[i])
            continue;
        const auto found = content.find(inputs.lines[i].fertilizer.value_or(0));
        shares.push_back(found == content.end() ? std::vector<ElementShare>() : found->second);
    }
    const ClassicRecipe recipe = FitClassicRecipe(elements, wanted, shares);
    FittedAmounts out;
    out.singularValueLeftOut = recipe.singularValueLeftOut;
    out.amounts.assign(recipe.amounts.begin(), recipe.amounts.end());
    return out;
}

// The rows and lines of the grower's fit and of the cheapest one: the fitted
// rows (a target and a weight above 0, an empty weight counting 1, an empty
// tolerance 10 %), each fitted line's contribution, limits and price per
// gram, with the element of each row and the input line of each fit line.
struct FitProblem {
    std::vector<GrowerFitRow> rows;
    std::vector<long long> rowElements;
    std::vector<GrowerFitLine> lines;
    std::vector<size_t> inputLines;
};

FitProblem GrowerProblem(const SolutionInputs& inputs, const Directories& directories,
                         const std::vector<bool>& fitted) {
    FitProblem problem;
    for (const TargetRecord& row : inputs.targets) {
        const double t = row.vega.value_or(0.0);
        const double w = row.weight.value_or(1.0);
        if (!(t > 0.0) || !(w > 0.0))
            continue;
        const long long element = row.element.value_or(0);
        problem.rows.push_back({t, w, WaterOf(inputs, element), row.tolerance.value_or(kDefaultTolerance)});
        problem.rowElements.push_back(element);
    }
    const auto content = directories.calculationContent(FertilizerKeys(inputs.lines));
    for (size_t i = 0; i < inputs.lines.size(); ++i) {
        if (!fitted[i])
            continue;
        const LineRecord& record = inputs.lines[i];
        GrowerFitLine& line = problem.lines.emplace_back();
        problem.inputLines.push_back(i);
        const auto found = content.find(record.fertilizer.value_or(0));
        line.contribution.reserve(problem.rowElements.size());
        for (const long long element : problem.rowElements)
            line.contribution.push_back(found == content.end() ? 0.0 : ContributionPerGram(found->second, element));
        line.lower = record.minimum ? std::max(0.0, *record.minimum) : 0.0;
        line.upper = record.maximum ? *record.maximum : std::numeric_limits<double>::infinity();
        if (const FertilizerRecord* fertilizer = directories.fertilizer(record.fertilizer);
            fertilizer && fertilizer->price)
            line.price = PricePerGram(*fertilizer->price, fertilizer->density);
        else if (!record.fertilizer)
            line.price = 0.0; // a line without a fertilizer buys nothing
    }
    return problem;
}

FittedAmounts GrowerAmounts(const FitProblem& problem) {
    FittedAmounts out;
    const std::vector<double> amounts = FitGrowerAmounts(problem.rows, problem.lines);
    out.amounts.assign(amounts.begin(), amounts.end());
    return out;
}

// The names, each once, in the given order.
QString NameList(const QStringList& names) {
    QStringList once;
    for (const QString& name : names)
        if (!once.contains(name))
            once.append(name);
    return once.join(QStringLiteral(", "));
}

// The cheapest fit. When it cannot run (a line to fit has no price, the
// tolerances cannot all be met, the programs fail) the grower's fit gives
// the amounts, and the message says why.
FittedAmounts FitCheapest(const SolutionInputs& inputs, const Directories& directories,
                          const std::vector<bool>& fitted) {
    const FitProblem problem = GrowerProblem(inputs, directories, fitted);
    const CheapestFitResult cheapest = FitCheapestAmounts(problem.rows, problem.lines);
    if (cheapest.status == CheapestFitStatus::Fitted) {
        FittedAmounts out;
        out.amounts.assign(cheapest.amounts.begin(), cheapest.amounts.end());
        return out;
    }
    QStringList names;
    for (const size_t line : cheapest.unpricedLines)
        names.append(directories.lineName(inputs.lines[problem.inputLines[line]].fertilizer));
    for (const size_t row : cheapest.unmetRows)
        names.append(directories.elementName(problem.rowElements[row]));
    FittedAmounts out = GrowerAmounts(problem);
    switch (cheapest.status) {
    case CheapestFitStatus::MissingPrice:
        out.fitMessage = QStringLiteral("Укажите цену для: ") + NameList(names);
        break;
    case CheapestFitStatus::OutOfTolerance:
        out.fitMessage = QStringLiteral("Допуски недостижимы для: ") + NameList(names);
        break;
    default:
        out.fitMessage = QStringLiteral("Самый дешёвый состав найти не удалось: подобрано без учёта цен");
        break;
    }
    return out;
}

} // namespace

int FitModeOf(int stored) {
    return stored == kGrowerFit || stored == kCheapestFit ? stored : kClassicFit;
}

FitJudgement FitJudgementOf(int stored, const QString& fitMessage) {
    const int fit = FitModeOf(stored);
    return {fit != kClassicFit, fit == kCheapestFit, fit == kCheapestFit ? fitMessage : QString()};
}

int AmountDigits(int stored) {
    return FitModeOf(stored) == kClassicFit ? kAllAmountDigits : kFittedAmountDigits;
}

double TargetAtStrength(const std::optional<double>& target, int strength) {
    return RoundToDecimals((target.value_or(0.0) / 100.0) * strength, 2);
}

double AtStrength(const std::optional<double>& value, int strength) {
    return (value.value_or(0.0) / 100.0) * strength;
}

double ForLitres(const std::optional<double>& amount, double litres) {
    return amount.value_or(0.0) * litres;
}

bool TargetMissing(const TargetRecord& row, bool writable) {
    return row.vega.value_or(0.0) == 0.0 && !row.vegaReadAsEmpty && writable;
}

FittedAmounts FitAmounts(const SolutionInputs& inputs) {
    const Directories directories(inputs);
    // A line whose fertilizer was deleted is no unknown of the fit.
    std::vector<bool> fitted;
    for (const LineRecord& line : inputs.lines)
        fitted.push_back(!directories.lineFertilizerGone(line.fertilizer));
    const int fit = FitModeOf(inputs.options.fitMode);
    const FittedAmounts solved = fit == kGrowerFit     ? GrowerAmounts(GrowerProblem(inputs, directories, fitted))
                                 : fit == kCheapestFit ? FitCheapest(inputs, directories, fitted)
                                                       : FitClassic(inputs, directories, fitted);
    // Each solved amount goes to the next fitted line; the others keep theirs.
    FittedAmounts out;
    out.singularValueLeftOut = solved.singularValueLeftOut;
    out.fitMessage = solved.fitMessage;
    size_t next = 0;
    for (size_t line = 0; line < inputs.lines.size(); ++line) {
        const bool takes = fitted[line] && next < solved.amounts.size();
        const std::optional<double> amount = takes ? solved.amounts[next++] : inputs.lines[line].amount;
        // A derived line (the acid's) counts in the fit at its own amount,
        // which the program sets, not the fit.
        const bool derived = inputs.lines[line].derived;
        out.amounts.push_back(derived ? inputs.lines[line].amount : amount);
        out.fitted.push_back(takes && !derived);
    }
    return out;
}

std::vector<double> Concentrations(const SolutionInputs& inputs, const std::vector<LineRecord>& lines) {
    const Directories directories(inputs);
    const auto content = directories.calculationContent(FertilizerKeys(lines));
    std::vector<ConcentrationLine> solution(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        solution[i].grams = lines[i].amount.value_or(0.0);
        if (const auto found = content.find(lines[i].fertilizer.value_or(0)); found != content.end())
            solution[i].content = found->second;
    }
    std::vector<long long> elements;
    for (const TargetRecord& row : inputs.targets)
        elements.push_back(row.element.value_or(0));
    return ConcentrationsOf(elements, solution, inputs.water);
}

SolutionTotals TotalsOf(const SolutionInputs& inputs, const std::vector<TargetRecord>& targets,
                        const std::vector<LineRecord>& composition) {
    SolutionTotals totals;
    const int p = inputs.strength;
    if (inputs.options.ppm1) {
        for (const TargetRecord& row : targets) {
            totals.result += row.result.value_or(0.0);
            totals.target += TargetAtStrength(row.vega, p);
            totals.floweringTarget += TargetAtStrength(row.cvet, p);
            totals.resultAtStrength += AtStrength(row.result, p);
        }
    }
    if (inputs.options.ppm2) {
        const Directories directories(inputs);
        for (const LineRecord& line : composition) {
            const double figure = directories.linePpm(line.fertilizer);
            totals.ppm += figure * line.amount.value_or(0.0);
            totals.ppmAtStrength += figure * AtStrength(line.amount, p);
        }
    }
    return totals;
}

QString LineName(const Directories& directories, const LineRecord& line) {
    const QString name = directories.lineName(line.fertilizer);
    return line.derived ? name + QStringLiteral(" (кислота)") : name;
}

std::vector<SolutionLine> MixingLines(const SolutionInputs& inputs, const std::vector<LineRecord>& lines) {
    const Directories directories(inputs);
    const auto shares = directories.elementTermsContent(FertilizerKeys(lines));
    std::vector<SolutionLine> out(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        out[i].fertilizer = LineName(directories, lines[i]);
        out[i].amount = lines[i].amount.value_or(0.0);
        out[i].deleted = directories.lineFertilizerGone(lines[i].fertilizer);
        if (const FertilizerRecord* fertilizer = directories.fertilizer(lines[i].fertilizer)) {
            out[i].density = fertilizer->density;
            out[i].price = fertilizer->price;
        }
        if (const auto found = shares.find(lines[i].fertilizer.value_or(0)); found != shares.end())
            out[i].content = found->second;
    }
    return out;
}

std::vector<TargetRow> AnalysisTargets(const SolutionInputs& inputs, const std::vector<TargetRecord>& targets) {
    const Directories directories(inputs);
    std::vector<TargetRow> rows;
    rows.reserve(targets.size());
    for (const TargetRecord& row : targets)
        rows.emplace_back(row.element.value_or(0), directories.elementName(row.element), row.vega, row.result,
                          row.weight, row.tolerance);
    return rows;
}

SolutionOutcome WorkOut(SolutionInputs inputs, const SolutionPass& pass) {
    SolutionOutcome out;
    auto& targets = inputs.targets;
    targets.erase(std::remove_if(targets.begin(), targets.end(),
                                 [&](const TargetRecord& row) { return TargetMissing(row, pass.writable); }),
                  targets.end());
    out.compositionShown = !pass.savedLines;
    if (pass.fit) {
        const FittedAmounts fitted = FitAmounts(inputs);
        for (size_t i = 0; i < inputs.lines.size(); ++i)
            inputs.lines[i].amount = fitted.amounts[i];
        out.singularValueLeftOut = fitted.singularValueLeftOut;
        out.fitMessage = fitted.fitMessage;
    }
    out.lines = pass.savedLines ? *pass.savedLines : inputs.lines;
    const std::vector<double> results = Concentrations(inputs, out.lines);
    for (size_t j = 0; j < targets.size(); ++j)
        targets[j].result = results[j];
    out.targets = targets;
    out.totals = TotalsOf(inputs, targets, inputs.lines);
    out.analysis =
        AnalyseSolution(AnalysisTargets(inputs, targets), MixingLines(inputs, out.lines), out.compositionShown,
                        out.singularValueLeftOut, FitJudgementOf(inputs.options.fitMode, out.fitMessage));
    out.ions = IonsOfSolution(inputs, out.lines);
    out.cost = CostOfSolution(inputs, out.lines);
    return out;
}

std::optional<double> EcTargetFactor(const SolutionInputs& inputs, double ec) {
    SolutionInputs scaled = inputs;
    return FactorForEc(ec, [&](double factor) {
        for (size_t j = 0; j < scaled.targets.size(); ++j)
            if (inputs.targets[j].vega)
                scaled.targets[j].vega = *inputs.targets[j].vega * factor;
        const FittedAmounts fitted = FitAmounts(scaled);
        for (size_t i = 0; i < scaled.lines.size() && i < fitted.amounts.size(); ++i)
            scaled.lines[i].amount = fitted.amounts[i];
        return IonsOfSolution(scaled, scaled.lines).ec;
    });
}

SolutionCost CostOfSolution(const SolutionInputs& inputs, const std::vector<LineRecord>& lines) {
    std::vector<CostLine> priced;
    for (const SolutionLine& line : MixingLines(inputs, lines))
        if (!line.deleted && !line.fertilizer.isEmpty())
            priced.push_back({line.fertilizer, line.amount, line.density, line.price});
    return CostOf(priced);
}

SolutionIons IonsOfSolution(const SolutionInputs& inputs, const std::vector<LineRecord>& lines) {
    SolutionIons ions;
    ions.inputs = IonInputsOf(MixingLines(inputs, lines), inputs.sourceWater, IonsOf(inputs.elements),
                              FormTotals(inputs.elements));
    ions.report = ReportIons(ions.inputs);
    ions.ec = SolutionEc(ions.inputs.sums.mmolPerLitre);
    return ions;
}

} // namespace solvane
