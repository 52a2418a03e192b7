// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/settings/options_window.h"

namespace solvane {

OptionsWindow::OptionsWindow(HandlerGuard& guard) : Form(guard, QStringLiteral("Form18")) {
    setWindowTitle(QStringLiteral("Опции"));
}

OptionsWindow::~OptionsWindow() = default;

} // namespace solvane
