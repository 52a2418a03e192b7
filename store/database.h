// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/connection.h"
#include "store/data_source.h"
#include "store/dataset.h"
#include "store/options.h"

#include <functional>
#include <vector>

namespace solvane {

class DerivedValues;

// The open base.mdb: its one connection and every data set the windows show,
// with the data sources their controls bind to. It is made before the windows
// and outlives them; the windows receive it by reference. Making it opens the
// connection and the element and coefficient sets, the lookup sources of
// every window; when either fails, it throws Error and nothing is left open.
//
// The data sets keep the names the program has always given them (they name
// a set in its error messages); the members say what each holds.
class Database {
public:
    explicit Database(const QString& fileName = QStringLiteral("base.mdb"));
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    Connection& connection() { return connection_; }

    // Opens every data set in the order the program always has (a set that
    // is open stays as it is): the options; the composition, its components,
    // the saved solutions and their lines, the plain elements; the elements
    // and coefficients; the fertilizers and their content; the calculator's
    // coefficients; then the connection; the crops and their targets; the
    // water profiles; last runs afterOpenTables (the window sizes).
    void OpenTables();
    // Closes every data set and the connection; unposted changes are lost.
    void CloseTables();
    std::function<void()> afterOpenTables;

    // Every data set, in the order they are declared (masters before details).
    std::vector<DataSet*> dataSets();

    // The rows of a table as its data set holds them (none while the set is
    // closed), for reading without moving any cursor.
    TableRows rowsOf(const QString& table);

    // The options record: the one reader and writer of t_opt.
    OptionsStore& optionsStore() { return optionsStore_; }
    const OptionsStore& optionsStore() const { return optionsStore_; }

    // Who works out the calculated fields of the targets, the composition's
    // lines and the saved lines (see DerivedValues); without one they stay
    // empty. What they depend on changed: they are worked out anew (a
    // pending change of those sets is settled first) and their controls
    // shown them.
    void setDerivedValues(const DerivedValues* derived) { derived_ = derived; }
    void derivedValuesChanged(bool targets, bool lines, bool savedLines);

private:
    Connection connection_;
    const DerivedValues* derived_ = nullptr;

public:
    // ---- the options record (t_opt, its first row) ----
    DataSet options{&connection_, QStringLiteral("ADOTable1")};
    DataSource optionsSource{&options};

    // ---- elements and coefficients ----
    DataSet coefficients{&connection_, QStringLiteral("T_KOF")};
    DataSource coefficientsSource{&coefficients};
    DataSet elements{&connection_, QStringLiteral("T_Element")};
    DataSource elementsSource{&elements};
    // The elements that are not oxides (filter "kof<>true", always on).
    DataSet plainElements{&connection_, QStringLiteral("T_el")};
    DataSource plainElementsSource{&plainElements};

    // ---- fertilizers ----
    // The fertilizer list, one current record, filter and sort order for
    // every window that shows it.
    DataSet fertilizers{&connection_, QStringLiteral("T_Udobra")};
    DataSource fertilizersSource{&fertilizers};
    // The list's current fertilizer's content, each row in element terms
    // (free, freeid).
    DataSet fertilizerContent{&connection_, QStringLiteral("T_Sostav_Udobra")};
    DataSource fertilizerContentSource{&fertilizerContent};

    // ---- crops and their targets ----
    DataSet crops{&connection_, QStringLiteral("ADOTable3")};
    DataSource cropsSource{&crops};
    // The current crop's target rows; the calculator computes their derived fields.
    DataSet targets{&connection_, QStringLiteral("ADOTable2")};
    DataSource targetsSource{&targets};

    // ---- the working composition and the saved solutions ----
    DataSet savedSolutions{&connection_, QStringLiteral("T_HEAD_RAR")};
    DataSource savedSolutionsSource{&savedSolutions};
    DataSet savedLines{&connection_, QStringLiteral("T_save_rar")};
    DataSource savedLinesSource{&savedLines};
    DataSet composition{&connection_, QStringLiteral("T_rachet")};
    DataSource compositionSource{&composition};
    // A second view of the fertilizers' content, kept among the sets that
    // open and close together.
    DataSet components{&connection_, QStringLiteral("T_SOS")};
    DataSource componentsSource{&components};
    // The calculator's own view of the coefficients.
    DataSet calculatorCoefficients{&connection_, QStringLiteral("ADOTable1")};
    DataSource calculatorCoefficientsSource{&calculatorCoefficients};

    // ---- the source water ----
    DataSet waterProfiles{&connection_, QStringLiteral("T_water")};
    DataSource waterProfilesSource{&waterProfiles};
    DataSet waterElements{&connection_, QStringLiteral("T_water_el")};
    DataSource waterElementsSource{&waterElements};

private:
    void declare();
    void declareCalculatedFields();
    OptionsStore optionsStore_{connection_, options};
    Field* contentPercent_ = nullptr;
    Field* contentElement_ = nullptr;
    Field* contentCoefficient_ = nullptr;
    Field* contentYields_ = nullptr;
    Field* contentFree_ = nullptr;
    Field* contentFreeId_ = nullptr;
};

} // namespace solvane
