#pragma once

// A running program on a small base.mdb of its own, for the calculator's
// tests: four elements and one oxide with its conversion record, one crop,
// the options row, and whatever fertilizers, content rows and targets a test
// adds by SQL.

#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "windows/directories/fertilizer_form.h"
#include "store/dataset.h"
#include "support/locale_text.h"
#include "support/test_dir.h"
#include "store/starter_database.h"

#include <QLocale>
#include <QtTest>
#include <memory>
#include <sqlite3.h>

namespace solvane::test {

// Element ids of the fixture.
constexpr int kN = 1, kP = 2, kK = 3, kK2O = 4, kCa = 5;

inline void ExecSql(const QString& file, const QString& sql) {
    sqlite3* db = nullptr;
    QVERIFY(sqlite3_open(file.toUtf8().constData(), &db) == SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString text = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(text));
}

// The first column of every row of a query, as doubles (empty as NaN).
inline std::vector<double> Column(const QString& file, const QString& sql) {
    std::vector<double> values;
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK)
        while (sqlite3_step(stmt) == SQLITE_ROW)
            values.push_back(sqlite3_column_type(stmt, 0) == SQLITE_NULL ? std::nan("")
                                                                         : sqlite3_column_double(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return values;
}

// Fertilizers: 1 with 15 % N; 2 with 50 % K2O; 3 with 10 % N and 20 % P.
constexpr const char* kFertilizers = "INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES"
                                     " (1, 'Азотное', 800), (2, 'Калийное', 1200), (3, 'Смесь', 500);"
                                     "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES"
                                     " (1, 1, 15), (4, 2, 50), (1, 3, 10), (2, 3, 20);";

// A composition line typed in directly (no recipe runs).
inline void AddLine(TForm4& calc, int fertilizer, const QVariant& amount) {
    DataSet& lines = calc.T_rachet;
    lines.append();
    lines.fieldByName(QStringLiteral("id_udobra"))->setAsInteger(fertilizer);
    lines.fieldByName(QStringLiteral("kol"))->setValue(amount);
    lines.post();
}

class CalculatorFixture {
public:
    // rows: SQL run on the new database after the common rows.
    explicit CalculatorFixture(const QString& rows = QString()) {
        file_ = dir_.file(QStringLiteral("base.mdb"));
        CreateEmptyDatabase(file_);
        ExecSql(file_, QStringLiteral(
                           "INSERT INTO T_element (id_element, Smallname_element, fullname_element, kof, id_kof) VALUES"
                           " (1, 'N', 'Азот', 0, NULL), (2, 'P', 'Фосфор', 0, NULL), (3, 'K', 'Калий', 0, NULL),"
                           " (4, 'K2O', 'Оксид калия', 1, 1), (5, 'Ca', 'Кальций', 0, NULL);"
                           "INSERT INTO t_kof (id_kof, name_kof, kof, id_element) VALUES (1, 'K2O → K', 0.4, 3);"
                           "INSERT INTO T_kult (id_kult, name_kult, ph) VALUES (1, 'Тест', '6.0');"
                           "INSERT INTO t_opt (c11, c21, c22, c23, c24, c31, c32, c33, c34, c35, c36, c37, c38, c39,"
                           " avto, ppm1, ppm2, kult, maxim) VALUES (1,1,1,1,1,1,1,1,1,1,1,1,1,1, 0, 1, 1, 1, 250);") +
                           rows);
    }

    // Creates the program and shows the launcher and the calculator, which
    // opens every data set.
    void start() {
        program_ = std::make_unique<Program>();
        program_->messages().setMode(MessageService::Mode::Headless);
        program_->quit = [] {};
        program_->Form1->show();
        program_->Form4->show();
    }

    Program& program() { return *program_; }
    TForm4& calc() { return *program_->Form4; }
    DataSet& fertilizers() { return program_->Form2->T_Udobra; }
    const QString& file() const { return file_; }

    void makeCurrent(int fertilizer) {
        DataSet& list = fertilizers();
        Field* id = list.fieldByName(QStringLiteral("id_udobra"));
        for (list.first(); !list.eof(); list.next())
            if (id->asInteger() == fertilizer)
                return;
        QFAIL("no such fertilizer");
    }
    // ">" for a fertilizer, as a user's click: one action through the guard.
    bool add(int fertilizer) {
        makeCurrent(fertilizer);
        return calc().runGuarded([this] { calc().Button1Click(); });
    }

    // The stored amounts of the composition, in its order.
    std::vector<double> amounts() { return Column(file_, QStringLiteral("SELECT kol FROM t_rachet ORDER BY rowid")); }
    // The stored result of the current crop's target row for an element.
    double result(int element) {
        const auto v =
            Column(file_, QStringLiteral("SELECT rachet FROM t_konc WHERE id_kult = 1 AND id_el = %1").arg(element));
        return v.size() == 1 ? v.front() : std::nan("");
    }
    std::vector<double> column(const QString& sql) { return Column(file_, sql); }

    // The value of a field of the target list's row for an element.
    double target(int element, const char* field) {
        DataSet& set = calc().ADOTable2;
        Field* id = set.fieldByName(QStringLiteral("id_el"));
        Field* f = set.fieldByName(QString::fromLatin1(field));
        for (set.first(); !set.eof(); set.next())
            if (id->asInteger() == element)
                return f->asFloat();
        return std::nan("");
    }

    // Error texts shown so far.
    QStringList errors() const {
        QStringList texts;
        for (const ShownMessage& m : program_->messages().shown())
            if (m.kind == MessageKind::Error)
                texts << m.text;
        return texts;
    }

private:
    WorkingDirectory dir_;
    QString file_;
    std::unique_ptr<Program> program_;
};

} // namespace solvane::test
