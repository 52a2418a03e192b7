// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/records.h"

#include "store/columns.h"
#include "store/table_rows.h"

#include <cmath>

namespace solvane {

namespace {

// One row's fields, read by column name.
class Reader {
public:
    Reader(const TableRows& rows) : rows_(rows) {}
    int column(QLatin1String name) const { return rows_.column(name); }
    static std::optional<double> number(const TableRows::Row& row, int column) {
        const QVariant v = TableRows::value(row, column);
        return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
    }
    static std::optional<long long> key(const TableRows::Row& row, int column) {
        const QVariant v = TableRows::value(row, column);
        if (v.isNull())
            return std::nullopt;
        return v.typeId() == QMetaType::Double ? std::llround(v.toDouble()) : v.toLongLong();
    }
    static QString text(const TableRows::Row& row, int column) { return TableRows::value(row, column).toString(); }
    static bool boolean(const TableRows::Row& row, int column) {
        const QVariant v = TableRows::value(row, column);
        if (v.isNull())
            return false;
        return v.typeId() == QMetaType::Bool ? v.toBool() : v.toDouble() != 0.0;
    }

private:
    const TableRows& rows_;
};

} // namespace

std::vector<FertilizerRecord> FertilizerRecords(const TableRows& rows) {
    const Reader r(rows);
    namespace f = col::fertilizers;
    const int name = r.column(f::name), ppm = r.column(f::ppm), density = r.column(f::density),
              price = r.column(f::price), acid = r.column(f::acid);
    std::vector<FertilizerRecord> out;
    out.reserve(rows.rows().size());
    for (const TableRows::Row& row : rows.rows())
        out.push_back({row.key, Reader::text(row, name), Reader::number(row, ppm), Reader::number(row, density),
                       Reader::number(row, price), Reader::boolean(row, acid)});
    return out;
}

std::vector<ContentRecord> ContentRecords(const TableRows& rows) {
    const Reader r(rows);
    namespace c = col::content;
    const int fertilizer = r.column(c::fertilizer), element = r.column(c::element), percent = r.column(c::percent);
    std::vector<ContentRecord> out;
    out.reserve(rows.rows().size());
    for (const TableRows::Row& row : rows.rows())
        out.push_back({row.key, Reader::key(row, fertilizer), Reader::key(row, element), Reader::number(row, percent)});
    return out;
}

std::vector<ElementRecord> ElementRecords(const TableRows& rows) {
    const Reader r(rows);
    namespace e = col::elements;
    const int shortName = r.column(e::shortName), fullName = r.column(e::fullName), oxide = r.column(e::oxide),
              conversion = r.column(e::conversion), total = r.column(e::total), ion = r.column(e::ion);
    std::vector<ElementRecord> out;
    out.reserve(rows.rows().size());
    for (const TableRows::Row& row : rows.rows())
        out.push_back({row.key, Reader::text(row, shortName), Reader::text(row, fullName), Reader::boolean(row, oxide),
                       Reader::key(row, conversion), Reader::key(row, total), Reader::text(row, ion)});
    return out;
}

std::vector<CoefficientRecord> CoefficientRecords(const TableRows& rows) {
    const Reader r(rows);
    namespace k = col::coefficients;
    const int name = r.column(k::name), factor = r.column(k::factor), element = r.column(k::element);
    std::vector<CoefficientRecord> out;
    out.reserve(rows.rows().size());
    for (const TableRows::Row& row : rows.rows())
        out.push_back({row.key, Reader::text(row, name), Reader::number(row, factor), Reader::key(row, element)});
    return out;
}

std::vector<CropRecord> CropRecords(const TableRows& rows) {
    const Reader r(rows);
    const int name = r.column(col::crops::name), ph = r.column(col::crops::ph);
    std::vector<CropRecord> out;
    out.reserve(rows.rows().size());
    for (const TableRows::Row& row : rows.rows())
        out.push_back({row.key, Reader::text(row, name), Reader::text(row, ph)});
    return out;
}

std::vector<TargetRecord> TargetRecords(const TableRows& rows) {
    const Reader r(rows);
    namespace t = col::targets;
    const int crop = r.column(t::crop), element = r.column(t::element), vega = r.column(t::vega),
              cvet = r.column(t::cvet), result = r.column(t::result), weight = r.column(t::weight),
              tolerance = r.column(t::tolerance);
    std::vector<TargetRecord> out;
    out.reserve(rows.rows().size());
    for (const TableRows::Row& row : rows.rows())
        out.push_back({row.key, Reader::key(row, crop), Reader::key(row, element), Reader::number(row, vega),
                       Reader::number(row, cvet), Reader::number(row, result), Reader::number(row, weight),
                       TableRows::readAsEmpty(row, vega), Reader::number(row, tolerance)});
    return out;
}

std::vector<LineRecord> LineRecords(const TableRows& rows) {
    const Reader r(rows);
    namespace l = col::lines;
    const int fertilizer = r.column(l::fertilizer), amount = r.column(l::amount), minimum = r.column(l::minimum),
              maximum = r.column(l::maximum);
    std::vector<LineRecord> out;
    out.reserve(rows.rows().size());
    for (const TableRows::Row& row : rows.rows())
        out.push_back({row.key, Reader::key(row, fertilizer), Reader::number(row, amount), Reader::number(row, minimum),
                       Reader::number(row, maximum)});
    return out;
}

std::vector<SolutionRecord> SolutionRecords(const TableRows& rows) {
    const Reader r(rows);
    namespace s = col::solutions;
    const int name = r.column(s::name), crop = r.column(s::crop), litres = r.column(s::litres),
              strength = r.column(s::strength);
    std::vector<SolutionRecord> out;
    out.reserve(rows.rows().size());
    for (const TableRows::Row& row : rows.rows())
        out.push_back({row.key, Reader::text(row, name), Reader::key(row, crop), Reader::number(row, litres),
                       Reader::key(row, strength)});
    return out;
}

std::vector<SavedLineRecord> SavedLineRecords(const TableRows& rows) {
    const Reader r(rows);
    namespace l = col::savedLines;
    const int fertilizer = r.column(l::fertilizer), amount = r.column(l::amount), solution = r.column(l::solution);
    std::vector<SavedLineRecord> out;
    out.reserve(rows.rows().size());
    for (const TableRows::Row& row : rows.rows())
        out.push_back({row.key, Reader::key(row, fertilizer), Reader::number(row, amount), Reader::key(row, solution)});
    return out;
}

std::vector<WaterProfileRecord> WaterProfileRecords(const TableRows& rows) {
    const int name = rows.column(col::water::name), left = rows.column(col::water::bicarbonateLeft);
    std::vector<WaterProfileRecord> out;
    out.reserve(rows.rows().size());
    for (const TableRows::Row& row : rows.rows())
        out.push_back({row.key, Reader::text(row, name), Reader::number(row, left)});
    return out;
}

std::vector<WaterElementRecord> WaterElementRecords(const TableRows& rows) {
    const Reader r(rows);
    namespace w = col::waterElements;
    const int profile = r.column(w::profile), element = r.column(w::element), amount = r.column(w::amount);
    std::vector<WaterElementRecord> out;
    out.reserve(rows.rows().size());
    for (const TableRows::Row& row : rows.rows())
        out.push_back({row.key, Reader::key(row, profile), Reader::key(row, element), Reader::number(row, amount)});
    return out;
}

} // namespace solvane
