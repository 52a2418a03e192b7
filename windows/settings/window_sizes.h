#pragma once

namespace solvane {

class Program;

// The window states, sizes and splitter positions of the fertilizer
// directory, the element directory and the calculator, kept in size.ini.
void LoadSizes(Program& program);
void SaveSizes(Program& program);
void CreateSizeFile();

} // namespace solvane
