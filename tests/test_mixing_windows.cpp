// The stock concentrates and the solution analysis, each opened through its
// context-menu item in the calculator on the starter database: tomato with
// ten fertilizers of the starter library (zinc sulfate, copper sulfate and
// sodium molybdate come out at 0 g/l). With SOLVANE_SCREENSHOTS naming a
// directory, pictures of both windows and of the calculator behind them are saved
// there for the documentation:
//   SOLVANE_SCREENSHOTS=docs/screenshots test_mixing_windows

#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/analysis_form.h"
#include "windows/calculator/calculator_form.h"
#include "windows/calculator/stock_solutions_form.h"
#include "controls/number_spin_box.h"
#include "core/number_text.h"
#include "controls/db_grid.h"
#include "controls/text_grid.h"
#include "windows/directories/fertilizer_form.h"
#include "large_screen.h"
#include "windows/solutions/name_dialog.h"
#include "support/locale_text.h"
#include "support/test_base.h"
#include "support/test_dir.h"
#include "support/xls_sheet.h"
#include "store/starter_database.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
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

// The program on the starter database with the calculator open (the first
// crop, tomato, is current) and the fertilizers put into the solution by ">",
// fitted by the classic least squares.
class Session {
public:
    Session() {
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        SqlFile().exec(QStringLiteral("UPDATE t_opt SET fit_mode = 0"));
        program_ = std::make_unique<Program>();
        program_->messages().setMode(MessageService::Mode::Headless);
        program_->quit = [] {};
        program_->Form1->show();
        QTest::mouseClick(program_->Form1->RzButton2, Qt::LeftButton);
        for (const QString& name : kFertilizers)
            add(name);
    }

    Program& p() { return *program_; }
    TForm4& calc() { return *program_->Form4; }

    // ">" for the fertilizer, as the user presses it.
    void add(const QString& name) {
        DataSet& list = program_->Form2->T_Udobra;
        Field* field = list.fieldByName(QStringLiteral("name_udobra"));
        for (list.first(); !list.eof() && field->asString() != name; list.next()) {
        }
        QCOMPARE(field->asString(), name);
        QTest::mouseClick(calc().Button1, Qt::LeftButton);
    }

    // Saves the composition under the name through the name dialog.
    void save(const QString& name) {
        QTest::mouseClick(calc().Button5, Qt::LeftButton);
        program_->Form5->Edit1->setText(name);
        QTest::mouseClick(program_->Form5->Button1, Qt::LeftButton);
    }

    // The boxes of a kind shown so far: "caption|text", or only the text.
    QStringList messages(MessageKind kind, bool captions = true) const {
        QStringList texts;
        for (const ShownMessage& m : program_->messages().shown())
            if (m.kind == kind)
                texts << (captions ? m.caption + QLatin1Char('|') : QString()) + m.text;
        return texts;
    }

    // The folder named by SOLVANE_SCREENSHOTS, from the folder the test was
    // started in; empty when none is named.
    static QString& screenshots() {
        static QString folder;
        return folder;
    }
    static void screenshot(QWidget& window, const char* file) {
        if (screenshots().isEmpty())
            return;
        QTest::qWait(50);
        QVERIFY(window.grab().save(QDir(screenshots()).filePath(QString::fromLatin1(file))));
    }

private:
    WorkingDirectory dir_;
    std::unique_ptr<Program> program_;
};

} // namespace

class MixingWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const QString target = qEnvironmentVariable("SOLVANE_SCREENSHOTS");
        if (!target.isEmpty())
            Session::screenshots() = QDir(target).absolutePath();
    }

    void stockSolutions() {
        Session s;
        TForm4& calc = s.calc();
        TF_StockSolutions& stock = *s.p().F_StockSolutions;
        QCOMPARE(calc.PopupMenu2->actions().last(), calc.N11);
        QCOMPARE(calc.PopupMenu4->actions().last(), calc.N12);
        QCOMPARE(calc.N11->text(), QStringLiteral("Маточные растворы..."));
        QCOMPARE(calc.N12->text(), QStringLiteral("Маточные растворы..."));
        calc.N11->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&stock));
        QCOMPARE(stock.windowTitle(), QStringLiteral("Маточные растворы"));

        TextGrid* grid = stock.StringGrid1;
        QCOMPARE(stock.Label1->text(), QStringLiteral("Раствор: рабочий состав"));
        QCOMPARE(stock.SpinEdit1->number().toDouble(), 100.0);
        QCOMPARE(stock.Edit1->typedText(), QStringLiteral("10"));
        QCOMPARE(grid->captions(), (QStringList{"Удобрение", "г/л", "Бак", "Граммов в бак"}));
        QCOMPARE(Column(grid, 0), kFertilizers);
        QCOMPARE(Column(grid, 1),
                 Shown(QStringList{"0.633", "0.063", "0.292", "0.4", "0.022", "0.001", "0", "0", "0.004", "0"}));
        QCOMPARE(Column(grid, 2), (QStringList{"А", "Б", "Б", "Б", "А", "Б", "Б", "Б", "Б", "Б"}));
        QCOMPARE(Column(grid, 3), (QStringList{"633", "63", "292", "400", "22", "1", "0", "0", "4", "0"}));
        QCOMPARE(stock.Label4->text(), QStringLiteral("Бак А: 655 г на 10 л"));
        QCOMPARE(stock.Label5->text(), QStringLiteral("Бак Б: 760 г на 10 л"));
        QCOMPARE(stock.Label6->text(), QStringLiteral("На 1 л воды: по 10 мл раствора А и раствора Б"));
        QCOMPARE(Items(stock.ListBox1),
                 (QStringList{ZeroAmount("Сульфат цинка"), ZeroAmount("Сульфат меди"), ZeroAmount("Молибдат натрия")}));
        Session::screenshot(stock, "stock_solutions.png");

        // Twice as strong, half the volume: the same grams, half the dose.
        // Letters are not typed; a volume out of range raises nothing while it
        // is typed, is refused with its range once the edit ends, and the
        // results stay.
        stock.SpinEdit1->setNumber(200);
        QCOMPARE(stock.Label6->text(), QStringLiteral("На 1 л воды: по 5 мл раствора А и раствора Б"));
        stock.Edit1->selectAll();
        QTest::keyClicks(stock.Edit1, QStringLiteral("x0"));
        QCOMPARE(stock.Edit1->typedText(), QStringLiteral("0"));
        QCOMPARE(s.messages(MessageKind::Error, false), QStringList());
        QTest::keyClick(stock.Edit1, Qt::Key_Return);
        QTRY_COMPARE(s.messages(MessageKind::Error, false),
                     QStringList{QStringLiteral("Допустимо от %1 до 100000 л.").arg(FormatNumber(0.1))});
        QCOMPARE(stock.Edit1->typedText(), QStringLiteral("10"));
        QCOMPARE(stock.Label4->text(), QStringLiteral("Бак А: 1310 г на 10 л"));
        stock.Edit1->selectAll();
        QTest::keyClicks(stock.Edit1, QStringLiteral("5"));
        QCOMPARE(stock.Label4->text(), QStringLiteral("Бак А: 655 г на 5 л"));
        QCOMPARE(Column(grid, 3).at(0), QStringLiteral("633"));

        // Monopotassium phosphate put into tank A, as the drop-down does it.
        QVERIFY(grid->model()->setData(grid->model()->index(2, 2), QStringLiteral("А"), Qt::EditRole));
        QCOMPARE(Column(grid, 2).at(2), QStringLiteral("А"));
        QCOMPARE(stock.Label4->text(), QStringLiteral("Бак А: 947 г на 5 л"));
        QCOMPARE(stock.Label5->text(), QStringLiteral("Бак Б: 468 г на 5 л"));
        QCOMPARE(Items(stock.ListBox1).last(),
                 QStringLiteral("Бак А: кальций вместе с фосфатом или сульфатом — может выпасть осадок"));

        QTest::mouseClick(stock.Button1, Qt::LeftButton);
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
        s.add(QStringLiteral("Сульфат калия"));
        QCOMPARE(repaints.count(), 1);
        QCOMPARE(grid->rowCount(), 11);
        QCOMPARE(Column(grid, 2), (QStringList{"А", "Б", "А", "Б", "А", "Б", "Б", "Б", "Б", "Б", "Б"}));
        QCOMPARE(Column(grid, 1).at(1), Shown(QStringLiteral("-0.182")));
        QVERIFY(Items(stock.ListBox1)
                    .contains("«Калиевая селитра»: отрицательное количество — это удобрение лишнее, уберите его из "
                              "раствора"));
        QAbstractItemModel* lines = calc.dxDBGrid2->model();
        QCOMPARE(lines->index(1, 1).data().toString(), Shown(QStringLiteral("-0.182")));
        QCOMPARE(lines->index(1, 1).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
        QVERIFY(!lines->index(0, 1).data(Qt::ForegroundRole).isValid());

        // Opened again, every line is in its first tank; from the saved
        // solution's menu, the window shows the current saved solution.
        calc.N11->trigger();
        QCOMPARE(Column(grid, 2).at(2), QStringLiteral("Б"));
        s.save(QStringLiteral("Томат, 11 удобрений"));
        calc.N12->trigger();
        QCOMPARE(stock.Label1->text(), QStringLiteral("Раствор: Томат, 11 удобрений"));
        QCOMPARE(Column(grid, 0).last(), QStringLiteral("Сульфат калия"));
        QCOMPARE(s.messages(MessageKind::Error).size(), 1);
    }

    void analysis() {
        Session s;
        TForm4& calc = s.calc();
        TF_Analysis& analysis = *s.p().F_Analysis;
        QCOMPARE(calc.PopupMenu1->actions().last(), calc.N13);
        QCOMPARE(calc.N13->text(), QStringLiteral("Анализ раствора..."));
        calc.N13->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&analysis));
        QCOMPARE(analysis.windowTitle(), QStringLiteral("Анализ раствора"));

        const QStringList elements{"N", "P", "K", "Ca", "Mg", "S", "Fe", "Mn", "Zn", "B", "Cu", "Mo"};
        TextGrid* grid = analysis.StringGrid1;
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

        // The chart: one category per row, the targets and the results.
        QCOMPARE(analysis.AxisX->categories(), elements);
        QCOMPARE(analysis.BarSet1->label(), QStringLiteral("Необходимость"));
        QCOMPARE(analysis.BarSet2->label(), QStringLiteral("Расчёт"));
        QCOMPARE(analysis.AxisY->titleText(), QStringLiteral("мг/л"));
        QCOMPARE(analysis.BarSet1->count(), 12);
        QCOMPARE(analysis.BarSet1->at(3), 150.0);
        QCOMPARE(analysis.BarSet2->at(0), 106.746);
        QVERIFY(analysis.AxisY->min() == 0 && analysis.AxisY->max() >= 150);

        QCOMPARE(analysis.Label1->text(), Shown(QStringLiteral("Катионы: 11.89 мг-экв/л")));
        QCOMPARE(analysis.Label2->text(), Shown(QStringLiteral("Анионы: 12.97 мг-экв/л")));
        QCOMPARE(analysis.Label3->text(), Shown(QStringLiteral("Расчётная ЭП: 1.24 мСм/см")));
        QCOMPARE(analysis.Label4->text(),
                 QStringLiteral("Азот считается нитратным, фосфор — H2PO4, сера — SO4; ЭП ≈ (катионы + анионы) / 20."));
        QCOMPARE(Items(analysis.ListBox1),
                 (QStringList{ZeroAmount("Сульфат цинка"), ZeroAmount("Сульфат меди"), ZeroAmount("Молибдат натрия"),
                              ZeroSource("Zn"), ZeroSource("Cu"), ZeroSource("Mo")}));
        Session::screenshot(analysis, "solution_analysis.png");
        Session::screenshot(calc, "calculator.png");

        // A second iron chelate, with nothing but iron like the first: the
        // solve leaves out a singular value. The window follows the action
        // once, after it.
        QSignalSpy repaints(grid->model(), &QAbstractItemModel::dataChanged);
        s.add(QStringLiteral("Хелат железа (Fe-DTPA)"));
        QCOMPARE(repaints.count(), 1);
        QCOMPARE(Items(analysis.ListBox1).last(),
                 QStringLiteral("Удобрения раствора не позволяют подобрать все элементы независимо друг от друга"));

        // A saved solution's concentrations: its amounts are not judged.
        s.save(QStringLiteral("Томат"));
        calc.N4->trigger();
        QVERIFY(!calc.CompositionConcentrations);
        QCOMPARE(Items(analysis.ListBox1).first(), ZeroSource("Zn"));
        QVERIFY(s.messages(MessageKind::Error).isEmpty());
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(MixingWindowsTest)
#include "test_mixing_windows.moc"
