// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/deletion_messages.h"

#include "core/solution_lines.h"

#include <QStringList>
#include <algorithm>
#include <initializer_list>
#include <utility>

namespace solvane {

namespace {

const QString kRemoveFirst = QStringLiteral(" Сначала уберите его оттуда.");

// "what (count)" for each part whose count is above 0, in the given order.
QStringList CountedParts(std::initializer_list<std::pair<const char*, int>> parts) {
    QStringList shown;
    for (const auto& [what, count] : parts)
        if (count > 0)
            shown << QString::fromUtf8(what) + QStringLiteral(" (") + QString::number(count) + QLatin1Char(')');
    return shown;
}

} // namespace

QString FertilizerRefusal(const QString& name, const FertilizerUse& use) {
    if (!use.any())
        return {};
    QStringList places;
    if (use.workingSolution)
        places << QStringLiteral("в рабочий раствор");
    if (!use.solutions.empty()) {
        QStringList named;
        const size_t shown = std::min(use.solutions.size(), static_cast<size_t>(kSolutionsNamed));
        for (size_t i = 0; i < shown; ++i)
            named << Quoted(use.solutions[i].solution) + QStringLiteral(" (") + use.solutions[i].crop +
                         QLatin1Char(')');
        QString solutions = (use.solutions.size() == 1 ? QStringLiteral("в раствор ") : QStringLiteral("в растворы ")) +
                            named.join(QStringLiteral(", "));
        if (use.solutions.size() > shown)
            solutions += QStringLiteral(" и ещё ") + QString::number(use.solutions.size() - shown);
        places << solutions;
    }
    return QStringLiteral("Удобрение ") + Quoted(name) + QStringLiteral(" входит ") +
           places.join(QStringLiteral(" и ")) + QLatin1Char('.') + kRemoveFirst;
}

QString ElementRefusal(const QString& name, const ElementUse& use) {
    if (!use.any())
        return {};
    const QStringList parts = CountedParts({{"удобрения", use.fertilizers},
                                            {"цели культур", use.targets},
                                            {"профили воды", use.waterProfiles},
                                            {"коэффициенты", use.coefficients},
                                            {"формы", use.forms}});
    return QStringLiteral("Элемент ") + Quoted(name) + QStringLiteral(" используется: ") +
           parts.join(QStringLiteral(", ")) + QLatin1Char('.') + kRemoveFirst;
}

QString CropDeletionQuestion(const QString& name, const CropContents& contents) {
    if (!contents.any())
        return {};
    const QStringList parts =
        CountedParts({{"целями", contents.targets}, {"сохранёнными растворами", contents.solutions}});
    return QStringLiteral("Удалить культуру ") + Quoted(name) + QStringLiteral(" вместе с её ") +
           parts.join(QStringLiteral(" и ")) + QLatin1Char('?');
}

QString DeletedFertilizerName(long long key) {
    return QStringLiteral("удобрение №") + QString::number(key) + QStringLiteral(" удалено");
}

QString LeftOutLineWarning(const QString& lineName) {
    return Quoted(lineName) + QStringLiteral(": строка не учитывается");
}

} // namespace solvane
