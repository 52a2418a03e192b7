// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/working_solution.h"

#include "model/acid_line.h"
#include "core/tank_cost.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/row_writes.h"
#include "store/table_rows.h"

#include <unordered_set>

namespace solvane {

namespace {

std::optional<double> Number(const QVariant& v) {
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

bool Same(const std::optional<double>& a, const std::optional<double>& b) {
    return a.has_value() == b.has_value() && (!a || *a == *b);
}

} // namespace

WorkingSolution::WorkingSolution(Database& data, QObject* parent) : QObject(parent), data_(data) {
    data_.setDerivedValues(this);
}

WorkingSolution::~WorkingSolution() {
    data_.setDerivedValues(nullptr);
}

SolutionInputs WorkingSolution::inputs() const {
    SolutionInputs in;
    in.fertilizers = FertilizerRecords(data_.rowsOf(col::fertilizers::table));
    in.content = ContentRecords(data_.rowsOf(col::content::table));
    in.elements = ElementRecords(data_.rowsOf(col::elements::table));
    in.coefficients = CoefficientRecords(data_.rowsOf(col::coefficients::table));
    in.targets = TargetRecords(data_.targets.shownRows());
    in.lines = LineRecords(data_.composition.shownRows());
    if (data_.options.isActive())
        in.options = data_.optionsStore().read();
    in.options.fitMode = data_.optionsStore().fitMode();
    in.options.acid = data_.optionsStore().acid();
    in.water = water_;
    in.sourceWater = sourceWater_;
    in.strength = strength_;
    if (!in.options.water.isNull())
        for (const WaterProfileRecord& profile : WaterProfileRecords(data_.rowsOf(col::water::table)))
            if (profile.key == in.options.water.toLongLong())
                in.bicarbonateLeft = profile.bicarbonateLeft;
    ApplyAcid(in);
    return in;
}

std::vector<LineRecord> WorkingSolution::compositionLines() const {
    return LineRecords(data_.composition.shownRows());
}

std::vector<LineRecord> WorkingSolution::savedLines() const {
    std::vector<LineRecord> lines;
    for (const SavedLineRecord& saved : SavedLineRecords(data_.savedLines.shownRows()))
        lines.push_back({saved.key, saved.fertilizer, saved.amount, std::nullopt, std::nullopt});
    return lines;
}

bool WorkingSolution::addLine(long long fertilizer) {
    for (const LineRecord& line : compositionLines())
        if (line.fertilizer == fertilizer)
            return false;
    InsertRow(data_.connection(), col::lines::table, {{col::lines::fertilizer, fertilizer}});
    return true;
}

void WorkingSolution::removeLine(long long line) {
    DeleteRows(data_.connection(), col::lines::table, {line});
}

void WorkingSolution::clearLines() {
    std::vector<long long> keys;
    for (const LineRecord& line : compositionLines())
        keys.push_back(line.key);
    DeleteRows(data_.connection(), col::lines::table, keys);
}

bool WorkingSolution::removeMissingTargets() {
    const bool writable = data_.connection().writable();
    std::vector<long long> missing;
    for (const TargetRecord& row : TargetRecords(data_.targets.shownRows()))
        if (TargetMissing(row, writable))
            missing.push_back(row.key);
    DeleteRows(data_.connection(), col::targets::table, missing);
    return !missing.empty();
}

QVariant WorkingSolution::currentCrop() const {
    const DataSet& crops = data_.crops;
    if (!crops.isActive() || crops.isEmpty())
        return QVariant();
    return crops.fieldByName(col::crops::key)->value();
}

bool WorkingSolution::completeTargets() {
    const QVariant crop = currentCrop();
    if (!data_.connection().writable() || crop.isNull())
        return false;
    std::unordered_set<long long> present;
    for (const TargetRecord& row : TargetRecords(data_.targets.shownRows()))
        if (row.element)
            present.insert(*row.element);
    bool added = false;
    for (const ElementRecord& element : ElementRecords(data_.elements.shownRows())) {
        if (element.oxide || !present.insert(element.key).second)
            continue;
        InsertRow(data_.connection(), col::targets::table,
                  {{col::targets::crop, crop}, {col::targets::element, element.key}});
        added = true;
    }
    return added && removeMissingTargets();
}

long long WorkingSolution::saveSolution(const QString& name, int strength) {
    namespace h = col::solutions;
    namespace l = col::savedLines;
    Connection& connection = data_.connection();
    const long long header =
        InsertRow(connection, h::table, {{h::name, name}, {h::crop, currentCrop()}, {h::strength, strength}});
    for (const LineRecord& line : inputs().lines) {
        // The lines the program adds (the acid's) are saved as ordinary ones.
        const QVariant amount = line.amount ? QVariant(*line.amount) : line.derived ? QVariant(0.0) : QVariant();
        const QVariant fertilizer = line.fertilizer ? QVariant(*line.fertilizer) : QVariant();
        InsertRow(connection, l::table, {{l::solution, header}, {l::fertilizer, fertilizer}, {l::amount, amount}});
    }
    return header;
}

long long WorkingSolution::renameSolution(std::optional<long long> solution, const QString& name) {
    namespace h = col::solutions;
    if (!solution)
        return InsertRow(data_.connection(), h::table, {{h::name, name}, {h::crop, currentCrop()}});
    UpdateRows(data_.connection(), h::table, {{*solution, {{h::name, name}}}});
    return *solution;
}

bool WorkingSolution::fit(SolutionInputs& in) {
    const FittedAmounts fitted = FitAmounts(in);
    fitMessage_ = fitted.fitMessage;
    // Every fitted amount is written, as the fit found it: a line gone from
    // the file behind the program's back stops the action.
    std::vector<RowUpdate> written;
    for (size_t i = 0; i < in.lines.size(); ++i) {
        if (!fitted.fitted[i])
            continue;
        written.push_back({in.lines[i].key, {{col::lines::amount, fitted.amounts[i].value_or(0.0)}}});
        in.lines[i].amount = fitted.amounts[i];
    }
    UpdateRows(data_.connection(), col::lines::table, written);
    return fitted.singularValueLeftOut;
}

void WorkingSolution::explainFit(const SolutionInputs& in) {
    fitMessage_ = in.options.fitMode == kCheapestFit ? FitAmounts(in).fitMessage : QString();
}

void WorkingSolution::postResults(SolutionInputs& in, const std::vector<LineRecord>& lines) {
    const std::vector<double> results = Concentrations(in, lines);
    std::vector<RowUpdate> changed;
    for (size_t j = 0; j < in.targets.size(); ++j) {
        if (!Same(in.targets[j].result, results[j]))
            changed.push_back({in.targets[j].key, {{col::targets::result, results[j]}}});
        in.targets[j].result = results[j];
    }
    UpdateRows(data_.connection(), col::targets::table, changed);
}

SolutionTotals WorkingSolution::totals(const SolutionInputs& in) const {
    return TotalsOf(in, in.targets, in.lines);
}

DerivedValues::TargetFigures WorkingSolution::target(const QVariant& vega, const QVariant& cvet, const QVariant& result,
                                                     const QVariant& element) const {
    TargetFigures figures;
    figures.vegaAtStrength = TargetAtStrength(Number(vega), strength_);
    figures.cvetAtStrength = TargetAtStrength(Number(cvet), strength_);
    figures.resultAtStrength = AtStrength(Number(result), strength_);
    const auto water = water_.find(element.isNull() ? 0 : element.toLongLong());
    if (water != water_.end())
        figures.water = water->second;
    return figures;
}

QVariant WorkingSolution::lineAtStrength(const QVariant& amount) const {
    return AtStrength(Number(amount), strength_);
}

QVariant WorkingSolution::savedLineForLitres(const QVariant& amount) const {
    return ForLitres(Number(amount), savedLitres());
}

double WorkingSolution::savedLitres() const {
    const DataSet& headers = data_.savedSolutions;
    if (!headers.isActive() || headers.isEmpty())
        return 0.0;
    return Number(headers.fieldByName(col::solutions::litres)->value()).value_or(0.0);
}

QVariant WorkingSolution::millilitres(const QVariant& grams, const QVariant& density) const {
    const std::optional<double> perMl = Number(density);
    if (!perMl || !(*perMl > 0.0))
        return {};
    return MillilitresOf(Number(grams).value_or(0.0), *perMl);
}

} // namespace solvane
