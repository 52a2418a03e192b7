// SPDX-License-Identifier: GPL-3.0-or-later
// The stock concentrates and the solution analysis, each opened through its
// context-menu item in the calculator on the starter database: tomato with
// ten fertilizers of the starter library (zinc sulfate, copper sulfate and
// sodium molybdate come out at 0 g/l).

#include "controls/db_grid.h"
#include "controls/number_spin_box.h"
#include "controls/text_grid.h"
#include "core/ec_model.h"
#include "core/number_text.h"
#include "core/rounding.h"
#include "core/tank_cost.h"
#include "large_screen.h"
#include "support/locale_text.h"
#include "support/program_fixture.h"
#include "support/xls_sheet.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/solution_analysis_window.h"
#include "windows/calculator/stock_solutions_window.h"
#include "windows/solutions/solution_name_dialog.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QComboBox>
#include <QLineSeries>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QValueAxis>
#include <QtTest>

using namespace solvane;
using namespace solvane::test;

namespace {

const QStringList kFertilizers{"Кальциевая селитра",     "Калиевая селитра", "Монофосфат калия", "Сульфат магния",
                               "Хелат железа (Fe-EDTA)", "Сульфат марганца", "Сульфат цинка",    "Сульфат меди",
                               "Борная кислота",         "Молибдат натрия"};

QStringList Items(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QStringList Column(const TextGrid* grid, int column) {
    QStringList texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        texts << grid->text(row, column);
    return texts;
}

QString ZeroAmount(const char* name) {
    return QStringLiteral("«%1»: 0 г/л — удобрение не попадает в раствор").arg(QString::fromUtf8(name));
}

QString ZeroSource(const char* element) {
    return QStringLiteral("«%1»: удобрение с этим элементом получилось 0 г/л").arg(QString::fromLatin1(element));
}

// Clicks a window's button; false when there is no such button.
bool Click(const QWidget& window, const char* button) {
    QPushButton* b = Child<QPushButton>(window, QString::fromLatin1(button));
    if (!b)
        return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

// The program on the starter database with the classic least squares.
class Session : public ProgramFixture {
public:
    explicit Session(const QString& sql = QString())
        : ProgramFixture(Base::Starter, QStringLiteral("UPDATE t_opt SET fit_mode = 0;") + sql) {}

    // Starts the program, opens the calculator (the first crop, tomato, is
    // current) and puts the fertilizers into the solution by ">"; false when
    // a button or a fertilizer is missing.
    bool open() {
        start();
        if (!Click(program().launcher(), "RzButton2"))
            return false;
        for (const QString& name : kFertilizers)
            if (!add(name))
                return false;
        return true;
    }

    Program& p() { return program(); }
    CalculatorWindow& calc() { return program().calculator(); }

    // ">" for the fertilizer, as the user presses it; false when the list
    // has no such fertilizer.
    bool add(const QString& name) {
        DataSet& list = data().fertilizers;
        Field* field = list.fieldByName(QStringLiteral("name_udobra"));
        for (list.first(); !list.eof() && field->asString() != name; list.next()) {
        }
        return field->asString() == name && Click(calc(), "Button1");
    }

    // Saves the composition under the name through the name dialog; false
    // when a widget is missing.
    bool save(const QString& name) {
        SolutionNameDialog& dialog = program().nameDialog();
        if (!Click(calc(), "Button5"))
            return false;
        QLineEdit* box = Child<QLineEdit>(dialog, "Edit1");
        if (!box)
            return false;
        box->setText(name);
        return Click(dialog, "Button1");
    }

    // The boxes of a kind shown so far: "caption|text", or only the text.
    QStringList messages(MessageKind kind, bool captions = true) {
        QStringList texts;
        for (const ShownMessage& m : program().messages().shown())
            if (m.kind == kind)
                texts << (captions ? m.caption + QLatin1Char('|') : QString()) + m.text;
        return texts;
    }
};

// The calculator's menus and items the mixing windows are opened from.
struct Menus {
    explicit Menus(const CalculatorWindow& calc)
        : composition(Child<QMenu>(calc, "PopupMenu2")), savedLines(Child<QMenu>(calc, "PopupMenu4")),
          targets(Child<QMenu>(calc, "PopupMenu1")), compositionStock(Child<QAction>(calc, "N11")),
          savedStock(Child<QAction>(calc, "N12")), analysis(Child<QAction>(calc, "N13")),
          recalculate(Child<QAction>(calc, "N4")) {}
    bool complete() const {
        return composition && savedLines && targets && compositionStock && savedStock && analysis && recalculate;
    }
    QMenu* composition;        // of the composition
    QMenu* savedLines;         // of the saved solution's lines
    QMenu* targets;            // of the concentrations
    QAction* compositionStock; // "Маточные растворы..." of the composition
    QAction* savedStock;       // "Маточные растворы..." of the saved solution
    QAction* analysis;         // "Анализ раствора..."
    QAction* recalculate;      // "Рассчитать" of the saved solution
};

// The stock concentrates' widgets.
struct StockWidgets {
    explicit StockWidgets(const StockSolutionsWindow& stock)
        : caption(Child<QLabel>(stock, "Label1")), concentration(Child<NumberSpinBox>(stock, "SpinEdit1")),
          volume(Child<NumberSpinBox>(stock, "Edit1")), grid(Child<TextGrid>(stock, "StringGrid1")),
          tankA(Child<QLabel>(stock, "Label4")), tankB(Child<QLabel>(stock, "Label5")),
          dose(Child<QLabel>(stock, "Label6")), warnings(Child<QListWidget>(stock, "ListBox1")),
          exportButton(Child<QPushButton>(stock, "Button1")) {}
    bool complete() const {
        return caption && concentration && volume && grid && tankA && tankB && dose && warnings && exportButton;
    }
    QLabel* caption;
    NumberSpinBox* concentration;
    NumberSpinBox* volume;
    TextGrid* grid;
    QLabel* tankA;
    QLabel* tankB;
    QLabel* dose;
    QListWidget* warnings;
    QPushButton* exportButton;
};

// The solution analysis' widgets and the parts of its chart.
struct AnalysisWidgets {
    explicit AnalysisWidgets(const SolutionAnalysisWindow& analysis)
        : grid(Child<TextGrid>(analysis, "StringGrid1")), cations(Child<QLabel>(analysis, "Label1")),
          anions(Child<QLabel>(analysis, "Label2")), conductivity(Child<QLabel>(analysis, "Label3")),
          counting(Child<QLabel>(analysis, "Label4")), balance(Child<QLabel>(analysis, "BalanceLabel")),
          ammonium(Child<QLabel>(analysis, "AmmoniumLabel")), ratios(Child<QLabel>(analysis, "RatiosLabel")),
          units(Child<QComboBox>(analysis, "UnitsBox")), warnings(Child<QListWidget>(analysis, "ListBox1")) {
        if (const QChart* chart = analysis.chart()) {
            axisX = Child<QBarCategoryAxis>(*chart, "AxisX");
            axisY = Child<QValueAxis>(*chart, "AxisY");
            targets = Child<QLineSeries>(*chart, "Series2");
            results = Child<QBarSet>(*chart, "BarSet2");
        }
    }
    bool complete() const {
        return grid && cations && anions && conductivity && counting && balance && ammonium && ratios && units &&
               warnings && axisX && axisY && targets && results;
    }
    TextGrid* grid;
    QLabel* cations;
    QLabel* anions;
    QLabel* conductivity;
    QLabel* counting;
    QLabel* balance;
    QLabel* ammonium;
    QLabel* ratios;
    QComboBox* units;
    QListWidget* warnings;
    QBarCategoryAxis* axisX = nullptr;
    QValueAxis* axisY = nullptr;
    QLineSeries* targets = nullptr; // the 100 % line
    QBarSet* results = nullptr;
};

// The grower picks the item holding the data in one of the calculator's drop-downs.
void Choose(CalculatorWindow& calc, const char* box, const QVariant& data) {
    auto* choice = Child<QComboBox>(calc, box);
    choice->setCurrentIndex(choice->findData(data));
    emit choice->activated(choice->currentIndex());
}

} // namespace

class MixingWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void stockSolutions() {
        Session s;
        QVERIFY(s.open());
        CalculatorWindow& calc = s.calc();
        StockSolutionsWindow& stock = s.p().stockSolutions();
        const Menus menus(calc);
        const StockWidgets w(stock);
        QVERIFY(menus.complete() && w.complete());
        QCOMPARE(menus.composition->actions().last(), menus.compositionStock);
        QCOMPARE(menus.savedLines->actions().last(), menus.savedStock);
        QCOMPARE(menus.compositionStock->text(), QStringLiteral("Маточные растворы..."));
        QCOMPARE(menus.savedStock->text(), QStringLiteral("Маточные растворы..."));
        menus.compositionStock->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&stock));
        QCOMPARE(stock.windowTitle(), QStringLiteral("Маточные растворы"));

        TextGrid* grid = w.grid;
        QCOMPARE(w.caption->text(), QStringLiteral("Раствор: рабочий состав"));
        QCOMPARE(w.concentration->number().toDouble(), 100.0);
        QCOMPARE(w.volume->typedText(), QStringLiteral("10"));
        QCOMPARE(grid->captions(), (QStringList{"Удобрение", "г/л", "Бак", "Граммов в бак", "мл в бак"}));
        QCOMPARE(Column(grid, 0), kFertilizers);
        QCOMPARE(Column(grid, 1),
                 Shown(QStringList{"0.633", "0.063", "0.292", "0.4", "0.022", "0.001", "0", "0", "0.004", "0"}));
        QCOMPARE(Column(grid, 2), (QStringList{"А", "Б", "Б", "Б", "А", "Б", "Б", "Б", "Б", "Б"}));
        QCOMPARE(Column(grid, 3), (QStringList{"633", "63", "292", "400", "22", "1", "0", "0", "4", "0"}));
        QCOMPARE(Column(grid, 4), QStringList(10, QString())); // no liquids
        QCOMPARE(w.tankA->text(), QStringLiteral("Бак А: растворить и довести водой до 10 л (655 г)"));
        QCOMPARE(w.tankB->text(), QStringLiteral("Бак Б: растворить и довести водой до 10 л (760 г)"));
        QCOMPARE(w.dose->text(),
                 QStringLiteral("На 1 л готового раствора: по 10 мл раствора А и раствора Б, остальное вода"));
        QCOMPARE(Items(w.warnings),
                 (QStringList{ZeroAmount("Сульфат цинка"), ZeroAmount("Сульфат меди"), ZeroAmount("Молибдат натрия")}));

        // Twice as strong, half the volume: the same grams, half the dose.
        // Letters are not typed; a volume out of range raises nothing while it
        // is typed, is refused with its range once the edit ends, and the
        // results stay.
        w.concentration->setNumber(200);
        QCOMPARE(w.dose->text(),
                 QStringLiteral("На 1 л готового раствора: по 5 мл раствора А и раствора Б, остальное вода"));
        w.volume->selectAll();
        QTest::keyClicks(w.volume, QStringLiteral("x0"));
        QCOMPARE(w.volume->typedText(), QStringLiteral("0"));
        QCOMPARE(s.messages(MessageKind::Error, false), QStringList());
        QTest::keyClick(w.volume, Qt::Key_Return);
        QTRY_COMPARE(s.messages(MessageKind::Error, false),
                     QStringList{QStringLiteral("Допустимо от %1 до 100000 л.").arg(FormatNumber(0.1))});
        QCOMPARE(w.volume->typedText(), QStringLiteral("10"));
        QCOMPARE(w.tankA->text(), QStringLiteral("Бак А: растворить и довести водой до 10 л (1310 г)"));
        w.volume->selectAll();
        QTest::keyClicks(w.volume, QStringLiteral("5"));
        QCOMPARE(w.tankA->text(), QStringLiteral("Бак А: растворить и довести водой до 5 л (655 г)"));
        QCOMPARE(Column(grid, 3).at(0), QStringLiteral("633"));

        // Monopotassium phosphate put into tank A, as the drop-down does it.
        QVERIFY(grid->model()->setData(grid->model()->index(2, 2), QStringLiteral("А"), Qt::EditRole));
        QCOMPARE(Column(grid, 2).at(2), QStringLiteral("А"));
        QCOMPARE(w.tankA->text(), QStringLiteral("Бак А: растворить и довести водой до 5 л (947 г)"));
        QCOMPARE(w.tankB->text(), QStringLiteral("Бак Б: растворить и довести водой до 5 л (468 г)"));
        QCOMPARE(Items(w.warnings).last(),
                 QStringLiteral("Бак А: кальций вместе с фосфатом или сульфатом — может выпасть осадок"));

        QTest::mouseClick(w.exportButton, Qt::LeftButton);
        QCOMPARE(s.messages(MessageKind::Information), QStringList{"Инфо|Выгружено."});
        const Sheet sheet = ReadSheet(QStringLiteral("Маточные растворы.xls"));
        QCOMPARE(sheet.size(), size_t(11));
        QCOMPARE(sheet[0], (QStringList{"Удобрение", "г/л", "Бак", "Граммов в бак"}));
        QCOMPARE(sheet[1], (QStringList{"Кальциевая селитра", "#0.63300000000000001", "А", "#633"}));
        QCOMPARE(sheet[3], (QStringList{"Монофосфат калия", "#0.29199999999999998", "А", "#292"}));

        // The next ">" is followed once, after the action: the switch stays
        // with its fertilizer, the new line gets its first tank. The
        // recipe now gives potassium nitrate a negative amount, which the
        // calculator draws in red.
        QSignalSpy repaints(grid->model(), &QAbstractItemModel::dataChanged);
        QVERIFY(s.add(QStringLiteral("Сульфат калия")));
        QCOMPARE(repaints.count(), 1);
        QCOMPARE(grid->rowCount(), 11);
        QCOMPARE(Column(grid, 2), (QStringList{"А", "Б", "А", "Б", "А", "Б", "Б", "Б", "Б", "Б", "Б"}));
        QCOMPARE(Column(grid, 1).at(1), Shown(QStringLiteral("-0.182")));
        QVERIFY(Items(w.warnings)
                    .contains("«Калиевая селитра»: отрицательное количество — это удобрение лишнее, уберите его из "
                              "раствора"));
        const DBGrid* composition = Child<DBGrid>(calc, "dxDBGrid2");
        QVERIFY(composition);
        QAbstractItemModel* lines = composition->model();
        QCOMPARE(lines->index(1, 1).data().toString(), Shown(QStringLiteral("-0.182")));
        QCOMPARE(lines->index(1, 1).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
        QVERIFY(!lines->index(0, 1).data(Qt::ForegroundRole).isValid());

        // Opened again, every line is in its first tank; from the saved
        // solution's menu, the window shows the current saved solution.
        menus.compositionStock->trigger();
        QCOMPARE(Column(grid, 2).at(2), QStringLiteral("Б"));
        QVERIFY(s.save(QStringLiteral("Томат, 11 удобрений")));
        menus.savedStock->trigger();
        QCOMPARE(w.caption->text(), QStringLiteral("Раствор: Томат, 11 удобрений"));
        QCOMPARE(Column(grid, 0).last(), QStringLiteral("Сульфат калия"));
        QCOMPARE(s.messages(MessageKind::Error).size(), 1);
    }

    // A liquid's grams are also shown as ml (g ÷ density), and tanks with
    // priced fertilizers show what they cost: price per kg of a solid, per l
    // of a liquid.
    void liquidsAndPricesInTheTanks() {
        Session s(QStringLiteral("UPDATE t_udobra SET price = 90 WHERE name_udobra = 'Кальциевая селитра';"
                                 "UPDATE t_udobra SET price = 100 WHERE name_udobra = 'Кальциевая селитра жидкая';"));
        QVERIFY(s.open());
        QVERIFY(s.add(QStringLiteral("Кальциевая селитра жидкая")));
        Menus(s.calc()).compositionStock->trigger();
        const StockWidgets w(s.p().stockSolutions());
        const auto grams = [&s](const char* name) {
            return s.sql()
                       .value(QStringLiteral("SELECT kol FROM t_rachet JOIN t_udobra USING (id_udobra)"
                                             " WHERE name_udobra = ?"),
                              {QString::fromUtf8(name)})
                       .toDouble() *
                   100 * 10;
        };
        const double solid = grams("Кальциевая селитра"), liquid = grams("Кальциевая селитра жидкая");
        QVERIFY(solid != 0 || liquid != 0);
        const int row = w.grid->rowCount() - 1;
        QCOMPARE(w.grid->text(row, 0), QStringLiteral("Кальциевая селитра жидкая"));
        QCOMPARE(w.grid->text(row, 3), FormatNumber(liquid, 4));
        QCOMPARE(w.grid->text(row, 4), FormatNumber(liquid / 1.6, 4));
        const QString cost = FormatNumber(
            RoundToDecimalsSymmetric(90 * std::max(solid, 0.0) / 1000 + 100 * std::max(liquid, 0.0) / 1.6 / 1000, 2));
        QVERIFY2(w.tankA->text().endsWith(QStringLiteral(", стоимость ") + cost + QLatin1Char(')')),
                 qPrintable(w.tankA->text()));
        QVERIFY(w.tankB->text().endsWith(QStringLiteral(" г, стоимость 0)")));
        // Ten litres at 100 times are 1000 l of solution: the calculator's cost.
        const QLabel* perThousand = Child<QLabel>(s.calc(), "CostLabel");
        QVERIFY(perThousand && perThousand->text().startsWith(QStringLiteral("Стоимость 1000 л: ") + cost + " ("));
        const QLabel* both = Child<QLabel>(s.p().stockSolutions(), "CostLabel");
        QVERIFY(both);
        QVERIFY2(both->text().startsWith(QStringLiteral("Стоимость обоих баков: ") + cost +
                                         QStringLiteral(" (без цены: ")) &&
                     both->text().contains(QStringLiteral("Калиевая селитра")) &&
                     !both->text().contains(QStringLiteral("Кальциевая")),
                 qPrintable(both->text()));
    }

    // The EC of two more solutions of starter fertilizers, saved with fixed
    // amounts and calculated as saved solutions: the analysis shows what the
    // model gives for their ions worked out by hand (g/l × % × 10 × the
    // oxide's factor, ÷ the ion's mass).
    void theEcOfSavedSolutions() {
        Session s(QStringLiteral(
            "INSERT INTO t_head_rar (id_head_rar, name_rar, id_konc, kol_l, konc) VALUES (1, 'А', 1, 1, 100),"
            " (2, 'Б', 1, 1, 100);"
            "INSERT INTO t_save_rar (id_head_rar, id_udobra, kol) SELECT 1, id_udobra, CASE name_udobra"
            " WHEN 'Кальциевая селитра' THEN 0.8 WHEN 'Калиевая селитра' THEN 0.4 WHEN 'Монофосфат калия' THEN 0.15"
            " ELSE 0.5 END FROM t_udobra WHERE name_udobra IN ('Кальциевая селитра', 'Калиевая селитра',"
            " 'Монофосфат калия', 'Сульфат магния');"
            "INSERT INTO t_save_rar (id_head_rar, id_udobra, kol) SELECT 2, id_udobra, CASE name_udobra"
            " WHEN 'Калиевая селитра' THEN 0.6 WHEN 'Сульфат аммония' THEN 0.1 WHEN 'Монофосфат калия' THEN 0.2"
            " WHEN 'Сульфат магния' THEN 0.4 ELSE 0.05 END FROM t_udobra WHERE name_udobra IN ('Калиевая селитра',"
            " 'Сульфат аммония', 'Монофосфат калия', 'Сульфат магния', 'Хлорид калия');"));
        QVERIFY(s.open());
        const auto mmol = [](double mgPerLitre, Ion ion) { return mgPerLitre / InfoOf(ion).mass; };
        IonValues first{}, second{};
        first[IonIndex(Ion::Nitrate)] = mmol(0.8 * 144 + 0.4 * 137, Ion::Nitrate);
        first[IonIndex(Ion::Ammonium)] = mmol(0.8 * 11, Ion::Ammonium);
        first[IonIndex(Ion::Calcium)] = mmol(0.8 * 265 * 0.7147, Ion::Calcium);
        first[IonIndex(Ion::Potassium)] = mmol((0.4 * 463 + 0.15 * 340) * 0.8301, Ion::Potassium);
        first[IonIndex(Ion::Phosphate)] = mmol(0.15 * 520 * 0.4364, Ion::Phosphate);
        first[IonIndex(Ion::Magnesium)] = mmol(0.5 * 160 * 0.6030, Ion::Magnesium);
        first[IonIndex(Ion::Sulfate)] = mmol(0.5 * 320 * 0.4005, Ion::Sulfate);
        second[IonIndex(Ion::Nitrate)] = mmol(0.6 * 137, Ion::Nitrate);
        second[IonIndex(Ion::Ammonium)] = mmol(0.1 * 212, Ion::Ammonium);
        second[IonIndex(Ion::Potassium)] = mmol((0.6 * 463 + 0.2 * 340 + 0.05 * 600) * 0.8301, Ion::Potassium);
        second[IonIndex(Ion::Phosphate)] = mmol(0.2 * 520 * 0.4364, Ion::Phosphate);
        second[IonIndex(Ion::Magnesium)] = mmol(0.4 * 160 * 0.6030, Ion::Magnesium);
        second[IonIndex(Ion::Sulfate)] = mmol(0.1 * 242 + 0.4 * 320 * 0.4005, Ion::Sulfate);
        second[IonIndex(Ion::Chloride)] = mmol(0.05 * 452, Ion::Chloride);
        DataSet& headers = s.data().savedSolutions;
        headers.first();
        for (const auto& [ions, shown] : {std::pair{first, "1,84"}, std::pair{second, "1,50"}}) {
            QVERIFY(s.calc().runGuarded([&s] { s.calc().solution().savedSolutionPass(); }));
            Menus(s.calc()).analysis->trigger();
            const AnalysisWidgets w(s.p().analysis());
            QCOMPARE(w.conductivity->text(), QStringLiteral("Ожидаемая EC: ") + FormatDecimals(SolutionEc(ions), 2) +
                                                 QStringLiteral(" мСм/см (25 °C)"));
            QCOMPARE(w.conductivity->text(), QStringLiteral("Ожидаемая EC: %1 мСм/см (25 °C)").arg(shown));
            headers.next();
        }
    }

    // Hard water with nitric acid: the dose neutralises the HCO3 down to its
    // residue, the acid's line stands under the composition fixed at the
    // dose, the fit and the results count its nitrogen, the dose follows the
    // water, the stock tanks and a saved solution take the line, liquids
    // show their ml, an acid without acidity is refused, and the classic fit
    // has no acid.
    void theAcidForHardWater() {
        Session s(
            QStringLiteral("UPDATE t_opt SET fit_mode = 1, id_water = 1, id_acid = (SELECT id_udobra FROM t_udobra"
                           " WHERE name_udobra = 'Азотная кислота 60 %');"
                           "INSERT INTO t_water_el (id_water, id_element, kol) SELECT 1, id_element, 183 FROM T_element"
                           " WHERE Smallname_element = 'HCO3';"
                           "UPDATE t_udobra SET acid = 1 WHERE name_udobra = 'Хлорид калия';"));
        QVERIFY(s.open());
        QVERIFY(s.add(QStringLiteral("Кальциевая селитра жидкая")));
        CalculatorWindow& calc = s.calc();
        const QLabel* dose = Child<QLabel>(calc, "AcidDoseLabel");
        const auto* acidRow = Child<QTableWidget>(calc, "AcidLineRow");
        auto* acidBox = Child<QComboBox>(calc, "AcidBox");
        QVERIFY(dose && acidRow && acidBox);
        QCOMPARE(dose->text(), QStringLiteral("0,1926 мл/л (19,26 мл на 100 л) — остаток HCO3 30,5 мг/л"));
        QVERIFY(!acidRow->isHidden());
        QCOMPARE(acidRow->item(0, 0)->text(), QStringLiteral("Азотная кислота 60 % (кислота)"));
        QCOMPARE(acidRow->item(0, 1)->text(), QStringLiteral("0,2632"));
        QCOMPARE(acidRow->item(0, acidRow->columnCount() - 1)->text(), QStringLiteral("0,1926"));
        // N's result is the stored lines' N, the acid's and nothing else (the water has none).
        const QString nitrogenOfLines =
            QStringLiteral("SELECT SUM(kol * kol_element * 10) FROM t_rachet JOIN T_sostav_udobra USING (id_udobra)"
                           " JOIN T_element USING (id_element) WHERE Smallname_element IN ('N', 'N-NO3', 'N-NH4')");
        const QString nitrogenResult = QStringLiteral("SELECT rachet FROM t_konc JOIN T_element ON id_el = id_element"
                                                      " WHERE id_kult = 1 AND Smallname_element = 'N'");
        const double acidGrams = (183 - 30.5) / 61.017 / (13.3 * 10 / 14.007);
        QVERIFY(std::fabs(s.sql().value(nitrogenResult).toDouble() -
                          (s.sql().value(nitrogenOfLines).toDouble() + acidGrams * 133)) <= 1e-4);
        // The liquid's ml per litre in the composition.
        DBGrid* composition = Child<DBGrid>(calc, "dxDBGrid2");
        const int mlColumn = composition->columnCount() - 1;
        QCOMPARE(composition->model()->headerData(mlColumn, Qt::Horizontal).toString(), QStringLiteral("мл/л"));
        const int last = composition->model()->rowCount() - 1;
        const double liquid = s.sql()
                                  .value(QStringLiteral("SELECT kol FROM t_rachet JOIN t_udobra USING (id_udobra)"
                                                        " WHERE name_udobra = 'Кальциевая селитра жидкая'"))
                                  .toDouble();
        QCOMPARE(composition->model()->index(last, mlColumn).data().toString(), FormatNumber(liquid / 1.6, 4));
        QVERIFY(composition->model()->index(0, mlColumn).data().toString().isEmpty());

        // The stock tanks and a saved solution take the acid's line.
        Menus(calc).compositionStock->trigger();
        const StockWidgets w(s.p().stockSolutions());
        QCOMPARE(Column(w.grid, 0).last(), QStringLiteral("Азотная кислота 60 % (кислота)"));
        QVERIFY(s.save(QStringLiteral("С кислотой")));
        QVERIFY(std::fabs(s.sql()
                              .value(QStringLiteral("SELECT kol FROM t_save_rar JOIN t_udobra USING (id_udobra)"
                                                    " WHERE name_udobra = 'Азотная кислота 60 %'"))
                              .toDouble() -
                          acidGrams) <= 1e-12);
        // The saved liquid's ml are those of its amount for the header's litres.
        DataSet& savedLines = s.data().savedLines;
        const double litres = s.sql().value(QStringLiteral("SELECT kol_l FROM t_head_rar")).toDouble();
        const double density = s.sql()
                                   .value(QStringLiteral("SELECT density FROM t_udobra"
                                                         " WHERE name_udobra = 'Азотная кислота 60 %'"))
                                   .toDouble();
        savedLines.last();
        QCOMPARE(savedLines.fieldByName(QStringLiteral("name"))->asString(), QStringLiteral("Азотная кислота 60 %"));
        QCOMPARE(savedLines.fieldByName(QStringLiteral("ml_temp"))->asFloat(),
                 MillilitresOf(savedLines.fieldByName(QStringLiteral("kol"))->asFloat() * litres, density));

        // Without the water the dose is 0 and the fit gives the nitrogen to the salts.
        const double before = s.sql().value(nitrogenOfLines).toDouble();
        Choose(calc, "WaterBox", QVariant());
        QCOMPARE(dose->text(), QStringLiteral("В воде нет гидрокарбонатов"));
        QCOMPARE(acidRow->item(0, 1)->text(), QStringLiteral("0"));
        QVERIFY(s.sql().value(nitrogenOfLines).toDouble() > before + 1.0);

        // An "acid" that gives no H⁺ is refused and the choice stays.
        acidBox->setCurrentIndex(acidBox->findText(QStringLiteral("Хлорид калия")));
        emit acidBox->activated(acidBox->currentIndex());
        QCOMPARE(s.messages(MessageKind::Error, false).last(),
                 QStringLiteral("«Хлорид калия» не даёт кислотности: в нём нет N, P или S"));
        QCOMPARE(acidBox->currentText(), QStringLiteral("Азотная кислота 60 %"));

        // The classic fit has no limits and no acid.
        Choose(calc, "FitModeBox", 0);
        QVERIFY(!acidBox->isEnabled());
        QVERIFY(acidRow->isHidden() && dose->text().isEmpty());
    }

    void analysis() {
        Session s;
        QVERIFY(s.open());
        CalculatorWindow& calc = s.calc();
        SolutionAnalysisWindow& analysis = s.p().analysis();
        const Menus menus(calc);
        const AnalysisWidgets w(analysis);
        QVERIFY(menus.complete() && w.complete());
        QCOMPARE(menus.targets->actions().last(), menus.analysis);
        QCOMPARE(menus.analysis->text(), QStringLiteral("Анализ раствора..."));
        menus.analysis->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&analysis));
        QCOMPARE(analysis.windowTitle(), QStringLiteral("Анализ раствора"));

        const QStringList elements{"N", "P", "K", "Ca", "Mg", "S", "Fe", "Mn", "Zn", "B", "Cu", "Mo"};
        TextGrid* grid = w.grid;
        QCOMPARE(grid->captions(), (QStringList{"Элемент", "Необходимость", "Расчёт", "Отклонение, %"}));
        QCOMPARE(Column(grid, 0), elements);
        QCOMPARE(Column(grid, 1),
                 Shown(QStringList{"70", "50", "120", "150", "40", "50", "2.8", "0.8", "0.3", "0.7", "0.2", "0.05"}));
        QCOMPARE(Column(grid, 2), Shown(QStringList{"106.746", "66.263", "106.6255", "119.8874", "38.592", "51.454",
                                                    "2.86", "0.325", "0", "0.7", "0", "0"}));
        QCOMPARE(Column(grid, 3), Shown(QStringList{"52.5", "32.5", "-11.1", "-20.1", "-3.5", "2.9", "2.1", "-59.4",
                                                    "-100", "0", "-100", "-100"}));
        // Rows beyond ±10 % are marked.
        QStringList marked;
        for (int row = 0; row < grid->rowCount(); ++row)
            if (grid->model()->index(row, 0).data(Qt::BackgroundRole).isValid())
                marked << grid->text(row, 0);
        QCOMPARE(marked, (QStringList{"N", "P", "K", "Ca", "Mn", "Zn", "Cu", "Mo"}));

        // The chart: one category per row with a target, the result in % of
        // it, and the targets as one line at 100 %.
        QCOMPARE(w.axisX->categories(), elements);
        QCOMPARE(w.results->label(), QStringLiteral("Расчёт, % от необходимости"));
        QCOMPARE(w.axisY->titleText(), QStringLiteral("% от необходимости"));
        QCOMPARE(w.results->count(), 12);
        QCOMPARE(w.results->at(0), 106.746 / 70 * 100);
        QCOMPARE(w.results->at(8), 0.0);
        QCOMPARE(w.targets->count(), 2);
        QCOMPARE(w.targets->at(0).y(), 100.0);
        QVERIFY(w.axisY->min() == 0 && w.axisY->max() >= 152.5);

        // The rows in mmol/l and meq/l of their ions: K 106,6255 mg/l is
        // 2,7271 mmol/l, Ca 119,8874 mg/l 5,9827 meq/l; Fe has no ion.
        w.units->setCurrentIndex(1);
        QCOMPARE(grid->text(2, 2), Shown(QStringLiteral("2.7271")));
        QCOMPARE(grid->text(6, 2), QString());
        w.units->setCurrentIndex(2);
        QCOMPARE(grid->text(3, 2), Shown(QStringLiteral("5.9827")));
        w.units->setCurrentIndex(0);
        QCOMPARE(grid->text(2, 2), Shown(QStringLiteral("106.6255")));

        // The ions by hand from the results: calcium nitrate 0,633 g/l gives
        // 0,633 × 11 mg/l of NH4-N, the rest of N is nitrate; S as sulfate.
        const double ammoniumN = 0.633 * 11;
        IonValues ions{};
        ions[IonIndex(Ion::Nitrate)] = (106.746 - ammoniumN) / 14.007;
        ions[IonIndex(Ion::Ammonium)] = ammoniumN / 14.007;
        ions[IonIndex(Ion::Phosphate)] = 66.263 / 30.974;
        ions[IonIndex(Ion::Potassium)] = 106.6255 / 39.098;
        ions[IonIndex(Ion::Calcium)] = 119.8874 / 40.078;
        ions[IonIndex(Ion::Magnesium)] = 38.592 / 24.305;
        ions[IonIndex(Ion::Sulfate)] = 51.454 / 32.06;
        QCOMPARE(w.cations->text(), Shown(QStringLiteral("Катионы: 12.38 мг-экв/л")));
        QCOMPARE(w.anions->text(), Shown(QStringLiteral("Анионы: 12.47 мг-экв/л")));
        QCOMPARE(w.balance->text(), Shown(QStringLiteral("Разница: 0.7 % от большей суммы")));
        QCOMPARE(w.conductivity->text(), QStringLiteral("Ожидаемая EC: ") + FormatDecimals(SolutionEc(ions), 2) +
                                             QStringLiteral(" мСм/см (25 °C)"));
        QCOMPARE(w.conductivity->text(), Shown(QStringLiteral("Ожидаемая EC: 1.28 мСм/см (25 °C)")));
        QCOMPARE(w.ammonium->text(), Shown(QStringLiteral("Аммонийный азот: 6.5 % от N")));
        QCOMPARE(w.ratios->text(),
                 Shown(QStringLiteral("K : Ca : Mg = 2.73 : 5.98 : 3.18 мг-экв/л; NO3 : NH4 = 7.12 : 0.5 мг-экв/л")));
        QCOMPARE(Items(w.warnings),
                 (QStringList{ZeroAmount("Сульфат цинка"), ZeroAmount("Сульфат меди"), ZeroAmount("Молибдат натрия"),
                              ZeroSource("Zn"), ZeroSource("Cu"), ZeroSource("Mo")}));

        // A second iron chelate, with nothing but iron like the first: the
        // solve leaves out a singular value. The window follows the action
        // once, after it.
        QSignalSpy repaints(grid->model(), &QAbstractItemModel::dataChanged);
        QVERIFY(s.add(QStringLiteral("Хелат железа (Fe-DTPA)")));
        QCOMPARE(repaints.count(), 1);
        QCOMPARE(Items(w.warnings).last(),
                 QStringLiteral("Удобрения раствора не позволяют подобрать все элементы независимо друг от друга"));

        // A saved solution's concentrations: its amounts are not judged.
        QVERIFY(s.save(QStringLiteral("Томат")));
        menus.recalculate->trigger();
        QVERIFY(!calc.solution().showsComposition());
        QCOMPARE(Items(w.warnings).first(), ZeroSource("Zn"));
        QVERIFY(s.messages(MessageKind::Error).isEmpty());
    }

    // A composition line and a saved line whose fertilizer was deleted (its
    // content rows left behind) show as such, keep their amounts, take no
    // part in either fit or in any sum, and the analysis and the stock
    // concentrates say that they are left out.
    void aLineWhoseFertilizerIsGoneCountsNowhere() {
        ProgramFixture f(ProgramFixture::Base::Starter,
                         QStringLiteral("INSERT INTO t_rachet (id_udobra, kol) VALUES (1, 0.5), (999, 1.833);"
                                        "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES"
                                        " (1, 999, 15), (2, 999, 10), (3, 999, 20);"
                                        "INSERT INTO t_head_rar (id_head_rar, name_rar, id_konc, kol_l, konc) VALUES"
                                        " (1, 'Старый', 1, 1, 100);"
                                        "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (1, 1, 1),"
                                        " (999, 2, 1);"));
        f.start();
        Program& p = f.program();
        CalculatorWindow& calc = p.calculator();
        QVERIFY(Click(p.launcher(), "RzButton2"));
        const QString gone = QStringLiteral("удобрение №999 удалено");
        auto* composition = Child<DBGrid>(calc, "dxDBGrid2");
        auto* savedLines = Child<DBGrid>(calc, "dxDBGrid4");
        QVERIFY(composition && savedLines);
        QCOMPARE(composition->model()->index(1, 0).data().toString(), gone);
        QCOMPARE(savedLines->model()->index(1, 0).data().toString(), gone);

        const auto result = [&f](int element) {
            return f.sql()
                .value(QStringLiteral("SELECT rachet FROM t_konc WHERE id_kult = 1 AND id_el = ?"), {element})
                .toDouble();
        };
        const auto amount = [&f](int fertilizer) {
            return f.sql()
                .value(QStringLiteral("SELECT kol FROM t_rachet WHERE id_udobra = ?"), {fertilizer})
                .toDouble();
        };
        for (const int mode : {0, 1}) {
            Choose(calc, "FitModeBox", mode);
            QCOMPARE(amount(999), 1.833);
            // Calcium nitrate alone: 26,5 % CaO, no phosphorus, no potassium.
            QCOMPARE(result(4), RoundToDecimals(amount(1) * 265.0 * 0.7147, 4));
            QCOMPARE(result(2), 0.0);
            QCOMPARE(result(3), 0.0);
        }
        const QString leftOut = QStringLiteral("«удобрение №999 удалено»: строка не учитывается");
        Menus menus(calc);
        QVERIFY(menus.complete());
        menus.analysis->trigger();
        AnalysisWidgets analysis(p.analysis());
        QVERIFY(analysis.complete());
        QVERIFY(p.analysis().result().warnings.contains(leftOut));
        menus.compositionStock->trigger();
        QCOMPARE(p.stockSolutions().lines().size(), size_t(1));
        StockWidgets stock(p.stockSolutions());
        QVERIFY(stock.complete());
        QCOMPARE(stock.warnings->item(0)->text(), leftOut);

        // The saved solution's pass counts its own live line only.
        QVERIFY(calc.runGuarded([&calc] { calc.solution().savedSolutionPass(); }));
        QCOMPARE(result(2), 0.0);
        QCOMPARE(result(4), RoundToDecimals(265.0 * 0.7147, 4));
        QVERIFY(f.errors().isEmpty());
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(MixingWindowsTest)
#include "test_mixing_windows.moc"
