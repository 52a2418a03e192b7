// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/settings/window_places.h"

#include "core/error.h"
#include "core/file_io.h"
#include "core/number_text.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace solvane {

namespace {

// More than the few windows kept could ever need; a larger file is not read further.
constexpr qint64 kLargestRead = 64 * 1024;
// A window no smaller than this, and no position or size beyond this, is taken.
constexpr int kSmallest = 40;
constexpr int kLargest = 100000;

struct Numbers {
    int x = 0, y = 0, width = 0, height = 0;
    int found = 0;
};

} // namespace

WindowPlaces::WindowPlaces(QString fileName) : fileName_(std::move(fileName)) {}

void WindowPlaces::read() const {
    if (read_)
        return;
    read_ = true;
    // Only a regular file is read: no file yet (or a FIFO, a device, a
    // folder of that name) leaves every window centred.
    QByteArray bytes;
    if (!ReadFileStart(fileName_, kLargestRead, bytes).isEmpty())
        return;
    const QString text = QString::fromUtf8(bytes);
    std::map<QString, Numbers> numbers;
    QString section;
    const auto passOver = [this](const QString& line) {
        qWarning("%s: \"%s\" is not read", qPrintable(QFileInfo(fileName_).fileName()), qPrintable(line.left(40)));
    };
    for (QString line : text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")))) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        int value = 0;
        if (section.isEmpty() || equals < 0 || !TryParseInteger(line.mid(equals + 1).trimmed(), value) ||
            value < -kLargest || value > kLargest) {
            passOver(line);
            continue;
        }
        const QString key = line.left(equals).trimmed();
        Numbers& n = numbers[section];
        if (key == QLatin1String("x")) {
            n.x = value;
            n.found |= 1;
        } else if (key == QLatin1String("y")) {
            n.y = value;
            n.found |= 2;
        } else if (key == QLatin1String("width")) {
            n.width = value;
            n.found |= 4;
        } else if (key == QLatin1String("height")) {
            n.height = value;
            n.found |= 8;
        } else {
            passOver(line);
        }
    }
    for (const auto& [window, n] : numbers)
        if (n.found == 15 && n.width >= kSmallest && n.height >= kSmallest)
            places_[window] = QRect(n.x, n.y, n.width, n.height);
}

std::optional<QRect> WindowPlaces::placeOf(const QString& window) const {
    read();
    const auto found = places_.find(window);
    if (found == places_.end())
        return std::nullopt;
    return found->second;
}

void WindowPlaces::keep(const QString& window, const QRect& place) {
    read();
    const auto found = places_.find(window);
    if (found != places_.end() && found->second == place)
        return;
    places_[window] = place;
    QByteArray bytes;
    for (const auto& [name, rect] : places_)
        bytes += QStringLiteral("[%1]\r\nx=%2\r\ny=%3\r\nwidth=%4\r\nheight=%5\r\n")
                     .arg(name)
                     .arg(rect.x())
                     .arg(rect.y())
                     .arg(rect.width())
                     .arg(rect.height())
                     .toUtf8();
    if (!writable_)
        return;
    const QString reason = WriteWholeFile(fileName_, bytes);
    if (!reason.isEmpty())
        throw Error(QStringLiteral("Не удалось записать файл «%1»: %2.")
                        .arg(QDir::toNativeSeparators(QFileInfo(fileName_).absoluteFilePath()), reason));
}

} // namespace solvane
