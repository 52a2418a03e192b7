// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QComboBox;
class QVariant;

namespace solvane {

class DataSet;

// The drop-down list of a lookup (the lookup column's cell editor and the
// lookup combo): one entry per visible row of the list data set, showing the
// row's shown field, with the row's key as the entry's data.

// Replaces the entries by the list's rows; none when the list is missing or
// closed or lacks either field.
void FillLookupList(QComboBox& combo, DataSet* list, const QString& keyField, const QString& shownField);

// The entry whose key equals the given key (numbers by value, anything else
// as text); -1 for an empty key or when no entry has it.
int FindLookupEntry(const QComboBox& combo, const QVariant& key);

} // namespace solvane
