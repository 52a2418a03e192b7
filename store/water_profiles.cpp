// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/water_profiles.h"

#include "store/dataset.h"
#include "store/element_rows.h"

#include <map>

namespace solvane {

std::vector<std::pair<QVariant, QString>> WaterProfileNames(const DataSet& profiles) {
    std::vector<std::pair<QVariant, QString>> names;
    if (!profiles.isActive())
        return names;
    const int key = profiles.snapshotColumn(QStringLiteral("id_water"));
    const int name = profiles.snapshotColumn(QStringLiteral("name_water"));
    for (const std::vector<QVariant>& row : profiles.snapshot())
        names.emplace_back(row.at(static_cast<size_t>(key)), row.at(static_cast<size_t>(name)).toString());
    return names;
}

std::vector<std::pair<long long, double>> WaterOfProfile(const DataSet& profileElements, const QVariant& profile) {
    if (profile.isNull() || !profileElements.isActive())
        return {};
    const auto owner = static_cast<size_t>(profileElements.snapshotColumn(QStringLiteral("id_water")));
    const auto element = static_cast<size_t>(profileElements.snapshotColumn(QStringLiteral("id_element")));
    const auto amount = static_cast<size_t>(profileElements.snapshotColumn(QStringLiteral("kol")));
    std::map<long long, double> sums;
    for (const std::vector<QVariant>& row : profileElements.snapshot())
        if (row[owner].toLongLong() == profile.toLongLong() && !row[element].isNull())
            sums[row[element].toLongLong()] += row[amount].toDouble();
    return {sums.begin(), sums.end()};
}

IonSums WaterIonSums(const DataSet& profileElements, DataSet& elements, const QVariant& profile) {
    // The water as one line of 1 g/l whose content rows hold a tenth of its
    // mg/l: a content row gives (percent × 10) × grams mg/l.
    ConcentrationLine water{1.0, {}};
    const QString key = QStringLiteral("id_element");
    for (const auto& [element, mgPerLitre] : WaterOfProfile(profileElements, profile)) {
        const QVariant coefficient = elements.lookupValue(key, element, QStringLiteral("val"));
        const QVariant yields = elements.lookupValue(key, element, QStringLiteral("oksielement"));
        water.content.push_back({element, yields.isNull() ? 0 : yields.toLongLong(), mgPerLitre / 10.0,
                                 coefficient.isNull() ? 1.0 : coefficient.toDouble()});
    }
    return IonSumsOf({water}, {}, IonsOfElements(elements));
}

} // namespace solvane
