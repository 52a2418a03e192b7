// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

namespace solvane {

class DataSet;

// Every water profile's key and name, in the table's order (t_water).
std::vector<std::pair<QVariant, QString>> WaterProfileNames(const DataSet& profiles);

// The mg/l each element of a profile brings (rows of one element add up), by
// element key, over every row of t_water_el the set holds, whatever profile
// is current; nothing for a null profile.
std::vector<std::pair<long long, double>> WaterOfProfile(const DataSet& profileElements, const QVariant& profile);

} // namespace solvane
