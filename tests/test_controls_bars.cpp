// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_lookup_combo.h"
#include "controls/db_navigator.h"
#include "controls/db_spin_box.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "controls/splitter.h"
#include "store/connection.h"
#include "store/data_source.h"
#include "store/dataset.h"
#include "core/error.h"
#include "controls_fixture.h"
#include "store/starter_database.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

using namespace solvane;

namespace {

using Base = test::ControlsBase;

const std::vector<NavButton> kAllButtons{NavButton::First,  NavButton::Prior,  NavButton::Next, NavButton::Last,
                                         NavButton::Insert, NavButton::Delete, NavButton::Edit, NavButton::Post,
                                         NavButton::Cancel, NavButton::Refresh};

// The crops with a navigator over them.
struct NavigatorWindow {
    DataSet set;
    DataSource source{&set};
    DBNavigator navigator;
    Field* name;

    explicit NavigatorWindow(Base& base) : set(&base.connection, QStringLiteral("ADOTable3")), navigator(base.guard) {
        for (const char* n : {"Томат", "Огурец", "Перец"})
            base.exec("INSERT INTO T_kult (name_kult) VALUES (?)", {QString::fromUtf8(n)});
        set.setTable(QStringLiteral("T_kult"));
        name = set.fieldByName(QStringLiteral("name_kult"));
        navigator.setDataSource(&source);
        set.open();
        navigator.show();
    }
    void click(NavButton b) { QTest::mouseClick(navigator.button(b), Qt::LeftButton); }
    bool enabled(NavButton b) const { return navigator.button(b)->isEnabled(); }
};

} // namespace

class ControlsBarsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Base> base;

private slots:
    void init() { base = std::make_unique<Base>(); }
    void cleanup() { base.reset(); }

    void theNavigatorsButtonsActOnTheDataSet() {
        NavigatorWindow w(*base);
        std::vector<std::pair<NavButton, int>> clicks; // button and the row after its action
        w.navigator.onClick = [&](NavButton b) { clicks.emplace_back(b, w.set.recNo()); };

        w.click(NavButton::Next);
        QCOMPARE(w.set.recNo(), 2);
        w.click(NavButton::Last);
        QCOMPARE(w.set.recNo(), 3);
        w.click(NavButton::Prior);
        QCOMPARE(w.set.recNo(), 2);
        w.click(NavButton::First);
        QCOMPARE(w.set.recNo(), 1);
        QCOMPARE(clicks,
                 (std::vector<std::pair<NavButton, int>>{
                     {NavButton::Next, 2}, {NavButton::Last, 3}, {NavButton::Prior, 2}, {NavButton::First, 1}}));

        w.click(NavButton::Edit);
        QCOMPARE(w.set.state(), DataSetState::Edit);
        w.name->setAsString(QStringLiteral("Томат черри"));
        w.click(NavButton::Post);
        QCOMPARE(w.set.state(), DataSetState::Browse);
        QCOMPARE(base->scalar("SELECT name_kult FROM T_kult WHERE id_kult = 1").toString(),
                 QStringLiteral("Томат черри"));

        w.click(NavButton::Insert);
        QCOMPARE(w.set.state(), DataSetState::Insert);
        QCOMPARE(w.set.recordCount(), 4);
        w.click(NavButton::Cancel);
        QCOMPARE(w.set.state(), DataSetState::Browse);
        QCOMPARE(w.set.recordCount(), 3);

        base->exec("INSERT INTO T_kult (name_kult) VALUES ('Салат')");
        w.click(NavButton::Refresh);
        QCOMPARE(clicks.back().first, NavButton::Refresh);
        QVERIFY(base->messages.shown().empty());
    }

    void deleteAsksFirstAndCancelDoesNothing() {
        NavigatorWindow w(*base);
        std::vector<NavButton> clicks;
        w.navigator.onClick = [&](NavButton b) { clicks.push_back(b); };
        w.set.next();

        base->messages.queueAnswer(MessageAnswer::Cancel);
        w.click(NavButton::Delete);
        QCOMPARE(base->messages.shown().size(), size_t(1));
        QCOMPARE(base->messages.shown().back().text, QStringLiteral("Delete record?"));
        QCOMPARE(base->messages.shown().back().buttons, MessageButtons::OkCancel);
        QCOMPARE(base->scalar("SELECT COUNT(*) FROM T_kult").toInt(), 3);
        QCOMPARE(w.set.recNo(), 2);

        base->messages.queueAnswer(MessageAnswer::Ok);
        w.click(NavButton::Delete);
        QCOMPARE(base->messages.shown().size(), size_t(2));
        QCOMPARE(base->scalar("SELECT COUNT(*) FROM T_kult").toInt(), 2);
        QVERIFY(base->scalar("SELECT COUNT(*) FROM T_kult WHERE name_kult = 'Огурец'").toInt() == 0);
        // onClick runs after the action, whatever the answer was.
        QCOMPARE(clicks, (std::vector<NavButton>{NavButton::Delete, NavButton::Delete}));
    }

    void buttonsFollowTheStateButPressAlwaysActs() {
        NavigatorWindow w(*base);
        QVERIFY(!w.enabled(NavButton::First));
        QVERIFY(!w.enabled(NavButton::Prior));
        QVERIFY(w.enabled(NavButton::Next));
        QVERIFY(!w.enabled(NavButton::Post));
        QVERIFY(!w.enabled(NavButton::Cancel));
        QVERIFY(w.enabled(NavButton::Edit));
        w.set.last();
        QVERIFY(!w.enabled(NavButton::Next));
        QVERIFY(!w.enabled(NavButton::Last));
        QVERIFY(w.enabled(NavButton::First));
        w.set.edit();
        QVERIFY(w.enabled(NavButton::Post));
        QVERIFY(w.enabled(NavButton::Cancel));
        QVERIFY(!w.enabled(NavButton::Edit));
        w.set.cancel();
        QVERIFY(!w.enabled(NavButton::Post));

        // With the source disabled the buttons stand still; press() acts all the same.
        w.source.disable();
        w.set.edit();
        w.name->setAsString(QStringLiteral("Перец сладкий"));
        QVERIFY(!w.enabled(NavButton::Post));
        w.navigator.press(NavButton::Post);
        QCOMPARE(base->scalar("SELECT name_kult FROM T_kult WHERE id_kult = 3").toString(),
                 QStringLiteral("Перец сладкий"));
        w.source.enable();
        QVERIFY(!w.enabled(NavButton::Post));

        // The raw press lets an error through; a click shows it once.
        try {
            w.navigator.press(NavButton::Post);
            QFAIL("posting in browse state should fail");
        } catch (const Error& e) {
            QVERIFY(e.message().contains(QStringLiteral("not in edit or insert mode")));
        }
        QVERIFY(base->messages.shown().empty());
    }

    void aSubsetOfButtonsWithHints() {
        NavigatorWindow w(*base);
        w.navigator.setButtons({NavButton::Insert, NavButton::Delete, NavButton::Post});
        w.navigator.setHint(NavButton::Insert, QStringLiteral("Добавить новую культуру"));
        QVERIFY(!w.navigator.button(NavButton::Next));
        QVERIFY(w.navigator.button(NavButton::Post));
        QCOMPARE(w.navigator.button(NavButton::Insert)->toolTip(), QStringLiteral("Добавить новую культуру"));
        QVERIFY(!w.navigator.button(NavButton::Delete)->toolTip().isEmpty());
        QVERIFY(!w.navigator.button(NavButton::Delete)->accessibleName().isEmpty());
        QCOMPARE(w.navigator.button(NavButton::Post)->focusPolicy(), Qt::NoFocus);
        QVERIFY(!w.navigator.accessibleName().isEmpty());
    }

    void aThrowingClickHandlerShowsOneErrorBox() {
        NavigatorWindow w(*base);
        int calls = 0;
        w.navigator.onClick = [&](NavButton) {
            ++calls;
            if (calls == 1)
                throw Error(QStringLiteral("не удалось"));
        };
        w.click(NavButton::Next);
        QCOMPARE(w.set.recNo(), 2); // the action ran before the handler failed
        QCOMPARE(base->messages.shown().size(), size_t(1));
        QCOMPARE(base->messages.shown().back().kind, MessageKind::Error);
        QCOMPARE(base->messages.shown().back().text, QStringLiteral("не удалось"));
        w.click(NavButton::Next);
        QCOMPARE(w.set.recNo(), 3);
        QCOMPARE(calls, 2);
        QCOMPARE(base->messages.shown().size(), size_t(1));
    }

    void theLookupComboStoresTheKeyAndFollowsTheRow() {
        for (const char* e : {"N", "K2O", "P", "K"})
            base->exec("INSERT INTO T_element (Smallname_element, kof) VALUES (?, ?)",
                       {QString::fromUtf8(e), QString::fromUtf8(e).contains(QLatin1Char('O')) ? 1 : 0});
        base->exec("INSERT INTO t_kof (name_kof, kof, id_element) VALUES ('K2O > K', 0.83, 4)");
        base->exec("INSERT INTO t_kof (name_kof, kof, id_element) VALUES ('без элемента', 0.5, NULL)");
        DataSet elements(&base->connection, QStringLiteral("T_el"));
        elements.setTable(QStringLiteral("T_element"));
        elements.setFilter(QStringLiteral("kof<>true"));
        elements.setFiltered(true);
        DataSource elementSource(&elements);
        DataSet kofs(&base->connection, QStringLiteral("T_KOF"));
        kofs.setTable(QStringLiteral("t_kof"));
        DataSource kofSource(&kofs);
        DBLookupCombo combo(base->guard);
        combo.setListSource(&elementSource, QStringLiteral("id_element"), QStringLiteral("Smallname_element"));
        combo.setDataSource(&kofSource, QStringLiteral("id_element"));
        elements.open();
        kofs.open();
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));

        // Oxides are filtered out of the list.
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.itemText(0), QStringLiteral("N"));
        QCOMPARE(combo.itemText(2), QStringLiteral("K"));
        QCOMPARE(combo.currentText(), QStringLiteral("K"));
        kofs.next();
        QCOMPARE(combo.currentIndex(), -1); // no element

        combo.setFocus();
        QTest::keyClick(&combo, Qt::Key_Down);
        QCOMPARE(kofs.state(), DataSetState::Edit);
        QCOMPARE(kofs.fieldByName(QStringLiteral("id_element"))->asInteger(), 1);
        kofs.prior(); // the move posts
        QCOMPARE(base->scalar("SELECT id_element FROM t_kof WHERE id_kof = 2").toInt(), 1);
        QCOMPARE(combo.currentText(), QStringLiteral("K"));
        kofs.edit();
        kofs.fieldByName(QStringLiteral("id_element"))->setAsInteger(3);
        QCOMPARE(combo.currentText(), QStringLiteral("P"));

        // A row added to the list appears in it.
        elements.append();
        elements.fieldByName(QStringLiteral("Smallname_element"))->setAsString(QStringLiteral("Mg"));
        elements.post();
        QCOMPARE(combo.count(), 4);
        QCOMPARE(combo.currentText(), QStringLiteral("P"));
        QVERIFY(!combo.accessibleName().isEmpty());
    }

    void theSpinBoxEditsItsField() {
        base->exec("INSERT INTO t_head_rar (name_rar, kol_l) VALUES ('Томат 1', 2)");
        base->exec("INSERT INTO t_head_rar (name_rar, kol_l) VALUES ('Томат 2', NULL)");
        DataSet heads(&base->connection, QStringLiteral("T_HEAD_RAR"));
        heads.setTable(QStringLiteral("t_head_rar"));
        DataSource source(&heads);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* box = new DBSpinBox(base->guard, &window);
        auto* other = new QLineEdit(&window);
        layout->addWidget(box);
        layout->addWidget(other);
        box->setSingleStep(0.1);
        box->setMaximum(100);
        QStringList changes; // the box's text each time onChange ran
        box->onChange = [&] { changes << box->valueText(); };
        box->setDataSource(&source, QStringLiteral("kol_l"));
        heads.open();
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QCOMPARE(box->valueText(), QStringLiteral("2"));
        heads.next();
        QCOMPARE(box->valueText(), QString()); // empty field, empty box
        QCOMPARE(changes, (QStringList{QStringLiteral("2"), QString()}));

        changes.clear();
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("2.5"));
        QCOMPARE(heads.state(), DataSetState::Edit);
        QCOMPARE(heads.fieldByName(QStringLiteral("kol_l"))->asFloat(), 2.5);
        QCOMPARE(changes, (QStringList{QStringLiteral("2"), QStringLiteral("2.5")}));
        heads.first(); // the data set's move posts
        QCOMPARE(base->scalar("SELECT kol_l FROM t_head_rar WHERE id_head_rar = 2").toDouble(), 2.5);
        QCOMPARE(box->valueText(), QStringLiteral("2"));

        // Typed out of range: refused, the field keeps its value.
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("7"));
        QTest::keyClicks(box, QStringLiteral("00"));
        QCOMPARE(heads.fieldByName(QStringLiteral("kol_l"))->asFloat(), 70.0);
        other->setFocus(); // leaving posts
        QCOMPARE(heads.state(), DataSetState::Browse);
        QCOMPARE(box->valueText(), QStringLiteral("2")); // back to the last accepted value
        QCOMPARE(base->scalar("SELECT kol_l FROM t_head_rar WHERE id_head_rar = 1").toDouble(), 2.0);

        // Emptying the box empties the field.
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QVERIFY(heads.fieldByName(QStringLiteral("kol_l"))->isNull());
        other->setFocus();
        QVERIFY(base->scalar("SELECT kol_l FROM t_head_rar WHERE id_head_rar = 1").isNull());
    }

    void theSplitterPositionIsTheFirstPanesSize() {
        Splitter splitter(base->guard, Qt::Horizontal);
        splitter.addWidget(new QLabel(QStringLiteral("слева")));
        splitter.addWidget(new QLabel(QStringLiteral("справа")));
        splitter.setHandleWidth(7);
        splitter.setHint(QStringLiteral("Изменить размер"));
        int changes = 0;
        splitter.onChange = [&] { ++changes; };

        // Set while hidden: kept, read back, and applied once shown.
        splitter.setPosition(309);
        QCOMPARE(splitter.position(), 309);
        QCOMPARE(changes, 1);
        splitter.resize(800, 200);
        splitter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splitter));
        QCOMPARE(splitter.sizes().first(), 309);
        QCOMPARE(splitter.position(), 309);
        QCOMPARE(changes, 1);
        QCOMPARE(splitter.handle(1)->toolTip(), QStringLiteral("Изменить размер"));

        splitter.setPosition(200);
        QCOMPARE(splitter.sizes().first(), 200);
        QCOMPARE(changes, 2);

        // By default the first pane keeps its size; with a fixed second pane that one does.
        splitter.resize(900, 200);
        QTRY_COMPARE(splitter.width(), 900);
        QCOMPARE(splitter.position(), 200);
        const int second = splitter.sizes().at(1);
        splitter.setFixedSecondPane(true);
        splitter.resize(1000, 200);
        QTRY_COMPARE(splitter.width(), 1000);
        QCOMPARE(splitter.sizes().at(1), second);
        QCOMPARE(splitter.position(), 300);
        QCOMPARE(changes, 3);

        // A drag runs onChange through the guard: a failing handler shows one box.
        splitter.onChange = [] { throw Error(QStringLiteral("сбой")); };
        QSplitterHandle* handle = splitter.handle(1);
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(3, 100));
        QTest::mouseMove(handle, QPoint(-47, 100));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(-47, 100));
        QCOMPARE(splitter.position(), 250);
        QCOMPARE(base->messages.shown().size(), size_t(1));
    }
};

QTEST_MAIN(ControlsBarsTest)
#include "test_controls_bars.moc"
