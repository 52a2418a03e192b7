// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/directories/fertilizer_list.h"

#include "controls/db_grid.h"
#include "store/columns.h"
#include "store/dataset.h"

namespace solvane {

void SearchFertilizers(DataSet& fertilizers, const QString& text) {
    if (text.isEmpty()) {
        fertilizers.setFiltered(false);
        return;
    }
    fertilizers.setFilter(QString(col::fertilizers::name) + QStringLiteral(" like %") + text + QStringLiteral("%"));
    fertilizers.setFiltered(true);
}

void ToggleNameSort(DataSet& fertilizers, DBGridColumn& names) {
    if (names.sortMark() == SortMark::Ascending) {
        fertilizers.setSort(QString(col::fertilizers::name) + QStringLiteral(" DESC"));
        names.setSortMark(SortMark::Descending);
    } else {
        fertilizers.setSort(QString(col::fertilizers::name) + QStringLiteral(" ASC"));
        names.setSortMark(SortMark::Ascending);
    }
}

} // namespace solvane
