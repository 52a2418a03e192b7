// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

namespace solvane {

// The colour to draw text in on a background: the text's own colour when it
// stands out from the background (a contrast ratio of at least 3 to 1),
// otherwise black or white, whichever stands out more. Labels, edit boxes and
// grid cells given a background colour all pick their text colour by it.
QColor ReadableTextColour(const QColor& text, const QColor& background);

} // namespace solvane
