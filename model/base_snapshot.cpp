// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/base_snapshot.h"

#include "model/acid_line.h"
#include "store/columns.h"
#include "store/table_rows.h"

namespace solvane {

BaseSnapshot ReadBaseSnapshot(Connection& connection) {
    const auto rows = [&connection](QLatin1String table) { return ReadTableRows(connection, table); };
    BaseSnapshot s;
    s.common.fertilizers = FertilizerRecords(rows(col::fertilizers::table));
    s.common.content = ContentRecords(rows(col::content::table));
    s.common.elements = ElementRecords(rows(col::elements::table));
    s.common.coefficients = CoefficientRecords(rows(col::coefficients::table));
    s.common.options = ReadOptions(rows(col::options::table));
    s.crops = CropRecords(rows(col::crops::table));
    s.targets = TargetRecords(rows(col::targets::table));
    s.composition = LineRecords(rows(col::lines::table));
    s.solutions = SolutionRecords(rows(col::solutions::table));
    s.savedLines = SavedLineRecords(rows(col::savedLines::table));
    s.waterProfiles = WaterProfileRecords(rows(col::water::table));
    s.waterElements = WaterElementRecords(rows(col::waterElements::table));
    return s;
}

std::optional<CropRecord> OpeningCrop(const BaseSnapshot& snapshot) {
    if (snapshot.crops.empty())
        return std::nullopt;
    const QVariant remembered = snapshot.common.options.lastCrop;
    if (!remembered.isNull())
        for (const CropRecord& crop : snapshot.crops)
            if (crop.key == remembered.toLongLong())
                return crop;
    return snapshot.crops.front();
}

std::optional<long long> CountedWater(const BaseSnapshot& snapshot) {
    const QVariant chosen = snapshot.common.options.water;
    if (chosen.isNull())
        return std::nullopt;
    for (const WaterProfileRecord& profile : snapshot.waterProfiles)
        if (profile.key == chosen.toLongLong())
            return profile.key;
    return std::nullopt;
}

SolutionInputs InputsFor(const BaseSnapshot& snapshot, long long crop) {
    SolutionInputs inputs = snapshot.common;
    for (const TargetRecord& row : snapshot.targets)
        if (row.crop && *row.crop == crop)
            inputs.targets.push_back(row);
    inputs.lines = snapshot.composition;
    inputs.water = WaterAmounts(snapshot.waterElements, snapshot.common.elements, CountedWater(snapshot));
    inputs.sourceWater = ProfileWater(snapshot.waterElements, CountedWater(snapshot));
    for (const WaterProfileRecord& profile : snapshot.waterProfiles)
        if (profile.key == CountedWater(snapshot))
            inputs.bicarbonateLeft = profile.bicarbonateLeft;
    ApplyAcid(inputs);
    return inputs;
}

std::vector<SolutionRecord> SolutionsNamed(const BaseSnapshot& snapshot, long long crop, const QString& name) {
    std::vector<SolutionRecord> found;
    for (const SolutionRecord& solution : snapshot.solutions)
        if (solution.crop && *solution.crop == crop && solution.name == name)
            found.push_back(solution);
    return found;
}

std::vector<LineRecord> SavedLinesOf(const BaseSnapshot& snapshot, long long solution) {
    std::vector<LineRecord> lines;
    for (const SavedLineRecord& saved : snapshot.savedLines)
        if (saved.solution && *saved.solution == solution)
            lines.push_back({saved.key, saved.fertilizer, saved.amount, std::nullopt, std::nullopt});
    return lines;
}

} // namespace solvane
