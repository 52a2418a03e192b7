// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/solution_inputs.h"

#include "core/concentration_sums.h"
#include "core/content_terms.h"
#include "core/deletion_messages.h"
#include "store/field.h"

namespace solvane {

namespace {

template <typename Record>
void Index(const std::vector<Record>& records, std::unordered_map<long long, const Record*>& index) {
    for (const Record& record : records)
        index.emplace(record.key, &record); // the first row of a key is the one found
}

template <typename Record>
const Record* Find(const std::unordered_map<long long, const Record*>& index, const std::optional<long long>& key) {
    if (!key)
        return nullptr;
    const auto found = index.find(*key);
    return found == index.end() ? nullptr : found->second;
}

long long TotalOf(const std::unordered_map<long long, long long>& totals, long long element) {
    const auto found = totals.find(element);
    return found == totals.end() ? 0 : found->second;
}

} // namespace

Directories::Directories(const SolutionInputs& inputs) : inputs_(inputs) {
    Index(inputs.fertilizers, fertilizers_);
    Index(inputs.elements, elements_);
    Index(inputs.coefficients, coefficients_);
    formTotals_ = FormTotals(inputs.elements);
}

QString Directories::lineName(const std::optional<long long>& key) const {
    if (!key)
        return {};
    const FertilizerRecord* fertilizer = Find(fertilizers_, key);
    return fertilizer ? fertilizer->name : DeletedFertilizerName(*key);
}

double Directories::linePpm(const std::optional<long long>& key) const {
    const FertilizerRecord* fertilizer = Find(fertilizers_, key);
    if (!fertilizer || !fertilizer->ppm)
        return 0.0;
    return CoerceToColumn(ColumnType::Integer, *fertilizer->ppm).toDouble();
}

QString Directories::elementName(const std::optional<long long>& key) const {
    const ElementRecord* element = Find(elements_, key);
    return element ? element->shortName : QString();
}

std::unordered_map<long long, std::vector<ElementShare>>
Directories::elementTermsContent(const std::unordered_set<long long>& fertilizers) const {
    std::unordered_map<long long, std::vector<ElementShare>> content;
    for (const ContentRecord& row : inputs_.content) {
        if (!row.fertilizer || !fertilizers.count(*row.fertilizer) || !fertilizerExists(*row.fertilizer))
            continue;
        const ElementRecord* element = Find(elements_, row.element);
        const CoefficientRecord* record = element ? Find(coefficients_, element->conversion) : nullptr;
        const ContentTerms terms = InElementTerms(row.percent, row.element, record ? record->factor : std::nullopt,
                                                  record ? record->element : std::nullopt);
        const long long counted = terms.freeid.value_or(0);
        content[*row.fertilizer].push_back({counted, terms.free.value_or(0.0), TotalOf(formTotals_, counted)});
    }
    return content;
}

std::unordered_map<long long, std::vector<ContentRow>>
Directories::calculationContent(const std::unordered_set<long long>& fertilizers) const {
    std::unordered_map<long long, std::vector<ContentRow>> content;
    for (const ContentRecord& row : inputs_.content) {
        if (!row.fertilizer || !fertilizers.count(*row.fertilizer) || !fertilizerExists(*row.fertilizer))
            continue;
        const ElementRecord* element = Find(elements_, row.element);
        const CoefficientRecord* record = element ? Find(coefficients_, element->conversion) : nullptr;
        ContentRow c;
        c.element = row.element.value_or(0);
        c.percent = row.percent.value_or(0.0);
        c.yields = record ? record->element.value_or(0) : 0;
        c.coefficient = record ? record->factor.value_or(0.0) : 0.0;
        c.total = TotalOf(formTotals_, c.element);
        content[*row.fertilizer].push_back(c);
    }
    return content;
}

// The element each form counts toward, by the form's key (the first row of a key).
std::unordered_map<long long, long long> FormTotals(const std::vector<ElementRecord>& elements) {
    std::unordered_map<long long, long long> totals;
    for (const ElementRecord& element : elements)
        if (element.total)
            totals.emplace(element.key, *element.total);
    return totals;
}

std::unordered_map<long long, Ion> IonsOf(const std::vector<ElementRecord>& elements) {
    std::unordered_map<long long, Ion> ions;
    for (const ElementRecord& element : elements)
        if (const std::optional<Ion> ion = IonFromCode(element.ion.toStdString()))
            ions.emplace(element.key, *ion);
    return ions;
}

const FertilizerRecord* Directories::fertilizer(const std::optional<long long>& key) const {
    return Find(fertilizers_, key);
}

std::unordered_map<long long, double> ProfileWater(const std::vector<WaterElementRecord>& rows,
                                                   const std::optional<long long>& profile) {
    std::unordered_map<long long, double> sums;
    if (!profile)
        return sums;
    for (const WaterElementRecord& row : rows)
        if (row.profile.value_or(0) == *profile && row.element)
            sums[*row.element] += row.amount.value_or(0.0);
    return sums;
}

std::unordered_map<long long, double> WaterAmounts(const std::vector<WaterElementRecord>& rows,
                                                   const std::vector<ElementRecord>& elements,
                                                   const std::optional<long long>& profile) {
    return WaterWithFormTotals(ProfileWater(rows, profile), FormTotals(elements));
}

} // namespace solvane
