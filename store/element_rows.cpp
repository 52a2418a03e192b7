// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/element_rows.h"

#include "store/dataset.h"
#include "store/field.h"

namespace solvane {

namespace {

size_t Column(const DataSet& set, const char* name) {
    return static_cast<size_t>(set.snapshotColumn(QString::fromLatin1(name)));
}

} // namespace

std::vector<ElementForm> ElementFormsOf(const DataSet& elements) {
    std::vector<ElementForm> forms;
    if (!elements.isActive())
        return forms;
    const size_t key = Column(elements, "id_element");
    const size_t oxide = Column(elements, "kof");
    const size_t conversion = Column(elements, "id_kof");
    const size_t total = Column(elements, "id_total");
    for (const std::vector<QVariant>& row : elements.snapshot()) {
        ElementForm form;
        form.key = row[key].toLongLong();
        form.oxide = row[oxide].toBool() || !row[conversion].isNull();
        if (!row[total].isNull())
            form.total = row[total].toLongLong();
        forms.push_back(form);
    }
    return forms;
}

QString ElementChangeRefusal(DataSet& elements, const QString& field, const QVariant& value) {
    const auto valueOf = [&](const QString& name) {
        return name.compare(field, Qt::CaseInsensitive) == 0 ? value : elements.fieldByName(name)->value();
    };
    ElementForm row;
    row.key = elements.fieldByName(QStringLiteral("id_element"))->asLargeInt();
    row.oxide = valueOf(QStringLiteral("kof")).toBool() || !valueOf(QStringLiteral("id_kof")).isNull();
    const QVariant total = valueOf(QStringLiteral("id_total"));
    if (!total.isNull())
        row.total = total.toLongLong();
    return ElementFormRefusal(row, ElementFormsOf(elements));
}

std::unordered_map<long long, long long> FormTotalsOf(const DataSet& elements) {
    std::unordered_map<long long, long long> totals;
    if (!elements.isActive())
        return totals;
    const size_t key = Column(elements, "id_element");
    const size_t total = Column(elements, "id_total");
    for (const std::vector<QVariant>& row : elements.snapshot())
        if (!row[total].isNull())
            totals.emplace(row[key].toLongLong(), row[total].toLongLong());
    return totals;
}

std::unordered_map<long long, Ion> IonsOfElements(const DataSet& elements) {
    std::unordered_map<long long, Ion> ions;
    if (!elements.isActive())
        return ions;
    const size_t key = Column(elements, "id_element");
    const size_t code = Column(elements, "ion");
    for (const std::vector<QVariant>& row : elements.snapshot())
        if (const std::optional<Ion> ion = IonFromCode(row[code].toString().toStdString()))
            ions.emplace(row[key].toLongLong(), *ion);
    return ions;
}

} // namespace solvane
