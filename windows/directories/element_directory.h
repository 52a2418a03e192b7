// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

#include <functional>

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

    // What "коэффициэнты" shows, and what closing the window runs (the
    // closing sequence).
    void setCoefficientDirectory(std::function<void()> showCoefficients);
    void setClosingSequence(std::function<void()> closingSequence);

    // The keys of the elements that can never be deleted.
    static constexpr int kFirstKeyElement = 1;
    static constexpr int kLastKeyElement = 6;

    // "удалить": deletes the current element after asking, never a key element.
    void deleteElement();
    // "коэффициэнты": shows the coefficient directory.
    void openCoefficients();

protected:
    void FormClose() override;

private:
    void buildLayout();

    Database& data_;
    std::function<void()> showCoefficients_;
    std::function<void()> closingSequence_;
};

} // namespace solvane
