// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What solvane-calc prints: the working solution (or a saved solution) of a
// crop as a tree of named values, written as JSON or as a table for a person.
// Each figure carries its value in full and the text the windows show.

#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace solvane {

struct SolutionInputs;
struct SolutionOutcome;

// A value of the report: a figure, a text, a whole number, null, a list or
// a set of named values (kept in their order).
class ReportValue {
public:
    enum class Kind { Null, Text, Integer, Figure, List, Object };

    static ReportValue null() { return ReportValue(Kind::Null); }
    static ReportValue text(const QString& text);
    static ReportValue integer(long long value);
    // A number and the text shown for it; an empty one is null and "".
    static ReportValue figure(std::optional<double> value, const QString& shown);
    static ReportValue list() { return ReportValue(Kind::List); }
    static ReportValue object() { return ReportValue(Kind::Object); }

    ReportValue& add(ReportValue item);                       // to a list
    ReportValue& add(const QString& name, ReportValue value); // to an object

    // JSON, indented by two blanks a level; numbers with 17 significant digits.
    QString json(int indent = 0) const;

    Kind kind() const { return kind_; }
    const QString& textValue() const { return text_; }
    const std::vector<std::pair<QString, ReportValue>>& members() const { return members_; }
    const std::vector<ReportValue>& items() const { return items_; }

private:
    explicit ReportValue(Kind kind) : kind_(kind) {}
    Kind kind_;
    QString text_; // a text, or a figure's shown text
    std::optional<double> number_;
    long long integer_ = 0;
    std::vector<ReportValue> items_;
    std::vector<std::pair<QString, ReportValue>> members_;
};

struct ReportRequest {
    QString crop;
    std::optional<QString> solution; // the saved solution's name
    int fitMode = 0;
    std::optional<double> litres;
};

// The report of a pass: crop, solution, fit_mode, lines, rows, totals,
// analysis. Later figures (ions, EC, ml, cost) are added as members of their
// own beside these.
ReportValue SolutionReport(const ReportRequest& request, const SolutionInputs& inputs, const SolutionOutcome& outcome);

// The same report aligned in columns for a person.
QString ReportTable(const ReportValue& report);

} // namespace solvane
