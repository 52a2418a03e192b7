// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/calc/calc_report.h"

#include "core/number_text.h"
#include "core/rounding.h"
#include "model/solution_calculation.h"

#include <QStringList>
#include <cmath>

namespace solvane {

namespace {

// A liquid's millilitres show four significant digits.
constexpr int kMillilitreDigits = 4;

QString JsonText(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

ReportValue Shown(std::optional<double> value, int digits = 15) {
    return ReportValue::figure(value, value ? FormatNumber(*value, digits) : QString());
}

// A totals strip: the sum, shown rounded to 2 places.
ReportValue Total(double sum) {
    return ReportValue::figure(sum, FormatNumber(RoundToDecimals(sum, 2)));
}

} // namespace

ReportValue ReportValue::text(const QString& text) {
    ReportValue v(Kind::Text);
    v.text_ = text;
    return v;
}

ReportValue ReportValue::integer(long long value) {
    ReportValue v(Kind::Integer);
    v.integer_ = value;
    return v;
}

ReportValue ReportValue::figure(std::optional<double> value, const QString& shown) {
    ReportValue v(Kind::Figure);
    v.number_ = value;
    v.text_ = value ? shown : QString();
    return v;
}

ReportValue& ReportValue::add(ReportValue item) {
    items_.push_back(std::move(item));
    return *this;
}

ReportValue& ReportValue::add(const QString& name, ReportValue value) {
    members_.emplace_back(name, std::move(value));
    return *this;
}

QString ReportValue::json(int indent) const {
    const QString inner(indent + 2, QLatin1Char(' '));
    const QString outer(indent, QLatin1Char(' '));
    switch (kind_) {
    case Kind::Null:
        return QStringLiteral("null");
    case Kind::Text:
        return JsonText(text_);
    case Kind::Integer:
        return QString::number(integer_);
    case Kind::Figure:
        return QStringLiteral("{\"value\": %1, \"shown\": %2}")
            .arg(number_ && std::isfinite(*number_) ? QString::number(*number_, 'g', 17) : QStringLiteral("null"),
                 JsonText(text_));
    case Kind::List: {
        if (items_.empty())
            return QStringLiteral("[]");
        QStringList parts;
        for (const ReportValue& item : items_)
            parts << inner + item.json(indent + 2);
        return QStringLiteral("[\n") + parts.join(QStringLiteral(",\n")) + QLatin1Char('\n') + outer + QLatin1Char(']');
    }
    case Kind::Object: {
        if (members_.empty())
            return QStringLiteral("{}");
        QStringList parts;
        for (const auto& [name, value] : members_)
            parts << inner + JsonText(name) + QStringLiteral(": ") + value.json(indent + 2);
        return QStringLiteral("{\n") + parts.join(QStringLiteral(",\n")) + QLatin1Char('\n') + outer + QLatin1Char('}');
    }
    }
    return {};
}

ReportValue SolutionReport(const ReportRequest& request, const SolutionInputs& inputs, const SolutionOutcome& outcome) {
    const Directories directories(inputs);
    const int digits = AmountDigits(request.fitMode);
    ReportValue report = ReportValue::object();
    report.add(QStringLiteral("crop"), ReportValue::text(request.crop));
    report.add(QStringLiteral("solution"),
               request.solution ? ReportValue::text(*request.solution) : ReportValue::null());
    report.add(QStringLiteral("fit_mode"), ReportValue::integer(request.fitMode));

    ReportValue lines = ReportValue::list();
    for (const LineRecord& record : outcome.lines) {
        ReportValue line = ReportValue::object();
        line.add(QStringLiteral("fertilizer"), ReportValue::text(LineName(directories, record)));
        line.add(QStringLiteral("g_per_l"), Shown(record.amount, digits));
        if (request.litres)
            line.add(QStringLiteral("grams"), Shown(ForLitres(record.amount, *request.litres), digits));
        // A liquid is also dosed by volume; a priced line has its cost.
        const FertilizerRecord* fertilizer = directories.fertilizer(record.fertilizer);
        if (fertilizer && fertilizer->density && *fertilizer->density > 0.0) {
            const auto ml = [&](const std::optional<double>& grams) {
                return grams ? std::optional<double>(MillilitresOf(*grams, *fertilizer->density)) : std::nullopt;
            };
            line.add(QStringLiteral("ml_per_l"), Shown(ml(record.amount), kMillilitreDigits));
            if (request.litres)
                line.add(QStringLiteral("ml"), Shown(ml(ForLitres(record.amount, *request.litres)), kMillilitreDigits));
        }
        if (fertilizer && fertilizer->price) {
            const SolutionCost cost =
                CostOf({{fertilizer->name, record.amount.value_or(0.0), fertilizer->density, fertilizer->price}});
            line.add(QStringLiteral("cost_per_1000_l"),
                     ReportValue::figure(cost.perThousandLitres,
                                         FormatNumber(RoundToDecimalsSymmetric(cost.perThousandLitres, 2))));
        }
        lines.add(std::move(line));
    }
    report.add(QStringLiteral("lines"), std::move(lines));

    ReportValue rows = ReportValue::list();
    for (size_t j = 0; j < outcome.targets.size(); ++j) {
        const TargetRecord& target = outcome.targets[j];
        ReportValue row = ReportValue::object();
        row.add(QStringLiteral("element"), ReportValue::text(directories.elementName(target.element)));
        row.add(QStringLiteral("target"), Shown(target.vega));
        row.add(QStringLiteral("result"), Shown(target.result));
        row.add(QStringLiteral("deviation"), Shown(outcome.analysis.rows[j].deviation));
        rows.add(std::move(row));
    }
    report.add(QStringLiteral("rows"), std::move(rows));

    const SolutionTotals& t = outcome.totals;
    ReportValue totals = ReportValue::object();
    totals.add(QStringLiteral("result"), Total(t.result));
    totals.add(QStringLiteral("target"), Total(t.target));
    totals.add(QStringLiteral("flowering_target"), Total(t.floweringTarget));
    totals.add(QStringLiteral("result_at_strength"), Total(t.resultAtStrength));
    totals.add(QStringLiteral("ppm"), Total(t.ppm));
    totals.add(QStringLiteral("ppm_at_strength"), Total(t.ppmAtStrength));
    report.add(QStringLiteral("totals"), std::move(totals));

    // The analysis as its window shows it: the sums of the ions in meq/l,
    // the EC a meter should read, each ion, the ammonium share of N, and the
    // warnings (the rows' first, then the ions').
    const SolutionAnalysis& a = outcome.analysis;
    const SolutionIons& ions = outcome.ions;
    const auto meq = [](double value) {
        return ReportValue::figure(value, FormatNumber(RoundToDecimalsSymmetric(value, 2)));
    };
    ReportValue analysis = ReportValue::object();
    analysis.add(QStringLiteral("cations"), meq(ions.inputs.sums.cations));
    analysis.add(QStringLiteral("anions"), meq(ions.inputs.sums.anions));
    analysis.add(QStringLiteral("ec"), ReportValue::figure(ions.ec, FormatDecimals(ions.ec, 2)));
    ReportValue byIon = ReportValue::object();
    for (std::size_t i = 0; i < kIonCount; ++i) {
        const Ion ion = static_cast<Ion>(i);
        const double mmol = ions.inputs.sums.mmolPerLitre[i];
        ReportValue figures = ReportValue::object();
        figures.add(QStringLiteral("mmol_per_l"),
                    ReportValue::figure(mmol, FormatNumber(RoundToDecimalsSymmetric(mmol, 4))));
        figures.add(QStringLiteral("meq_per_l"), meq(Milliequivalents(ion, mmol)));
        byIon.add(QString::fromLatin1(InfoOf(ion).code.data(), static_cast<int>(InfoOf(ion).code.size())),
                  std::move(figures));
    }
    analysis.add(QStringLiteral("ions"), std::move(byIon));
    const std::optional<double> share = ions.report.ammoniumShare;
    analysis.add(QStringLiteral("nh4_share"),
                 share ? ReportValue::figure(*share, FormatNumber(RoundToDecimalsSymmetric(*share, 1)))
                       : ReportValue::null());
    ReportValue warnings = ReportValue::list();
    for (const QString& warning : a.warnings + ions.report.warnings)
        warnings.add(ReportValue::text(warning));
    analysis.add(QStringLiteral("warnings"), std::move(warnings));
    report.add(QStringLiteral("analysis"), std::move(analysis));

    ReportValue cost = ReportValue::object();
    cost.add(QStringLiteral("per_1000_l"),
             ReportValue::figure(outcome.cost.perThousandLitres,
                                 FormatNumber(RoundToDecimalsSymmetric(outcome.cost.perThousandLitres, 2))));
    ReportValue unpriced = ReportValue::list();
    for (const QString& name : outcome.cost.withoutPrice)
        unpriced.add(ReportValue::text(name));
    cost.add(QStringLiteral("without_price"), std::move(unpriced));
    report.add(QStringLiteral("cost"), std::move(cost));
    return report;
}

namespace {

QString Cell(const ReportValue& value) {
    switch (value.kind()) {
    case ReportValue::Kind::Null:
        return QStringLiteral("—");
    case ReportValue::Kind::Text:
    case ReportValue::Kind::Figure:
        return value.textValue();
    case ReportValue::Kind::Integer:
        return value.json();
    case ReportValue::Kind::List:
    case ReportValue::Kind::Object:
        break;
    }
    return {};
}

// A list of objects as columns: the members' names as the header; figures
// aligned right, texts left.
QString Columns(const ReportValue& list) {
    if (list.items().empty())
        return QStringLiteral("  —\n");
    std::vector<QStringList> cells;
    QStringList header;
    for (const auto& member : list.items().front().members())
        header << member.first;
    cells.push_back(header);
    for (const ReportValue& item : list.items()) {
        QStringList row;
        for (const auto& member : item.members())
            row << Cell(member.second);
        cells.push_back(row);
    }
    std::vector<int> widths(static_cast<size_t>(header.size()), 0);
    for (const QStringList& row : cells)
        for (int c = 0; c < row.size() && c < header.size(); ++c)
            widths[static_cast<size_t>(c)] = std::max(widths[static_cast<size_t>(c)], int(row[c].size()));
    QString out;
    for (size_t r = 0; r < cells.size(); ++r) {
        QStringList padded;
        for (int c = 0; c < cells[r].size() && c < header.size(); ++c) {
            // A header stands as its column's figures do.
            const ReportValue& sample = list.items()[r > 0 ? r - 1 : 0];
            const bool figure = sample.members()[size_t(c)].second.kind() == ReportValue::Kind::Figure;
            const int width = widths[static_cast<size_t>(c)];
            padded << (figure ? cells[r][c].rightJustified(width) : cells[r][c].leftJustified(width));
        }
        out += QStringLiteral("  ") + padded.join(QStringLiteral("  ")).trimmed() + QLatin1Char('\n');
    }
    return out;
}

} // namespace

QString ReportTable(const ReportValue& report) {
    QString out;
    for (const auto& [name, value] : report.members()) {
        if (value.kind() == ReportValue::Kind::List) {
            out += name + QStringLiteral(":\n") + Columns(value);
        } else if (value.kind() == ReportValue::Kind::Object) {
            out += name + QStringLiteral(":\n");
            for (const auto& [inner, figure] : value.members()) {
                if (figure.kind() == ReportValue::Kind::List) {
                    out += QStringLiteral("  ") + inner + QStringLiteral(":\n");
                    for (const ReportValue& item : figure.items())
                        out += QStringLiteral("    ") + Cell(item) + QLatin1Char('\n');
                } else {
                    out += QStringLiteral("  ") + inner + QStringLiteral(": ") + Cell(figure) + QLatin1Char('\n');
                }
            }
        } else {
            out += name + QStringLiteral(": ") + Cell(value) + QLatin1Char('\n');
        }
    }
    return out;
}

} // namespace solvane
