// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/text_contrast.h"

#include <algorithm>
#include <cmath>

namespace solvane {

namespace {

// Relative luminance as used for contrast ratios.
double luminance(const QColor& c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

constexpr double kReadableContrast = 3.0;

} // namespace

QColor ReadableTextColour(const QColor& text, const QColor& background) {
    if (contrast(text, background) >= kReadableContrast)
        return text;
    const QColor black(Qt::black), white(Qt::white);
    return contrast(black, background) >= contrast(white, background) ? black : white;
}

} // namespace solvane
