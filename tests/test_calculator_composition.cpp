// The calculator window's composition pane, driven through its controls:
// adding, removing and clearing lines, the name search, the content hint,
// the sort toggle, what showing and closing the window do, and the layout
// the other panes are built on.

#include "calculator_fixture.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/db_spin_box.h"
#include "controls/splitter.h"
#include "windows/directories/element_form.h"
#include "large_screen.h"
#include "windows/settings/options_form.h"

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
// only a calculation overwrites.
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

} // namespace

class CalculatorCompositionTest : public QObject {
    Q_OBJECT
private slots:
    void layoutOfTheWindow() {
        CalculatorFixture f(Rows());
        f.start();
        TForm4& c = f.calc();
        QCOMPARE(c.windowTitle(), QStringLiteral("Tarvik v1.2"));

        // The controls are found under their members' names (the options and
        // the stored geometry reach them so as well).
        QCOMPARE(c.findChild<QObject*>(QStringLiteral("RzSplitter3")), c.RzSplitter3);
        const QString names =
            QStringLiteral("RzSplitter1 RzSplitter2 RzSplitter4 RzSplitter5 Edit1 dxDBGrid1 Label6 Button1 Button2 "
                           "Button3 Button4 Button5 Button6 Button7 Button8 Button10 dxDBGrid2 PopupMenu2 N7 N8 "
                           "GroupSaved dxDBGrid5 PopupMenu3 N1 N5 LitresPanel dxDBSpinEdit1 dxDBGrid4 PopupMenu4 N4 "
                           "EXCEL1 dxDBGrid3 PopupMenu1 N9 N10 DBNavigator1 PanelPpm Label10 Label11 PanelMgl Label4 "
                           "Label13 Label5 Label9 GroupCrop GroupStrength RxSlider1 PanelStrengthEdit Edit2 dxDBGrid6 "
                           "CropNavigators DBNavigator2 DBNavigator3 DBNavigator4 Timer1");
        for (const QString& name : names.split(QLatin1Char(' ')))
            QVERIFY2(c.findChild<QObject*>(name), qPrintable(name));

        // The button column, and the buttons only the program presses.
        const std::vector<std::tuple<QPushButton*, const char*, const char*>> buttons{
            {c.Button1, ">", "Добавить в состав"},
            {c.Button2, "<", "Удалить из состава"},
            {c.Button6, "E", "Справочник элементов"},
            {c.Button8, "U", "Справочник удобрений"},
            {c.Button7, "O", "Опции"},
            {c.Button3, "X", "Очистить весь состав"},
        };
        for (const auto& [b, caption, hint] : buttons) {
            QCOMPARE(b->text(), QString::fromUtf8(caption));
            QCOMPARE(b->toolTip(), QString::fromUtf8(hint));
            QVERIFY(b->isVisible());
        }
        QVERIFY(!c.Button7->isEnabled());
        QVERIFY(c.Button1->y() < c.Button2->y() && c.Button2->y() < c.Button6->y() && c.Button7->y() < c.Button3->y());
        QCOMPARE(c.Button5->text(), QStringLiteral("Сохранить"));
        QCOMPARE(c.Button4->text(), QStringLiteral("Рассчитать >>"));
        QCOMPARE(c.Button10->text(), QStringLiteral("?"));
        QVERIFY(!c.Button4->isVisible() && !c.Button10->isVisible());
        QCOMPARE(c.Edit1->toolTip(), QStringLiteral("Название искомого удобрения"));

        // Grids and their columns.
        QCOMPARE(c.dxDBGrid1->dataSource(), &f.program().Form2->DS_UDobRA);
        QCOMPARE(c.dxDBGrid1->column(0)->caption(), QStringLiteral("Названия"));
        QCOMPARE(c.dxDBGrid2->column(0)->caption(), QStringLiteral("Наименование"));
        QVERIFY(c.dxDBGrid2->column(0)->isReadOnly());
        QCOMPARE(c.dxDBGrid2Column2->caption(), QStringLiteral("Кол-во г./л."));
        QCOMPARE(c.dxDBGrid2Column2->kind(), ColumnKind::Spin);
        QCOMPARE(c.dxDBGrid2Column2->step(), 0.01);
        QCOMPARE(c.dxDBGrid2Column2->maximum(), 1000.0);
        QCOMPARE(c.dxDBGrid2->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(c.dxDBGrid3->dataSource(), &c.DataSource2);
        QCOMPARE(c.dxDBGrid3name_el->caption(), QStringLiteral("Элемент"));
        QCOMPARE(c.dxDBGrid3name_el->lookupKeyField(), QStringLiteral("id_el"));
        QCOMPARE(c.dxDBGrid3vega->caption(), QStringLiteral("Необходимость (Введите)"));
        QCOMPARE(c.dxDBGrid3rachet->caption(), QStringLiteral("Расчёт"));
        QVERIFY(c.dxDBGrid3rachet->isReadOnly());
        QCOMPARE(c.dxDBGrid5->column(0)->caption(), QStringLiteral("Имя раствора"));
        QCOMPARE(c.dxDBGrid4->column(0)->caption(), QStringLiteral("Название"));
        QCOMPARE(c.dxDBGrid4kol->caption(), QStringLiteral("Кол-во г/л."));
        QCOMPARE(c.dxDBGrid4kol->maximum(), 100.0);
        QCOMPARE(c.dxDBGrid4kol_temp->caption(), QStringLiteral("Кол-во г/1л."));
        QCOMPARE(c.dxDBGrid6->column(0)->caption(), QStringLiteral("Название"));
        QCOMPARE(c.dxDBGrid6->column(1)->caption(), QStringLiteral("ph"));
        QVERIFY(!c.dxDBGrid6->columnByField(QStringLiteral("id_kult"))->isVisible());
        QCOMPARE(c.N7->text(), QStringLiteral("Удалить"));
        QCOMPARE(c.N8->text(), QStringLiteral("Добавить"));
        QCOMPARE(c.N9->text(), QStringLiteral("Добавить"));
        QCOMPARE(c.N10->text(), QStringLiteral("Удалить"));
        QCOMPARE(c.N1->text(), QStringLiteral("изменить название"));
        QCOMPARE(c.N5->text(), QStringLiteral("удалить р-р"));
        QCOMPARE(c.N4->text(), QStringLiteral("Рассчитать"));
        QCOMPARE(c.EXCEL1->text(), QStringLiteral("Выгрузить в EXCEL"));

        // Navigators: three buttons on the targets, one each on the crops.
        QVERIFY(c.DBNavigator1->button(NavButton::Insert) && c.DBNavigator1->button(NavButton::Delete) &&
                c.DBNavigator1->button(NavButton::Post));
        QVERIFY(!c.DBNavigator1->button(NavButton::First) && !c.DBNavigator1->button(NavButton::Cancel));
        QCOMPARE(c.DBNavigator2->button(NavButton::Insert)->toolTip(), QStringLiteral("Добавить новую культуру"));
        QCOMPARE(c.DBNavigator3->button(NavButton::Delete)->toolTip(), QStringLiteral("Удалить культуру"));
        QCOMPARE(c.DBNavigator4->button(NavButton::Post)->toolTip(), QStringLiteral("Сохранить изменения"));
        QVERIFY(!c.DBNavigator2->button(NavButton::Delete));

        // The strength panel, never shown, and the timer.
        QVERIFY(!c.GroupStrength->isVisible());
        QCOMPARE(c.GroupStrength->title(), QStringLiteral("Концентрация: 100%"));
        QCOMPARE(c.RxSlider1->minimum(), 0);
        QCOMPARE(c.RxSlider1->value(), 100);
        QCOMPARE(c.RxSlider1->singleStep(), 1);
        QCOMPARE(c.RxSlider1->toolTip(), QStringLiteral("Процентная концентрация"));
        QCOMPARE(c.Edit2->text(), QStringLiteral("100"));
        QCOMPARE(c.Timer1->interval(), 1500);
        QVERIFY(c.Timer1->isSingleShot() && !c.Timer1->isActive());

        // Totals strips: their captions, and below the navigator in this order.
        const auto labelIn = [](QWidget* strip, const QString& text) {
            for (QLabel* l : strip->findChildren<QLabel*>())
                if (l->text() == text)
                    return true;
            return false;
        };
        QVERIFY(labelIn(c.PanelMgl, QStringLiteral(" Общее кол-во солей (мг./л.):  ")));
        QVERIFY(labelIn(c.PanelPpm, QStringLiteral(" Общее кол-во солей (PPM):  ")));
        QLayout* under = c.DBNavigator1->parentWidget()->layout();
        QVERIFY(under->indexOf(c.dxDBGrid3) < under->indexOf(c.DBNavigator1));
        QVERIFY(under->indexOf(c.DBNavigator1) < under->indexOf(c.PanelPpm));
        QVERIFY(under->indexOf(c.PanelPpm) < under->indexOf(c.PanelMgl));

        // Group captions.
        QStringList titles;
        for (QGroupBox* g : c.findChildren<QGroupBox*>())
            titles << g->title();
        for (const char* t : {"Удобрения:", "Состав раствора:", "Готовые растворы:", "Название:", "Состав:",
                              "Концентрация элементов: мг/л.", "Культура:"})
            QVERIFY2(titles.contains(QString::fromUtf8(t)), t);

        // The litres box and the mixing order over its panel.
        QCOMPARE(c.dxDBSpinEdit1->toolTip(), QStringLiteral("Укажите кол-во литров"));
        QCOMPARE(c.dxDBSpinEdit1->singleStep(), 0.1);
        QCOMPARE(c.dxDBSpinEdit1->maximum(), 100.0);
        const QStringList order = c.LitresPanel->toolTip().split(QChar(13));
        QCOMPARE(order.size(), 16);
        QVERIFY(!c.LitresPanel->toolTip().contains(QLatin1Char('\n')));
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
        Program program;
        program.messages().setMode(MessageService::Mode::Headless);
        TForm4& c = *program.Form4;
        QCOMPARE(c.size(), QSize(936, 738));
        c.show();
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        // Created hidden; only the options show the totals.
        QVERIFY(!c.PanelPpm->isVisible() && !c.PanelMgl->isVisible() && !c.GroupStrength->isVisible());
        const auto share = [](Splitter* s) {
            const int extent = s->orientation() == Qt::Horizontal ? s->width() : s->height();
            return double(s->position()) / extent;
        };
        QVERIFY2(std::fabs(share(c.RzSplitter1) - 0.51) < 0.01, qPrintable(QString::number(share(c.RzSplitter1))));
        QVERIFY2(std::fabs(share(c.RzSplitter2) - 0.62) < 0.01, qPrintable(QString::number(share(c.RzSplitter2))));
        QVERIFY2(std::fabs(share(c.RzSplitter4) - 0.60) < 0.01, qPrintable(QString::number(share(c.RzSplitter4))));
        QVERIFY2(std::fabs(share(c.RzSplitter5) - 0.82) < 0.01, qPrintable(QString::number(share(c.RzSplitter5))));
        QCOMPARE(c.RzSplitter3->position(), 240);
        QCOMPARE(c.RzSplitter3->handleWidth(), 6);
        for (Splitter* s : {c.RzSplitter1, c.RzSplitter2, c.RzSplitter3, c.RzSplitter4, c.RzSplitter5})
            QCOMPARE(s->handle(1)->toolTip(), QStringLiteral("Изменить размер"));
        QCOMPARE(c.RzSplitter1->orientation(), Qt::Horizontal);
        QCOMPARE(c.RzSplitter2->orientation(), Qt::Vertical);

        // The search box: 56 pixels in, 65 narrower than its strip, also after the bar moves.
        QWidget* strip = c.Edit1->parentWidget();
        QCOMPARE(c.Edit1->x(), 56);
        QCOMPARE(c.Edit1->width(), strip->width() - 65);
        const int before = strip->width();
        c.RzSplitter4->setPosition(c.RzSplitter4->position() + 40);
        QVERIFY(strip->width() > before);
        QCOMPARE(c.Edit1->width(), strip->width() - 65);
        QVERIFY(program.messages().shown().empty());
    }

    // ">" twice on one fertilizer: one line, and the recipe ran both times.
    void addingTwiceKeepsOneLine() {
        CalculatorFixture f(Rows());
        f.start();
        TForm4& c = f.calc();
        f.makeCurrent(11);
        QTest::mouseClick(c.Button1, Qt::LeftButton);
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_rachet")), std::vector<double>{11});
        QVERIFY(!std::isnan(f.amounts().at(0))); // the recipe filled the amount
        QCOMPARE(f.result(kK), 0.0);             // and the calculation followed
        QCOMPARE(c.T_rachet.fieldByName(QStringLiteral("name"))->asString(), QStringLiteral("Аммиачная селитра"));

        f.makeCurrent(11);
        QTest::mouseClick(c.Button1, Qt::LeftButton);
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_rachet")), std::vector<double>{11});
        QVERIFY(f.errors().isEmpty());
    }

    // The double-click in the list and the context menu's entries add and remove.
    void doubleClickAndMenuEntries() {
        CalculatorFixture f(Rows());
        f.start();
        TForm4& c = f.calc();
        DoubleClickRow(c.dxDBGrid1, 3);
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_rachet")), std::vector<double>{13});
        f.makeCurrent(10);
        c.N8->trigger();
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_rachet ORDER BY id_rachet")),
                 (std::vector<double>{13, 10}));
        ClickRow(c.dxDBGrid2, 0);
        QCOMPARE(CurrentKey(c.T_rachet), 13);
        c.N7->trigger();
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_rachet")), std::vector<double>{10});
        QVERIFY(f.errors().isEmpty());
    }

    // "<" on an empty composition deletes nothing and still recalculates;
    // "X" empties it and leaves 0 for every element.
    void removeOnEmptyAndClear() {
        CalculatorFixture f(Rows());
        f.start();
        TForm4& c = f.calc();
        QCOMPARE(f.result(kN), 99.0);
        QTest::mouseClick(c.Button2, Qt::LeftButton);
        QVERIFY(f.errors().isEmpty());
        QCOMPARE(f.result(kN), 0.0);
        QCOMPARE(f.result(kK), 0.0);

        for (int key : {10, 11, 13})
            QVERIFY(f.add(key));
        QVERIFY(f.result(kN) > 0);
        QTest::mouseClick(c.Button3, Qt::LeftButton);
        QVERIFY(f.column(QStringLiteral("SELECT id_rachet FROM t_rachet")).empty());
        QCOMPARE(c.T_rachet.recordCount(), 0);
        QCOMPARE(f.result(kN), 0.0);
        QCOMPARE(f.result(kK), 0.0);
        QVERIFY(f.errors().isEmpty());
    }

    // A search that matches nothing leaves no fertilizer to add: ">" adds no
    // line, says so, and the recipe does not run.
    void addWithAnEmptyList() {
        CalculatorFixture f(Rows());
        f.start();
        TForm4& c = f.calc();
        Type(c.Edit1, QStringLiteral("нет такого"));
        QVERIFY(f.fertilizers().isFiltered());
        QCOMPARE(f.fertilizers().recordCount(), 0);
        QTest::mouseClick(c.Button1, Qt::LeftButton);
        QCOMPARE(f.errors(), QStringList{QStringLiteral("Не выбрано удобрение")});
        QVERIFY(f.column(QStringLiteral("SELECT id_rachet FROM t_rachet")).empty());
        QCOMPARE(f.result(kN), 99.0);
        QCOMPARE(c.Edit1->text(), QStringLiteral("нет такого"));
        // Clearing the text shows every fertilizer again.
        c.Edit1->clear();
        QVERIFY(!f.fertilizers().isFiltered());
        QCOMPARE(f.fertilizers().recordCount(), 4);
    }

    // The search text stays in the box after an add; the list is whole again,
    // on its first record.
    void searchTextOutlivesAnAdd() {
        CalculatorFixture f(Rows());
        f.start();
        TForm4& c = f.calc();
        Type(c.Edit1, QStringLiteral("СЕЛИТ"));
        QCOMPARE(ListKeys(f.fertilizers()), (std::vector<int>{10, 11, 13}));
        ClickRow(c.dxDBGrid1, 2);
        QCOMPARE(CurrentKey(f.fertilizers()), 13);
        QTest::mouseClick(c.Button1, Qt::LeftButton);
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_rachet")), std::vector<double>{13});
        QCOMPARE(c.Edit1->text(), QStringLiteral("СЕЛИТ"));
        QVERIFY(!f.fertilizers().isFiltered());
        QCOMPARE(f.fertilizers().recordCount(), 4);
        QCOMPARE(f.fertilizers().recNo(), 1);
        QVERIFY(f.errors().isEmpty());
    }

    // Each click rebuilds the list's hint from the clicked fertilizer's content.
    void contentHint() {
        CalculatorFixture f(Rows());
        f.start();
        TForm4& c = f.calc();
        ClickRow(c.dxDBGrid1, 0);
        QCOMPARE(c.dxDBGrid1->hint(), Shown(QStringLiteral("Кальциевая селитра:\r\n\r\nN - 15.5%\r\nCa - 19%")));
        ClickRow(c.dxDBGrid1, 3);
        QCOMPARE(c.dxDBGrid1->hint(), QStringLiteral("Калиевая селитра:\r\n\r\nN - 13%\r\nK2O - 46%"));
        ClickRow(c.dxDBGrid1, 2);
        QCOMPARE(c.dxDBGrid1->hint(), QStringLiteral("Борная кислота:\r\n"));
        QVERIFY(f.errors().isEmpty());
    }

    // The mark starts descending, so the first header click sorts A to Z.
    void sortToggle() {
        CalculatorFixture f(Rows());
        f.start();
        TForm4& c = f.calc();
        DBGridColumn* names = c.dxDBGrid1->column(0);
        QCOMPARE(names->sortMark(), SortMark::Descending);
        QCOMPARE(ListKeys(f.fertilizers()), (std::vector<int>{10, 11, 12, 13}));
        ClickHeader(c.dxDBGrid1);
        QCOMPARE(names->sortMark(), SortMark::Ascending);
        QCOMPARE(f.fertilizers().sort(), QStringLiteral("name_udobra ASC"));
        QCOMPARE(ListKeys(f.fertilizers()), (std::vector<int>{11, 12, 13, 10}));
        ClickHeader(c.dxDBGrid1);
        QCOMPARE(names->sortMark(), SortMark::Descending);
        QCOMPARE(ListKeys(f.fertilizers()), (std::vector<int>{10, 13, 12, 11}));
        QVERIFY(f.errors().isEmpty());
    }

    // Showing the window walks the lines through the list's filter: a name
    // search goes while its text stays, the filter text holds the last line's
    // key, the last line is current, and nothing is calculated.
    void showingWalksTheLines() {
        CalculatorFixture f(Rows(QStringLiteral("INSERT INTO t_rachet (id_udobra, kol) VALUES (13, 1), (11, 2);")));
        f.start();
        TForm4& c = f.calc();
        Type(c.Edit1, QStringLiteral("бор"));
        QCOMPARE(f.fertilizers().recordCount(), 1);
        c.hide();
        c.show();
        QVERIFY(!f.fertilizers().isFiltered());
        QCOMPARE(f.fertilizers().filter(), QStringLiteral("id_udobra=11"));
        QCOMPARE(f.fertilizers().recNo(), 1);
        QCOMPARE(f.fertilizers().recordCount(), 4);
        QCOMPARE(CurrentKey(c.T_rachet), 11);
        QCOMPARE(c.Edit1->text(), QStringLiteral("бор"));
        QCOMPARE(f.result(kN), 99.0);
        QCOMPARE(f.amounts(), (std::vector<double>{1, 2}));
        QVERIFY(f.errors().isEmpty());
    }

    void elementAndFertilizerButtons() {
        CalculatorFixture f(Rows());
        f.start();
        TForm4& c = f.calc();
        QTest::mouseClick(c.Button6, Qt::LeftButton);
        QVERIFY(f.program().Form3->isVisible());
        QTest::mouseClick(c.Button8, Qt::LeftButton);
        QVERIFY(f.program().Form2->isVisible());
        QVERIFY(f.errors().isEmpty());
    }

    // With "open at start-up" set, closing the calculator ends the program;
    // without it the launcher stays.
    void closingWithAndWithoutAvto() {
        for (const bool avto : {false, true}) {
            CalculatorFixture f(Rows(QStringLiteral("UPDATE t_opt SET avto = %1;").arg(avto ? 1 : 0)));
            f.start();
            int ends = 0;
            f.program().quit = [&ends] { ++ends; };
            QVERIFY(f.calc().isVisible());
            QVERIFY(f.calc().close());
            QVERIFY(!f.calc().isVisible());
            QCOMPARE(ends, avto ? 1 : 0);
            QCOMPARE(f.program().Form1->isVisible(), !avto);
            // The closing sequence read everything again (without avto).
            if (!avto)
                QVERIFY(f.calc().T_rachet.isActive());
            QVERIFY(f.errors().isEmpty());
        }
    }

    // Four fertilizers fitted to the first crop of the starter database, as a
    // grower opens it from the launcher. With SOLVANE_SCREENSHOT set to a file
    // name, the window is saved there as a picture.
    void fourFertilizersOnTheStarterDatabase() {
        WorkingDirectory dir;
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        Program program;
        program.messages().setMode(MessageService::Mode::Headless);
        program.quit = [] {};
        program.Form1->show();
        QTest::mouseClick(program.Form1->RzButton2, Qt::LeftButton);
        TForm4& c = *program.Form4;
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        DataSet& list = program.Form2->T_Udobra;
        Field* name = list.fieldByName(QStringLiteral("name_udobra"));
        for (const char* wanted : {"Кальциевая селитра", "Калиевая селитра", "Монофосфат калия", "Сульфат магния"}) {
            for (list.first(); !list.eof() && name->asString() != QString::fromUtf8(wanted); list.next()) {
            }
            QCOMPARE(name->asString(), QString::fromUtf8(wanted));
            QTest::mouseClick(c.Button1, Qt::LeftButton);
        }
        QCOMPARE(c.T_rachet.recordCount(), 4);
        Field* kol = c.T_rachet.fieldByName(QStringLiteral("kol"));
        for (c.T_rachet.first(); !c.T_rachet.eof(); c.T_rachet.next())
            QVERIFY(!kol->isNull());
        ClickRow(c.dxDBGrid1, 0);
        QVERIFY(program.messages().shown().empty());

        // At the default size the four mg/l totals read as separate figures:
        // each shows whole with a blank before it, and none reaches the next.
        QApplication::processEvents();
        QCOMPARE(c.size() + (c.frameGeometry().size() - c.geometry().size()), QSize(936, 738));
        const QList<QLabel*> sums{c.Label4, c.Label13, c.Label5, c.Label9};
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

        const QString target = qEnvironmentVariable("SOLVANE_SCREENSHOT");
        if (!target.isEmpty()) {
            QTest::qWait(50);
            QVERIFY(c.grab().save(target));
        }
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(CalculatorCompositionTest)
#include "test_calculator_composition.moc"
