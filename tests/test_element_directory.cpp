#include "windows/calculator/calculator_form.h"
#include "controls/db_lookup_combo.h"
#include "controls/db_navigator.h"
#include "windows/directories/coefficient_form.h"
#include "windows/directories/element_form.h"
#include "directories_fixture.h"

#include <QPushButton>
#include <QToolButton>

using namespace solvane;
using solvane::test::DirectorySession;

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

} // namespace

class ElementDirectoryTest : public QObject {
    Q_OBJECT
private slots:
    void theKeyElementsCannotBeDeleted() {
        DirectorySession s;
        TForm3& form = *s.p().Form3;
        form.show();
        for (int key = 1; key <= 6; ++key) {
            QVERIFY(DirectorySession::locate(form.T_Element, QStringLiteral("id_element"), key));
            s.messages().clearShown();
            s.messages().queueAnswer(MessageAnswer::Ok);
            QTest::mouseClick(form.Button2, Qt::LeftButton);
            QCOMPARE(s.messages().shown().size(), size_t(1));
            const ShownMessage& m = s.messages().shown().front();
            QCOMPARE(m.caption, QStringLiteral("сообщение"));
            QCOMPARE(m.text, QStringLiteral("нельзя удалить ключевой элемент!"));
            QCOMPARE(m.buttons, MessageButtons::Ok);
            QCOMPARE(form.T_Element.fieldByName(QStringLiteral("id_element"))->asInteger(), key);
        }
        QCOMPARE(form.T_Element.recordCount(), 17);
        QCOMPARE(storedElements(s), 17);
    }

    void anotherElementIsDeletedOnlyOnYes() {
        DirectorySession s;
        TForm3& form = *s.p().Form3;
        form.show();
        QVERIFY(DirectorySession::locate(form.T_Element, QStringLiteral("id_element"), 7));

        s.messages().queueAnswer(MessageAnswer::No);
        QTest::mouseClick(form.Button2, Qt::LeftButton);
        QCOMPARE(s.messages().shown().size(), size_t(1));
        const ShownMessage asked = s.messages().shown().front();
        QCOMPARE(asked.caption, QStringLiteral("подтверждение"));
        QCOMPARE(asked.text, QStringLiteral("удалить?"));
        QCOMPARE(asked.buttons, MessageButtons::YesNo);
        QCOMPARE(storedElements(s), 17);
        QCOMPARE(form.T_Element.fieldByName(QStringLiteral("Smallname_element"))->asString(), QStringLiteral("Fe"));

        s.messages().queueAnswer(MessageAnswer::Yes);
        QTest::mouseClick(form.Button2, Qt::LeftButton);
        QCOMPARE(s.messages().shown().size(), size_t(2));
        QCOMPARE(storedElements(s), 16);
        QCOMPARE(s.scalar(QStringLiteral("SELECT COUNT(*) FROM T_element WHERE id_element = 7")).toInt(), 0);
        QCOMPARE(form.T_Element.recordCount(), 16);
        // Only the element goes: the content that names it stays.
        QCOMPARE(s.scalar(QStringLiteral("SELECT COUNT(*) FROM T_sostav_udobra WHERE id_element = 7")).toInt(), 4);
        QVERIFY(s.errors().isEmpty());
    }

    void anEmptyListOrOneMovedPastItsEndDeletesNothing() {
        DirectorySession empty(DirectorySession::Base::Empty);
        TForm3& form = *empty.p().Form3;
        QVERIFY(form.T_Element.isEmpty());
        QTest::mouseClick(form.Button2, Qt::LeftButton);
        QVERIFY(empty.messages().shown().empty());

        DirectorySession s;
        TForm3& starter = *s.p().Form3;
        starter.T_Element.last();
        starter.T_Element.next(); // past the last row: at the end-of-data mark
        QVERIFY(starter.T_Element.eof());
        QTest::mouseClick(starter.Button2, Qt::LeftButton);
        QVERIFY(s.messages().shown().empty());
        QCOMPARE(storedElements(s), 17);
    }

    void onlyTheProtectedDeleteRemovesAnElement() {
        DirectorySession s;
        TForm3& form = *s.p().Form3;
        for (NavButton b : {NavButton::First, NavButton::Prior, NavButton::Next, NavButton::Last, NavButton::Delete,
                            NavButton::Edit, NavButton::Cancel, NavButton::Refresh})
            QVERIFY(!form.DBNavigator1->button(b));
        QVERIFY(form.DBNavigator1->button(NavButton::Insert) && form.DBNavigator1->button(NavButton::Post));
        // Conversion records, in turn, are deleted through their own navigator.
        QVERIFY(s.p().Form6->DBNavigator1->button(NavButton::Delete));
        QVERIFY(!s.p().Form6->DBNavigator1->button(NavButton::Edit));
    }

    void theButtonsShowAndCloseTheWindows() {
        DirectorySession s;
        TForm3& form = *s.p().Form3;
        form.show();
        QTest::mouseClick(form.Button3, Qt::LeftButton);
        TForm6& coefficients = *s.p().Form6;
        QVERIFY(coefficients.isVisible());
        const QRect screen = coefficients.screen()->availableGeometry();
        QVERIFY(qAbs(coefficients.frameGeometry().center().x() - screen.center().x()) <= 1);
        QTest::mouseClick(coefficients.Button1, Qt::LeftButton);
        QVERIFY(!coefficients.isVisible());
        QVERIFY(form.isVisible());

        // Closing the element directory reads every data set again.
        s.p().Form4->T_el.next();
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(s.p().Form4->T_el.recNo(), 1);
        QVERIFY(form.T_Element.isActive() && form.T_KOF.isActive());
        QVERIFY(s.errors().isEmpty());
    }

    void theElementChooserListsPlainElementsOnlyAndItsChoiceIsStored() {
        DirectorySession s;
        TForm6& coefficients = *s.p().Form6;
        coefficients.show();
        DBLookupCombo* chooser = coefficients.DBLookupComboBox1;
        const QStringList plain{"N", "P", "K", "Ca", "Mg", "S", "Fe", "Mn", "Zn", "Cu", "B", "Mo"};
        QCOMPARE(comboItems(chooser), plain);
        // The first record, "P2O5 → P", yields P.
        QCOMPARE(chooser->currentText(), QStringLiteral("P"));

        // A user's choice of K for it.
        chooser->setFocus();
        QTest::keyClick(chooser, Qt::Key_Down);
        QCOMPARE(chooser->currentText(), QStringLiteral("K"));
        DataSet& records = s.p().Form3->T_KOF;
        QCOMPARE(records.fieldByName(QStringLiteral("id_element"))->asInteger(), 3);
        // Closing the window stores the choice, so that no later reading of
        // every data set can drop it.
        coefficients.close();
        QCOMPARE(s.scalar(QStringLiteral("SELECT id_element FROM t_kof WHERE name_kof = ?"), {"P2O5 → P"}).toInt(), 3);
        QCOMPARE(records.state(), DataSetState::Browse);
    }

    void aChangeReachesTheChoiceListOnlyAfterTheDirectoryCloses() {
        DirectorySession s;
        TForm3& form = *s.p().Form3;
        form.show();
        DataSet& plain = s.p().Form4->T_el;
        DBLookupCombo* chooser = s.p().Form6->DBLookupComboBox1;
        QCOMPARE(plain.recordCount(), 12);

        form.T_Element.append();
        form.T_Element.fieldByName(QStringLiteral("Smallname_element"))->setAsString(QStringLiteral("Si"));
        form.T_Element.fieldByName(QStringLiteral("fullname_element"))->setAsString(QStringLiteral("Кремний"));
        form.T_Element.post();
        // An oxide typed in the grid and left unposted.
        form.T_Element.append();
        form.T_Element.fieldByName(QStringLiteral("Smallname_element"))->setAsString(QStringLiteral("SiO2"));
        form.T_Element.fieldByName(QStringLiteral("kof"))->setAsBoolean(true);
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
