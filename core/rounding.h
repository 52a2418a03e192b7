// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace solvane {

// Decimal rounding used wherever the program shows or stores a rounded
// amount or concentration: the value is scaled by 10^places (1 for a negative
// number of places), 0.5 is added and the fractional part is dropped toward
// zero, all in 80-bit extended precision; the scale is then divided out.
//
// For values >= 0 this rounds half up (0.125 -> 0.13). For negative values it
// is deliberately not symmetric, because truncation moves toward zero:
// -0.125 -> -0.12, -1.234 -> -1.22, -0.004 -> 0. A value follows the double
// that actually holds it: 2.675 is stored just below the half and gives 2.67,
// 2.345 is stored just above it and gives 2.35.
double RoundToDecimals(double value, int places);

// RoundToDecimals applied to the magnitude, the sign kept: the same as
// RoundToDecimals for values >= 0, the mirror image of it for negative ones
// (-100 -> -100, -24.333 -> -24.3, -0.125 -> -0.13). For figures that the
// mixing tools show in their own right, where the truncation toward zero would
// turn a deviation of -100 % into -99.9 % and -238 g into -237.99 g.
double RoundToDecimalsSymmetric(double value, int places);

} // namespace solvane
