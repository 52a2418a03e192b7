// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/row_place.h"

#include "store/dataset.h"

namespace solvane {

RowPlace RowPlace::of(DataSet& set, const QString& keyField) {
    RowPlace place;
    if (!set.isActive() || set.isEmpty())
        return place;
    place.key = set.fieldByName(keyField)->value();
    place.recNo = set.recNo();
    return place;
}

void RowPlace::returnTo(DataSet& set, const QString& keyField) const {
    if (!set.isActive() || set.isEmpty())
        return;
    const int count = set.recordCount();
    int target = 0;
    if (!key.isNull()) {
        const Field* field = set.fieldByName(keyField);
        for (int i = 0; i < count && target == 0; ++i)
            if (set.valueAt(i, field) == key)
                target = i + 1;
    }
    if (target == 0)
        target = recNo >= 1 && recNo <= count ? recNo : count;
    if (set.recNo() != target)
        set.setRecNo(target);
}

} // namespace solvane
