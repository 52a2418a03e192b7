// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application_setup.h"

#include <QApplication>
#include <csignal>

namespace solvane {

void SetUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Solvane"));
    // The launcher's close ends the program, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

} // namespace solvane
