// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace solvane {

class MessageService;

// What became of an Access base.mdb at start-up.
enum class AccessStart {
    NotAccess, // base.mdb is no Access file: start as usual
    Converted, // converted: start as usual on the new base.mdb
    Declined,  // the user said "Нет": end without a window, nothing touched
    Failed     // the reason was shown, the original is back: end without a window
};

// The name the original Access file keeps beside the new base:
// base-access.mdb, or base-access-2.mdb and so on when that is taken.
QString KeptAccessName(const QString& directory);

// The maker, solvane-newbase: SOLVANE_NEWBASE when set, otherwise beside the
// program's executable (installed and in the build tree alike).
QString NewbasePath();

// When base.mdb in the working directory is an Access file, asks whether to
// convert it. On "Да" the original is renamed to KeptAccessName(), the maker
// writes the new base.mdb from it, and on any failure of the maker (its
// reason shown, a crash, or still running after timeoutMs, when it is
// stopped) what it wrote is removed and the original is put back under its
// own name.
AccessStart OfferAccessConversion(MessageService& messages, const QString& maker, int timeoutMs = 120000);

} // namespace solvane
