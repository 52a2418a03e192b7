// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A main() for tests that need a screen larger than the offscreen platform's
// default 800 x 600, so that the windows' default sizes fit on it unchanged.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

namespace solvane::test {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

inline void UseLargeOffscreenScreen() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && platform != "offscreen")
        return;
    const QString config =
        QDir::temp().filePath(QStringLiteral("solvane-screen-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(
        QStringLiteral("{\"screens\": [{\"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": %1, \"height\": %2, "
                       "\"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
            .arg(kScreenWidth)
            .arg(kScreenHeight)
            .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
}

} // namespace solvane::test

#define SOLVANE_LARGE_SCREEN_TEST_MAIN(TestClass)                                                                      \
    int main(int argc, char** argv) {                                                                                  \
        solvane::test::UseLargeOffscreenScreen();                                                                      \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestClass test;                                                                                                \
        const int result = QTest::qExec(&test, argc, argv);                                                            \
        QFile::remove(                                                                                                 \
            QDir::temp().filePath(QStringLiteral("solvane-screen-%1.json").arg(QCoreApplication::applicationPid())));  \
        return result;                                                                                                 \
    }
