// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/lookup_list.h"

#include "store/dataset.h"
#include "store/field.h"
#include "core/number_text.h"

#include <QComboBox>

namespace solvane {

namespace {

bool SameKey(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return false;
    bool okA = false, okB = false;
    const double da = a.toDouble(&okA), db = b.toDouble(&okB);
    if (okA && okB)
        return da == db;
    return a.toString() == b.toString();
}

} // namespace

void FillLookupList(QComboBox& combo, DataSet* list, const QString& keyField, const QString& shownField) {
    combo.clear();
    if (!list || !list->isActive())
        return;
    const Field* shown = list->findField(shownField);
    const Field* key = list->findField(keyField);
    if (!shown || !key)
        return;
    const int rows = list->recordCount();
    for (int i = 0; i < rows; ++i)
        combo.addItem(ValueText(list->valueAt(i, shown)), list->valueAt(i, key));
}

int FindLookupEntry(const QComboBox& combo, const QVariant& key) {
    for (int i = 0; i < combo.count(); ++i)
        if (SameKey(combo.itemData(i), key))
            return i;
    return -1;
}

} // namespace solvane
