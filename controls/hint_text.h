// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

namespace solvane {

// A hint as its tooltip shows it: the program writes the lines of a hint
// apart by "\r\n" or by a carriage return alone; both become real line breaks.
QString TooltipText(const QString& hint);

// Shows the tooltips of the widgets it watches as TooltipText does; the
// widgets keep their hints as they are.
class LineHintFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace solvane
