// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/splitter.h"
#include "core/number_text.h"
#include "core/rounding.h"
#include "directories_fixture.h"
#include "app/launcher_window.h"
#include "app/program.h"
#include "store/database.h"
#include "windows/calculator/calculator_window.h"
#include "windows/directories/coefficient_directory.h"
#include "windows/directories/converter_window.h"
#include "windows/directories/element_directory.h"
#include "windows/directories/fertilizer_directory.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace solvane;
using solvane::test::Child;
using solvane::test::DirectorySession;
using solvane::test::SqlFile;

namespace {

QString name(DataSet& set) {
    return set.fieldByName(QStringLiteral("name_udobra"))->asString();
}

void clickHeader(DBGrid* grid, int section) {
    QHeaderView* header = grid->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void clickCell(DBGrid* grid, int row, int column) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(row, column)).center());
}

bool activate(QWidget& window) {
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Elements 1 to 6 are plain; 7 "X" is the element the conversions yield.
// Each fertilizer holds 20 % of one element or oxide.
void conversionBase(SqlFile& sql) {
    const char* symbols[] = {"N", "P", "K", "Ca", "Mg", "S"};
    for (const char* symbol : symbols)
        sql.insert(QStringLiteral("T_element"), {{"Smallname_element", symbol}, {"kof", false}});
    sql.insert(QStringLiteral("t_kof"), {{"name_kof", "полная"}, {"kof", 0.5}, {"id_element", 7}});         // 1
    sql.insert(QStringLiteral("t_kof"), {{"name_kof", "без множителя"}, {"kof", {}}, {"id_element", 7}});   // 2
    sql.insert(QStringLiteral("t_kof"), {{"name_kof", "без элемента"}, {"kof", 0.25}, {"id_element", {}}}); // 3
    sql.insert(QStringLiteral("t_kof"), {{"name_kof", "удаляемая"}, {"kof", 0.8}, {"id_element", 3}});      // 4
    const struct {
        const char* symbol;
        bool oxide;
        QVariant record;
    } elements[] = {
        {"X", false, {}}, // 7: an element
        {"XO", true, 1},  // 8: an oxide with a full record
        {"YO", true, 2},  // 9: a record without factor
        {"ZO", true, 3},  // 10: a record without element
        {"WO", true, 4},  // 11: its record is deleted by the test
        {"Q", false, 1},  // 12: not marked, but converted: only the record decides
        {"RO", true, {}}, // 13: marked, without record: not converted
    };
    for (const auto& e : elements)
        sql.insert(QStringLiteral("T_element"),
                   {{"Smallname_element", e.symbol}, {"kof", e.oxide}, {"id_kof", e.record}});
    for (int element = 7; element <= 13; ++element) {
        const long long fertilizer =
            sql.insert(QStringLiteral("t_udobra"), {{"name_udobra", QStringLiteral("У%1").arg(element)}, {"ppm", 100}});
        sql.insert(QStringLiteral("T_sostav_udobra"),
                   {{"id_udobra", fertilizer}, {"id_element", element}, {"kol_element", 20.0}});
    }
}

// The directory's widgets, found by their object names.
struct Widgets {
    explicit Widgets(FertilizerDirectory& form)
        : search(Child<QLineEdit>(form, QStringLiteral("Edit1"))),
          searchRow(Child<QWidget>(form, QStringLiteral("PanelSearch"))),
          listGroup(Child<QGroupBox>(form, QStringLiteral("GroupBox1"))),
          list(Child<DBGrid>(form, QStringLiteral("dxDBGrid2"))),
          content(Child<DBGrid>(form, QStringLiteral("dxDBGrid1"))),
          listNavigator(Child<DBNavigator>(form, QStringLiteral("DBNavigator1"))),
          contentNavigator(Child<DBNavigator>(form, QStringLiteral("DBNavigator3"))),
          count(Child<QLabel>(form, QStringLiteral("Label3"))),
          converter(Child<QPushButton>(form, QStringLiteral("Button1"))) {}
    bool found() const {
        return search && searchRow && listGroup && list && content && listNavigator && contentNavigator && count &&
               converter;
    }
    QLineEdit* search;
    QWidget* searchRow;
    QGroupBox* listGroup;
    DBGrid* list;
    DBGrid* content;
    DBNavigator* listNavigator;
    DBNavigator* contentNavigator;
    QLabel* count;
    QPushButton* converter;
};

// free and freeid of the content row of the fertilizer "У<element>".
std::pair<double, int> inElementTerms(Database& data, int element) {
    if (!DirectorySession::locate(data.fertilizers, QStringLiteral("name_udobra"), QStringLiteral("У%1").arg(element)))
        return {-1, -1};
    DataSet& content = data.fertilizerContent;
    if (content.recordCount() != 1)
        return {-1, -1};
    return {content.fieldByName(QStringLiteral("free"))->asFloat(),
            content.fieldByName(QStringLiteral("freeid"))->asInteger()};
}

} // namespace

class FertilizerDirectoryTest : public QObject {
    Q_OBJECT
private slots:
    void theSearchFiltersTheSharedListAndBothCountsFollow() {
        DirectorySession s(DirectorySession::Base::Starter, [](SqlFile& sql) {
            sql.insert(QStringLiteral("t_udobra"), {{"name_udobra", "Калий 'экстра' 100%"}, {"ppm", 1}});
        });
        FertilizerDirectory& form = s.p().fertilizerDirectory();
        CalculatorWindow& calculator = s.p().calculator();
        const Widgets w(form);
        QVERIFY(w.found());
        auto* calculatorCount = Child<QLabel>(calculator, QStringLiteral("Label6"));
        auto* calculatorList = Child<DBGrid>(calculator, QStringLiteral("dxDBGrid1"));
        QVERIFY(calculatorCount && calculatorList);
        DataSet& list = s.data().fertilizers;
        form.show();
        QCOMPARE(w.count->text(), QStringLiteral("37"));
        QCOMPARE(calculatorCount->text(), QStringLiteral("37"));

        const auto search = [&](const QString& text) {
            w.search->clear();
            solvane::test::TypeText(w.search, text);
            return DirectorySession::column(list, QStringLiteral("name_udobra"));
        };
        const QStringList nitrates{"Кальциевая селитра", "Калиевая селитра", "Аммиачная селитра",
                                   "Кальциевая селитра жидкая"};
        QCOMPARE(search(QStringLiteral("селитра")), nitrates);
        QCOMPARE(w.count->text(), QStringLiteral("4"));
        QCOMPARE(calculatorCount->text(), QStringLiteral("4"));
        QCOMPARE(calculatorList->model()->rowCount(), 4);
        QCOMPARE(search(QStringLiteral("СеЛиТрА")), nitrates);
        QCOMPARE(search(QStringLiteral("калия")), (QStringList{"Монофосфат калия", "Сульфат калия", "Хлорид калия"}));
        // '%' matches any run of characters; quotes and brackets are plain text.
        QCOMPARE(search(QStringLiteral("сульфат%я")),
                 (QStringList{"Сульфат магния", "Сульфат калия", "Сульфат аммония"}));
        QCOMPARE(search(QStringLiteral("'экстра'")), (QStringList{"Калий 'экстра' 100%"}));
        QCOMPARE(search(QStringLiteral("(Fe-")),
                 (QStringList{"Хелат железа (Fe-EDTA)", "Хелат железа (Fe-DTPA)", "Хелат железа (Fe-EDDHA)"}));
        QCOMPARE(search(QStringLiteral("100%")), (QStringList{"Калий 'экстра' 100%"}));

        QCOMPARE(search(QStringLiteral("нет такого")), QStringList());
        QCOMPARE(w.count->text(), QStringLiteral("0"));
        QCOMPARE(calculatorCount->text(), QStringLiteral("0"));
        QVERIFY(s.data().fertilizerContent.isEmpty());

        w.search->clear();
        QVERIFY(!list.isFiltered());
        QCOMPARE(w.count->text(), QStringLiteral("37"));
        QCOMPARE(calculatorCount->text(), QStringLiteral("37"));

        // The count follows posts and deletes as well.
        w.listNavigator->press(NavButton::Insert);
        list.fieldByName(QStringLiteral("name_udobra"))->setAsString(QStringLiteral("Новое"));
        w.listNavigator->press(NavButton::Post);
        QCOMPARE(w.count->text(), QStringLiteral("38"));
        QCOMPARE(calculatorCount->text(), QStringLiteral("38"));
        s.messages().queueAnswer(MessageAnswer::Ok);
        w.listNavigator->press(NavButton::Delete);
        QCOMPARE(s.messages().shown().back().text, QStringLiteral("Delete record?"));
        QCOMPARE(w.count->text(), QStringLiteral("37"));
        QCOMPARE(calculatorCount->text(), QStringLiteral("37"));
        QVERIFY(s.errors().isEmpty());
    }

    void aHeaderClickTogglesTheNameOrderFromTheInitialMark() {
        DirectorySession s;
        FertilizerDirectory& form = s.p().fertilizerDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        auto* calculatorList = Child<DBGrid>(s.p().calculator(), QStringLiteral("dxDBGrid1"));
        QVERIFY(calculatorList);
        DataSet& list = s.data().fertilizers;
        form.show();
        DBGridColumn* names = w.list->columnByField(QStringLiteral("name_udobra"));
        DBGridColumn* ppm = w.list->columnByField(QStringLiteral("ppm"));
        QVERIFY(names && ppm);
        const SortMark calculatorMark = calculatorList->column(0)->sortMark();
        QCOMPARE(names->sortMark(), SortMark::Ascending);
        // The list starts in the table's order although the mark says ascending.
        QCOMPARE(name(list), QStringLiteral("Кальциевая селитра"));

        clickHeader(w.list, 1); // "PPM, 1г./л." sorts by name too
        QCOMPARE(names->sortMark(), SortMark::Descending);
        QCOMPARE(list.sort(), QStringLiteral("name_udobra DESC"));
        list.first();
        QCOMPARE(name(list), QStringLiteral("Хлорид кальция (2-водный)"));
        QCOMPARE(w.list->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);

        clickHeader(w.list, 0);
        QCOMPARE(names->sortMark(), SortMark::Ascending);
        QCOMPARE(list.sort(), QStringLiteral("name_udobra ASC"));
        list.first();
        QCOMPARE(name(list), QStringLiteral("Азотная кислота 60 %"));

        clickHeader(w.list, 0);
        QCOMPARE(names->sortMark(), SortMark::Descending);
        QCOMPARE(list.sort(), QStringLiteral("name_udobra DESC"));
        QCOMPARE(ppm->sortMark(), SortMark::None);
        // The calculator's mark is its own.
        QCOMPARE(calculatorList->column(0)->sortMark(), calculatorMark);
        QVERIFY(s.errors().isEmpty());
    }

    void contentIsPutIntoElementTermsByTheConversionRecordOnly() {
        DirectorySession s(DirectorySession::Base::Empty, conversionBase);
        Database& data = s.data();
        using Result = std::pair<double, int>;
        QCOMPARE(inElementTerms(data, 7), Result(20, 7));  // an element
        QCOMPARE(inElementTerms(data, 8), Result(10, 7));  // an oxide with a full record
        QCOMPARE(inElementTerms(data, 9), Result(20, 7));  // no factor: unconverted, but counted to X
        QCOMPARE(inElementTerms(data, 10), Result(5, 10)); // no element: converted, counted to itself
        QCOMPARE(inElementTerms(data, 11), Result(16, 3));
        QCOMPARE(inElementTerms(data, 12), Result(10, 7));  // not marked as oxide, yet converted
        QCOMPARE(inElementTerms(data, 13), Result(20, 13)); // marked, without record

        // A record deleted in the coefficient directory: its oxides count as elements.
        CoefficientDirectory& coefficients = s.p().coefficientDirectory();
        auto* coefficientNavigator = Child<DBNavigator>(coefficients, QStringLiteral("DBNavigator1"));
        QVERIFY(coefficientNavigator);
        coefficients.show();
        QVERIFY(DirectorySession::locate(data.coefficients, QStringLiteral("id_kof"), 4));
        s.messages().queueAnswer(MessageAnswer::Ok);
        QTest::mouseClick(coefficientNavigator->button(NavButton::Delete), Qt::LeftButton);
        QCOMPARE(s.scalar(QStringLiteral("SELECT COUNT(*) FROM t_kof")).toInt(), 3);
        QCOMPARE(inElementTerms(data, 11), Result(20, 11));

        // Choosing a record in the element directory's "Коэффициент" column
        // reaches the content when it is next read.
        auto* elementGrid = Child<DBGrid>(s.p().elementDirectory(), QStringLiteral("dxDBGrid1"));
        QVERIFY(elementGrid);
        QVERIFY(DirectorySession::locate(data.elements, QStringLiteral("id_element"), 7));
        const int column = 3;
        QCOMPARE(elementGrid->column(column)->caption(), QStringLiteral("Коэффициент"));
        QVERIFY(elementGrid->model()->setData(elementGrid->model()->index(data.elements.recNo() - 1, column), 1,
                                              Qt::EditRole));
        data.elements.post();
        QCOMPARE(s.scalar(QStringLiteral("SELECT id_kof FROM T_element WHERE id_element = 7")).toInt(), 1);
        QCOMPARE(inElementTerms(data, 7), Result(10, 7));
        QVERIFY(s.errors().isEmpty());
    }

    void aNewFertilizerIsStoredWhenItsContentPaneIsClicked() {
        DirectorySession s;
        FertilizerDirectory& form = s.p().fertilizerDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        DataSet& list = s.data().fertilizers;
        DataSet& content = s.data().fertilizerContent;
        form.show();
        QVERIFY(activate(form));
        w.listNavigator->press(NavButton::Insert);
        list.fieldByName(QStringLiteral("name_udobra"))->setAsString(QStringLiteral("Новое удобрение"));
        QVERIFY(list.isModified());
        clickCell(w.content, 0, 0); // an empty content grid
        QCOMPARE(list.state(), DataSetState::Browse);
        const QVariant key = s.scalar(QStringLiteral("SELECT id_udobra FROM t_udobra WHERE name_udobra = ?"),
                                      {QStringLiteral("Новое удобрение")});
        QVERIFY(key.isValid());
        QCOMPARE(list.fieldByName(QStringLiteral("id_udobra"))->value().toLongLong(), key.toLongLong());

        // Its content rows now belong to it.
        w.contentNavigator->press(NavButton::Insert);
        QCOMPARE(content.state(), DataSetState::Insert);
        content.fieldByName(QStringLiteral("id_element"))->setAsInteger(1);
        content.fieldByName(QStringLiteral("kol_element"))->setAsFloat(12.5);
        w.contentNavigator->press(NavButton::Post);
        QCOMPARE(s.scalar(QStringLiteral("SELECT id_udobra FROM T_sostav_udobra WHERE kol_element = 12.5")), key);
        QVERIFY(s.errors().isEmpty());
    }

    void theContentInsertStoresTheFertilizerFirstAndNeedsASecondPress() {
        DirectorySession s;
        FertilizerDirectory& form = s.p().fertilizerDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        form.show();
        DataSet& list = s.data().fertilizers;
        DataSet& content = s.data().fertilizerContent;
        QToolButton* insert = w.contentNavigator->button(NavButton::Insert);
        QVERIFY(insert);

        // Without unposted changes the first press inserts.
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(content.state(), DataSetState::Insert);
        content.cancel();

        // A renamed fertilizer is stored; the row just inserted is dropped.
        list.edit();
        list.fieldByName(QStringLiteral("name_udobra"))->setAsString(QStringLiteral("Кальциевая селитра Б"));
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(list.state(), DataSetState::Browse);
        QCOMPARE(s.scalar(QStringLiteral("SELECT COUNT(*) FROM t_udobra WHERE name_udobra = ?"),
                          {QStringLiteral("Кальциевая селитра Б")})
                     .toInt(),
                 1);
        QCOMPARE(content.state(), DataSetState::Browse);
        QCOMPARE(content.recordCount(), 3);
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(content.state(), DataSetState::Insert);
        content.cancel();

        // A new fertilizer: stored on the first press, its first row on the second.
        w.listNavigator->press(NavButton::Insert);
        list.fieldByName(QStringLiteral("name_udobra"))->setAsString(QStringLiteral("Новое"));
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(list.state(), DataSetState::Browse);
        QCOMPARE(content.state(), DataSetState::Browse);
        const QVariant key =
            s.scalar(QStringLiteral("SELECT id_udobra FROM t_udobra WHERE name_udobra = ?"), {QStringLiteral("Новое")});
        QVERIFY(key.isValid());
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(content.state(), DataSetState::Insert);
        QCOMPARE(content.fieldByName(QStringLiteral("id_udobra"))->value().toLongLong(), key.toLongLong());
        content.cancel();
        QVERIFY(s.errors().isEmpty());
    }

    // A name still in the list's cell editor is stored by the content pane's
    // "+", as leaving the grid would store it: for a new fertilizer and for
    // one being renamed.
    void theContentInsertStoresANameStillInTheCellEditor() {
        DirectorySession s;
        FertilizerDirectory& form = s.p().fertilizerDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        DataSet& list = s.data().fertilizers;
        form.show();
        QVERIFY(activate(form));
        QToolButton* insert = w.contentNavigator->button(NavButton::Insert);
        // Opens the current row's name cell with a double click and types
        // the text into its editor; false when no editor opened.
        const auto typeName = [&](const QString& text) {
            const int row = list.recNo() - 1;
            QWidget* cells = w.list->viewport();
            const QPoint at = w.list->visualRect(w.list->model()->index(row, 0)).center();
            QTest::mousePress(cells, Qt::LeftButton, {}, at);
            QTest::mouseRelease(cells, Qt::LeftButton, {}, at);
            QTest::mouseDClick(cells, Qt::LeftButton, {}, at);
            QTest::mouseRelease(cells, Qt::LeftButton, {}, at);
            auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            if (!w.list->isEditing() || !editor)
                return false;
            editor->selectAll();
            solvane::test::TypeText(editor, text);
            return true;
        };
        const auto stored = [&](const QString& text) {
            return s.scalar(QStringLiteral("SELECT COUNT(*) FROM t_udobra WHERE name_udobra = ?"), {text}).toInt();
        };

        QTest::mouseClick(w.listNavigator->button(NavButton::Insert), Qt::LeftButton);
        QVERIFY(typeName(QStringLiteral("Новое удобрение")));
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(stored(QStringLiteral("Новое удобрение")), 1);
        QCOMPARE(name(list), QStringLiteral("Новое удобрение"));

        QVERIFY(typeName(QStringLiteral("Новое удобрение Б")));
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(stored(QStringLiteral("Новое удобрение Б")), 1);
        QCOMPARE(stored(QStringLiteral("Новое удобрение")), 0);
        QCOMPARE(list.state(), DataSetState::Browse);
        QCOMPARE(name(list), QStringLiteral("Новое удобрение Б"));
        QVERIFY(s.errors().isEmpty());
    }

    void aContentRowIsNeverInsertedWithoutAFertilizer() {
        DirectorySession s;
        FertilizerDirectory& form = s.p().fertilizerDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        DataSet& list = s.data().fertilizers;
        DataSet& content = s.data().fertilizerContent;
        form.show();
        QToolButton* insert = w.contentNavigator->button(NavButton::Insert);
        // A new fertilizer row left untouched is dropped, and the content row with it.
        w.listNavigator->press(NavButton::Insert);
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(list.state(), DataSetState::Browse);
        QCOMPARE(content.state(), DataSetState::Browse);
        QCOMPARE(list.recordCount(), 36);

        // A search that matches nothing leaves no fertilizer to add to.
        w.search->setText(QStringLiteral("нет такого"));
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(content.state(), DataSetState::Browse);
        QCOMPARE(s.scalar(QStringLiteral("SELECT COUNT(*) FROM T_sostav_udobra WHERE id_udobra IS NULL")).toInt(), 0);
        QVERIFY(s.errors().isEmpty());
    }

    void theLayoutFollowsShowResizeAndSplitterMoves() {
        DirectorySession s;
        FertilizerDirectory& form = s.p().fertilizerDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        Splitter* splitter = form.listSplitter();
        QCOMPARE(splitter->handleWidth(), 7);
        for (DBNavigator* n : {w.listNavigator, w.contentNavigator}) {
            QVERIFY(n->button(NavButton::Insert) && n->button(NavButton::Delete) && n->button(NavButton::Post));
            QVERIFY(!n->button(NavButton::Cancel) && !n->button(NavButton::First) && !n->button(NavButton::Edit));
        }

        // The stored splitter position (the default file's) is what shows.
        form.showWindow();
        QCOMPARE(splitter->position(), 230);
        QCOMPARE(w.search->width(), w.searchRow->width() - 80);

        splitter->setPosition(260);
        QCOMPARE(w.search->width(), w.searchRow->width() - 80);
        QVERIFY(w.searchRow->width() > 200);

        form.resize(form.width() + 101, form.height());
        const int half = w.listGroup->width() / 2;
        QCOMPARE(splitter->position(), half);
        QCOMPARE(w.search->width(), half - 90);

        QTest::mouseClick(w.converter, Qt::LeftButton);
        QVERIFY(s.p().converter().isVisible());
        QVERIFY(s.errors().isEmpty());
    }

    // A fertilizer in the working solution or in saved solutions stays: the
    // box names each place (ten solutions at most, then how many more), and
    // solutions of a crop that is gone are no place. One used nowhere goes
    // after the standard question, with its content rows.
    void aFertilizerInUseStaysOneUsedNowhereGoesWithItsContent() {
        DirectorySession s(DirectorySession::Base::Starter, [](SqlFile& sql) {
            sql.exec(QStringLiteral("INSERT INTO t_rachet (id_udobra, kol) VALUES (1, 0.5), (3, 0.2)"));
            for (int i = 1; i <= 12; ++i) {
                const long long header =
                    sql.insert(QStringLiteral("t_head_rar"), {{"name_rar", QStringLiteral("Р%1").arg(i)},
                                                              {"id_konc", (i - 1) % 5 + 1},
                                                              {"kol_l", 1},
                                                              {"konc", 100}});
                sql.insert(QStringLiteral("t_save_rar"),
                           {{"id_udobra", i == 12 ? 2 : 1}, {"kol", 1}, {"id_head_rar", header}});
            }
            // A solution named twice counts once; one of a crop that is gone, not at all.
            sql.exec(QStringLiteral("INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (1, 2, 1)"));
            const long long lost =
                sql.insert(QStringLiteral("t_head_rar"), {{"name_rar", "Потерянный"}, {"id_konc", 99}});
            sql.insert(QStringLiteral("t_save_rar"), {{"id_udobra", 2}, {"kol", 1}, {"id_head_rar", lost}});
        });
        FertilizerDirectory& form = s.p().fertilizerDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        DataSet& list = s.data().fertilizers;
        form.show();
        const QString rest = QStringLiteral(" Сначала уберите его оттуда.");
        const auto refusal = [&](int fertilizer) {
            s.messages().clearShown();
            if (!DirectorySession::locate(list, QStringLiteral("id_udobra"), fertilizer))
                return QString();
            QTest::mouseClick(w.listNavigator->button(NavButton::Delete), Qt::LeftButton);
            return s.messages().shown().size() == 1 ? s.messages().shown().front().text : QString();
        };
        QCOMPARE(refusal(1), QStringLiteral("Удобрение «Кальциевая селитра» входит в рабочий раствор и в растворы "
                                            "«Р1» (Томат), «Р2» (Салат), «Р3» (Раствор Хогланда), «Р4» (Раствор "
                                            "Купера (NFT)), «Р5» (Раствор Штейнера), «Р6» (Томат), «Р7» (Салат), «Р8» "
                                            "(Раствор Хогланда), «Р9» (Раствор Купера (NFT)), «Р10» (Раствор Штейнера) "
                                            "и ещё 1.") +
                                 rest);
        QCOMPARE(s.messages().shown().front().caption, QStringLiteral("сообщение"));
        QCOMPARE(refusal(2), QStringLiteral("Удобрение «Калиевая селитра» входит в раствор «Р12» (Салат).") + rest);
        QCOMPARE(refusal(3), QStringLiteral("Удобрение «Монофосфат калия» входит в рабочий раствор.") + rest);
        QCOMPARE(s.scalar(QStringLiteral("SELECT count(*) FROM t_udobra")).toInt(), 36);

        const int contentRows = s.scalar(QStringLiteral("SELECT count(*) FROM T_sostav_udobra")).toInt();
        s.messages().queueAnswer(MessageAnswer::Ok);
        QCOMPARE(refusal(34), QStringLiteral("Delete record?"));
        QCOMPARE(s.scalar(QStringLiteral("SELECT count(*) FROM t_udobra WHERE id_udobra = 34")).toInt(), 0);
        QCOMPARE(s.scalar(QStringLiteral("SELECT count(*) FROM T_sostav_udobra WHERE id_udobra = 34")).toInt(), 0);
        QCOMPARE(s.scalar(QStringLiteral("SELECT count(*) FROM T_sostav_udobra")).toInt(), contentRows - 1);
        QCOMPARE(list.recordCount(), 35);
        QVERIFY(s.errors().isEmpty());
    }

    // A content changed in the directory shows in the calculator's results
    // once the directory closes, and when the calculator is shown next.
    void aContentChangeShowsInTheCalculatorsResults() {
        DirectorySession s(DirectorySession::Base::Starter, [](SqlFile& sql) {
            // Monophosphate (P2O5 52 %), 1 g/l; the stored result of P is stale.
            sql.exec(QStringLiteral("INSERT INTO t_rachet (id_udobra, kol) VALUES (3, 1)"));
            sql.exec(QStringLiteral("UPDATE t_konc SET rachet = 999 WHERE id_kult = 1"));
        });
        Program& p = s.p();
        const auto phosphorus = [&s] {
            return s.scalar(QStringLiteral("SELECT rachet FROM t_konc WHERE id_kult = 1 AND id_el = 2")).toDouble();
        };
        p.launcher().openCalculator();
        const double before = phosphorus();
        QVERIFY(before > 0 && before < 999);
        p.calculator().hide();

        FertilizerDirectory& form = p.fertilizerDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        p.launcher().openFertilizers();
        QVERIFY(DirectorySession::locate(s.data().fertilizers, QStringLiteral("id_udobra"), 3));
        QVERIFY(DirectorySession::locate(s.data().fertilizerContent, QStringLiteral("id_element"), 13)); // P2O5
        DataSet& content = s.data().fertilizerContent;
        content.edit();
        content.fieldByName(QStringLiteral("kol_element"))->setAsFloat(26);
        QVERIFY(form.close());
        QCOMPARE(phosphorus(), RoundToDecimals(before / 2, 4));

        p.launcher().openCalculator();
        auto* targets = Child<DBGrid>(p.calculator(), QStringLiteral("dxDBGrid3"));
        QVERIFY(targets);
        QCOMPARE(targets->model()->index(1, 2).data().toString(), FormatNumber(RoundToDecimals(before / 2, 4)));
        QVERIFY(s.errors().isEmpty());
    }

    void closingStoresWhatIsTypedAndReadsEverythingAgain() {
        DirectorySession s;
        FertilizerDirectory& form = s.p().fertilizerDirectory();
        const Widgets w(form);
        QVERIFY(w.found());
        DataSet& list = s.data().fertilizers;
        form.show();
        list.edit();
        list.fieldByName(QStringLiteral("ppm"))->setAsInteger(611);
        form.close();
        QVERIFY(!form.isVisible());
        QCOMPARE(s.scalar(QStringLiteral("SELECT ppm FROM t_udobra WHERE name_udobra = ?"),
                          {QStringLiteral("Кальциевая селитра")})
                     .toInt(),
                 611);
        QVERIFY(list.isActive() && s.data().fertilizerContent.isActive());
        QCOMPARE(list.state(), DataSetState::Browse);
        QCOMPARE(w.count->text(), QStringLiteral("36"));

        // A fertilizer that cannot be stored keeps the window open.
        form.show();
        list.edit();
        list.fieldByName(QStringLiteral("name_udobra"))->setAsString(QString(51, QLatin1Char('x')));
        form.close();
        QVERIFY(form.isVisible());
        QCOMPARE(s.errors().size(), 1);
    }
};

QTEST_MAIN(FertilizerDirectoryTest)
#include "test_fertilizer_directory.moc"
