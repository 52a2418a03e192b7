// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

#include <QString>
#include <map>

namespace solvane {

// windows.ini beside base.mdb: the place (the position and size of the
// inside, without the window manager's frame) of the windows that size.ini
// does not keep, one section per window by its object name:
//
//   [F_StockSolutions]
//   x=120
//   y=80
//   width=640
//   height=480
//
// The file is read once, when first asked, and written whole at every change
// through the program's own file routine. A line it cannot read, or a window
// without all four numbers, is passed over (one line on standard error): the
// window then opens centred, as it would without the file.
class WindowPlaces : public PlaceKeeper {
public:
    explicit WindowPlaces(QString fileName);

    std::optional<QRect> placeOf(const QString& window) const override;
    void keep(const QString& window, const QRect& place) override;

    const QString& fileName() const { return fileName_; }
    // Beside a base opened read-only nothing is written: the places are kept
    // for this run only.
    void setWritable(bool writable) { writable_ = writable; }

private:
    void read() const;

    QString fileName_;
    bool writable_ = true;
    mutable bool read_ = false;
    mutable std::map<QString, QRect> places_;
};

} // namespace solvane
