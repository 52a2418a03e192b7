// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace solvane {

// A colour as the options record stores it: a 32-bit value, either a plain
// colour 0x00BBGGRR (red in the lowest byte) or, with 0x80 in the highest
// byte, a system colour named by the index in the lowest byte. The value may
// be stored signed (0x80000005 as -2147483643) or unsigned.
//
// Returns the colour the value stands for, system colours taken from the
// given palette; an invalid QColor for a value that names no colour (another
// highest byte, an unknown system index, a value outside 32 bits).
QColor StoredColour(long long stored, const QPalette& palette);

// The palette group and role a system colour index stands for. Returns false
// for an index that names no system colour.
bool SystemColourRole(int index, QPalette::ColorGroup& group, QPalette::ColorRole& role);

// Paints the role of the widget's palette (Window: its background; Base: the
// background of an editor) in the colour; an invalid colour restores the
// application's default for that kind of widget.
void SetWidgetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

} // namespace solvane
