// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_grid.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "controls/number_spin_box.h"
#include "store/action_scope.h"
#include "store/connection.h"
#include "store/data_source.h"
#include "store/disabled_source.h"
#include "store/dataset.h"
#include "core/error.h"
#include "controls_fixture.h"
#include "store/starter_database.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

using namespace solvane;
using solvane::test::Shown;

namespace {

struct Base : test::ControlsBase {
    // Fertilizer i has ppmStep * i ppm (at most 100000, the most a ppm field holds).
    void addFertilizers(int count, int ppmStep = 100) {
        ActionScope action(&connection);
        for (int i = 1; i <= count; ++i)
            exec("INSERT INTO t_udobra (name_udobra, ppm) VALUES (?, ?)",
                 {QStringLiteral("Удобрение %1").arg(i), ppmStep * i});
        action.finish();
    }
};

// A window with a grid over the fertilizer list and a line edit to leave it for.
struct GridWindow {
    DataSet set;
    DataSource source{&set};
    QWidget window;
    DBGrid* grid;
    QLineEdit* other;
    Field* calc = nullptr;
    int calcRuns = 0;

    GridWindow(Base& base, bool withCalc = false)
        : set(&base.connection, QStringLiteral("T_Udobra")), grid(new DBGrid(base.guard, &window)),
          other(new QLineEdit(&window)) {
        set.setQuery(QStringLiteral("select id_udobra, name_udobra, ppm from t_udobra"), QStringLiteral("t_udobra"));
        if (withCalc) {
            calc = set.addCalculatedField(QStringLiteral("share"), ColumnType::Double);
            set.onCalcFields = [this](DataSet& ds) {
                ++calcRuns;
                calc->setAsFloat(ds.fieldByName(QStringLiteral("ppm"))->asFloat() / 1000.0);
            };
        }
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(grid);
        layout->addWidget(other);
        grid->addColumn(QStringLiteral("name_udobra"), QStringLiteral("Название"));
        grid->addColumn(QStringLiteral("ppm"), QStringLiteral("PPM, 1г./л."));
        if (withCalc)
            grid->addColumn(QStringLiteral("share"), QStringLiteral("Доля"))->setReadOnly(true);
        grid->setDataSource(&source);
        set.open();
        window.resize(400, 300);
    }
    bool show() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    QModelIndex cell(int row, int column) const { return grid->model()->index(row, column); }
    QString text(int row, int column) const { return cell(row, column).data().toString(); }
    QPoint centre(int row, int column) const { return grid->visualRect(cell(row, column)).center(); }
    void click(int row, int column) { QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(row, column)); }
    // What a user's double click delivers: press, release, double click, release.
    void doubleClick(int row, int column) {
        const QPoint p = centre(row, column);
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, p);
    }
};

// The cell editor now open (closed ones wait hidden for their deletion).
template <typename Editor> Editor* openEditor(const QWidget& grid) {
    for (Editor* e : grid.findChildren<Editor*>())
        if (e->isVisible())
            return e;
    return nullptr;
}

} // namespace

class ControlsGridTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Base> base;

private slots:
    void init() { base = std::make_unique<Base>(); }
    void cleanup() { base.reset(); }

    void showsRowsAndFollowsTheCursorBothWays() {
        base->addFertilizers(5);
        GridWindow w(*base, true);
        QVERIFY(w.show());
        QCOMPARE(w.grid->model()->rowCount(), 5);
        QCOMPARE(w.text(1, 0), QStringLiteral("Удобрение 2"));
        QCOMPARE(w.text(2, 1), QStringLiteral("300"));
        QCOMPARE(w.text(2, 2), Shown(QStringLiteral("0.3"))); // through FormatNumber, not 0.29999...
        QCOMPARE(w.grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("PPM, 1г./л."));
        QCOMPARE(w.grid->currentIndex().row(), 0);

        w.set.next();
        w.set.next();
        QCOMPARE(w.grid->currentIndex().row(), 2);
        w.set.last();
        QCOMPARE(w.grid->currentIndex().row(), 4);

        w.click(1, 1);
        QCOMPARE(w.set.recNo(), 2);
        QTest::keyClick(w.grid, Qt::Key_Down);
        QCOMPARE(w.set.recNo(), 3);

        // Rows added to and removed from the set reach the grid.
        w.set.append();
        QCOMPARE(w.grid->model()->rowCount(), 6);
        QCOMPARE(w.grid->currentIndex().row(), 5);
        w.set.cancel();
        QCOMPARE(w.grid->model()->rowCount(), 5);
        w.set.setFilter(QStringLiteral("ppm>300"));
        w.set.setFiltered(true);
        QCOMPARE(w.grid->model()->rowCount(), 2);
        QCOMPARE(w.text(0, 0), QStringLiteral("Удобрение 4"));
        QCOMPARE(w.grid->currentIndex().row(), 0);
        QCOMPARE(w.set.recNo(), 1); // the rows going did not move the data set
    }

    void anInPlaceEditPostsWhenTheRowChanges() {
        base->addFertilizers(3);
        GridWindow w(*base);
        QVERIFY(w.show());
        QStringList seen; // what the field held each time onChange ran
        w.grid->column(0)->onChange = [&] { seen << w.set.fieldByName(QStringLiteral("name_udobra"))->asString(); };

        w.doubleClick(0, 0);
        QVERIFY(w.grid->isEditing());
        QCOMPARE(w.set.state(), DataSetState::Edit);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("Удобрение 1"));
        QCOMPARE(editor->maxLength(), 50);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Chalk"));
        // One change per keystroke, each before anything reached the field.
        QCOMPARE(seen, QStringList(5, QStringLiteral("Удобрение 1")));

        w.click(2, 0);
        QCOMPARE(w.set.state(), DataSetState::Browse);
        QCOMPARE(w.set.recNo(), 3);
        QCOMPARE(base->scalar("SELECT name_udobra FROM t_udobra WHERE id_udobra = 1").toString(),
                 QStringLiteral("Chalk"));
        QCOMPARE(w.text(0, 0), QStringLiteral("Chalk"));
    }

    void leavingTheGridPostsAndAPostTakesTheOpenEditor() {
        base->addFertilizers(2);
        GridWindow w(*base);
        QVERIFY(w.show());

        // Typed into the cell, then the user goes to another widget of the window.
        w.doubleClick(1, 1);
        auto* number = openEditor<NumberSpinBox>(*w.grid);
        QVERIFY(number);
        number->selectAll();
        QTest::keyClicks(number, QStringLiteral("750"));
        w.other->setFocus(Qt::MouseFocusReason);
        QCOMPARE(w.set.state(), DataSetState::Browse);
        QCOMPARE(base->scalar("SELECT ppm FROM t_udobra WHERE id_udobra = 2").toInt(), 750);

        // A post by the program (a timer, a button) writes what the editor holds first.
        w.grid->setFocus();
        w.doubleClick(1, 0);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Nitrate"));
        QCOMPARE(w.set.state(), DataSetState::Edit);
        w.set.post();
        QCOMPARE(base->scalar("SELECT name_udobra FROM t_udobra WHERE id_udobra = 2").toString(),
                 QStringLiteral("Nitrate"));

        // Letters never reach a number's cell; a fraction in a whole-number
        // column is refused once the edit ends, and the field keeps its value.
        w.grid->setCurrentIndex(w.cell(1, 1));
        w.doubleClick(1, 1);
        number = openEditor<NumberSpinBox>(*w.grid);
        QVERIFY(number);
        number->selectAll();
        QTest::keyClicks(number, QStringLiteral("abc"));
        QCOMPARE(number->typedText(), QStringLiteral("750"));
        number->selectAll();
        QTest::keyClicks(number, Shown(QStringLiteral("2.5")));
        QTest::keyClick(number, Qt::Key_Return);
        QTRY_COMPARE(base->messages.shown().size(), size_t(1));
        QCOMPARE(base->messages.shown().back().text, QStringLiteral("Допустимо целое число."));
        w.set.checkBrowseMode();
        QCOMPARE(base->scalar("SELECT ppm FROM t_udobra WHERE id_udobra = 2").toInt(), 750);
    }

    void aSpinEditorRefusesValuesOutOfRange() {
        base->addFertilizers(1);
        base->exec("INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES (1, 1, 20)");
        DataSet set(&base->connection, QStringLiteral("T_Sostav_Udobra"));
        set.setTable(QStringLiteral("T_sostav_udobra"));
        DataSource source(&set);
        DBGrid grid(base->guard);
        DBGridColumn* kol = grid.addColumn(QStringLiteral("kol_element"), QStringLiteral("Кол-во, %"));
        kol->setSpin(0.0001, {0.0001, 100, QStringLiteral("%")}, 100);
        int changes = 0;
        kol->onChange = [&] { ++changes; };
        grid.setDataSource(&source);
        set.open();
        grid.resize(300, 200);
        grid.show();
        grid.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&grid));

        const QModelIndex cell = grid.model()->index(0, 0);
        grid.edit(cell);
        auto* spin = openEditor<NumberSpinBox>(grid);
        QVERIFY(spin);
        QCOMPARE(spin->singleStep(), 0.0001);
        QCOMPARE(spin->text(), QStringLiteral("20"));
        QCOMPARE(set.state(), DataSetState::Edit);
        spin->selectAll();
        QTest::keyClicks(spin, QStringLiteral("150"));
        QVERIFY(base->messages.shown().empty()); // nothing while typing
        QTest::keyClick(spin, Qt::Key_Return);
        QTRY_COMPARE(base->messages.shown().size(), size_t(1));
        QCOMPARE(base->messages.shown().back().text,
                 QStringLiteral("Допустимо от %1 до 100 %.").arg(FormatNumber(0.0001)));
        QCOMPARE(set.fieldByName(QStringLiteral("kol_element"))->asFloat(), 20.0);

        grid.edit(cell);
        spin = openEditor<NumberSpinBox>(grid);
        QVERIFY(spin);
        changes = 0;
        spin->selectAll();
        QTest::keyClicks(spin, QStringLiteral("12.5"));
        QVERIFY(changes >= 3); // 1, 12, 12.5 (the separator alone changes no value)
        QTest::keyClick(spin, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(set.fieldByName(QStringLiteral("kol_element"))->asFloat(), 12.5);
        set.post();
        QCOMPARE(base->scalar("SELECT kol_element FROM T_sostav_udobra").toDouble(), 12.5);
    }

    void aLookupColumnSetsTheKeyField() {
        base->exec("INSERT INTO t_kof (name_kof, kof) VALUES ('P2O5 > P', 0.436)");
        base->exec("INSERT INTO t_kof (name_kof, kof) VALUES ('K2O > K', 0.83)");
        base->exec("INSERT INTO T_element (Smallname_element, kof, id_kof) VALUES ('P2O5', 1, NULL)");
        DataSet kofSet(&base->connection, QStringLiteral("T_KOF"));
        kofSet.setTable(QStringLiteral("t_kof"));
        DataSource kofSource(&kofSet);
        DataSet elements(&base->connection, QStringLiteral("T_Element"));
        elements.setTable(QStringLiteral("T_element"));
        elements.addLookupField(QStringLiteral("name_k"), ColumnType::Text, 50, QStringLiteral("id_kof"), &kofSet,
                                QStringLiteral("id_kof"), QStringLiteral("name_kof"));
        DataSource source(&elements);
        DBGrid grid(base->guard);
        grid.addColumn(QStringLiteral("Smallname_element"), QStringLiteral("Обозн."));
        DBGridColumn* k = grid.addColumn(QStringLiteral("name_k"), QStringLiteral("Коэффициент"));
        k->setLookup(&kofSource, QStringLiteral("id_kof"), QStringLiteral("name_kof"), QStringLiteral("id_kof"), 22);
        int changes = 0;
        k->onChange = [&] { ++changes; };
        grid.setDataSource(&source);
        kofSet.open();
        elements.open();
        grid.resize(300, 200);
        grid.show();
        grid.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        QCOMPARE(grid.model()->index(0, 1).data().toString(), QString());

        grid.edit(grid.model()->index(0, 1));
        auto* combo = openEditor<QComboBox>(grid);
        QVERIFY(combo);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(1), QStringLiteral("K2O > K"));
        QCOMPARE(combo->maxVisibleItems(), 22);
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(changes, 0);
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down); // a user's choice of the first entry
        QCOMPARE(changes, 1);
        QCOMPARE(elements.state(), DataSetState::Edit);
        QCOMPARE(elements.fieldByName(QStringLiteral("id_kof"))->asInteger(), 1);
        QCOMPARE(grid.model()->index(0, 1).data().toString(), QStringLiteral("P2O5 > P"));
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(elements.fieldByName(QStringLiteral("id_kof"))->asInteger(), 2);
        elements.post();
        QCOMPARE(base->scalar("SELECT id_kof FROM T_element").toInt(), 2);
        QCOMPARE(grid.model()->index(0, 1).data().toString(), QStringLiteral("K2O > K"));
    }

    void aCheckColumnTogglesTheField() {
        base->exec("INSERT INTO T_element (Smallname_element, kof) VALUES ('N', 0)");
        base->exec("INSERT INTO T_element (Smallname_element, kof) VALUES ('K2O', 1)");
        DataSet elements(&base->connection, QStringLiteral("T_Element"));
        elements.setTable(QStringLiteral("T_element"));
        DataSource source(&elements);
        DBGrid grid(base->guard);
        grid.addColumn(QStringLiteral("Smallname_element"), QStringLiteral("Обозн."));
        DBGridColumn* oxide = grid.addColumn(QStringLiteral("kof"), QStringLiteral("Оксид"));
        oxide->setCheck();
        int changes = 0;
        oxide->onChange = [&] { ++changes; };
        grid.setDataSource(&source);
        elements.open();
        grid.resize(300, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const auto check = [&](int row) { return grid.model()->index(row, 1).data(Qt::CheckStateRole).toInt(); };
        QCOMPARE(check(0), int(Qt::Unchecked));
        QCOMPARE(check(1), int(Qt::Checked));
        QVERIFY(grid.model()->index(0, 1).data().toString().isEmpty()); // no "False" beside the box

        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(0, 1)).center());
        QCOMPARE(elements.state(), DataSetState::Edit);
        QVERIFY(elements.fieldByName(QStringLiteral("kof"))->asBoolean());
        QCOMPARE(check(0), int(Qt::Checked));
        QCOMPARE(changes, 1);
        QTest::keyClick(&grid, Qt::Key_Space);
        QVERIFY(!elements.fieldByName(QStringLiteral("kof"))->asBoolean());
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(0, 1)).center());

        // Moving to the other row posts the toggled one; a read-only column does not toggle.
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(1, 0)).center());
        QCOMPARE(base->scalar("SELECT kof FROM T_element WHERE id_element = 1").toInt(), 1);
        oxide->setReadOnly(true);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(1, 1)).center());
        QCOMPARE(elements.state(), DataSetState::Browse);
        QCOMPARE(check(1), int(Qt::Checked));
    }

    void sortMarksAreTheProgramsAndHeaderClicksReachTheHandler() {
        base->addFertilizers(3);
        GridWindow w(*base);
        QVERIFY(w.show());
        QHeaderView* header = w.grid->horizontalHeader();
        QVERIFY(!header->isSortIndicatorShown());
        w.grid->column(0)->setSortMark(SortMark::Ascending);
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 0);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);

        std::vector<int> clicked;
        w.grid->onColumnClick = [&](int column) { clicked.push_back(column); };
        const auto clickHeader = [&](int section) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
        };
        clickHeader(1);
        QCOMPARE(clicked, std::vector<int>{1});
        // The header neither moved the mark nor sorted anything by itself.
        QCOMPARE(header->sortIndicatorSection(), 0);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(w.text(0, 0), QStringLiteral("Удобрение 1"));

        // The toggle a window does: mark and order set by the handler.
        w.grid->onColumnClick = [&](int) {
            DBGridColumn* name = w.grid->column(0);
            const bool ascending = name->sortMark() == SortMark::Ascending;
            name->setSortMark(ascending ? SortMark::Descending : SortMark::Ascending);
            w.set.setSort(ascending ? QStringLiteral("name_udobra DESC") : QStringLiteral("name_udobra ASC"));
        };
        clickHeader(1);
        QCOMPARE(header->sortIndicatorSection(), 0);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(w.text(0, 0), QStringLiteral("Удобрение 3"));
        w.grid->column(0)->setSortMark(SortMark::None);
        QVERIFY(!header->isSortIndicatorShown());
    }

    void clickDoubleClickKeyUpAndContextMenu() {
        base->addFertilizers(4);
        GridWindow w(*base);
        w.grid->column(0)->setReadOnly(true);
        w.grid->column(1)->setReadOnly(true);
        QVERIFY(w.show());
        std::vector<int> clickRows;
        int doubleClicks = 0;
        std::vector<int> keys;
        w.grid->onClick = [&] { clickRows.push_back(w.set.recNo()); };
        w.grid->onDblClick = [&] { ++doubleClicks; };
        w.grid->onKeyUp = [&](int key) { keys.push_back(key); };

        w.click(2, 0);
        QCOMPARE(clickRows, std::vector<int>{3}); // the cursor moved before the click ran
        w.doubleClick(1, 0);
        QCOMPARE(doubleClicks, 1);
        QCOMPARE(clickRows, (std::vector<int>{3, 2})); // one click, then the double click
        QVERIFY(!w.grid->isEditing());                 // read-only: no editor
        QTest::keyClick(w.grid, Qt::Key_Down);
        QCOMPARE(keys, std::vector<int>{Qt::Key_Down});
        QCOMPARE(w.set.recNo(), 3);

        QMenu menu(&w.window);
        menu.addAction(QStringLiteral("Удалить"));
        w.grid->setContextMenu(&menu);
        QContextMenuEvent event(QContextMenuEvent::Mouse, w.centre(0, 0),
                                w.grid->viewport()->mapToGlobal(w.centre(0, 0)));
        QApplication::sendEvent(w.grid->viewport(), &event);
        QTRY_VERIFY(menu.isVisible());
        menu.hide();
    }

    void hintRowSelectAndColumns() {
        base->addFertilizers(2);
        GridWindow w(*base);
        w.grid->setHint(QStringLiteral("Селитра:\r\n\r\nN - 15%\rCa - 19%"));
        QCOMPARE(w.cell(1, 1).data(Qt::ToolTipRole).toString(), QStringLiteral("Селитра:\n\nN - 15%\nCa - 19%"));
        w.grid->setHint(QStringLiteral("Мел:"));
        QCOMPARE(w.cell(0, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("Мел:"));

        w.grid->setRowSelect(true);
        w.set.next();
        const QModelIndexList rows = w.grid->selectionModel()->selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().row(), 1);

        DBGridColumn* ppm = w.grid->columnByField(QStringLiteral("PPM"));
        QVERIFY(ppm);
        ppm->setColour(QColor(Qt::yellow));
        QCOMPARE(w.cell(0, 1).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::yellow));
        ppm->setVisible(false);
        QVERIFY(w.grid->isColumnHidden(1));
        QCOMPARE(w.grid->visibleColumns().size(), size_t(1));
        ppm->setCaption(QStringLiteral("PPM"));
        QCOMPARE(w.grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("PPM"));
    }

    void aDisabledSourceFreezesTheGrid() {
        base->addFertilizers(3);
        GridWindow w(*base, true);
        QVERIFY(w.show());
        w.grid->viewport()->repaint();
        QCOMPARE(w.text(0, 2), Shown(QStringLiteral("0.1")));
        QVERIFY(w.calcRuns > 0);

        w.source.disable();
        // Changes made while the grid is detached: new values, stale calculations, a new row.
        w.set.first();
        w.set.edit();
        w.set.fieldByName(QStringLiteral("name_udobra"))->setAsString(QStringLiteral("Мел"));
        w.set.fieldByName(QStringLiteral("ppm"))->setAsInteger(500);
        w.set.post();
        w.set.append();
        w.set.fieldByName(QStringLiteral("name_udobra"))->setAsString(QStringLiteral("Новое"));
        w.set.post();
        w.set.invalidateCalculated();
        const int runs = w.calcRuns;
        w.grid->viewport()->repaint();
        w.grid->verticalScrollBar()->setValue(1);
        w.grid->viewport()->repaint();
        QCOMPARE(w.calcRuns, runs); // no row read
        QCOMPARE(w.grid->model()->rowCount(), 3);
        QCOMPARE(w.text(0, 0), QStringLiteral("Удобрение 1")); // what was shown
        QCOMPARE(w.text(0, 2), Shown(QStringLiteral("0.1")));

        w.source.enable();
        QCOMPARE(w.grid->model()->rowCount(), 4);
        QCOMPARE(w.text(0, 0), QStringLiteral("Мел"));
        QCOMPARE(w.text(3, 0), QStringLiteral("Новое"));
        QCOMPARE(w.grid->currentIndex().row(), 3);
        QCOMPARE(w.text(0, 2), Shown(QStringLiteral("0.5")));
        QVERIFY(w.calcRuns > runs);
    }

    void aBigGridReadsOnlyThePaintedRows() {
        base->addFertilizers(10000, 10);
        GridWindow w(*base, true);
        QVERIFY(w.show());
        w.grid->viewport()->repaint();
        const int page = w.grid->viewport()->height() / w.grid->verticalHeader()->defaultSectionSize() + 2;
        QVERIFY(w.calcRuns > 0);
        QVERIFY2(w.calcRuns <= page, qPrintable(QString::number(w.calcRuns)));

        const int before = w.calcRuns;
        w.grid->viewport()->repaint(); // the same rows again: nothing recalculated
        QCOMPARE(w.calcRuns, before);

        // Scrolling through the list reads at most the page painted at each stop.
        for (int step = 1; step <= 20; ++step) {
            w.grid->verticalScrollBar()->setValue(step * 400);
            w.grid->viewport()->repaint();
        }
        QVERIFY(w.calcRuns - before <= 20 * page);
        const int row = w.grid->rowAt(w.grid->viewport()->height() / 2);
        QCOMPARE(w.text(row, 2), Shown(QString::number((row + 1) * 10 / 1000.0, 'g', 15)));

        // Moving the cursor far away shows the row without reading the rows between.
        w.set.setRecNo(9000);
        QCOMPARE(w.grid->currentIndex().row(), 8999);
        w.grid->viewport()->repaint();
        QVERIFY(w.calcRuns - before <= 22 * page);
    }

    // In a grid too narrow for both columns, whether or not it may scroll
    // sideways, every number shows whole, the names give up the room
    // (shortened in the middle) and a name's full text is its tooltip; the
    // room comes back when the grid grows.
    void numbersShowWholeAndNamesGiveWay() {
        base->exec(
            "INSERT INTO t_udobra (name_udobra, ppm) VALUES ('Калиевая селитра калийная очень длинная', 100000)");
        base->exec("INSERT INTO t_udobra (name_udobra, ppm) VALUES ('Борная кислота', 5)");
        for (const Qt::ScrollBarPolicy sideways : {Qt::ScrollBarAlwaysOff, Qt::ScrollBarAsNeeded}) {
            GridWindow w(*base);
            w.grid->setScrollBars(Qt::ScrollBarAsNeeded, sideways);
            w.grid->column(0)->setWidth(300);
            w.window.resize(260, 200);
            QVERIFY(w.show());
            QTRY_VERIFY(w.grid->horizontalHeader()->length() <= w.grid->viewport()->width());
            const QString widest = w.text(0, 1);
            QVERIFY(w.grid->columnWidth(1) > w.grid->fontMetrics().horizontalAdvance(widest));
            QVERIFY(w.grid->columnWidth(0) < 300);
            QCOMPARE(w.grid->textElideMode(), Qt::ElideMiddle);
            QCOMPARE(w.cell(0, 0).data(Qt::ToolTipRole).toString(),
                     QStringLiteral("Калиевая селитра калийная очень длинная"));
            QVERIFY(!w.cell(0, 1).data(Qt::ToolTipRole).isValid());
            w.window.resize(700, 200);
            QTRY_COMPARE(w.grid->columnWidth(0), 300);
        }
        // A name kept to its narrowest leaves the rest to scroll sideways.
        GridWindow w(*base);
        w.grid->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAsNeeded);
        w.grid->column(0)->setWidth(300);
        w.grid->column(0)->setNarrowest(200);
        w.window.resize(260, 200);
        QVERIFY(w.show());
        QTRY_COMPARE(w.grid->columnWidth(0), 200);
        QTRY_VERIFY(w.grid->horizontalScrollBar()->maximum() > 0);
    }

    void throwingHandlersShowOneErrorBoxAndTheGridGoesOn() {
        base->addFertilizers(3);
        GridWindow w(*base, true);
        QVERIFY(w.show());
        w.grid->onClick = [] { throw Error(QStringLiteral("сбой обработчика")); };
        w.click(1, 0);
        QCOMPARE(base->messages.shown().size(), size_t(1));
        QCOMPARE(base->messages.shown().back().kind, MessageKind::Error);
        QCOMPARE(base->messages.shown().back().text, QStringLiteral("сбой обработчика"));
        QCOMPARE(w.set.recNo(), 2);
        w.grid->onClick = nullptr;
        w.click(2, 0);
        QCOMPARE(w.set.recNo(), 3);
        QCOMPARE(base->messages.shown().size(), size_t(1));

        // A calculation that fails while the grid paints: one box, not one per cell or paint.
        base->messages.clearShown();
        w.set.onCalcFields = [](DataSet&) { throw Error(QStringLiteral("нет коэффициента")); };
        w.set.invalidateCalculated();
        w.grid->viewport()->repaint();
        w.grid->viewport()->repaint();
        QTRY_COMPARE(base->messages.shown().size(), size_t(1));
        QCOMPARE(base->messages.shown().back().text, QStringLiteral("нет коэффициента"));
        QTest::qWait(20);
        QCOMPARE(base->messages.shown().size(), size_t(1));
        w.click(0, 0);
        QCOMPARE(w.set.recNo(), 1);
    }

    void theGridOutlivesItsSource() {
        base->addFertilizers(2);
        DataSet set(&base->connection, QStringLiteral("T_Udobra"));
        set.setTable(QStringLiteral("t_udobra"));
        DBGrid grid(base->guard);
        grid.addColumn(QStringLiteral("name_udobra"), QStringLiteral("Название"));
        {
            DataSource source(&set);
            grid.setDataSource(&source);
            set.open();
            QCOMPARE(grid.model()->rowCount(), 2);
        }
        // A window's sources are destroyed before its child widgets.
        QCOMPARE(grid.dataSource(), nullptr);
        QCOMPARE(grid.model()->rowCount(), 0);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.viewport()->repaint();
    }

    // A request's receiver that fails stops the action that emitted it, as
    // a direct call would, without its exception passing through Qt; the
    // receivers after it do not run, and the next request starts clean.
    void aFailingReceiverStopsTheActionThatRelayedTheRequest() {
        HandlerGuard& guard = base->guard;
        QObject window;
        int reached = 0;
        bool fail = true;
        QObject::connect(&window, &QObject::objectNameChanged, [&](const QString&) {
            guard.carry([&] {
                ++reached;
                if (fail)
                    throw Error(QStringLiteral("окно не открыть"));
            });
        });
        QObject::connect(&window, &QObject::objectNameChanged,
                         [&](const QString&) { guard.carry([&] { reached += 10; }); });
        bool after = false;
        QVERIFY(!guard.run(nullptr, [&] {
            guard.relay([&] { window.setObjectName(QStringLiteral("a")); });
            after = true;
        }));
        QCOMPARE(reached, 1);
        QVERIFY(!after);
        QCOMPARE(base->messages.shown().size(), size_t(1));
        QCOMPARE(base->messages.shown().back().text, QStringLiteral("окно не открыть"));

        fail = false;
        QVERIFY(guard.run(nullptr, [&] { guard.relay([&] { window.setObjectName(QStringLiteral("b")); }); }));
        QCOMPARE(reached, 12);
        // Emitted outside a relay, the receiver is an action of its own.
        fail = true;
        window.setObjectName(QStringLiteral("c"));
        QCOMPARE(base->messages.shown().size(), size_t(2));
    }
};

QTEST_MAIN(ControlsGridTest)
#include "test_controls.moc"
