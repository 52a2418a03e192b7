// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ion_sums.h"

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

// The ions a profile's water brings on its own: each element's mg/l counts
// for the ion the element stands for, an oxide's through its conversion
// record for the ion of the element it yields (as a fertilizer's content row
// counts); an element without an ion counts for none.
IonSums WaterIonSums(const DataSet& profileElements, DataSet& elements, const QVariant& profile);

} // namespace solvane
