// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/solution_lines.h"

namespace solvane {

double ElementPercent(const SolutionLine& line, long long element) {
    return ElementPercent(line.content, element);
}

double ElementPercent(const std::vector<ElementShare>& content, long long element) {
    double percent = 0.0;
    for (const ElementShare& share : content)
        if (share.element == element)
            percent = share.percent; // the last matching row wins, as in the recipe
    for (const ElementShare& share : content)
        if (share.total != 0 && share.total == element && share.total != share.element)
            percent = percent + share.percent;
    return percent;
}

bool HasElement(const SolutionLine& line, long long element) {
    return ElementPercent(line, element) > 0.0;
}

bool IsIronShortName(const QString& shortName) {
    return shortName.trimmed().compare(QLatin1String("Fe"), Qt::CaseInsensitive) == 0;
}

QString Quoted(const QString& name) {
    return QChar(0x00AB) + name + QChar(0x00BB);
}

void AppendAmountWarning(const SolutionLine& line, QStringList& warnings) {
    if (line.amount < 0.0)
        warnings.append(Quoted(line.fertilizer) +
                        QStringLiteral(": отрицательное количество — это удобрение лишнее, уберите его из раствора"));
    else if (line.amount == 0.0)
        warnings.append(Quoted(line.fertilizer) + QStringLiteral(": 0 г/л — удобрение не попадает в раствор"));
}

} // namespace solvane
