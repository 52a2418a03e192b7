// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator_fixture.h"

#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "support/xls_sheet.h"
#include "windows/calculator/saved_solutions_pane.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

using namespace solvane;
using namespace solvane::test;

namespace {

const char* kRows = "INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES"
                    " (1, 'Азотное \"N-15\" 100%', 800), (2, 'Potassium', 1200);"
                    "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES (1, 1, 15), (4, 2, 50);"
                    "INSERT INTO t_head_rar (id_head_rar, name_rar, id_konc, kol_l, konc) VALUES (1, 'А', 1, 2, 100);"
                    "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (1, 1.5, 1), (2, 0.25, 1);"
                    "INSERT INTO t_konc (vega, id_kult, id_el) VALUES (100, 1, 1), (250.5, 1, 3);";

const QString kLinesFile = QStringLiteral("Состав р-ра.xls");
const QString kConcentrationsFile = QStringLiteral("Концентрация р-ра.xls");

Sheet Read(const QString& path) {
    return ReadSheet(path);
}

// "Выгрузить в EXCEL" of the saved solutions' pane, with the calculator's concentrations grid.
bool Export(CalculatorWindow& calc) {
    auto* pane = Child<SavedSolutionsPane>(calc, QStringLiteral("GroupSaved"));
    const DBGrid* concentrations = Child<DBGrid>(calc, QStringLiteral("dxDBGrid3"));
    return pane && concentrations && calc.runGuarded([&] { pane->exportToSpreadsheets(*concentrations); });
}

// A column of one of the calculator's grids by its field; null when the
// grid or the column is not there.
DBGridColumn* Column(const CalculatorWindow& calc, const char* grid, const char* field) {
    const DBGrid* g = Child<DBGrid>(calc, QString::fromLatin1(grid));
    return g ? g->columnByField(QString::fromLatin1(field)) : nullptr;
}

QStringList Infos(Program& program) {
    QStringList texts;
    for (const ShownMessage& m : program.messages().shown())
        if (m.kind == MessageKind::Information)
            texts << m.caption + QLatin1Char('|') + m.text;
    return texts;
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    // The lines and the concentrations of the moment, with the grids' shown
    // columns; exporting again replaces both files.
    void writesBothGrids() {
        CalculatorFixture f(QString::fromUtf8(kRows));
        f.start();
        CalculatorWindow& calc = f.calc();
        QVERIFY(calc.runGuarded([&calc] { calc.solution().savedSolutionPass(); }));
        QVERIFY(Export(calc));
        QCOMPARE(Infos(f.program()), QStringList{QStringLiteral("Инфо|Выгруженно.")});

        const Sheet lines = Read(kLinesFile);
        QCOMPARE(lines.size(), size_t(3));
        QCOMPARE(lines[0], (QStringList{"Название", "Кол-во г/л.", "Кол-во г./2л."}));
        QCOMPARE(lines[1], (QStringList{"Азотное \"N-15\" 100%", "#1.5", "#3"}));
        QCOMPARE(lines[2], (QStringList{"Potassium", "#0.25", "#0.5"}));
        const Sheet concentrations = Read(kConcentrationsFile);
        QCOMPARE(concentrations.size(), size_t(3));
        QCOMPARE(concentrations[0], (QStringList{"Элемент", "Необходимость (Введите)", "Расчёт"}));
        QCOMPARE(concentrations[1], (QStringList{"N", "#100", "#225"}));
        QCOMPARE(concentrations[2], (QStringList{"K", "#250.5", "#50"}));
        // With SOLVANE_KEEP_EXPORTS naming a folder, the two files are copied
        // there, to be opened in a spreadsheet program.
        const QString keep = qEnvironmentVariable("SOLVANE_KEEP_EXPORTS");
        if (!keep.isEmpty())
            for (const QString& name : {kLinesFile, kConcentrationsFile}) {
                QFile::remove(QDir(keep).filePath(name));
                QVERIFY(QFile::copy(name, QDir(keep).filePath(name)));
            }

        // The litres changed in the box, a column hidden, a line's fertilizer
        // gone from the saved solution: the second export shows all of it.
        auto* litres = Child<DBSpinBox>(calc, QStringLiteral("dxDBSpinEdit1"));
        DBGridColumn* savedAmount = Column(calc, "dxDBGrid4", "kol");
        DBGridColumn* target = Column(calc, "dxDBGrid3", "vega");
        QVERIFY(litres && savedAmount && target);
        litres->setFocus();
        litres->selectAll();
        QTest::keyClicks(litres, QStringLiteral("10"));
        savedAmount->setVisible(false);
        target->setVisible(false);
        QVERIFY(Export(calc));
        QCOMPARE(Read(kLinesFile),
                 (Sheet{{"Название", "Кол-во г./10л."}, {"Азотное \"N-15\" 100%", "#15"}, {"Potassium", "#2.5"}}));
        QCOMPARE(Read(kConcentrationsFile), (Sheet{{"Элемент", "Расчёт"}, {"N", "#225"}, {"K", "#50"}}));
        const QStringList files = QDir::current().entryList(QStringList{"*.xls*"}, QDir::Files);
        QCOMPARE(files.size(), 2);
        QVERIFY(f.errors().isEmpty());
    }

    // The per-litres column hidden through the options; no saved solution:
    // a header row only.
    void hiddenColumnAndNoSolution() {
        CalculatorFixture f(QStringLiteral("UPDATE t_opt SET c22 = 0;"));
        f.start();
        CalculatorWindow& calc = f.calc();
        DBGridColumn* perLitres = Column(calc, "dxDBGrid4", "kol_temp");
        QVERIFY(perLitres);
        QVERIFY(!perLitres->isVisible());
        QVERIFY(Export(calc));
        QCOMPARE(Read(kLinesFile), (Sheet{{"Название", "Кол-во г/л."}}));
        QCOMPARE(Read(kConcentrationsFile), (Sheet{{"Элемент", "Необходимость (Введите)", "Расчёт"}}));
    }

    // A file that cannot be created stops the export at its step with the
    // file's name and the reason; "Выгруженно." comes only after both.
    void failures() {
        {
            CalculatorFixture f(QString::fromUtf8(kRows));
            f.start();
            QVERIFY(QDir().mkdir(kLinesFile));
            QVERIFY(!Export(f.calc()));
            QCOMPARE(f.errors().size(), 1);
            QVERIFY2(f.errors().front().contains(QStringLiteral("«Состав р-ра.xls»")), qPrintable(f.errors().front()));
            QVERIFY(!QFileInfo::exists(kConcentrationsFile));
            QVERIFY(Infos(f.program()).isEmpty());
        }
        {
            CalculatorFixture f(QString::fromUtf8(kRows));
            f.start();
            QVERIFY(QDir().mkdir(kConcentrationsFile));
            QVERIFY(!Export(f.calc()));
            QCOMPARE(f.errors().size(), 1);
            QVERIFY(f.errors().front().contains(QStringLiteral("«Концентрация р-ра.xls»")));
            QCOMPARE(Read(kLinesFile).size(), size_t(3));
            QVERIFY(Infos(f.program()).isEmpty());
        }
        if (geteuid() != 0) {
            // A directory that cannot be written to (root writes anywhere).
            CalculatorFixture f(QString::fromUtf8(kRows));
            f.start();
            QFile::setPermissions(QDir::currentPath(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            const bool exported = Export(f.calc());
            QFile::setPermissions(QDir::currentPath(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QVERIFY(!exported);
            QVERIFY(!QFileInfo::exists(kLinesFile));
        }
    }
};

QTEST_MAIN(ExportTest)
#include "test_export.moc"
