// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/settings/window_sizes.h"

#include "controls/form.h"
#include "controls/splitter.h"
#include "core/error.h"
#include "core/file_io.h"
#include "core/number_text.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <algorithm>
#include <array>

namespace solvane {

namespace {

// The file holds fifteen lines, one decimal integer each, told apart by
// their line number only:
//   1-3   maximized ("1") or not: element directory, fertilizer directory, calculator
//   4-9   outer height and width of the same three windows
//   10    the fertilizer directory's splitter
//   11-15 the calculator's splitters 1 to 5
constexpr int kLineCount = 15;
constexpr int kCharactersRead = 4;
// More than fifteen lines of four characters ever need.
constexpr qint64 kBytesRead = 64 * 1024;
const std::array<const char*, kLineCount> kDefaults = {"0",   "0",   "0",   "630", "465", "603", "627", "738",
                                                       "936", "230", "577", "355", "258", "307", "416"};

// No window is made smaller than this (outer size), whatever the file says.
constexpr int kSmallestHeight = 120;
constexpr int kSmallestWidth = 160;

QString fileName() {
    return QStringLiteral("size.ini");
}

QString shownName() {
    return QDir::toNativeSeparators(QFileInfo(fileName()).absoluteFilePath());
}

// Written whole or not at all: a failed write leaves the old file as it was.
void writeSizeFile(const std::array<QByteArray, kLineCount>& lines) {
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    const QString reason = WriteWholeFile(fileName(), bytes);
    if (!reason.isEmpty())
        throw Error(QStringLiteral("Не удалось записать файл «%1»: %2.").arg(shownName(), reason));
}

// Reads the first fifteen lines of the file, each cut to its first four
// characters (UTF-8; a byte that is not UTF-8 counts as one character). A
// line ends at CR LF, LF or a lone CR; lines the file does not have read as
// empty. Only a regular file is read, and only its first 64 KiB: a FIFO or a
// device (a size.ini linked to /dev/zero) never holds the start up.
std::array<QString, kLineCount> readSizeFile() {
    QByteArray bytes;
    const QString reason = ReadFileStart(fileName(), kBytesRead, bytes);
    if (!reason.isEmpty())
        throw Error(QStringLiteral("Не удалось прочитать файл «%1»: %2.").arg(shownName(), reason));

    constexpr int kBytesKept = kCharactersRead * 4;
    std::array<QByteArray, kLineCount> kept;
    int line = 0;
    bool afterCr = false;
    // A byte-order mark some editors put first is not part of the text.
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (; i < bytes.size() && line < kLineCount; ++i) {
        const char c = bytes.at(i);
        const bool crlf = afterCr && c == '\n';
        afterCr = c == '\r';
        if (crlf)
            continue;
        if (c == '\r' || c == '\n') {
            ++line;
            continue;
        }
        QByteArray& l = kept[static_cast<size_t>(line)];
        if (l.size() < kBytesKept)
            l.append(c);
    }

    std::array<QString, kLineCount> lines;
    for (size_t l = 0; l < lines.size(); ++l) {
        const QList<uint> characters = QString::fromUtf8(kept[l]).toUcs4();
        lines[l] = QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()),
                                     std::min<qsizetype>(characters.size(), kCharactersRead));
    }
    return lines;
}

bool isMaximized(const Form& form) {
    return form.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
}

QSize ownFrame(const Form& form) {
    const QSize extra = form.frameGeometry().size() - form.size();
    return QSize(std::max(0, extra.width()), std::max(0, extra.height()));
}

// The room the window manager's frame takes around a window's client area.
// A window that has never been on screen has no frame yet; the launcher's,
// which is on screen, stands in for it, so that a hidden window is sized,
// and saved, by the same outer size it will have once shown.
QSize frameExtra(const Form& form, const Form& launcher) {
    const QSize own = ownFrame(form);
    if (own != QSize(0, 0) || form.isVisible() || !launcher.isVisible())
        return own;
    return ownFrame(launcher);
}

QScreen* screenOf(const Form& form) {
    return form.screen() ? form.screen() : QGuiApplication::primaryScreen();
}

// Keeps a visible window's frame on the screen, the title bar first.
void keepOnScreen(Form& form) {
    QScreen* screen = screenOf(form);
    if (!form.isVisible() || isMaximized(form) || !screen)
        return;
    const QRect available = screen->availableGeometry();
    const QRect frame = form.frameGeometry();
    int x = std::min(frame.left(), available.right() + 1 - frame.width());
    int y = std::min(frame.top(), available.bottom() + 1 - frame.height());
    x = std::max(x, available.left());
    y = std::max(y, available.top());
    if (x != frame.left() || y != frame.top())
        form.move(x, y);
}

enum class Dimension { Height, Width };

// The outer size each window was last given from the file, with the inner
// size that came of it. A hidden window is sized by the launcher's frame,
// which may differ from its own (a window manager draws a resize handle on a
// sizeable window only); saving it by its own frame would then make it grow
// or shrink by the difference every session. Until the user resizes it, a
// window is saved with the size it was given.
const char* const kGivenOuter = "solvaneGivenOuterSize";
const char* const kGivenInner = "solvaneGivenInnerSize";

void rememberGiven(Form& form, Dimension dimension, int outer) {
    const bool height = dimension == Dimension::Height;
    QSize given = form.property(kGivenOuter).toSize();
    QSize inner = form.property(kGivenInner).toSize();
    (height ? given.rheight() : given.rwidth()) = outer;
    (height ? inner.rheight() : inner.rwidth()) = height ? form.height() : form.width();
    form.setProperty(kGivenOuter, given);
    form.setProperty(kGivenInner, inner);
}

QSize outerSizeOf(const Form& form, const Form& launcher) {
    QSize outer = form.size() + frameExtra(form, launcher);
    const QVariant given = form.property(kGivenOuter);
    const QSize inner = form.property(kGivenInner).toSize();
    if (given.isValid() && !isMaximized(form)) {
        if (form.height() == inner.height() && given.toSize().height() > 0)
            outer.setHeight(given.toSize().height());
        if (form.width() == inner.width() && given.toSize().width() > 0)
            outer.setWidth(given.toSize().width());
    }
    return outer;
}

// Sets one outer dimension of a window. A maximized window keeps its size:
// the value it would get is the size it had while maximized, which would
// leave nothing to restore to. Otherwise the value is brought within what
// keeps the window usable: no smaller than its minimum (and never below a
// small floor, so zero and negative values cannot make it vanish), and no
// larger than the screen's available area, the minimum winning over the
// screen for a window that cannot be made that small.
void applyDimension(Form& form, const Form& launcher, Dimension dimension, int value) {
    if (isMaximized(form))
        return;
    const QSize extra = frameExtra(form, launcher);
    const QSize hint = form.minimumSizeHint();
    const QSize smallest = form.minimumSize().expandedTo(hint.isValid() ? hint : QSize(0, 0)) + extra;
    QScreen* screen = screenOf(form);
    const QSize largest = screen ? screen->availableGeometry().size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const bool height = dimension == Dimension::Height;
    const int lower =
        std::max(height ? smallest.height() : smallest.width(), height ? kSmallestHeight : kSmallestWidth);
    const int upper = std::max(lower, height ? largest.height() : largest.width());
    const int outer = std::clamp(value, lower, upper);

    QSize inner = form.size();
    if (height)
        inner.setHeight(outer - extra.height());
    else
        inner.setWidth(outer - extra.width());
    form.resize(inner);
    rememberGiven(form, dimension, outer);
    keepOnScreen(form);
}

void maximizeWhen(const QString& line, Form& form) {
    if (line == QLatin1String("1") && !isMaximized(form))
        form.setWindowState(form.windowState() | Qt::WindowMaximized);
}

void applyPosition(Splitter* splitter, int value) {
    splitter->setPosition(value);
}

// The number a line holds: a line that holds no integer, or a value no
// window could take (a size below 1, a position below 0), gives the line's
// default, so that the windows open all the same; the next SaveSizes writes
// the file whole with the values in use. The fallback is noted on standard
// error only: a box at every start would tell the user nothing they can act on.
int lineValue(const std::array<QString, kLineCount>& lines, size_t index, int lowest) {
    int value = 0;
    if (TryParseInteger(lines[index], value) && value >= lowest)
        return value;
    qWarning("size.ini, line %d: \"%s\" is not a usable value; the default %s is used", static_cast<int>(index) + 1,
             qPrintable(lines[index]), kDefaults[index]);
    return ParseInteger(QString::fromLatin1(kDefaults[index]));
}

QByteArray number(int value) {
    return QByteArray::number(value);
}

} // namespace

void CreateSizeFile() {
    std::array<QByteArray, kLineCount> lines;
    for (size_t i = 0; i < lines.size(); ++i)
        lines[i] = kDefaults[i];
    writeSizeFile(lines);
}

void LoadSizes(const RememberedWindows& windows) {
    // A file that cannot be read (missing, unreadable, not a regular file)
    // is written anew with the defaults.
    if (!NotRegularFileReason(fileName()).isEmpty())
        CreateSizeFile();
    // The lines are read and the file released before any window changes.
    const std::array<QString, kLineCount> line = readSizeFile();

    Form& elements = *windows.elements;
    Form& fertilizers = *windows.fertilizers;
    Form& calculator = *windows.calculator;
    const Form& launcher = *windows.launcher;

    maximizeWhen(line[0], elements);
    maximizeWhen(line[1], fertilizers);
    maximizeWhen(line[2], calculator);

    // Each value is applied in line order; sizes are then kept within what
    // keeps the window usable, splitter positions within their panes' minimums.
    applyDimension(elements, launcher, Dimension::Height, lineValue(line, 3, 1));
    applyDimension(elements, launcher, Dimension::Width, lineValue(line, 4, 1));
    applyDimension(fertilizers, launcher, Dimension::Height, lineValue(line, 5, 1));
    applyDimension(fertilizers, launcher, Dimension::Width, lineValue(line, 6, 1));
    applyDimension(calculator, launcher, Dimension::Height, lineValue(line, 7, 1));
    applyDimension(calculator, launcher, Dimension::Width, lineValue(line, 8, 1));
    applyPosition(windows.fertilizerSplitter, lineValue(line, 9, 0));
    for (size_t i = 0; i < windows.calculatorSplitters.size(); ++i)
        applyPosition(windows.calculatorSplitters[i], lineValue(line, 10 + i, 0));
}

void SaveSizes(const RememberedWindows& windows) {
    const Form& elements = *windows.elements;
    const Form& fertilizers = *windows.fertilizers;
    const Form& calculator = *windows.calculator;
    auto flag = [](const Form& form) { return QByteArray(form.windowState() & Qt::WindowMaximized ? "1" : "0"); };
    const Form& launcher = *windows.launcher;
    const QSize e = outerSizeOf(elements, launcher);
    const QSize f = outerSizeOf(fertilizers, launcher);
    const QSize c = outerSizeOf(calculator, launcher);
    writeSizeFile(
        {{flag(elements), flag(fertilizers), flag(calculator), number(e.height()), number(e.width()),
          number(f.height()), number(f.width()), number(c.height()), number(c.width()),
          number(windows.fertilizerSplitter->position()), number(windows.calculatorSplitters[0]->position()),
          number(windows.calculatorSplitters[1]->position()), number(windows.calculatorSplitters[2]->position()),
          number(windows.calculatorSplitters[3]->position()), number(windows.calculatorSplitters[4]->position())}});
}

} // namespace solvane
