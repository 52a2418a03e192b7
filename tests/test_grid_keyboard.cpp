// SPDX-License-Identifier: GPL-3.0-or-later
// Every editable column of every grid of the program, typed into as a grower
// types: real mouse clicks on the cell and key events sent to whatever has
// the keyboard, with the events processed between the keys and no time let
// pass. What is typed must replace the value, whichever way the editor was
// opened, and a row typed right after "+" must be stored whole. The check is
// what the file holds.

#include "app/program.h"
#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "directories_fixture.h"
#include "large_screen.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/recalculation_timer.h"
#include "windows/directories/coefficient_directory.h"
#include "windows/directories/element_directory.h"
#include "windows/directories/fertilizer_directory.h"
#include "windows/directories/water_profiles_window.h"

#include <QApplication>
#include <QPushButton>
#include <QToolButton>

using namespace solvane;
using namespace solvane::test;

namespace {

enum class Way { ClickClick, DoubleClick, TypeOnSelected, PlusThenType };

// A composition of two lines and a saved solution of one line for the
// starter base's first crop, so that every grid has rows to type into.
void AddSolutionRows(SqlFile& sql) {
    sql.script(QStringLiteral("INSERT INTO t_rachet (id_udobra, kol) VALUES (1, 0.7), (3, 1.2);"
                              "INSERT INTO t_head_rar (name_rar, id_konc, kol_l, konc) VALUES ('Опыт', 1, 2, 100);"
                              "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (1, 0.7, 1);"));
}

// A grid of one window, its table, and the row the click ways type into.
struct GridPlace {
    const char* window; // the window's object name
    const char* grid;
    const char* table;
    const char* key; // the table's key column, read from the grid's data set too
    int row;
};

// One editable column: what is typed into it and what the file then holds.
struct TypedCell {
    int column;
    const char* typed; // letters of a drop-down pick the entry they start
    const char* stored;
    QVariant expected;
};

struct GridTyping {
    GridPlace place;
    std::vector<TypedCell> cells;
    // A navigator's "+" adds rows to the grid.
    bool plus;
};

const std::vector<GridTyping>& Grids() {
    static const std::vector<GridTyping> grids = {
        {{"Form2", "dxDBGrid2", "t_udobra", "id_udobra", 0},
         {{0, "Нитрат калия", "name_udobra", QStringLiteral("Нитрат калия")}, {1, "610", "ppm", 610}},
         true},
        {{"Form2", "dxDBGrid1", "T_sostav_udobra", "id_sostav_udobra", 0},
         {{0, "Mn", "id_element", 8}, {1, "5", "kol_element", 5.0}},
         true},
        {{"Form3", "dxDBGrid1", "T_element", "id_element", 12},
         {{0, "Na", "Smallname_element", QStringLiteral("Na")},
          {1, "Натрий", "fullname_element", QStringLiteral("Натрий")},
          {3, "Ca", "id_kof", 3}},
         true},
        {{"Form6", "dxDBGrid1", "t_kof", "id_kof", 0},
         {{0, "Na2O Na", "name_kof", QStringLiteral("Na2O Na")}, {1, "0,74", "kof", 0.74}},
         true},
        {{"Form4", "dxDBGrid3", "t_konc", "id_konc", 1},
         {{0, "Zn", "id_el", 9}, {1, "60", "vega", 60.0}, {3, "2,5", "weight", 2.5}},
         true},
        {{"Form4", "dxDBGrid2", "t_rachet", "id_rachet", 0},
         {{1, "1,5", "kol", 1.5}, {2, "0,5", "kol_min", 0.5}, {3, "3", "kol_max", 3.0}},
         false},
        {{"Form4", "dxDBGrid4", "t_save_rar", "id_save_rar", 0}, {{1, "2", "kol", 2.0}}, false},
        {{"Form4", "dxDBGrid6", "T_kult", "id_kult", 1},
         {{0, "Огурец", "name_kult", QStringLiteral("Огурец")}, {1, "6,5", "ph", QStringLiteral("6,5")}},
         true},
        {{"WaterProfilesWindow", "WaterProfilesGrid", "t_water", "id_water", 0},
         {{0, "Скважина", "name_water", QStringLiteral("Скважина")}},
         true},
        {{"WaterProfilesWindow", "WaterElementsGrid", "t_water_el", "id_water_el", 0},
         {{0, "Mn", "id_element", 8}, {1, "35", "kol", 35.0}},
         true},
    };
    return grids;
}

// The program with the window of the grid shown and active.
class Session : public DirectorySession {
public:
    Session() : DirectorySession(Base::Starter, AddSolutionRows) {}

    Form* show(const char* window) {
        const QString name = QString::fromLatin1(window);
        Program& program = p();
        const auto launch = [&](const char* button) {
            if (auto* b = Child<QPushButton>(program.launcher(), QString::fromLatin1(button)))
                QTest::mouseClick(b, Qt::LeftButton);
        };
        Form* form = nullptr;
        if (name == QLatin1String("Form2")) {
            launch("RzButton1");
            form = &program.fertilizerDirectory();
        } else if (name == QLatin1String("Form3") || name == QLatin1String("Form6")) {
            launch("RzButton3");
            form = &program.elementDirectory();
            if (name == QLatin1String("Form6")) {
                QTest::mouseClick(Child<QPushButton>(*form, QStringLiteral("Button3")), Qt::LeftButton);
                form = &program.coefficientDirectory();
            }
        } else {
            launch("RzButton2");
            // No recalculation comes due while the test types: it would fit the amounts anew.
            program.calculator().recalculation()->setDelay(3600 * 1000);
            form = &program.calculator();
            if (name == QLatin1String("WaterProfilesWindow")) {
                QTest::mouseClick(Child<QPushButton>(*form, QStringLiteral("WaterButton")), Qt::LeftButton);
                form = &program.waterProfiles();
            }
        }
        if (!form || !form->isVisible())
            return nullptr;
        form->activateWindow();
        return QTest::qWaitForWindowActive(form) ? form : nullptr;
    }
};

// Types text key by key into whatever has the keyboard, the events processed
// after each key.
bool Type(const QString& text) {
    for (const QChar c : text) {
        QWidget* target = QApplication::focusWidget();
        if (!target)
            return false;
        if (c.unicode() < 128 && c.isLetterOrNumber())
            QTest::keyClick(target, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCoreApplication::processEvents();
    }
    return true;
}

bool Press(Qt::Key key) {
    QWidget* target = QApplication::focusWidget();
    if (!target)
        return false;
    QTest::keyClick(target, key);
    QCoreApplication::processEvents();
    return true;
}

QPoint CellCentre(DBGrid& grid, int row, int column) {
    const QModelIndex index = grid.model()->index(row, column);
    grid.scrollTo(index);
    return grid.visualRect(index).center();
}

QVariant Stored(SqlFile& sql, const GridPlace& place, const char* column, const QVariant& key) {
    return sql.value(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
            .arg(QString::fromLatin1(column), QString::fromLatin1(place.table), QString::fromLatin1(place.key)),
        {key});
}

bool Same(const QVariant& stored, const QVariant& expected) {
    if (expected.typeId() == QMetaType::QString)
        return stored.toString() == expected.toString();
    return !stored.isNull() && stored.toDouble() == expected.toDouble();
}

} // namespace

class GridKeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void typingReplacesAndEveryNewRowIsStoredWhole_data() {
        QTest::addColumn<int>("grid");
        QTest::addColumn<int>("cell");
        QTest::addColumn<int>("way");
        const std::vector<GridTyping>& grids = Grids();
        for (size_t g = 0; g < grids.size(); ++g) {
            const GridTyping& typing = grids[g];
            const QString grid = QStringLiteral("%1.%2").arg(QString::fromLatin1(typing.place.window),
                                                             QString::fromLatin1(typing.place.grid));
            for (size_t c = 0; c < typing.cells.size(); ++c) {
                const QString column = grid + QLatin1Char('.') + QString::fromLatin1(typing.cells[c].stored);
                for (const auto& [way, name] : {std::pair{Way::ClickClick, "click, click, type"},
                                                std::pair{Way::DoubleClick, "double click, type"},
                                                std::pair{Way::TypeOnSelected, "type on the selected cell"}})
                    QTest::newRow(qPrintable(column + QStringLiteral(": ") + QString::fromLatin1(name)))
                        << int(g) << int(c) << int(way);
            }
            if (typing.plus)
                QTest::newRow(qPrintable(grid + QStringLiteral(": \"+\" then type at once")))
                    << int(g) << -1 << int(Way::PlusThenType);
        }
    }

    void typingReplacesAndEveryNewRowIsStoredWhole() {
        QFETCH(int, grid);
        QFETCH(int, cell);
        QFETCH(int, way);
        const GridTyping& typing = Grids()[static_cast<size_t>(grid)];
        const GridPlace& place = typing.place;
        Session s;
        Form* form = s.show(place.window);
        QVERIFY(form);
        auto* view = Child<DBGrid>(*form, QString::fromLatin1(place.grid));
        QVERIFY(view && view->isVisible());
        DataSet& set = *view->dataSource()->dataSet();
        const Field* key = set.fieldByName(QString::fromLatin1(place.key));

        if (Way(way) == Way::PlusThenType) {
            // The first editable cell of the new row has the keyboard; the
            // whole row is typed at once, as fast as the keys come.
            const auto before =
                s.sql().value(QStringLiteral("SELECT max(%1) FROM %2")
                                  .arg(QString::fromLatin1(place.key), QString::fromLatin1(place.table)));
            QToolButton* plus = nullptr;
            for (auto* navigator : form->findChildren<DBNavigator*>())
                if (navigator->dataSource() == view->dataSource() && navigator->button(NavButton::Insert))
                    plus = navigator->button(NavButton::Insert);
            QVERIFY(plus && plus->isVisible());
            QTest::mouseClick(plus, Qt::LeftButton);
            QCoreApplication::processEvents();
            for (size_t c = 0; c < typing.cells.size(); ++c) {
                // Tab to the next cell to type, over one with nothing to type (a check box, a result).
                for (int tab = c == 0 ? 0 : typing.cells[c].column - typing.cells[c - 1].column; tab > 0; --tab)
                    QVERIFY(Press(Qt::Key_Tab));
                QVERIFY(Type(QString::fromUtf8(typing.cells[c].typed)));
            }
            QVERIFY(Press(Qt::Key_Return));
            QVERIFY(form->runGuarded([&set] { set.checkBrowseMode(); }));
            const QVariant added =
                s.sql().value(QStringLiteral("SELECT max(%1) FROM %2")
                                  .arg(QString::fromLatin1(place.key), QString::fromLatin1(place.table)));
            QVERIFY2(added.toLongLong() > before.toLongLong(), "no row was stored");
            for (const TypedCell& c : typing.cells) {
                const QVariant stored = Stored(s.sql(), place, c.stored, added);
                QVERIFY2(Same(stored, c.expected),
                         qPrintable(QString::fromLatin1(c.stored) + QStringLiteral(": ") + stored.toString()));
            }
        } else {
            const TypedCell& c = typing.cells[static_cast<size_t>(cell)];
            const QVariant rowKey = set.valueAt(place.row, key);
            QVERIFY(!Same(Stored(s.sql(), place, c.stored, rowKey), c.expected));
            const QPoint at = CellCentre(*view, place.row, c.column);
            switch (Way(way)) {
            case Way::ClickClick:
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
                QCoreApplication::processEvents();
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
                break;
            case Way::DoubleClick:
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
                break;
            default:
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
                break;
            }
            QCoreApplication::processEvents();
            QVERIFY(Type(QString::fromUtf8(c.typed)));
            QVERIFY(Press(Qt::Key_Return));
            QVERIFY(form->runGuarded([&set] { set.checkBrowseMode(); }));
            const QVariant stored = Stored(s.sql(), place, c.stored, rowKey);
            QVERIFY2(Same(stored, c.expected), qPrintable(stored.toString()));
        }
        QVERIFY2(s.errors().isEmpty(), qPrintable(s.errors().join('\n')));
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(GridKeyboardTest)
#include "test_grid_keyboard.moc"
