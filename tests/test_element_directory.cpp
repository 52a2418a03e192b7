// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_grid.h"
#include "controls/db_lookup_combo.h"
#include "controls/db_navigator.h"
#include "directories_fixture.h"
#include "store/database.h"
#include "windows/directories/coefficient_directory.h"
#include "windows/directories/element_directory.h"

#include <QAbstractItemView>
#include <QPushButton>
#include <QToolButton>

using namespace solvane;
using solvane::test::Child;
using solvane::test::DirectorySession;
using solvane::test::SqlFile;

namespace {

int storedElements(DirectorySession& s) {
    return s.scalar(QStringLiteral("SELECT COUNT(*) FROM T_element")).toInt();
}

QStringList comboItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// The element directory's buttons and navigator, found by their object names.
struct Widgets {
    explicit Widgets(ElementDirectory& form)
        : deleteButton(Child<QPushButton>(form, QStringLiteral("Button2"))),
          coefficientsButton(Child<QPushButton>(form, QStringLiteral("Button3"))),
          exitButton(Child<QPushButton>(form, QStringLiteral("Button1"))),
          navigator(Child<DBNavigator>(form, QStringLiteral("DBNavigator1"))) {}
    bool found() const { return deleteButton && coefficientsButton && exitButton && navigator; }
    QPushButton* deleteButton;
    QPushButton* coefficientsButton;
    QPushButton* exitButton;
    DBNavigator* navigator;
};

} // namespace

class ElementDirectoryTest : public QObject {
    Q_OBJECT
private slots:
    void theKeyElementsCannotBeDeleted() {
        DirectorySession s;
        ElementDirectory& form = s.p().elementDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        DataSet& elements = s.data().elements;
        form.show();
        for (int key = 1; key <= 6; ++key) {
            QVERIFY(DirectorySession::locate(elements, QStringLiteral("id_element"), key));
            s.messages().clearShown();
            s.messages().queueAnswer(MessageAnswer::Ok);
            QTest::mouseClick(w.deleteButton, Qt::LeftButton);
            QCOMPARE(s.messages().shown().size(), size_t(1));
            const ShownMessage& m = s.messages().shown().front();
            QCOMPARE(m.caption, QStringLiteral("сообщение"));
            QCOMPARE(m.text, QStringLiteral("нельзя удалить ключевой элемент!"));
            QCOMPARE(m.buttons, MessageButtons::Ok);
            QCOMPARE(elements.fieldByName(QStringLiteral("id_element"))->asInteger(), key);
        }
        QCOMPARE(elements.recordCount(), 23);
        QCOMPARE(storedElements(s), 23);
    }

    // An element that content rows, targets, water rows, conversion records
    // or forms name is refused with every kind of use counted (rows whose
    // fertilizer, crop or profile is gone count for nothing); one used nowhere
    // goes after "удалить?", and only on Yes.
    void anElementInUseIsRefusedAnUnusedOneDeletedOnlyOnYes() {
        DirectorySession s(DirectorySession::Base::Starter, [](SqlFile& sql) {
            sql.script(QStringLiteral(
                "INSERT INTO T_element (id_element, Smallname_element, kof) VALUES (30, 'Co', 0), (31, 'Si', 0),"
                " (32, 'Se', 0);"
                "INSERT INTO T_element (id_element, Smallname_element, kof, id_total) VALUES (33, 'Co-a', 0, 30),"
                " (34, 'Co-b', 0, 30);"
                "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES (30, 1, 1), (30, 1, 2),"
                " (30, 2, 3), (30, 999, 4);"
                "INSERT INTO t_konc (vega, id_kult, id_el) VALUES (10, 1, 30), (10, 2, 30), (10, 999, 30),"
                " (5, 3, 31);"
                "INSERT INTO t_water_el (id_water, id_element, kol) VALUES (1, 30, 20), (1, 30, 5), (999, 30, 1);"
                "INSERT INTO t_kof (name_kof, kof, id_element) VALUES ('CoO → Co', 0.79, 30);"));
        });
        ElementDirectory& form = s.p().elementDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        DataSet& elements = s.data().elements;
        form.show();
        const auto pressDelete = [&](int key) {
            s.messages().clearShown();
            return DirectorySession::locate(elements, QStringLiteral("id_element"), key) &&
                   (QTest::mouseClick(w.deleteButton, Qt::LeftButton), true);
        };

        const QString rest = QStringLiteral(" Сначала уберите его оттуда.");
        QVERIFY(pressDelete(30));
        QCOMPARE(s.messages().shown().size(), size_t(1));
        QCOMPARE(s.messages().shown().front().caption, QStringLiteral("сообщение"));
        QCOMPARE(s.messages().shown().front().text,
                 QStringLiteral("Элемент «Co» используется: удобрения (2), цели культур (2), профили воды (1), "
                                "коэффициенты (1), формы (2).") +
                     rest);
        QVERIFY(pressDelete(31));
        QCOMPARE(s.messages().shown().front().text,
                 QStringLiteral("Элемент «Si» используется: цели культур (1).") + rest);
        QCOMPARE(storedElements(s), 28);

        s.messages().queueAnswer(MessageAnswer::No);
        QVERIFY(pressDelete(32));
        QCOMPARE(s.messages().shown().size(), size_t(1));
        const ShownMessage asked = s.messages().shown().front();
        QCOMPARE(asked.caption, QStringLiteral("подтверждение"));
        QCOMPARE(asked.text, QStringLiteral("удалить?"));
        QCOMPARE(asked.buttons, MessageButtons::YesNo);
        QCOMPARE(storedElements(s), 28);
        s.messages().queueAnswer(MessageAnswer::Yes);
        QVERIFY(pressDelete(32));
        QCOMPARE(s.scalar(QStringLiteral("SELECT COUNT(*) FROM T_element WHERE id_element = 32")).toInt(), 0);
        QCOMPARE(elements.recordCount(), 27);
        QVERIFY(s.errors().isEmpty());
    }

    void anEmptyListOrOneMovedPastItsEndDeletesNothing() {
        DirectorySession empty(DirectorySession::Base::Empty);
        const Widgets onEmpty(empty.p().elementDirectory());
        QVERIFY(onEmpty.found());
        QVERIFY(empty.data().elements.isEmpty());
        QTest::mouseClick(onEmpty.deleteButton, Qt::LeftButton);
        QVERIFY(empty.messages().shown().empty());

        DirectorySession s;
        const Widgets onStarter(s.p().elementDirectory());
        QVERIFY(onStarter.found());
        DataSet& elements = s.data().elements;
        elements.last();
        elements.next(); // past the last row: at the end-of-data mark
        QVERIFY(elements.eof());
        QTest::mouseClick(onStarter.deleteButton, Qt::LeftButton);
        QVERIFY(s.messages().shown().empty());
        QCOMPARE(storedElements(s), 23);
    }

    void onlyTheProtectedDeleteRemovesAnElement() {
        DirectorySession s;
        const Widgets w(s.p().elementDirectory());
        QVERIFY(w.found());
        for (NavButton b : {NavButton::First, NavButton::Prior, NavButton::Next, NavButton::Last, NavButton::Delete,
                            NavButton::Edit, NavButton::Cancel, NavButton::Refresh})
            QVERIFY(!w.navigator->button(b));
        QVERIFY(w.navigator->button(NavButton::Insert) && w.navigator->button(NavButton::Post));
        // Conversion records, in turn, are deleted through their own navigator.
        auto* records = Child<DBNavigator>(s.p().coefficientDirectory(), QStringLiteral("DBNavigator1"));
        QVERIFY(records);
        QVERIFY(records->button(NavButton::Delete));
        QVERIFY(!records->button(NavButton::Edit));
    }

    void theButtonsShowAndCloseTheWindows() {
        DirectorySession s;
        ElementDirectory& form = s.p().elementDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        CoefficientDirectory& coefficients = s.p().coefficientDirectory();
        auto* coefficientsExit = Child<QPushButton>(coefficients, QStringLiteral("Button1"));
        QVERIFY(coefficientsExit);
        form.show();
        QTest::mouseClick(w.coefficientsButton, Qt::LeftButton);
        QVERIFY(coefficients.isVisible());
        const QRect screen = coefficients.screen()->availableGeometry();
        QVERIFY(qAbs(coefficients.frameGeometry().center().x() - screen.center().x()) <= 1);
        QTest::mouseClick(coefficientsExit, Qt::LeftButton);
        QVERIFY(!coefficients.isVisible());
        QVERIFY(form.isVisible());

        // Closing the element directory reads every data set again.
        DataSet& plain = s.data().plainElements;
        plain.next();
        QTest::mouseClick(w.exitButton, Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(plain.recNo(), 1);
        QVERIFY(s.data().elements.isActive() && s.data().coefficients.isActive());
        QVERIFY(s.errors().isEmpty());
    }

    void theElementChooserListsPlainElementsOnlyAndItsChoiceIsStored() {
        DirectorySession s;
        CoefficientDirectory& coefficients = s.p().coefficientDirectory();
        auto* chooser = Child<DBLookupCombo>(coefficients, QStringLiteral("DBLookupComboBox1"));
        QVERIFY(chooser);
        coefficients.show();
        const QStringList plain{"N",  "P", "K",  "Ca",    "Mg",    "S",     "Fe", "Mn", "Zn",
                                "Cu", "B", "Mo", "N-NO3", "N-NH4", "N-NH2", "Na", "Cl", "HCO3"};
        QCOMPARE(comboItems(chooser), plain);
        // The first record, "P2O5 → P", yields P.
        QCOMPARE(chooser->currentText(), QStringLiteral("P"));

        // A user's choice of K for it.
        chooser->setFocus();
        QTest::keyClick(chooser, Qt::Key_Down);
        QCOMPARE(chooser->currentText(), QStringLiteral("K"));
        DataSet& records = s.data().coefficients;
        QCOMPARE(records.fieldByName(QStringLiteral("id_element"))->asInteger(), 3);
        // Closing the window stores the choice, so that no later reading of
        // every data set can drop it.
        coefficients.close();
        QCOMPARE(s.scalar(QStringLiteral("SELECT id_element FROM t_kof WHERE name_kof = ?"), {"P2O5 → P"}).toInt(), 3);
        QCOMPARE(records.state(), DataSetState::Browse);
    }

    void aChangeReachesTheChoiceListOnlyAfterTheDirectoryCloses() {
        DirectorySession s;
        ElementDirectory& form = s.p().elementDirectory();
        form.show();
        DataSet& elements = s.data().elements;
        DataSet& plain = s.data().plainElements;
        auto* chooser = Child<DBLookupCombo>(s.p().coefficientDirectory(), QStringLiteral("DBLookupComboBox1"));
        QVERIFY(chooser);
        QCOMPARE(plain.recordCount(), 18);

        elements.append();
        elements.fieldByName(QStringLiteral("Smallname_element"))->setAsString(QStringLiteral("Si"));
        elements.fieldByName(QStringLiteral("fullname_element"))->setAsString(QStringLiteral("Кремний"));
        elements.post();
        // An oxide typed in the grid and left unposted.
        elements.append();
        elements.fieldByName(QStringLiteral("Smallname_element"))->setAsString(QStringLiteral("SiO2"));
        elements.fieldByName(QStringLiteral("kof"))->setAsBoolean(true);
        QCOMPARE(storedElements(s), 24);
        QCOMPARE(plain.recordCount(), 18);
        QVERIFY(!comboItems(chooser).contains(QStringLiteral("Si")));

        form.close();
        QVERIFY(!form.isVisible());
        QCOMPARE(storedElements(s), 25); // the unposted oxide was stored, not dropped
        QCOMPARE(plain.recordCount(), 19);
        QVERIFY(DirectorySession::column(plain, QStringLiteral("Smallname_element")).contains(QStringLiteral("Si")));
        QVERIFY(comboItems(chooser).contains(QStringLiteral("Si")));
        QVERIFY(!comboItems(chooser).contains(QStringLiteral("SiO2")));
        QVERIFY(s.errors().isEmpty());
    }

    // A form is a plain element of a plain element. A change that would make
    // a chain of forms, or an oxide a form or the total of one, is refused in
    // the grid with its reason and nothing is stored; an allowed total can be
    // emptied again, and an ion is chosen from the codes.
    void aFormIsRefusedWhereItWouldMakeAChainOrTouchAnOxide() {
        DirectorySession s;
        ElementDirectory& form = s.p().elementDirectory();
        DBGrid* grid = Child<DBGrid>(form, QStringLiteral("dxDBGrid1"));
        QVERIFY(grid);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        DataSet& elements = s.data().elements;
        const auto columnOf = [grid](const char* field) {
            for (int i = 0; i < grid->columnCount(); ++i)
                if (grid->column(i)->fieldName() == QLatin1String(field))
                    return i;
            return -1;
        };
        QCOMPARE(grid->column(columnOf("name_total"))->caption(), QStringLiteral("Форма элемента"));
        QCOMPARE(grid->column(columnOf("ion"))->caption(), QStringLiteral("Ион"));
        // The row of the symbol made current, and the cell of the field.
        const auto cell = [&](const char* symbol, const char* field) {
            if (!DirectorySession::locate(elements, QStringLiteral("Smallname_element"), QString::fromUtf8(symbol)))
                return QModelIndex();
            return grid->model()->index(elements.recNo() - 1, columnOf(field));
        };
        // Picks an entry of a drop-down cell from its list with the mouse,
        // then stores the row.
        const auto choose = [&](const char* symbol, const char* field, const QString& entry) {
            s.messages().clearShown();
            const QModelIndex index = cell(symbol, field);
            grid->setFocus();
            grid->setCurrentIndex(index);
            grid->edit(index);
            QComboBox* combo = nullptr;
            for (QComboBox* c : grid->findChildren<QComboBox*>())
                if (c->isVisible())
                    combo = c;
            const int row = combo ? combo->findText(entry) : -1;
            if (row < 0)
                return false;
            combo->showPopup();
            QAbstractItemView* list = combo->view();
            const QModelIndex item = list->model()->index(row, 0);
            list->scrollTo(item);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
            QTest::keyClick(grid->focusWidget() ? grid->focusWidget() : grid, Qt::Key_Return);
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            return form.runGuarded([&elements] { elements.checkBrowseMode(); });
        };
        const auto tick = [&](const char* symbol, const char* field) {
            s.messages().clearShown();
            const QModelIndex index = cell(symbol, field);
            grid->setFocus();
            grid->setCurrentIndex(index);
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
            QCoreApplication::processEvents();
            return form.runGuarded([&elements] { elements.checkBrowseMode(); });
        };
        const auto said = [&s] {
            QStringList texts;
            for (const ShownMessage& m : s.messages().shown())
                texts << m.text;
            return texts;
        };
        const QStringList chain{QStringLiteral("Форма не может относиться к другой форме")};
        const QStringList oxide{QStringLiteral("Оксид не может быть формой элемента или её основой")};
        const auto stored = [&s](const char* column, const char* symbol) {
            return s.scalar(
                QStringLiteral("SELECT %1 FROM T_element WHERE Smallname_element = ?").arg(QString::fromLatin1(column)),
                {QString::fromUtf8(symbol)});
        };

        QVERIFY(choose("Fe", "name_total", QStringLiteral("N-NO3")));
        QCOMPARE(said(), chain); // a form of a form
        QVERIFY(stored("id_total", "Fe").isNull());
        QVERIFY(choose("N-NO3", "name_total", QStringLiteral("N-NO3")));
        QCOMPARE(said(), chain); // a form of itself
        QCOMPARE(stored("id_total", "N-NO3").toInt(), 1);
        QVERIFY(choose("N", "name_total", QStringLiteral("P")));
        QCOMPARE(said(), chain); // an element with forms
        QVERIFY(stored("id_total", "N").isNull());
        QVERIFY(choose("P2O5", "name_total", QStringLiteral("P")));
        QCOMPARE(said(), oxide); // an oxide a form
        QVERIFY(stored("id_total", "P2O5").isNull());
        QVERIFY(tick("N-NO3", "kof"));
        QCOMPARE(said(), oxide); // a form marked an oxide
        QVERIFY(tick("N", "kof"));
        QCOMPARE(said(), oxide); // a total marked an oxide
        QCOMPARE(s.scalar(QStringLiteral("SELECT count(*) FROM T_element WHERE kof = 1")).toInt(), 5);
        QVERIFY(choose("N-NH4", "name_k", QStringLiteral("P2O5 → P")));
        QCOMPARE(said(), oxide); // a form counting through a conversion
        QVERIFY(stored("id_kof", "N-NH4").isNull());

        QVERIFY(choose("Cl", "name_total", QStringLiteral("Na")));
        QCOMPARE(said(), QStringList());
        QCOMPARE(stored("id_total", "Cl").toInt(), stored("id_element", "Na").toInt());
        QCOMPARE(grid->model()->index(elements.recNo() - 1, columnOf("name_total")).data().toString(),
                 QStringLiteral("Na"));
        QVERIFY(choose("Cl", "name_total", QString()));
        QVERIFY(stored("id_total", "Cl").isNull());
        QVERIFY(choose("Fe", "ion", QStringLiteral("Ca+2")));
        QCOMPARE(stored("ion", "Fe").toString(), QStringLiteral("Ca+2"));
        QVERIFY(choose("Fe", "ion", QString()));
        QVERIFY(stored("ion", "Fe").isNull());
        QCOMPARE(said(), QStringList());
        QVERIFY(s.errors().isEmpty());
    }
};

QTEST_MAIN(ElementDirectoryTest)
#include "test_element_directory.moc"
