// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the element set's rows say about forms and ions, as plain values for
// the rules and sums below the windows.

#include "core/element_forms.h"
#include "core/ions.h"

#include <QString>
#include <QVariant>
#include <unordered_map>
#include <vector>

namespace solvane {

class DataSet;

// Every element the set holds as the form rules see it: an oxide by its mark
// or by its conversion record (T_element.kof, id_kof), its total id_total.
std::vector<ElementForm> ElementFormsOf(const DataSet& elements);

// Why the element set's current row may not take the value in the field
// (one of kof, id_kof, id_total), by ElementFormRefusal against the other
// rows as stored; empty when it may.
QString ElementChangeRefusal(DataSet& elements, const QString& field, const QVariant& value);

// The element each form counts toward (T_element.id_total), by the form's
// key; an element that is no form is left out.
std::unordered_map<long long, long long> FormTotalsOf(const DataSet& elements);

// The ion each element stands for (T_element.ion), by key; an element
// without one, or with a code the program does not know, is left out.
std::unordered_map<long long, Ion> IonsOfElements(const DataSet& elements);

} // namespace solvane
