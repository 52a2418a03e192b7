#pragma once

// A running program for the directory windows' tests: its own working
// directory with a base.mdb (the starter database, or an empty one that the
// test fills by SQL), the launcher shown (which opens every data set), and
// message boxes answered headless.

#include "app/launcher_form.h"
#include "app/program.h"
#include "store/dataset.h"
#include "support/test_base.h"
#include "support/locale_text.h"
#include "support/test_dir.h"
#include "store/starter_database.h"

#include <QLocale>
#include <QtTest>
#include <memory>

namespace solvane::test {

// Types text into a widget one character at a time, as keyboard input
// (QTest::keyClicks takes only ASCII).
inline void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

class DirectorySession {
public:
    enum class Base { Starter, Empty };

    // fill runs on the new database before the program starts.
    explicit DirectorySession(Base base = Base::Starter, const std::function<void(SqlFile&)>& fill = {}) {
        if (base == Base::Starter) {
            CreateStarterDatabase(QStringLiteral("base.mdb"));
        } else {
            CreateEmptyDatabase(QStringLiteral("base.mdb"));
        }
        if (fill) {
            SqlFile sql;
            fill(sql);
        }
        program_ = std::make_unique<Program>();
        program_->messages().setMode(MessageService::Mode::Headless);
        program_->quit = [] {};
        program_->Form1->show();
    }

    Program& p() { return *program_; }
    MessageService& messages() { return program_->messages(); }
    // A second handle on the file, to check what is stored.
    SqlFile& sql() {
        if (!sql_)
            sql_ = std::make_unique<SqlFile>();
        return *sql_;
    }
    QVariant scalar(const QString& query, const std::vector<QVariant>& params = {}) {
        return sql().value(query, params);
    }

    QStringList errors() const {
        QStringList texts;
        for (const ShownMessage& m : program_->messages().shown())
            if (m.kind == MessageKind::Error)
                texts << m.text;
        return texts;
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

private:
    WorkingDirectory dir_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<SqlFile> sql_;
};

} // namespace solvane::test
