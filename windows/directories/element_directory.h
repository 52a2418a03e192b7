// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

namespace solvane {

class Database;

// The element directory "Справочник элементов": elements and oxides, each
// optionally linked to a conversion record. Its data sets (the database's
// elements and coefficients) are the lookup sources of element names and
// conversion factors for the whole program.
class ElementDirectory : public Form {
    Q_OBJECT
public:
    ElementDirectory(Database& data, HandlerGuard& guard);
    ~ElementDirectory() override;

    // The keys of the elements that can never be deleted.
    static constexpr int kFirstKeyElement = 1;
    static constexpr int kLastKeyElement = 6;

    // "удалить": deletes the current element after asking, never a key element.
    void deleteElement();
    // "коэффициэнты": shows the coefficient directory.
    void openCoefficients();

signals:
    // "коэффициэнты": the coefficient directory is to be shown.
    void coefficientsRequested();
    // The window closes: the closing sequence is to run.
    void closing();

protected:
    void FormClose() override;

private:
    void buildLayout();

    Database& data_;
};

} // namespace solvane
