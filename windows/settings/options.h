#pragma once

namespace solvane {

class Program;

// Carries the options record over to the calculator and the launcher's timer.
void ApplyOptions(Program& program);

} // namespace solvane
