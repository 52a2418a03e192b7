#include "settings/window_sizes.h"

namespace solvane {

void LoadSizes(Program&) {}

void SaveSizes(Program&) {}

void CreateSizeFile() {}

} // namespace solvane
