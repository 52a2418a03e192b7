// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/element_forms.h"

#include <algorithm>

namespace solvane {

QString ElementFormRefusal(const ElementForm& row, const std::vector<ElementForm>& elements) {
    const QString oxideRefusal = QStringLiteral("Оксид не может быть формой элемента или её основой");
    const QString chainRefusal = QStringLiteral("Форма не может относиться к другой форме");
    const auto isOther = [&row](const ElementForm& e) { return row.key == 0 || e.key != row.key; };
    const bool hasForms = row.key != 0 && std::any_of(elements.begin(), elements.end(), [&](const ElementForm& e) {
                              return isOther(e) && e.total && *e.total == row.key;
                          });
    if (!row.total)
        return row.oxide && hasForms ? oxideRefusal : QString();
    if (row.oxide)
        return oxideRefusal;
    if (row.key != 0 && *row.total == row.key)
        return chainRefusal;
    const auto total = std::find_if(elements.begin(), elements.end(),
                                    [&](const ElementForm& e) { return isOther(e) && e.key == *row.total; });
    if (total != elements.end() && total->oxide)
        return oxideRefusal;
    if ((total != elements.end() && total->total) || hasForms)
        return chainRefusal;
    return {};
}

} // namespace solvane
