// SPDX-License-Identifier: GPL-3.0-or-later
// solvane-calc against the calculator on the same base: the amounts, every
// row's result and the totals strips agree bit for bit, and the analysis
// window shows every warning the tool gives, for the starter tomato set and a seeded random
// set of 30 fertilizers, under both fits, with and without water. The file and its
// neighbours stay as they were, while the program has the base open.

#include "support/program_fixture.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/solution_analysis_window.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <random>

using namespace solvane;
using namespace solvane::test;

namespace {

const QStringList kTomato{"Кальциевая селитра",     "Калиевая селитра", "Монофосфат калия", "Сульфат магния",
                          "Хелат железа (Fe-EDTA)", "Сульфат марганца", "Сульфат цинка",    "Сульфат меди",
                          "Борная кислота",         "Молибдат натрия"};

// 30 fertilizers of 1 to 4 content rows each (elements and oxides of the
// starter base), with prices of ppm, drawn from a fixed seed.
QString RandomSet(QStringList& names) {
    std::mt19937 random(20251210);
    std::uniform_int_distribution<int> element(1, 17), rows(1, 4), ppm(100, 1500);
    std::uniform_real_distribution<double> percent(0.5, 40.0);
    QString sql;
    for (int f = 0; f < 30; ++f) {
        const QString name = QStringLiteral("Случайное %1").arg(f + 1);
        names << name;
        sql += QStringLiteral("INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES (%1, '%2', %3);")
                   .arg(1000 + f)
                   .arg(name)
                   .arg(ppm(random));
        for (int r = rows(random); r > 0; --r)
            sql += QStringLiteral("INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) "
                                  "VALUES (%1, %2, %3);")
                       .arg(element(random))
                       .arg(1000 + f)
                       .arg(QString::number(percent(random), 'g', 17));
    }
    return sql;
}

// The bytes of the base and of every file beside it. The "-shm" beside a
// base in WAL mode is the engine's shared index, whose read marks every
// reader takes, the program's own reads included: only that it is there counts.
QMap<QString, QByteArray> Folder(const QString& base) {
    QMap<QString, QByteArray> files;
    const QDir dir = QFileInfo(base).absoluteDir();
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(info.absoluteFilePath());
        if (info.fileName().endsWith(QStringLiteral("-shm")))
            files.insert(info.fileName(), QByteArray());
        else if (file.open(QIODevice::ReadOnly))
            files.insert(info.fileName(), QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    return files;
}

QString Label(const QWidget& window, const char* name) {
    const QLabel* label = Child<QLabel>(window, QString::fromLatin1(name));
    return label ? label->text().trimmed() : QStringLiteral("(no label %1)").arg(QString::fromLatin1(name));
}

struct Run {
    int exitCode = -1;
    QByteArray out;
    QString error;
};

Run Calc(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(SOLVANE_CALC), arguments);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.error = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QJsonObject Report(const Run& run) {
    return QJsonDocument::fromJson(run.out).object();
}

double Value(const QJsonValue& figure) {
    return figure.toObject()[QStringLiteral("value")].toDouble();
}

} // namespace

class TestSolvaneCalc : public QObject {
    Q_OBJECT

private slots:
    void fitMatchesTheCalculatorBitForBit_data() {
        QTest::addColumn<bool>("random");
        QTest::addColumn<int>("fit");
        QTest::addColumn<bool>("water");
        for (const bool random : {false, true})
            for (const int fit : {0, 1, 2})
                for (const bool water : {false, true})
                    QTest::addRow("%s fit %d %s", random ? "random" : "tomato", fit, water ? "water" : "no water")
                        << random << fit << water;
    }

    void fitMatchesTheCalculatorBitForBit() {
        QFETCH(bool, random);
        QFETCH(int, fit);
        QFETCH(bool, water);
        QStringList names = random ? QStringList() : kTomato;
        QString sql = random ? RandomSet(names) : QString();
        // The cheapest fit on priced fertilizers (tomato's targets out of
        // the usual salts' reach, the random set's as they come).
        if (fit == 2)
            sql += QStringLiteral("UPDATE t_udobra SET price = 40 + id_udobra % 13 * 30;");
        sql += QStringLiteral("UPDATE t_opt SET fit_mode = %1, id_water = %2;")
                   .arg(fit)
                   .arg(water ? QStringLiteral("(SELECT min(id_water) FROM t_water)") : QStringLiteral("NULL"));
        ProgramFixture f(ProgramFixture::Base::Starter, sql);
        f.start();
        QTest::mouseClick(Child<QPushButton>(f.program().launcher(), "RzButton2"), Qt::LeftButton);
        CalculatorWindow& calc = f.program().calculator();
        DataSet& list = f.data().fertilizers;
        Field* name = list.fieldByName(QStringLiteral("name_udobra"));
        for (const QString& wanted : names) {
            for (list.first(); !list.eof() && name->asString() != wanted; list.next()) {
            }
            QCOMPARE(name->asString(), wanted);
            QTest::mouseClick(Child<QPushButton>(calc, "Button1"), Qt::LeftButton);
        }
        QVERIFY(f.errors().isEmpty());
        const QMap<QString, QByteArray> before = Folder(f.file());

        QProcess process;
        process.setWorkingDirectory(QFileInfo(f.file()).absolutePath());
        process.start(QStringLiteral(SOLVANE_CALC), {QFileInfo(f.file()).fileName(), QStringLiteral("--fit")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(process.readAllStandardError()), QString());
        QCOMPARE(process.exitCode(), 0);
        const QJsonObject report = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
        QCOMPARE(Folder(f.file()), before);

        QCOMPARE(report[QStringLiteral("crop")].toString(), QStringLiteral("Томат"));
        QCOMPARE(report[QStringLiteral("fit_mode")].toInt(), fit);
        const QJsonArray lines = report[QStringLiteral("lines")].toArray();
        const std::vector<double> amounts = f.sql().numbers(QStringLiteral("SELECT kol FROM t_rachet ORDER BY rowid"));
        QCOMPARE(lines.size(), static_cast<int>(amounts.size()));
        QCOMPARE(lines.size(), names.size());
        QVERIFY(std::any_of(amounts.begin(), amounts.end(), [](double grams) { return grams > 0; }));
        for (int i = 0; i < lines.size(); ++i) {
            const QJsonObject line = lines[i].toObject();
            QCOMPARE(line[QStringLiteral("fertilizer")].toString(), names[i]);
            QCOMPARE(line[QStringLiteral("g_per_l")].toObject()[QStringLiteral("value")].toDouble(),
                     amounts[static_cast<size_t>(i)]);
        }
        const QJsonArray rows = report[QStringLiteral("rows")].toArray();
        DataSet& targets = f.data().targets;
        QCOMPARE(rows.size(), targets.recordCount());
        for (int j = 0; j < rows.size(); ++j) {
            const QJsonObject row = rows[j].toObject();
            QCOMPARE(row[QStringLiteral("element")].toString(),
                     targets.valueAt(j, targets.fieldByName(QStringLiteral("name_el"))).toString());
            QCOMPARE(row[QStringLiteral("result")].toObject()[QStringLiteral("value")].toDouble(),
                     targets.valueAt(j, targets.fieldByName(QStringLiteral("rachet"))).toDouble());
        }
        const QJsonObject totals = report[QStringLiteral("totals")].toObject();
        const auto shown = [](const QJsonObject& o, const char* key) {
            return o[QString::fromLatin1(key)].toObject()[QStringLiteral("shown")].toString();
        };
        QCOMPARE(shown(totals, "result"), Label(calc, "Label4"));
        QCOMPARE(shown(totals, "target"), Label(calc, "Label5"));
        QCOMPARE(shown(totals, "flowering_target"), Label(calc, "Label9"));
        QCOMPARE(shown(totals, "result_at_strength"), Label(calc, "Label13"));
        QCOMPARE(shown(totals, "ppm"), Label(calc, "Label10"));
        QCOMPARE(shown(totals, "ppm_at_strength"), Label(calc, "Label11"));

        // The analysis window, opened as the grower opens it: its ion sums,
        // its EC and its warnings.
        SolutionAnalysisWindow& analysis = f.program().analysis();
        analysis.open();
        const QJsonObject figures = report[QStringLiteral("analysis")].toObject();
        QStringList warnings;
        for (const QJsonValue& w : figures[QStringLiteral("warnings")].toArray())
            warnings << w.toString();
        const QListWidget* shownList = Child<QListWidget>(analysis, "ListBox1");
        QVERIFY(shownList);
        QStringList shownWarnings;
        for (int i = 0; i < shownList->count(); ++i)
            shownWarnings << shownList->item(i)->text();
        QCOMPARE(warnings, shownWarnings);
        const auto figure = [&figures](const char* name) {
            return figures[QString::fromLatin1(name)].toObject()[QStringLiteral("shown")].toString();
        };
        QCOMPARE(QStringLiteral("Катионы: ") + figure("cations") + QStringLiteral(" мг-экв/л"),
                 Child<QLabel>(analysis, "Label1")->text());
        QCOMPARE(QStringLiteral("Анионы: ") + figure("anions") + QStringLiteral(" мг-экв/л"),
                 Child<QLabel>(analysis, "Label2")->text());
        QCOMPARE(QStringLiteral("Ожидаемая EC: ") + figure("ec") + QStringLiteral(" мСм/см (25 °C)"),
                 Child<QLabel>(analysis, "Label3")->text());
        QCOMPARE(QStringLiteral("EC ≈ ") + figure("ec") + QStringLiteral(" мСм/см"), Label(calc, "EcLabel"));
    }

    // A saved solution is shown as the saved-solution pass shows it (its
    // lines here are the composition's, so its rows are the working
    // solution's); a name saved twice, an unknown one, a missing base and
    // wrong arguments are refused in one line, with 1 or 2; an older base is
    // read as upgraded and stays as it was.
    void savedSolutionsRefusalsAndOlderBases() {
        ProgramFixture f(ProgramFixture::Base::Starter,
                         QStringLiteral("INSERT INTO t_rachet (id_udobra, kol) VALUES (1, 0.8), (2, 0.5), (3, 0.2);"
                                        "INSERT INTO t_head_rar (id_head_rar, name_rar, id_konc, kol_l, konc) VALUES"
                                        " (1, 'Один', 1, 10, 100), (2, 'Дубль', 1, 10, 100), (3, 'Дубль', 1, 5, 100);"
                                        "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar)"
                                        " SELECT id_udobra, kol, 1 FROM t_rachet ORDER BY rowid;"));
        const QJsonObject working = Report(Calc({}));
        const Run saved = Calc({QStringLiteral("--solution"), QStringLiteral("Один"), QStringLiteral("--litres=2,5")});
        QCOMPARE(saved.error, QString());
        const QJsonObject one = Report(saved);
        QCOMPARE(one[QStringLiteral("solution")].toString(), QStringLiteral("Один"));
        QCOMPARE(one[QStringLiteral("rows")], working[QStringLiteral("rows")]);
        QCOMPARE(one[QStringLiteral("totals")], working[QStringLiteral("totals")]);
        const QJsonArray lines = one[QStringLiteral("lines")].toArray();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(Value(lines[0].toObject()[QStringLiteral("grams")]), 0.8 * 2.5);
        QVERIFY(Value(working[QStringLiteral("rows")].toArray()[0].toObject()[QStringLiteral("result")]) > 0);

        const QString table = QString::fromUtf8(Calc({QStringLiteral("--format"), QStringLiteral("table")}).out);
        QVERIFY2(table.contains(QStringLiteral("Кальциевая селитра")), qPrintable(table));

        struct Refusal {
            QStringList arguments;
            int exitCode;
            QString words;
        };
        const Refusal refusals[] = {
            {{QStringLiteral("--solution"), QStringLiteral("Дубль")}, 1, QStringLiteral("«Дубль»")},
            {{QStringLiteral("--solution"), QStringLiteral("Нет")},
             1,
             QStringLiteral("нет сохранённого раствора «Нет»")},
            {{QStringLiteral("нет.mdb")}, 1, QStringLiteral("нет.mdb")},
            {{QStringLiteral("--format"), QStringLiteral("xml")}, 2, QStringLiteral("«xml»")},
            {{QStringLiteral("--litres"), QStringLiteral("0")}, 2, QStringLiteral("--litres")},
            {{QStringLiteral("--solution")}, 2, QStringLiteral("--solution")},
            {{QStringLiteral("a.mdb"), QStringLiteral("b.mdb")}, 2, QStringLiteral("«b.mdb»")},
        };
        for (const Refusal& r : refusals) {
            const Run run = Calc(r.arguments);
            QCOMPARE(run.exitCode, r.exitCode);
            QVERIFY2(run.error.contains(r.words) && run.error.count(QLatin1Char('\n')) == 1, qPrintable(run.error));
            QVERIFY(run.out.isEmpty());
        }

        QFile::remove(f.file());
        QVERIFY(QFile::copy(QStringLiteral(SOLVANE_FIXTURES "/base-v0.mdb"), f.file()));
        const QMap<QString, QByteArray> before = Folder(f.file());
        const Run older = Calc({QStringLiteral("--fit")});
        QCOMPARE(older.error, QString());
        QCOMPARE(older.exitCode, 0);
        QVERIFY(!Report(older)[QStringLiteral("rows")].toArray().isEmpty());
        QCOMPARE(Folder(f.file()), before);
    }
};

QTEST_MAIN(TestSolvaneCalc)
#include "test_solvane_calc.moc"
