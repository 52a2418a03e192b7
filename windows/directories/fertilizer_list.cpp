// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/directories/fertilizer_list.h"

#include "controls/db_grid.h"
#include "store/dataset.h"

namespace solvane {

void SearchFertilizers(DataSet& fertilizers, const QString& text) {
    if (text.isEmpty()) {
        fertilizers.setFiltered(false);
        return;
    }
    fertilizers.setFilter(QStringLiteral("name_udobra like %") + text + QStringLiteral("%"));
    fertilizers.setFiltered(true);
}

void ToggleNameSort(DataSet& fertilizers, DBGridColumn& names) {
    if (names.sortMark() == SortMark::Ascending) {
        fertilizers.setSort(QStringLiteral("name_udobra DESC"));
        names.setSortMark(SortMark::Descending);
    } else {
        fertilizers.setSort(QStringLiteral("name_udobra ASC"));
        names.setSortMark(SortMark::Ascending);
    }
}

} // namespace solvane
