// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What may be a form of what. A form's content counts toward its own element
// and, with factor 1, toward the element it is a form of (its total): N-NH4
// and N-NO3 toward N. A chain of forms, or an oxide in it, would make that
// count ambiguous, so the element directory refuses them.

#include <QString>
#include <optional>
#include <vector>

namespace solvane {

// An element as the rules see it.
struct ElementForm {
    long long key = 0; // 0 for a row not stored yet
    // An oxide: marked as one, or counting through a conversion record.
    bool oxide = false;
    std::optional<long long> total; // the element it is a form of
};

// Why the row may not be stored as it is, against the other elements as they
// are stored (the row's own stored state among them is ignored); empty when
// it may. Refused:
// - a form that is an oxide, or whose total is an oxide, and an oxide that
//   has forms: "Оксид не может быть формой элемента или её основой";
// - a form of itself, a form whose total is itself a form, and an element
//   with forms made a form: "Форма не может относиться к другой форме".
// A total that names no element is left to the reading of the data: it
// counts toward nothing.
QString ElementFormRefusal(const ElementForm& row, const std::vector<ElementForm>& elements);

} // namespace solvane
