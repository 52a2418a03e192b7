// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/hint_text.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

namespace solvane {

QString TooltipText(const QString& hint) {
    QString text = hint;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool LineHintFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QObject::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->toolTip().isEmpty())
        return QObject::eventFilter(watched, event);
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), TooltipText(widget->toolTip()), widget);
    return true;
}

} // namespace solvane
