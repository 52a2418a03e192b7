// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator window's composition pane, driven through its controls:
// adding, removing and clearing lines, the name search, the content hint,
// the sort toggle, what showing and closing the window do, and the layout
// the other panes are built on.

#include "calculator_fixture.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/db_spin_box.h"
#include "controls/splitter.h"
#include "large_screen.h"
#include "store/starter_database.h"
#include "windows/calculator/crop_pane.h"
#include "windows/calculator/recalculation_timer.h"
#include "windows/directories/element_directory.h"
#include "windows/directories/fertilizer_directory.h"

#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <cmath>

using namespace solvane;
using namespace solvane::test;

namespace {

// Fertilizers in the table's order (not alphabetical):
//  10 Кальциевая селитра  N 15.5, Ca 19
//  11 Аммиачная селитра   N 34.4
//  12 Борная кислота      no content
//  13 Калиевая селитра    N 13, K2O 46
// Targets of the crop: N 150 and K 200, with a stored result of 99 that
// does not follow from the composition: showing the calculator works it out.
const char* kRows = "INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES"
                    " (10, 'Кальциевая селитра', 600), (11, 'Аммиачная селитра', 850),"
                    " (12, 'Борная кислота', 0), (13, 'Калиевая селитра', 650);"
                    "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES"
                    " (1, 10, 15.5), (5, 10, 19), (1, 11, 34.4), (1, 13, 13), (4, 13, 46);"
                    "INSERT INTO t_konc (vega, id_kult, id_el, rachet) VALUES (150, 1, 1, 99), (200, 1, 3, 99);";

QString Rows(const QString& more = QString()) {
    return QString::fromUtf8(kRows) + more;
}

void ClickRow(DBGrid* grid, int row) {
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

void DoubleClickRow(DBGrid* grid, int row) {
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// Types text into a box key by key, as a user would (Cyrillic included).
void Type(QWidget* box, const QString& text) {
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void ClickHeader(DBGrid* grid) {
    QHeaderView* header = grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
}

// The fertilizer keys of the list as it stands, in its order.
std::vector<int> ListKeys(DataSet& list) {
    std::vector<int> keys;
    Field* id = list.fieldByName(QStringLiteral("id_udobra"));
    for (int i = 0; i < list.recordCount(); ++i)
        keys.push_back(list.valueAt(i, id).toInt());
    return keys;
}

int CurrentKey(DataSet& set) {
    return set.fieldByName(QStringLiteral("id_udobra"))->asInteger();
}

// The calculator's controls these tests click and read, found by their
// object names; found() says whether every one of them is there.
struct Controls {
    explicit Controls(const CalculatorWindow& c)
        : searchBox(Child<QLineEdit>(c, QStringLiteral("Edit1"))),
          fertilizerGrid(Child<DBGrid>(c, QStringLiteral("dxDBGrid1"))),
          compositionGrid(Child<DBGrid>(c, QStringLiteral("dxDBGrid2"))),
          addButton(Child<QPushButton>(c, QStringLiteral("Button1"))),
          removeButton(Child<QPushButton>(c, QStringLiteral("Button2"))),
          clearButton(Child<QPushButton>(c, QStringLiteral("Button3"))),
          elementsButton(Child<QPushButton>(c, QStringLiteral("Button6"))),
          fertilizersButton(Child<QPushButton>(c, QStringLiteral("Button8"))),
          removeItem(Child<QAction>(c, QStringLiteral("N7"))), addItem(Child<QAction>(c, QStringLiteral("N8"))) {}
    bool found() const {
        return searchBox && fertilizerGrid && compositionGrid && addButton && removeButton && clearButton &&
               elementsButton && fertilizersButton && removeItem && addItem;
    }
    QLineEdit* searchBox;
    DBGrid* fertilizerGrid;
    DBGrid* compositionGrid;
    QPushButton* addButton;         // ">"
    QPushButton* removeButton;      // "<"
    QPushButton* clearButton;       // "X"
    QPushButton* elementsButton;    // "E"
    QPushButton* fertilizersButton; // "U"
    QAction* removeItem;            // the composition menu's "Удалить"
    QAction* addItem;               // the composition menu's "Добавить"
};

} // namespace

class CalculatorCompositionTest : public QObject {
    Q_OBJECT
private slots:
    // What the controls start as, beyond their captions: the grids bound to
    // the database's lists, the editors of the amounts and the litres with
    // their steps and limits, the buttons only the program presses hidden,
    // the strength at 100 % and the recalculation timer idle at 1500 ms.
    void controlsStartAsTheProgramNeedsThem() {
        CalculatorFixture f(Rows());
        f.start();
        CalculatorWindow& c = f.calc();
        Controls controls(c);
        QVERIFY(controls.found());

        // The button column, and the buttons only the program presses.
        for (QPushButton* b : {controls.addButton, controls.removeButton, controls.elementsButton,
                               controls.fertilizersButton, controls.clearButton})
            QVERIFY2(b->isVisible() && b->isEnabled(), qPrintable(b->objectName()));
        auto* options = Child<QPushButton>(c, QStringLiteral("Button7"));
        auto* calculate = Child<QPushButton>(c, QStringLiteral("Button4"));
        auto* recipe = Child<QPushButton>(c, QStringLiteral("Button10"));
        QVERIFY(options && calculate && recipe);
        QVERIFY(options->isVisible() && !options->isEnabled());
        QVERIFY(!calculate->isVisible() && !recipe->isVisible());

        // Grids and their columns.
        auto* targets = Child<DBGrid>(c, QStringLiteral("dxDBGrid3"));
        auto* savedLines = Child<DBGrid>(c, QStringLiteral("dxDBGrid4"));
        auto* crops = Child<DBGrid>(c, QStringLiteral("dxDBGrid6"));
        QVERIFY(targets && savedLines && crops);
        QCOMPARE(controls.fertilizerGrid->dataSource(), &f.data().fertilizersSource);
        QCOMPARE(controls.compositionGrid->dataSource(), &f.data().compositionSource);
        QCOMPARE(targets->dataSource(), &f.data().targetsSource);
        QVERIFY(controls.compositionGrid->column(0)->isReadOnly());
        DBGridColumn* amount = controls.compositionGrid->columnByField(QStringLiteral("kol"));
        QVERIFY(amount);
        QCOMPARE(amount->kind(), ColumnKind::Spin);
        QCOMPARE(amount->step(), 0.01);
        QCOMPARE(amount->maximum(), 1000.0);
        QCOMPARE(controls.compositionGrid->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(targets->columnByField(QStringLiteral("name_el"))->lookupKeyField(), QStringLiteral("id_el"));
        QVERIFY(targets->columnByField(QStringLiteral("rachet"))->isReadOnly());
        QCOMPARE(savedLines->columnByField(QStringLiteral("kol"))->maximum(), 100.0);
        QVERIFY(!crops->columnByField(QStringLiteral("id_kult"))->isVisible());

        // Navigators: three buttons on the targets, one each on the crops.
        auto* targetBar = Child<DBNavigator>(c, QStringLiteral("DBNavigator1"));
        auto* cropInsert = Child<DBNavigator>(c, QStringLiteral("DBNavigator2"));
        auto* cropDelete = Child<DBNavigator>(c, QStringLiteral("DBNavigator3"));
        auto* cropPost = Child<DBNavigator>(c, QStringLiteral("DBNavigator4"));
        QVERIFY(targetBar && cropInsert && cropDelete && cropPost);
        QVERIFY(targetBar->button(NavButton::Insert) && targetBar->button(NavButton::Delete) &&
                targetBar->button(NavButton::Post));
        QVERIFY(!targetBar->button(NavButton::First) && !targetBar->button(NavButton::Cancel));
        QVERIFY(cropInsert->button(NavButton::Insert) && cropDelete->button(NavButton::Delete) &&
                cropPost->button(NavButton::Post));
        QVERIFY(!cropInsert->button(NavButton::Delete));

        // The strength panel, never shown, and the timer.
        auto* strengthGroup = Child<QGroupBox>(c, QStringLiteral("GroupStrength"));
        auto* slider = Child<QSlider>(c, QStringLiteral("RxSlider1"));
        auto* timer = Child<QTimer>(c, QStringLiteral("Timer1"));
        QVERIFY(strengthGroup && slider && timer);
        QVERIFY(!strengthGroup->isVisible());
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->value(), 100);
        QCOMPARE(slider->singleStep(), 1);
        QCOMPARE(c.cropPane()->strength(), 100);
        QCOMPARE(c.cropPane()->strengthText(), QStringLiteral("100"));
        QCOMPARE(timer->interval(), 1500);
        QVERIFY(timer->isSingleShot() && !timer->isActive());
        QVERIFY(!c.recalculation()->pending());

        // The litres box and the mixing order over its panel, its lines
        // parted by carriage returns alone.
        auto* litres = Child<DBSpinBox>(c, QStringLiteral("dxDBSpinEdit1"));
        auto* litresPanel = Child<QWidget>(c, QStringLiteral("LitresPanel"));
        QVERIFY(litres && litresPanel);
        QCOMPARE(litres->singleStep(), 0.1);
        QCOMPARE(litres->minimum(), 0.1);
        QCOMPARE(litres->maximum(), 100000.0);
        const QStringList order = litresPanel->toolTip().split(QChar(13));
        QCOMPARE(order.size(), 16);
        QVERIFY(!litresPanel->toolTip().contains(QLatin1Char('\n')));
        QCOMPARE(order.at(0), QStringLiteral("Для того, чтобы ничего не выпадало в осадок, всегда "));
        QCOMPARE(order.at(3), QString(26, QLatin1Char('-')));
        QCOMPARE(order.at(9), QString(26, QLatin1Char('-')));
        QCOMPARE(order.at(14), QStringLiteral("5. Микро "));
        QCOMPARE(order.at(15), QStringLiteral("6. Сульфат магния"));
    }

    // The panes' default proportions and the bars' hint, before any stored
    // geometry: the window is shown without the launcher, so nothing is loaded.
    void splittersStartAtTheirProportions() {
        CalculatorFixture f(Rows());
        f.ProgramFixture::start(false);
        CalculatorWindow& c = f.calc();
        QCOMPARE(c.size(), QSize(936, 738));
        c.show();
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        // Created hidden; only the options show the totals.
        auto* ppm = Child<QWidget>(c, QStringLiteral("PanelPpm"));
        auto* mgl = Child<QWidget>(c, QStringLiteral("PanelMgl"));
        auto* strength = Child<QWidget>(c, QStringLiteral("GroupStrength"));
        QVERIFY(ppm && mgl && strength);
        QVERIFY(!ppm->isVisible() && !mgl->isVisible() && !strength->isVisible());
        const auto share = [](Splitter* s) {
            const int extent = s->orientation() == Qt::Horizontal ? s->width() : s->height();
            return double(s->position()) / extent;
        };
        const std::array<Splitter*, 5> bars = c.splitters(); // RzSplitter1 .. RzSplitter5
        for (int i = 0; i < 5; ++i)
            QCOMPARE(bars[i]->objectName(), QStringLiteral("RzSplitter%1").arg(i + 1));
        QVERIFY2(std::fabs(share(bars[0]) - 0.51) < 0.01, qPrintable(QString::number(share(bars[0]))));
        QVERIFY2(std::fabs(share(bars[1]) - 0.62) < 0.01, qPrintable(QString::number(share(bars[1]))));
        QVERIFY2(std::fabs(share(bars[3]) - 0.60) < 0.01, qPrintable(QString::number(share(bars[3]))));
        QVERIFY2(std::fabs(share(bars[4]) - 0.82) < 0.01, qPrintable(QString::number(share(bars[4]))));
        QCOMPARE(bars[2]->position(), 240);
        QCOMPARE(bars[2]->handleWidth(), 6);
        for (Splitter* s : bars)
            QCOMPARE(s->handle(1)->toolTip(), QStringLiteral("Изменить размер"));
        QCOMPARE(bars[0]->orientation(), Qt::Horizontal);
        QCOMPARE(bars[1]->orientation(), Qt::Vertical);

        // The search box: 56 pixels in, 65 narrower than its strip, also after the bar moves.
        auto* search = Child<QLineEdit>(c, QStringLiteral("Edit1"));
        QVERIFY(search);
        QWidget* strip = search->parentWidget();
        QCOMPARE(search->x(), 56);
        QCOMPARE(search->width(), strip->width() - 65);
        const int before = strip->width();
        bars[3]->setPosition(bars[3]->position() + 40);
        QVERIFY(strip->width() > before);
        QCOMPARE(search->width(), strip->width() - 65);
        QVERIFY(f.messages().shown().empty());
    }

    // The double-click in the list and the context menu's entries add and remove.
    void doubleClickAndMenuEntries() {
        CalculatorFixture f(Rows());
        f.start();
        Controls c(f.calc());
        QVERIFY(c.found());
        DoubleClickRow(c.fertilizerGrid, 3);
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_rachet")), std::vector<double>{13});
        QVERIFY(f.makeCurrent(10));
        c.addItem->trigger();
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_rachet ORDER BY id_rachet")),
                 (std::vector<double>{13, 10}));
        ClickRow(c.compositionGrid, 0);
        QCOMPARE(CurrentKey(f.data().composition), 13);
        c.removeItem->trigger();
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_rachet")), std::vector<double>{10});
        QVERIFY(f.errors().isEmpty());
    }

    // "<" on an empty composition deletes nothing and still recalculates;
    // "X" empties it and leaves 0 for every element.
    void removeOnEmptyAndClear() {
        CalculatorFixture f(Rows());
        f.start();
        Controls c(f.calc());
        QVERIFY(c.found());
        // The stored 99 is no result of the empty composition.
        QCOMPARE(f.result(kN), 0.0);
        QTest::mouseClick(c.removeButton, Qt::LeftButton);
        QVERIFY(f.errors().isEmpty());
        QCOMPARE(f.result(kN), 0.0);
        QCOMPARE(f.result(kK), 0.0);

        for (int key : {10, 11, 13})
            QVERIFY(f.add(key));
        QVERIFY(f.result(kN) > 0);
        QTest::mouseClick(c.clearButton, Qt::LeftButton);
        QVERIFY(f.column(QStringLiteral("SELECT id_rachet FROM t_rachet")).empty());
        QCOMPARE(f.data().composition.recordCount(), 0);
        QCOMPARE(f.result(kN), 0.0);
        QCOMPARE(f.result(kK), 0.0);
        QVERIFY(f.errors().isEmpty());
    }

    // A search that matches nothing leaves no fertilizer to add: ">" adds no
    // line, says so, and the recipe does not run.
    void addWithAnEmptyList() {
        CalculatorFixture f(Rows());
        f.start();
        Controls c(f.calc());
        QVERIFY(c.found());
        Type(c.searchBox, QStringLiteral("нет такого"));
        QVERIFY(f.fertilizers().isFiltered());
        QCOMPARE(f.fertilizers().recordCount(), 0);
        f.sql().exec(QStringLiteral("UPDATE t_konc SET rachet = 99"));
        QTest::mouseClick(c.addButton, Qt::LeftButton);
        QCOMPARE(f.errors(), QStringList{QStringLiteral("Не выбрано удобрение")});
        QVERIFY(f.column(QStringLiteral("SELECT id_rachet FROM t_rachet")).empty());
        QCOMPARE(f.result(kN), 99.0);
        QCOMPARE(c.searchBox->text(), QStringLiteral("нет такого"));
        // Clearing the text shows every fertilizer again.
        c.searchBox->clear();
        QVERIFY(!f.fertilizers().isFiltered());
        QCOMPARE(f.fertilizers().recordCount(), 4);
    }

    // The search text stays in the box after an add; the list is whole again,
    // on its first record.
    void searchTextOutlivesAnAdd() {
        CalculatorFixture f(Rows());
        f.start();
        Controls c(f.calc());
        QVERIFY(c.found());
        Type(c.searchBox, QStringLiteral("СЕЛИТ"));
        QCOMPARE(ListKeys(f.fertilizers()), (std::vector<int>{10, 11, 13}));
        ClickRow(c.fertilizerGrid, 2);
        QCOMPARE(CurrentKey(f.fertilizers()), 13);
        QTest::mouseClick(c.addButton, Qt::LeftButton);
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_rachet")), std::vector<double>{13});
        QCOMPARE(c.searchBox->text(), QStringLiteral("СЕЛИТ"));
        QVERIFY(!f.fertilizers().isFiltered());
        QCOMPARE(f.fertilizers().recordCount(), 4);
        QCOMPARE(f.fertilizers().recNo(), 1);
        QVERIFY(f.errors().isEmpty());
    }

    // Each click rebuilds the list's hint from the clicked fertilizer's content.
    void contentHint() {
        CalculatorFixture f(Rows());
        f.start();
        Controls c(f.calc());
        QVERIFY(c.found());
        DBGrid* list = c.fertilizerGrid;
        ClickRow(list, 0);
        QCOMPARE(list->hint(), Shown(QStringLiteral("Кальциевая селитра:\r\n\r\nN - 15.5%\r\nCa - 19%")));
        ClickRow(list, 3);
        QCOMPARE(list->hint(), QStringLiteral("Калиевая селитра:\r\n\r\nN - 13%\r\nK2O - 46%"));
        ClickRow(list, 2);
        QCOMPARE(list->hint(), QStringLiteral("Борная кислота:\r\n"));
        QVERIFY(f.errors().isEmpty());
    }

    // The mark starts descending, so the first header click sorts A to Z.
    void sortToggle() {
        CalculatorFixture f(Rows());
        f.start();
        Controls c(f.calc());
        QVERIFY(c.found());
        DBGridColumn* names = c.fertilizerGrid->column(0);
        QCOMPARE(names->sortMark(), SortMark::Descending);
        QCOMPARE(ListKeys(f.fertilizers()), (std::vector<int>{10, 11, 12, 13}));
        ClickHeader(c.fertilizerGrid);
        QCOMPARE(names->sortMark(), SortMark::Ascending);
        QCOMPARE(f.fertilizers().sort(), QStringLiteral("name_udobra ASC"));
        QCOMPARE(ListKeys(f.fertilizers()), (std::vector<int>{11, 12, 13, 10}));
        ClickHeader(c.fertilizerGrid);
        QCOMPARE(names->sortMark(), SortMark::Descending);
        QCOMPARE(ListKeys(f.fertilizers()), (std::vector<int>{10, 13, 12, 11}));
        QVERIFY(f.errors().isEmpty());
    }

    // Showing the window walks the lines through the list's filter: a name
    // search goes while its text stays, the filter text holds the last line's
    // key, the last line is current; the results are worked out from the
    // amounts as they stand, which no fit changes.
    void showingWalksTheLines() {
        CalculatorFixture f(Rows(QStringLiteral("INSERT INTO t_rachet (id_udobra, kol) VALUES (13, 1), (11, 2);")));
        f.start();
        CalculatorWindow& calc = f.calc();
        Controls c(calc);
        QVERIFY(c.found());
        Type(c.searchBox, QStringLiteral("бор"));
        QCOMPARE(f.fertilizers().recordCount(), 1);
        calc.hide();
        calc.show();
        QVERIFY(!f.fertilizers().isFiltered());
        QCOMPARE(f.fertilizers().filter(), QStringLiteral("id_udobra=11"));
        QCOMPARE(f.fertilizers().recNo(), 1);
        QCOMPARE(f.fertilizers().recordCount(), 4);
        QCOMPARE(CurrentKey(f.data().composition), 11);
        QCOMPARE(c.searchBox->text(), QStringLiteral("бор"));
        QCOMPARE(f.result(kN), 13.0 * 10 * 1 + 34.4 * 10 * 2);
        QCOMPARE(f.amounts(), (std::vector<double>{1, 2}));
        QVERIFY(f.errors().isEmpty());
    }

    void elementAndFertilizerButtons() {
        CalculatorFixture f(Rows());
        f.start();
        Controls c(f.calc());
        QVERIFY(c.found());
        QTest::mouseClick(c.elementsButton, Qt::LeftButton);
        QVERIFY(f.program().elementDirectory().isVisible());
        QTest::mouseClick(c.fertilizersButton, Qt::LeftButton);
        QVERIFY(f.program().fertilizerDirectory().isVisible());
        QVERIFY(f.errors().isEmpty());
    }

    // With "open at start-up" set, closing the calculator ends the program;
    // without it the launcher stays.
    void closingWithAndWithoutAvto() {
        for (const bool avto : {false, true}) {
            CalculatorFixture f(Rows(QStringLiteral("UPDATE t_opt SET avto = %1;").arg(avto ? 1 : 0)));
            f.start();
            int ends = 0;
            QObject::connect(&f.program(), &Program::ending, [&ends] { ++ends; });
            QVERIFY(f.calc().isVisible());
            QVERIFY(f.calc().close());
            QVERIFY(!f.calc().isVisible());
            QCOMPARE(ends, avto ? 1 : 0);
            QCOMPARE(f.program().launcher().isVisible(), !avto);
            // The closing sequence read everything again (without avto).
            if (!avto)
                QVERIFY(f.data().composition.isActive());
            QVERIFY(f.errors().isEmpty());
        }
    }

    // Four fertilizers fitted to the first crop of the starter database, as a
    // grower opens it from the launcher.
    void fourFertilizersOnTheStarterDatabase() {
        ProgramFixture f;
        f.start();
        auto* open = Child<QPushButton>(f.program().launcher(), QStringLiteral("RzButton2"));
        QVERIFY(open);
        QTest::mouseClick(open, Qt::LeftButton);
        CalculatorWindow& calc = f.program().calculator();
        QVERIFY(QTest::qWaitForWindowExposed(&calc));
        Controls c(calc);
        QVERIFY(c.found());
        DataSet& list = f.data().fertilizers;
        Field* name = list.fieldByName(QStringLiteral("name_udobra"));
        for (const char* wanted : {"Кальциевая селитра", "Калиевая селитра", "Монофосфат калия", "Сульфат магния"}) {
            for (list.first(); !list.eof() && name->asString() != QString::fromUtf8(wanted); list.next()) {
            }
            QCOMPARE(name->asString(), QString::fromUtf8(wanted));
            QTest::mouseClick(c.addButton, Qt::LeftButton);
        }
        DataSet& lines = f.data().composition;
        QCOMPARE(lines.recordCount(), 4);
        Field* kol = lines.fieldByName(QStringLiteral("kol"));
        for (lines.first(); !lines.eof(); lines.next())
            QVERIFY(!kol->isNull());
        ClickRow(c.fertilizerGrid, 0);
        QVERIFY(f.messages().shown().empty());

        // At the default size the four mg/l totals read as separate figures:
        // each shows whole with a blank before it, and none reaches the next.
        QApplication::processEvents();
        QCOMPARE(calc.size() + (calc.frameGeometry().size() - calc.geometry().size()), QSize(936, 738));
        QList<QLabel*> sums;
        for (const char* sum : {"Label4", "Label13", "Label5", "Label9"}) {
            sums << Child<QLabel>(calc, QString::fromLatin1(sum));
            QVERIFY2(sums.back(), sum);
        }
        for (int i = 0; i < sums.size(); ++i) {
            QLabel* sum = sums.at(i);
            const QString figure = sum->text().trimmed();
            QVERIFY(figure != QLatin1String("0"));
            QVERIFY2(sum->isVisible() &&
                         sum->contentsRect().width() >= sum->fontMetrics().horizontalAdvance(QLatin1Char(' ') + figure),
                     qPrintable(sum->objectName()));
            if (i > 0)
                QVERIFY(sums.at(i - 1)->geometry().right() < sum->geometry().left());
        }
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(CalculatorCompositionTest)
#include "test_calculator_composition.moc"
