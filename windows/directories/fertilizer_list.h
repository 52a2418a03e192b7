// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace solvane {

class DataSet;
class DBGridColumn;

// The fertilizer list that the fertilizer directory and the calculator share
// (one data set, one filter, one sort order): the name search and the sort by
// name that both windows offer over it.

// Where the search box starts in its strip, after the label "Поиск:".
constexpr int kFertilizerSearchBoxLeft = 56;

// Shows the fertilizers whose name contains the text, typed as it is; an
// empty text shows them all.
void SearchFertilizers(DataSet& fertilizers, const QString& text);

// Sorts the list by name: descending when the names column carries the
// ascending mark, ascending otherwise. The mark changes once the order has.
void ToggleNameSort(DataSet& fertilizers, DBGridColumn& names);

} // namespace solvane
