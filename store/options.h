// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariant>
#include <array>

namespace solvane {

class Connection;
class DataSet;
class TableRows;

// The options record, the first row of t_opt, as the program applies it: an
// empty field reads as false, 0 or black (0), an empty table as a record of
// empty fields.
struct Options {
    bool c21 = false, c22 = false, c31 = false, c32 = false, c34 = false;
    bool avto = false, ppm1 = false, ppm2 = false, kult = false;
    int maxim = 0;
    std::array<long long, 15> cl{}; // cl[1] .. cl[14]
    int fitMode = 0;                // fit_mode as stored
    QVariant water;                 // id_water: the source water counted
    QVariant lastCrop;              // id_kult_last: the crop in use
    QVariant acid;                  // id_acid: the acid for the water's HCO3, null for none
    bool present = false;           // the table has a row
    long long rowKey = 0;           // the row's rowid
};

// The record as the rows of t_opt hold it.
Options ReadOptions(const TableRows& rows);

// The one reader and writer of the options record: what the windows and the
// calculation read of it, and the choices the program keeps in it (the fit,
// the water, the crop in use). A base without the record keeps them for the
// run; a base that cannot be written refuses the fit and the water and keeps
// the crop in memory.
class OptionsStore {
public:
    OptionsStore(Connection& connection, DataSet& options) : connection_(connection), options_(options) {}

    // The record as the options set holds it; a closed set is the data
    // layer's error.
    Options read() const;

    // The fit the recipe uses: 1 the grower's (fit_mode 1), 2 the cheapest
    // within the tolerances (fit_mode 2), 0 the classic one (any other value).
    int fitMode() const;
    // The water profile chosen, null for none (the profile's key as stored,
    // whether or not the profile is there).
    QVariant water() const;
    // The crop in use, null when none was remembered.
    QVariant lastCrop() const;
    // The acid chosen for the water's HCO3, null for none.
    QVariant acid() const;

    void setFitMode(int mode);
    void setWater(const QVariant& profile);
    void setLastCrop(const QVariant& crop);
    void setAcid(const QVariant& fertilizer);

private:
    // The record, or one of empty fields while the set is closed.
    Options current() const;
    void store(const QString& column, const QVariant& value);

    Connection& connection_;
    DataSet& options_;
    // The choices of a run whose base has no options record.
    int sessionFitMode_ = 0;
    QVariant sessionWater_;
    QVariant sessionCrop_;
    QVariant sessionAcid_;
};

} // namespace solvane
