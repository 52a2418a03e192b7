// SPDX-License-Identifier: GPL-3.0-or-later
// Bringing a grower's Access base.mdb along: solvane-newbase --from, checked
// against the rows tests/fixtures/AccessFixtures.java wrote into the Access
// files, its refusals, and the question the program asks at start-up.

#include "app/access_start.h"
#include "store/schema.h"
#include "store/starter_database.h"
#include "support/file_size_limit.h"
#include "support/program_fixture.h"
#include "windows/calculator/calculator_window.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>

using namespace solvane;

namespace {

const QString kFixtures = QStringLiteral(SOLVANE_FIXTURES);
QString Fixture(const char* name) {
    return kFixtures + QStringLiteral("/access-%1.mdb").arg(QString::fromLatin1(name));
}

struct Run {
    int exitCode = -1;
    QStringList errors; // the lines on standard error
};

// Runs the maker; a limit of 0 or more makes its writes beyond that many bytes fail.
Run Maker(const QStringList& args, long long limit = -1) {
    QProcess process;
    if (limit >= 0)
        process.setChildProcessModifier([limit] { test::LimitFileSizeForGood(static_cast<rlim_t>(limit)); });
    process.start(QStringLiteral(SOLVANE_NEWBASE), args);
    Run run;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.errors = QString::fromLocal8Bit(process.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

QStringList Files() {
    return QDir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The same value of the same storage type; doubles bit for bit.
bool Same(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (a.typeId() == QMetaType::Double || b.typeId() == QMetaType::Double) {
        if (a.typeId() != b.typeId())
            return false;
        const double x = a.toDouble(), y = b.toDouble();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
        return a.typeId() == b.typeId() && a.toString() == b.toString();
    return a.toLongLong() == b.toLongLong();
}

QString Shown(const QVariant& v) {
    if (v.isNull())
        return QStringLiteral("NULL");
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 17);
    return v.toString();
}

// The version-0 columns of a table, for "SELECT".
QString Columns(const TableDef& t) {
    QStringList names;
    for (const ColumnDef& c : t.columns)
        if (c.version == 0)
            names << QStringLiteral("\"%1\"").arg(c.name);
    return names.join(QStringLiteral(", "));
}

// Every row of a version-0 table, in key order (t_opt: in row order).
std::vector<std::vector<QVariant>> Rows(test::SqlFile& file, const TableDef& t) {
    const QString key = t.keyColumn().isEmpty() ? QStringLiteral("rowid") : t.keyColumn();
    return file.rows(QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY %3").arg(Columns(t), t.name, key));
}

using Row = std::vector<QVariant>;
QVariant Null() {
    return {};
}
QVariant I(qlonglong v) {
    return v;
}
QVariant D(double v) {
    return v;
}
QVariant S(const char* utf8) {
    return QString::fromUtf8(utf8);
}
QVariant F(float v) {
    return static_cast<double>(v);
}

const char* const kLongName = "Ёмкостное удобрение «Щёлочь-Юг» для гидропоники №1";
const char* const kLongCrop = "Жимолость съедобная, сорт «Ёлочка», тепличная №7-Щ";

// The rows the generator adds to the starter library, in key order per
// table, columns in the schema's order.
std::map<QString, std::vector<Row>> EdgeRows() {
    const double third = 1.0 / 3.0;
    const double exact = 123456.789012345678;
    return {
        {QStringLiteral("t_udobra"),
         {{I(40), S(kLongName), I(32767)},
          {I(41), S("Селитра \"Особая\" 'ночная' «Ёж»"), Null()},
          {I(57), Null(), I(-32768)},
          {I(100), S(""), I(0)}}},
        {QStringLiteral("T_sostav_udobra"),
         {{I(500), I(1), I(40), D(third)},
          {I(501), I(2), I(40), D(exact)},
          {I(502), I(3), I(40), D(0.1 + 0.2)},
          {I(503), I(4), I(41), D(std::numeric_limits<double>::denorm_min())},
          {I(504), I(5), I(41), D(std::numeric_limits<double>::max())},
          {I(505), Null(), I(41), D(M_PI)},
          {I(506), I(6), I(100), Null()},
          {I(507), I(7), I(100), D(-2.5e-300)}}},
        {QStringLiteral("T_element"), {{I(30), S("Si"), S("Кремний"), I(0), Null()}}},
        {QStringLiteral("t_kof"), {{I(12), S("SiO2 → Si"), D(28.0855 / 60.0843), I(30)}}},
        {QStringLiteral("T_kult"), {{I(9), S(kLongCrop), Null()}, {I(10), S("Томат 🍅 черри"), S("pH 5.5")}}},
        {QStringLiteral("t_konc"),
         {{I(300), D(third), Null(), I(9), I(1), D(exact)}, {I(301), Null(), D(2.0 / 3.0), I(9), I(30), Null()}}},
        {QStringLiteral("t_rachet"),
         {{I(3), I(1), D(0.25)}, {I(4), I(2), D(third)}, {I(7), I(3), D(0.0)}, {I(12), I(4), Null()}}},
        {QStringLiteral("t_head_rar"),
         {{I(3), S("Томат \"весна\""), I(1), D(10.5), I(100)}, {I(8), S(kLongName), I(9), Null(), I(250)}}},
        {QStringLiteral("t_save_rar"),
         {{I(5), I(1), F(0.1f), I(3)},
          {I(6), I(2), F(1.0f / 3.0f), I(3)},
          {I(9), I(40), F(std::numeric_limits<float>::denorm_min()), I(8)},
          {I(10), I(41), Null(), I(8)}}},
    };
}

// The first difference between the rows of a table and the rows expected;
// empty when there is none.
QString CompareRows(const QString& table, const std::vector<Row>& got, const std::vector<Row>& want) {
    if (got.size() != want.size())
        return QStringLiteral("%1: %2 rows, expected %3").arg(table).arg(got.size()).arg(want.size());
    for (size_t r = 0; r < got.size(); ++r)
        for (size_t c = 0; c < want[r].size(); ++c)
            if (c >= got[r].size() || !Same(got[r][c], want[r][c]))
                return QStringLiteral("%1 row %2 column %3: %4, expected %5")
                    .arg(table)
                    .arg(r)
                    .arg(c)
                    .arg(c < got[r].size() ? Shown(got[r][c]) : QStringLiteral("none"), Shown(want[r][c]));
    return QString();
}

// Each column of each table as the engine describes it.
QStringList SchemaOf(test::SqlFile& file) {
    QStringList lines;
    for (const auto& t : file.rows(QStringLiteral(
             "SELECT name FROM sqlite_master WHERE type = 'table' AND name <> 'sqlite_sequence' ORDER BY name")))
        for (const auto& c : file.rows(QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk FROM "
                                                      "pragma_table_info(?)"),
                                       {t[0]}))
            lines << QStringLiteral("%1.%2 %3 %4 %5 %6")
                         .arg(t[0].toString(), c[0].toString(), c[1].toString(), c[2].toString(), Shown(c[3]),
                              c[4].toString());
    return lines;
}

// The working solution's amounts after the calculator's recipe, run by the
// program on a copy of the base.mdb of the working directory; empty when the
// copy or the recipe fails or the program shows any box.
std::vector<QVariant> RecipeAmounts() {
    const QString base = QDir().absoluteFilePath(QStringLiteral("base.mdb"));
    test::ProgramFixture fixture(test::ProgramFixture::Base::Empty);
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(fixture.file() + suffix);
    if (!QFile::copy(base, fixture.file()))
        return {};
    fixture.start();
    CalculatorWindow& calc = fixture.program().calculator();
    calc.show();
    if (!calc.runGuarded([&calc] { calc.solution().recipe(); }))
        return {};
    // The start-up box may list the edge rows' values no window accepts; no
    // other box may come.
    for (const ShownMessage& m : fixture.messages().shown())
        if (m.kind != MessageKind::Warning)
            return {};
    std::vector<QVariant> amounts;
    for (const auto& r : fixture.sql().rows(QStringLiteral("SELECT kol FROM t_rachet ORDER BY id_rachet")))
        amounts.push_back(r[0]);
    return amounts;
}

} // namespace

class AccessImportTest : public QObject {
    Q_OBJECT
private slots:
    // The starter library of version 0 (as base-v0.mdb holds it), with keys,
    // order and every value, plus the edge rows: gaps in keys, empty cells, quotes, 50-character Cyrillic names, a
    // character beyond the BMP, doubles and Singles bit for bit, Integer and
    // Byte columns, booleans as 0/1. Other tables and columns stay behind;
    // the schema is the current one, as an upgraded version-0 base has it.
    void convertsEveryRowAndValueExactly() {
        test::WorkingDirectory dir;
        const Run run = Maker({QStringLiteral("--from"), Fixture("starter")});
        QCOMPARE(run.errors, QStringList());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(Files(), QStringList{QStringLiteral("base.mdb")});
        QVERIFY(QFile::copy(kFixtures + QStringLiteral("/base-v0.mdb"), QStringLiteral("starter.mdb")));

        test::SqlFile converted;
        test::SqlFile starter(QStringLiteral("starter.mdb"));
        const auto edge = EdgeRows();
        for (const TableDef& t : SchemaTables()) {
            if (t.version > 0)
                continue;
            std::vector<Row> want = Rows(starter, t);
            const auto extra = edge.find(t.name);
            if (extra != edge.end())
                want.insert(want.end(), extra->second.begin(), extra->second.end());
            const QString difference = CompareRows(t.name, Rows(converted, t), want);
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
            if (!t.keyColumn().isEmpty()) {
                const QVariant highest = want.empty() ? QVariant() : want.back().front();
                QVERIFY2(
                    Same(converted.value(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {t.name}),
                         highest),
                    qPrintable(t.name));
            }
        }
        // A new row goes on after the highest key.
        converted.exec(QStringLiteral("INSERT INTO t_udobra (name_udobra) VALUES ('новое')"));
        QCOMPARE(converted.value(QStringLiteral("SELECT max(id_udobra) FROM t_udobra")).toInt(), 101);

        QCOMPARE(converted.value(QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
        QCOMPARE(converted.value(QStringLiteral("SELECT fit_mode FROM t_opt")).toInt(), 0);
        QCOMPARE(converted.value(QStringLiteral("SELECT count(*) FROM t_water")).toInt(), 0);
        QVERIFY(QFile::copy(kFixtures + QStringLiteral("/base-v0.mdb"), QStringLiteral("v0.mdb")));
        QFile::setPermissions(QStringLiteral("v0.mdb"), QFile::ReadOwner | QFile::WriteOwner);
        {
            Connection upgrade(QStringLiteral("v0.mdb"));
            upgrade.open();
        }
        test::SqlFile upgraded(QStringLiteral("v0.mdb"));
        QCOMPARE(SchemaOf(converted), SchemaOf(upgraded));
        // Its rows gain what the upgrade gives them: the key elements' ions.
        const QString ions = QStringLiteral("SELECT id_element, ion FROM T_element WHERE ion IS NOT NULL ORDER BY 1");
        QCOMPARE(converted.rows(ions), upgraded.rows(ions));
        QCOMPARE(converted.rows(ions).size(), size_t(6));
    }

    // Content rows across many data pages with deleted slots between them,
    // and moved rows.
    void readsEveryLiveRowOfManyPages() {
        test::WorkingDirectory dir;
        const Run run = Maker({QStringLiteral("--from"), Fixture("many-rows"), QStringLiteral("new.mdb")});
        QCOMPARE(run.exitCode, 0);
        std::vector<Row> want;
        for (int i = 1; i <= 3000; ++i)
            if (i % 7 != 3 && (i < 1500 || i >= 1800))
                want.push_back(
                    {I(i), I(i * 7 % 17 + 1), I(i % 34 + 1), i % 97 == 0 ? Null() : D(std::sqrt(double(i)) / 3.0)});
        test::SqlFile converted(QStringLiteral("new.mdb"));
        const QString contentDifference = CompareRows(
            QStringLiteral("T_sostav_udobra"), Rows(converted, *FindTable(QStringLiteral("T_sostav_udobra"))), want);
        QVERIFY2(contentDifference.isEmpty(), qPrintable(contentDifference));
        QCOMPARE(
            converted.value(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'T_sostav_udobra'")).toInt(),
            3000);

        // Rows that grew too long for their page and were moved to another;
        // some of the moved ones deleted again.
        std::vector<Row> fertilizers;
        for (int i = 1; i <= 200; ++i)
            if (i % 40 != 0)
                fertilizers.push_back({I(i),
                                       i % 10 == 0 ? QVariant(QString::fromUtf8(kLongName).left(45) +
                                                              QStringLiteral(" %1").arg(i, 4, 10, QLatin1Char('0')))
                                                   : QVariant(QStringLiteral("у%1").arg(i)),
                                       I(i)});
        const QString fertilizerDifference = CompareRows(
            QStringLiteral("t_udobra"), Rows(converted, *FindTable(QStringLiteral("t_udobra"))), fertilizers);
        QVERIFY2(fertilizerDifference.isEmpty(), qPrintable(fertilizerDifference));
    }

    // Each refusal: exit 1, one line naming the Access file and the reason,
    // and no file left (an existing target untouched).
    void refusesWithOneLineAndLeavesNothing_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<qlonglong>("limit");
        const auto row = [](const char* name, const QString& source, const QString& reason, qlonglong limit = -1) {
            QTest::newRow(name) << source << reason << limit;
        };
        row("missing file", QStringLiteral("нет.mdb"), QStringLiteral(": файл не найден."));
        row("text file", QStringLiteral("text"), QStringLiteral(": это не база данных Access."));
        row("Solvane base", QStringLiteral("solvane"), QStringLiteral(": это не база данных Access."));
        row("damaged", Fixture("damaged"),
            QStringLiteral(": файл повреждён или обрезан (в таблице «t_sostav_udobra» прочитано строк: 0 из 62)."));
        row("truncated", QStringLiteral("truncated"),
            QStringLiteral(": файл повреждён или обрезан (его размер не кратен странице в 4096 байт)."));
        row("missing table", Fixture("missing-table"), QStringLiteral(": в нём нет таблицы «t_save_rar»."));
        row("missing column", QStringLiteral("column"), QStringLiteral(": в таблице «t_konc» нет столбца «cvet»."));
        row("wrong type", Fixture("wrong-type"),
            QStringLiteral(": в таблице «t_konc» у столбца «vega» тип «Текстовый», а нужно число."));
        row("target exists", Fixture("starter"),
            QStringLiteral(". Файл «base.mdb» уже существует; он не перезаписывается."));
        row("disk full", Fixture("many-rows"),
            QStringLiteral(". Не удалось записать «base.mdb»: ошибка записи на диск. Недописанный файл удалён."),
            40960);
    }
    void refusesWithOneLineAndLeavesNothing() {
        QFETCH(QString, source);
        QFETCH(QString, reason);
        QFETCH(qlonglong, limit);
        test::WorkingDirectory dir;
        if (source == QLatin1String("text")) {
            QFile f(source);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Standard Jet DB, но не база\n");
        } else if (source == QLatin1String("solvane")) {
            CreateStarterDatabase(source);
        } else if (source == QLatin1String("truncated") || source == QLatin1String("column")) {
            QByteArray bytes = test::FileBytes(Fixture("starter"));
            if (source == QLatin1String("truncated"))
                bytes.truncate(bytes.size() / 2 + 100);
            else
                bytes.replace(QByteArray("c\0v\0e\0t\0", 8), QByteArray("c\0v\0x\0t\0", 8));
            QFile f(source);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        QByteArray target;
        if (QTest::currentDataTag() == QLatin1String("target exists")) {
            test::CreateBaseFile();
            target = test::FileBytes();
        }
        const QStringList before = Files();
        const Run run = Maker({QStringLiteral("--from"), source}, limit);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errors,
                 QStringList{QStringLiteral("Файл «%1» не переведён в формат Solvane").arg(source) + reason});
        QCOMPARE(Files(), before);
        if (!target.isEmpty())
            QCOMPARE(test::FileBytes(), target);
    }

    // The question before anything else: "Нет" touches nothing; "Да" keeps
    // the original beside the new base, which the program opens with the
    // classic fit and whose recipe gives what a native base with the same
    // rows gives; a failing or endless conversion puts the original back.
    void asksAtStartUp() {
        test::WorkingDirectory dir;
        const QString maker = QStringLiteral(SOLVANE_NEWBASE);
        const QByteArray original = test::FileBytes(Fixture("starter"));
        QVERIFY(QFile::copy(Fixture("starter"), QStringLiteral("base.mdb")));
        const QString question = QStringLiteral("Файл «base.mdb» — база данных Access. Перевести её в формат Solvane? "
                                                "Исходный файл останется рядом под именем «%1».");
        {
            MessageService messages;
            messages.setMode(MessageService::Mode::Headless);
            messages.queueAnswer(MessageAnswer::No);
            QCOMPARE(OfferAccessConversion(messages, maker), AccessStart::Declined);
            QCOMPARE(messages.shown().size(), size_t(1));
            QCOMPARE(messages.shown().front().text, question.arg(QStringLiteral("base-access.mdb")));
            QCOMPARE(messages.shown().front().buttons, MessageButtons::YesNo);
            QCOMPARE(Files(), QStringList{QStringLiteral("base.mdb")});
            QCOMPARE(test::FileBytes(), original);
        }
        {
            // A conversion still running at the time limit is stopped.
            QFile script(QStringLiteral("slow-maker"));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\necho partial > base.mdb\nexec sleep 60\n");
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            MessageService messages;
            messages.setMode(MessageService::Mode::Headless);
            QCOMPARE(OfferAccessConversion(messages, QDir::current().filePath(QStringLiteral("slow-maker")), 300),
                     AccessStart::Failed);
            QCOMPARE(messages.shown().back().text,
                     QStringLiteral("Перевод файла «base.mdb» в формат Solvane не закончился за 0 с и остановлен. "
                                    "Исходный файл возвращён под именем «base.mdb»."));
            QVERIFY(script.remove());
            QCOMPARE(Files(), QStringList{QStringLiteral("base.mdb")});
            QCOMPARE(test::FileBytes(), original);
        }
        {
            // A damaged file, with base-access.mdb already taken.
            QVERIFY(QFile::remove(QStringLiteral("base.mdb")));
            QVERIFY(QFile::copy(Fixture("damaged"), QStringLiteral("base.mdb")));
            const QByteArray damaged = test::FileBytes();
            test::CreateBaseFile(QStringLiteral("base-access.mdb"));
            const QByteArray taken = test::FileBytes(QStringLiteral("base-access.mdb"));
            MessageService messages;
            messages.setMode(MessageService::Mode::Headless);
            QCOMPARE(OfferAccessConversion(messages, maker), AccessStart::Failed);
            QCOMPARE(messages.shown().size(), size_t(2));
            QCOMPARE(messages.shown().front().text, question.arg(QStringLiteral("base-access-2.mdb")));
            QCOMPARE(messages.shown().back().kind, MessageKind::Error);
            QCOMPARE(messages.shown().back().text,
                     QStringLiteral("Файл «base-access-2.mdb» не переведён в формат Solvane: файл повреждён или "
                                    "обрезан (в таблице «t_sostav_udobra» прочитано строк: 0 из 62). Исходный файл "
                                    "возвращён под именем «base.mdb»."));
            QCOMPARE(Files(), (QStringList{QStringLiteral("base-access.mdb"), QStringLiteral("base.mdb")}));
            QCOMPARE(test::FileBytes(), damaged);
            QCOMPARE(test::FileBytes(QStringLiteral("base-access.mdb")), taken);
            QVERIFY(QFile::remove(QStringLiteral("base-access.mdb")));
        }
        QVERIFY(QFile::remove(QStringLiteral("base.mdb")));
        QVERIFY(QFile::copy(Fixture("starter"), QStringLiteral("base.mdb")));
        MessageService messages;
        messages.setMode(MessageService::Mode::Headless);
        QCOMPARE(OfferAccessConversion(messages, maker), AccessStart::Converted);
        QCOMPARE(messages.shown().size(), size_t(1));
        QCOMPARE(Files(), (QStringList{QStringLiteral("base-access.mdb"), QStringLiteral("base.mdb")}));
        QCOMPARE(test::FileBytes(QStringLiteral("base-access.mdb")), original);
        QCOMPARE(OfferAccessConversion(messages, maker), AccessStart::NotAccess);
        QCOMPARE(messages.shown().size(), size_t(1));

        const std::vector<QVariant> converted = RecipeAmounts();
        QCOMPARE(converted.size(), size_t(4));
        QCOMPARE(test::SqlFile().value(QStringLiteral("SELECT fit_mode FROM t_opt")).toInt(), 0);

        // The same lines in the base of the same library that the program
        // made before the grower's fit (it keeps the classic fit).
        test::WorkingDirectory native;
        QVERIFY(QFile::copy(kFixtures + QStringLiteral("/base-v0.mdb"), QStringLiteral("base.mdb")));
        QFile::setPermissions(QStringLiteral("base.mdb"), QFile::ReadOwner | QFile::WriteOwner);
        {
            test::SqlFile file;
            const auto edge = EdgeRows();
            for (const Row& r : edge.at(QStringLiteral("t_rachet")))
                file.exec(QStringLiteral("INSERT INTO t_rachet (id_rachet, id_udobra, kol) VALUES (?, ?, ?)"), r);
        }
        const std::vector<QVariant> expected = RecipeAmounts();
        QCOMPARE(expected.size(), size_t(4));
        for (size_t i = 0; i < expected.size(); ++i)
            QVERIFY2(Same(converted[i], expected[i]), qPrintable(Shown(converted[i]) + " " + Shown(expected[i])));
    }

    // The real program: the question is asked before any window, a failed
    // conversion is reported, the original is back and no window is shown.
    void theProgramReportsAFailedConversionWithoutAWindow() {
        test::WorkingDirectory dir;
        QVERIFY(QFile::copy(Fixture("missing-table"), QStringLiteral("base.mdb")));
        const QByteArray original = test::FileBytes();
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SOLVANE_DIALOGS"), QStringLiteral("stderr"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // The maker is found beside the program, in the build tree's tools folder.
        env.remove(QStringLiteral("SOLVANE_NEWBASE"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(SOLVANE_BINARY), {});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        // The message boxes' lines, not the toolkit's notes.
        const QStringList lines = QString::fromLocal8Bit(process.readAllStandardError())
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                      .filter(QRegularExpression(QStringLiteral("^\\[")));
        QCOMPARE(lines,
                 (QStringList{QStringLiteral("[подтверждение] Файл «base.mdb» — база данных Access. Перевести её в "
                                             "формат Solvane? Исходный файл останется рядом под именем "
                                             "«base-access.mdb»."),
                              QStringLiteral("[Solvane] Файл «base-access.mdb» не переведён в формат Solvane: в нём "
                                             "нет таблицы «t_save_rar». Исходный файл возвращён под именем "
                                             "«base.mdb».")}));
        QCOMPARE(Files(), QStringList{QStringLiteral("base.mdb")});
        QCOMPARE(test::FileBytes(), original);
    }
};

QTEST_MAIN(AccessImportTest)
#include "test_access_import.moc"
