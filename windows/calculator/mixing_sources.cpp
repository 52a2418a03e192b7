// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/mixing_sources.h"

#include "core/content_terms.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/element_rows.h"

#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace solvane {

namespace {

QVariant Cell(const std::vector<QVariant>& row, int column) {
    return column >= 0 && static_cast<size_t>(column) < row.size() ? row[static_cast<size_t>(column)] : QVariant();
}

// Walks the content rows of the given fertilizers in the table's order,
// handing each to visit with its fertilizer, its element or oxide and its
// percentage. Rows left behind by a fertilizer that is no longer in the
// directory count for nothing.
void ForEachContentRow(Database& data, const std::unordered_set<long long>& keys,
                       const std::function<void(long long, const QVariant&, const QVariant&)>& visit) {
    DataSet& rows = data.fertilizerContent;
    std::unordered_set<long long> fertilizers;
    for (const long long key : keys)
        if (FertilizerExists(data, key))
            fertilizers.insert(key);
    if (!rows.isActive() || fertilizers.empty())
        return;
    const int fertilizerColumn = rows.snapshotColumn(QStringLiteral("id_udobra"));
    const int elementColumn = rows.snapshotColumn(QStringLiteral("id_element"));
    const int percentColumn = rows.snapshotColumn(QStringLiteral("kol_element"));
    for (const std::vector<QVariant>& row : rows.snapshot()) {
        const QVariant fertilizer = Cell(row, fertilizerColumn);
        if (fertilizer.isNull() || !fertilizers.count(fertilizer.toLongLong()))
            continue;
        visit(fertilizer.toLongLong(), Cell(row, elementColumn), Cell(row, percentColumn));
    }
}

std::optional<double> OptionalNumber(const QVariant& v) {
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

std::optional<long long> OptionalKey(const QVariant& v) {
    return v.isNull() ? std::nullopt : std::optional<long long>(v.toLongLong());
}

} // namespace

bool FertilizerExists(Database& data, long long key) {
    DataSet& list = data.fertilizers;
    const QString keyField = QStringLiteral("id_udobra");
    return !list.isActive() || !list.lookupValue(keyField, key, keyField).isNull();
}

bool LineFertilizerGone(Database& data, const QVariant& key) {
    return !key.isNull() && !FertilizerExists(data, key.toLongLong());
}

std::unordered_map<long long, std::vector<ElementShare>>
ElementTermsContent(Database& data, const std::unordered_set<long long>& fertilizers) {
    std::unordered_map<long long, std::vector<ElementShare>> content;
    DataSet& elements = data.elements;
    const QString key = QStringLiteral("id_element");
    const auto totals = FormTotalsOf(elements);
    ForEachContentRow(data, fertilizers, [&](long long fertilizer, const QVariant& element, const QVariant& percent) {
        const ContentTerms terms =
            InElementTerms(OptionalNumber(percent), OptionalKey(element),
                           OptionalNumber(elements.lookupValue(key, element, QStringLiteral("val"))),
                           OptionalKey(elements.lookupValue(key, element, QStringLiteral("oksielement"))));
        const long long counted = terms.freeid.value_or(0);
        const auto total = totals.find(counted);
        content[fertilizer].push_back({counted, terms.free.value_or(0.0), total == totals.end() ? 0LL : total->second});
    });
    return content;
}

std::unordered_map<long long, std::vector<ContentRow>>
CalculationContent(Database& data, const std::unordered_set<long long>& fertilizers) {
    std::unordered_map<long long, std::vector<ContentRow>> content;
    DataSet& elements = data.elements;
    DataSet& coefficients = data.coefficients;
    const QString elementKey = QStringLiteral("id_element");
    const QString coefficientKey = QStringLiteral("id_kof");
    const auto totals = FormTotalsOf(elements);
    ForEachContentRow(data, fertilizers, [&](long long fertilizer, const QVariant& element, const QVariant& percent) {
        const QVariant record = elements.lookupValue(elementKey, element, QStringLiteral("id_kof"));
        ContentRow c;
        c.element = element.toLongLong();
        c.percent = percent.toDouble();
        c.yields = coefficients.lookupValue(coefficientKey, record, QStringLiteral("id_element")).toLongLong();
        c.coefficient = coefficients.lookupValue(coefficientKey, record, QStringLiteral("kof")).toDouble();
        if (const auto total = totals.find(c.element); total != totals.end())
            c.total = total->second;
        content[fertilizer].push_back(c);
    });
    return content;
}

namespace {

// The visible rows of a set of lines (the composition or a saved solution's).
SourceLines LinesOf(Database& data, DataSet& set) {
    SourceLines result;
    if (!set.isActive())
        return result;
    const Field* name = set.fieldByName(QStringLiteral("name"));
    const Field* amount = set.fieldByName(QStringLiteral("kol"));
    const QString keyField = QStringLiteral("id_udobra");
    const Field* fertilizer = set.fieldByName(keyField);
    const int count = set.recordCount();
    result.lines.resize(static_cast<size_t>(count));
    result.keys.resize(static_cast<size_t>(count));
    std::unordered_set<long long> keys;
    for (int i = 0; i < count; ++i) {
        SolutionLine& line = result.lines[static_cast<size_t>(i)];
        line.fertilizer = set.valueAt(i, name).toString();
        line.amount = set.valueAt(i, amount).toDouble();
        const QVariant key = set.valueAt(i, fertilizer);
        line.deleted = LineFertilizerGone(data, key);
        line.density = OptionalNumber(data.fertilizers.lookupValue(keyField, key, QStringLiteral("density")));
        line.price = OptionalNumber(data.fertilizers.lookupValue(keyField, key, QStringLiteral("price")));
        result.keys[static_cast<size_t>(i)] = key.toLongLong();
        keys.insert(result.keys[static_cast<size_t>(i)]);
    }
    auto shares = ElementTermsContent(data, keys);
    for (size_t i = 0; i < result.lines.size(); ++i)
        if (auto it = shares.find(result.keys[i]); it != shares.end())
            result.lines[i].content = it->second;
    return result;
}

} // namespace

SourceLines CompositionLines(Database& data) {
    return LinesOf(data, data.composition);
}

SourceLines SavedSolutionLines(Database& data) {
    if (!data.savedSolutions.isActive() || data.savedSolutions.isEmpty())
        return {};
    return LinesOf(data, data.savedLines);
}

std::vector<long long> IronElements(Database& data) {
    std::vector<long long> iron;
    DataSet& elements = data.elements;
    if (!elements.isActive())
        return iron;
    const int keyColumn = elements.snapshotColumn(QStringLiteral("id_element"));
    const int nameColumn = elements.snapshotColumn(QStringLiteral("Smallname_element"));
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
    const Field* element = set.fieldByName(QStringLiteral("id_el"));
    const Field* shortName = set.fieldByName(QStringLiteral("name_el"));
    const Field* vega = set.fieldByName(QStringLiteral("vega"));
    const Field* rachet = set.fieldByName(QStringLiteral("rachet"));
    const Field* weight = set.fieldByName(QStringLiteral("weight"));
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

} // namespace solvane
