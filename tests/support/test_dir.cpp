// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_dir.h"

#include <QDir>

namespace solvane::test {

WorkingDirectory::WorkingDirectory() : previous_(QDir::currentPath()) {
    QDir::setCurrent(dir_.path());
}

WorkingDirectory::~WorkingDirectory() {
    QDir::setCurrent(previous_);
}

} // namespace solvane::test
