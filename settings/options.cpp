#include "settings/options.h"

namespace solvane {

void ApplyOptions(Program&) {}

} // namespace solvane
