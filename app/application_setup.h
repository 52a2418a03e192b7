// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace solvane {

// What the program sets up on the application before its windows exist: the
// application's name "Solvane" (the task bar's title and the standard error
// box's caption), no display name of its own (a display name would be added
// to every window title and box caption), and an event loop that only the
// launcher's close ends. A file-size limit makes writes fail with an error
// the program reports, instead of ending the program half-way through one.
void SetUpApplication();

} // namespace solvane
