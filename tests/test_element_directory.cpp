// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_lookup_combo.h"
#include "controls/db_navigator.h"
#include "directories_fixture.h"
#include "store/database.h"
#include "windows/directories/coefficient_directory.h"
#include "windows/directories/element_directory.h"

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
        QCOMPARE(elements.recordCount(), 17);
        QCOMPARE(storedElements(s), 17);
    }

    // An element that content rows, targets, water rows or conversion
    // records name is refused with every kind of use counted (rows whose
    // fertilizer, crop or profile is gone count for nothing); one used nowhere
    // goes after "удалить?", and only on Yes.
    void anElementInUseIsRefusedAnUnusedOneDeletedOnlyOnYes() {
        DirectorySession s(DirectorySession::Base::Starter, [](SqlFile& sql) {
            sql.script(QStringLiteral(
                "INSERT INTO T_element (id_element, Smallname_element, kof) VALUES (18, 'Na', 0), (19, 'Si', 0),"
                " (20, 'Se', 0);"
                "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES (18, 1, 1), (18, 1, 2),"
                " (18, 2, 3), (18, 999, 4);"
                "INSERT INTO t_konc (vega, id_kult, id_el) VALUES (10, 1, 18), (10, 2, 18), (10, 999, 18),"
                " (5, 3, 19);"
                "INSERT INTO t_water_el (id_water, id_element, kol) VALUES (1, 18, 20), (1, 18, 5), (999, 18, 1);"
                "INSERT INTO t_kof (name_kof, kof, id_element) VALUES ('Na2O → Na', 0.74, 18);"));
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
        QVERIFY(pressDelete(18));
        QCOMPARE(s.messages().shown().size(), size_t(1));
        QCOMPARE(s.messages().shown().front().caption, QStringLiteral("сообщение"));
        QCOMPARE(s.messages().shown().front().text,
                 QStringLiteral("Элемент «Na» используется: удобрения (2), цели культур (2), профили воды (1), "
                                "коэффициенты (1).") +
                     rest);
        QVERIFY(pressDelete(19));
        QCOMPARE(s.messages().shown().front().text,
                 QStringLiteral("Элемент «Si» используется: цели культур (1).") + rest);
        QCOMPARE(storedElements(s), 20);

        s.messages().queueAnswer(MessageAnswer::No);
        QVERIFY(pressDelete(20));
        QCOMPARE(s.messages().shown().size(), size_t(1));
        const ShownMessage asked = s.messages().shown().front();
        QCOMPARE(asked.caption, QStringLiteral("подтверждение"));
        QCOMPARE(asked.text, QStringLiteral("удалить?"));
        QCOMPARE(asked.buttons, MessageButtons::YesNo);
        QCOMPARE(storedElements(s), 20);
        s.messages().queueAnswer(MessageAnswer::Yes);
        QVERIFY(pressDelete(20));
        QCOMPARE(s.scalar(QStringLiteral("SELECT COUNT(*) FROM T_element WHERE id_element = 20")).toInt(), 0);
        QCOMPARE(elements.recordCount(), 19);
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
        QCOMPARE(storedElements(s), 17);
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
        const QStringList plain{"N", "P", "K", "Ca", "Mg", "S", "Fe", "Mn", "Zn", "Cu", "B", "Mo"};
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
        QCOMPARE(plain.recordCount(), 12);

        elements.append();
        elements.fieldByName(QStringLiteral("Smallname_element"))->setAsString(QStringLiteral("Si"));
        elements.fieldByName(QStringLiteral("fullname_element"))->setAsString(QStringLiteral("Кремний"));
        elements.post();
        // An oxide typed in the grid and left unposted.
        elements.append();
        elements.fieldByName(QStringLiteral("Smallname_element"))->setAsString(QStringLiteral("SiO2"));
        elements.fieldByName(QStringLiteral("kof"))->setAsBoolean(true);
        QCOMPARE(storedElements(s), 18);
        QCOMPARE(plain.recordCount(), 12);
        QVERIFY(!comboItems(chooser).contains(QStringLiteral("Si")));

        form.close();
        QVERIFY(!form.isVisible());
        QCOMPARE(storedElements(s), 19); // the unposted oxide was stored, not dropped
        QCOMPARE(plain.recordCount(), 13);
        QVERIFY(DirectorySession::column(plain, QStringLiteral("Smallname_element")).contains(QStringLiteral("Si")));
        QVERIFY(comboItems(chooser).contains(QStringLiteral("Si")));
        QVERIFY(!comboItems(chooser).contains(QStringLiteral("SiO2")));
        QVERIFY(s.errors().isEmpty());
    }
};

QTEST_MAIN(ElementDirectoryTest)
#include "test_element_directory.moc"
