// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

namespace solvane::test {

// A number as the program shows it under the running locale: the dots of
// the text written become the locale's decimal separator.
inline QString Shown(QString text) {
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}
inline QStringList Shown(QStringList texts) {
    for (QString& t : texts)
        t = Shown(t);
    return texts;
}

} // namespace solvane::test
