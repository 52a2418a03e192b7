// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The offscreen platform's screen is 800 x 600 unless a configuration file
// names another; the windows' default sizes need a larger one. Used by the
// screenshot tool and by the tests that size windows.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

namespace solvane {

constexpr int kLargeScreenWidth = 1920;
constexpr int kLargeScreenHeight = 1080;

// The configuration file of this process's large screen.
inline QString LargeScreenConfigFile() {
    return QDir::temp().filePath(QStringLiteral("solvane-screen-%1.json").arg(QCoreApplication::applicationPid()));
}

// Before the application is made: when the platform is (or defaults to) the
// offscreen one, writes the configuration of a 1920 x 1080 screen and points
// the platform at it. Returns the file, which the caller removes at the end,
// or an empty text when the file could not be written.
inline QString UseLargeOffscreenScreen() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("offscreen"))
        return QString();
    const QString config = LargeScreenConfigFile();
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(
        QStringLiteral("{\"screens\": [{\"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": %1, \"height\": %2, "
                       "\"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
            .arg(kLargeScreenWidth)
            .arg(kLargeScreenHeight)
            .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    return config;
}

} // namespace solvane
