// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/mixing_sources.h"

#include "core/content_terms.h"
#include "store/columns.h"
#include "store/database.h"

#include <algorithm>

namespace solvane {

namespace {

QVariant Cell(const std::vector<QVariant>& row, int column) {
    return column >= 0 && static_cast<size_t>(column) < row.size() ? row[static_cast<size_t>(column)] : QVariant();
}

} // namespace

std::vector<long long> IronElements(Database& data) {
    std::vector<long long> iron;
    DataSet& elements = data.elements;
    if (!elements.isActive())
        return iron;
    const int keyColumn = elements.snapshotColumn(col::elements::key);
    const int nameColumn = elements.snapshotColumn(col::elements::shortName);
    for (const std::vector<QVariant>& row : elements.snapshot())
        if (IsIronShortName(Cell(row, nameColumn).toString()))
            iron.push_back(Cell(row, keyColumn).toLongLong());
    return iron;
}

std::vector<TargetRow> CurrentTargets(Database& data) {
    std::vector<TargetRow> targets;
    DataSet& set = data.targets;
    if (!set.isActive())
        return targets;
    const Field* element = set.fieldByName(col::targets::element);
    const Field* shortName = set.fieldByName(col::targets::elementName);
    const Field* vega = set.fieldByName(col::targets::vega);
    const Field* rachet = set.fieldByName(col::targets::result);
    const Field* weight = set.fieldByName(col::targets::weight);
    const Field* tolerance = set.fieldByName(col::targets::tolerance);
    const auto optional = [](const QVariant& value) {
        return value.isNull() ? std::optional<double>() : std::optional<double>(value.toDouble());
    };
    const int count = set.recordCount();
    targets.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        TargetRow row;
        row.element = set.valueAt(i, element).toLongLong();
        row.shortName = set.valueAt(i, shortName).toString();
        row.vega = optional(set.valueAt(i, vega));
        row.rachet = optional(set.valueAt(i, rachet));
        row.weight = optional(set.valueAt(i, weight));
        row.tolerance = optional(set.valueAt(i, tolerance));
        targets.push_back(row);
    }
    return targets;
}

std::unordered_set<long long> LiquidFertilizers(const SolutionInputs& in) {
    std::unordered_set<long long> liquids;
    for (const FertilizerRecord& fertilizer : in.fertilizers)
        if (fertilizer.density && *fertilizer.density > 0.0)
            liquids.insert(fertilizer.key);
    return liquids;
}

bool AnyLiquid(const std::unordered_set<long long>& liquids, const std::vector<LineRecord>& lines) {
    return !liquids.empty() && std::any_of(lines.begin(), lines.end(), [&](const LineRecord& line) {
        return line.fertilizer && liquids.count(*line.fertilizer) > 0;
    });
}

} // namespace solvane
