// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A running program for the directory windows' tests: its own working
// directory with a base.mdb (the starter database, or an empty one that the
// test fills by SQL), the launcher shown (which opens every data set), and
// message boxes answered headless.

#include "store/dataset.h"
#include "support/locale_text.h"
#include "support/program_fixture.h"

#include <QtTest>
#include <functional>

namespace solvane::test {

// Types text into a widget one character at a time, as keyboard input
// (QTest::keyClicks takes only ASCII).
inline void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

class DirectorySession : public ProgramFixture {
public:
    // fill runs on the new database before the program starts.
    explicit DirectorySession(Base base = Base::Starter, const std::function<void(SqlFile&)>& fill = {})
        : ProgramFixture(base) {
        if (fill)
            fill(sql());
        start();
    }

    Program& p() { return program(); }
    QVariant scalar(const QString& query, const std::vector<QVariant>& params = {}) {
        return sql().value(query, params);
    }

    // Makes the row whose field holds the value current; false if there is none.
    static bool locate(DataSet& set, const QString& field, const QVariant& value) {
        Field* f = set.fieldByName(field);
        for (set.first(); !set.eof(); set.next())
            if (f->value() == value)
                return true;
        return false;
    }

    // The text of a field in every visible row, in order, without moving the cursor.
    static QStringList column(DataSet& set, const QString& field) {
        QStringList values;
        const Field* f = set.fieldByName(field);
        for (int i = 0; i < set.recordCount(); ++i)
            values << set.valueAt(i, f).toString();
        return values;
    }
};

} // namespace solvane::test
