// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A main() for tests that need a screen larger than the offscreen platform's
// default 800 x 600, so that the windows' default sizes fit on it unchanged.

#include "tools/screenshots/large_offscreen_screen.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

namespace solvane::test {

constexpr int kScreenWidth = kLargeScreenWidth;
constexpr int kScreenHeight = kLargeScreenHeight;

} // namespace solvane::test

#define SOLVANE_LARGE_SCREEN_TEST_MAIN(TestClass)                                                                      \
    int main(int argc, char** argv) {                                                                                  \
        solvane::UseLargeOffscreenScreen();                                                                            \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestClass test;                                                                                                \
        const int result = QTest::qExec(&test, argc, argv);                                                            \
        QFile::remove(solvane::LargeScreenConfigFile());                                                               \
        return result;                                                                                                 \
    }
