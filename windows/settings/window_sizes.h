// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

namespace solvane {

class Form;
class Splitter;

// The three windows whose state, size and splitter positions size.ini keeps,
// and the launcher, whose frame stands in for theirs before they are shown.
struct RememberedWindows {
    Form* elements = nullptr;
    Form* fertilizers = nullptr;
    Form* calculator = nullptr;
    const Form* launcher = nullptr;
    Splitter* fertilizerSplitter = nullptr;
    std::array<Splitter*, 5> calculatorSplitters{}; // RzSplitter1 .. RzSplitter5
};

// Reads size.ini (written with the defaults when it cannot be opened) and
// applies it to all three windows.
void LoadSizes(const RememberedWindows& windows);
// Writes the windows' present state to size.ini, whole or not at all.
void SaveSizes(const RememberedWindows& windows);
void CreateSizeFile();

} // namespace solvane
