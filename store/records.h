// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rows of the tables as plain records, read from TableRows (a data set's
// rows or the file's): a field that reads as empty is none.

#include <QString>
#include <optional>
#include <vector>

namespace solvane {

class TableRows;

struct FertilizerRecord { // t_udobra
    long long key = 0;
    QString name;
    std::optional<double> ppm;
    std::optional<double> density; // g/ml of a liquid
    std::optional<double> price;   // per kg (per l of a liquid)
    bool acid = false;             // may be chosen to neutralise the water's HCO3
};

struct ContentRecord { // T_sostav_udobra
    long long key = 0;
    std::optional<long long> fertilizer;
    std::optional<long long> element;
    std::optional<double> percent;
};

struct ElementRecord { // T_element
    long long key = 0;
    QString shortName;
    QString fullName;
    bool oxide = false;
    std::optional<long long> conversion; // its record in t_kof
    std::optional<long long> total;      // the element this one is a form of
    QString ion;                         // the ion's code, empty for none
};

struct CoefficientRecord { // t_kof
    long long key = 0;
    QString name;
    std::optional<double> factor;
    std::optional<long long> element; // the element the oxide yields
};

struct CropRecord { // T_kult
    long long key = 0;
    QString name;
    QString ph;
};

struct TargetRecord { // t_konc
    long long key = 0;
    std::optional<long long> crop;
    std::optional<long long> element;
    std::optional<double> vega;
    std::optional<double> cvet;
    std::optional<double> result;
    std::optional<double> weight;
    // The stored target is not a number and reads as empty: it is no missing target.
    bool vegaReadAsEmpty = false;
    std::optional<double> tolerance{}; // %, how far the cheapest fit may stray
};

struct LineRecord { // t_rachet
    long long key = 0;
    std::optional<long long> fertilizer;
    std::optional<double> amount;
    std::optional<double> minimum;
    std::optional<double> maximum;
    // A line the program adds (the acid's), never stored in the table.
    bool derived = false;
};

struct SolutionRecord { // t_head_rar
    long long key = 0;
    QString name;
    std::optional<long long> crop;
    std::optional<double> litres;
    std::optional<long long> strength;
};

struct SavedLineRecord { // t_save_rar
    long long key = 0;
    std::optional<long long> fertilizer;
    std::optional<double> amount;
    std::optional<long long> solution;
};

struct WaterProfileRecord { // t_water
    long long key = 0;
    QString name;
    std::optional<double> bicarbonateLeft; // mg/l of HCO3 the acid leaves
};

struct WaterElementRecord { // t_water_el
    long long key = 0;
    std::optional<long long> profile;
    std::optional<long long> element;
    std::optional<double> amount;
};

std::vector<FertilizerRecord> FertilizerRecords(const TableRows& rows);
std::vector<ContentRecord> ContentRecords(const TableRows& rows);
std::vector<ElementRecord> ElementRecords(const TableRows& rows);
std::vector<CoefficientRecord> CoefficientRecords(const TableRows& rows);
std::vector<CropRecord> CropRecords(const TableRows& rows);
std::vector<TargetRecord> TargetRecords(const TableRows& rows);
std::vector<LineRecord> LineRecords(const TableRows& rows);
std::vector<SolutionRecord> SolutionRecords(const TableRows& rows);
std::vector<SavedLineRecord> SavedLineRecords(const TableRows& rows);
std::vector<WaterProfileRecord> WaterProfileRecords(const TableRows& rows);
std::vector<WaterElementRecord> WaterElementRecords(const TableRows& rows);

} // namespace solvane
