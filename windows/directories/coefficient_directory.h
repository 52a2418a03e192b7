// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

namespace solvane {

class Database;

// The coefficient directory "Спарвочник коэффициентов": the conversion records
// that turn an oxide's percentage into its element's. It edits the
// database's coefficients; the element a record yields is chosen among the
// plain elements.
class CoefficientDirectory : public Form {
    Q_OBJECT
public:
    CoefficientDirectory(Database& data, HandlerGuard& guard);
    ~CoefficientDirectory() override;

protected:
    void FormClose() override;

private:
    void buildLayout();

    Database& data_;
};

} // namespace solvane
