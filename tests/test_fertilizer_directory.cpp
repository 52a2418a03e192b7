#include "windows/calculator/calculator_form.h"
#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/splitter.h"
#include "windows/directories/coefficient_form.h"
#include "windows/directories/converter_form.h"
#include "windows/directories/element_form.h"
#include "windows/directories/fertilizer_form.h"
#include "directories_fixture.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace solvane;
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

// free and freeid of the content row of the fertilizer "У<element>".
std::pair<double, int> inElementTerms(TForm2& form, int element) {
    if (!DirectorySession::locate(form.T_Udobra, QStringLiteral("name_udobra"), QStringLiteral("У%1").arg(element)))
        return {-1, -1};
    DataSet& content = form.T_Sostav_Udobra;
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
        TForm2& form = *s.p().Form2;
        TForm4& calculator = *s.p().Form4;
        form.show();
        QCOMPARE(form.Label3->text(), QStringLiteral("35"));
        QCOMPARE(calculator.Label6->text(), QStringLiteral("35"));

        const auto search = [&](const QString& text) {
            form.Edit1->clear();
            solvane::test::TypeText(form.Edit1, text);
            return DirectorySession::column(form.T_Udobra, QStringLiteral("name_udobra"));
        };
        const QStringList nitrates{"Кальциевая селитра", "Калиевая селитра", "Аммиачная селитра"};
        QCOMPARE(search(QStringLiteral("селитра")), nitrates);
        QCOMPARE(form.Label3->text(), QStringLiteral("3"));
        QCOMPARE(calculator.Label6->text(), QStringLiteral("3"));
        QCOMPARE(calculator.dxDBGrid1->model()->rowCount(), 3);
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
        QCOMPARE(form.Label3->text(), QStringLiteral("0"));
        QCOMPARE(calculator.Label6->text(), QStringLiteral("0"));
        QVERIFY(form.T_Sostav_Udobra.isEmpty());

        form.Edit1->clear();
        QVERIFY(!form.T_Udobra.isFiltered());
        QCOMPARE(form.Label3->text(), QStringLiteral("35"));
        QCOMPARE(calculator.Label6->text(), QStringLiteral("35"));

        // The count follows posts and deletes as well.
        form.DBNavigator1->press(NavButton::Insert);
        form.T_Udobra.fieldByName(QStringLiteral("name_udobra"))->setAsString(QStringLiteral("Новое"));
        form.DBNavigator1->press(NavButton::Post);
        QCOMPARE(form.Label3->text(), QStringLiteral("36"));
        QCOMPARE(calculator.Label6->text(), QStringLiteral("36"));
        s.messages().queueAnswer(MessageAnswer::Ok);
        form.DBNavigator1->press(NavButton::Delete);
        QCOMPARE(s.messages().shown().back().text, QStringLiteral("Delete record?"));
        QCOMPARE(form.Label3->text(), QStringLiteral("35"));
        QCOMPARE(calculator.Label6->text(), QStringLiteral("35"));
        QVERIFY(s.errors().isEmpty());
    }

    void aHeaderClickTogglesTheNameOrderFromTheInitialMark() {
        DirectorySession s;
        TForm2& form = *s.p().Form2;
        form.show();
        DBGridColumn* names = form.dxDBGrid2name_udobra;
        const SortMark calculatorMark = s.p().Form4->dxDBGrid1->column(0)->sortMark();
        QCOMPARE(names->sortMark(), SortMark::Ascending);
        // The list starts in the table's order although the mark says ascending.
        QCOMPARE(name(form.T_Udobra), QStringLiteral("Кальциевая селитра"));

        clickHeader(form.dxDBGrid2, 1); // "PPM, 1г./л." sorts by name too
        QCOMPARE(names->sortMark(), SortMark::Descending);
        QCOMPARE(form.T_Udobra.sort(), QStringLiteral("name_udobra DESC"));
        form.T_Udobra.first();
        QCOMPARE(name(form.T_Udobra), QStringLiteral("Хлорид кальция (2-водный)"));
        QCOMPARE(form.dxDBGrid2->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);

        clickHeader(form.dxDBGrid2, 0);
        QCOMPARE(names->sortMark(), SortMark::Ascending);
        QCOMPARE(form.T_Udobra.sort(), QStringLiteral("name_udobra ASC"));
        form.T_Udobra.first();
        QCOMPARE(name(form.T_Udobra), QStringLiteral("Азотная кислота 60 %"));

        clickHeader(form.dxDBGrid2, 0);
        QCOMPARE(names->sortMark(), SortMark::Descending);
        QCOMPARE(form.T_Udobra.sort(), QStringLiteral("name_udobra DESC"));
        QCOMPARE(form.dxDBGrid2ppm->sortMark(), SortMark::None);
        // The calculator's mark is its own.
        QCOMPARE(s.p().Form4->dxDBGrid1->column(0)->sortMark(), calculatorMark);
        QVERIFY(s.errors().isEmpty());
    }

    void contentIsPutIntoElementTermsByTheConversionRecordOnly() {
        DirectorySession s(DirectorySession::Base::Empty, conversionBase);
        TForm2& form = *s.p().Form2;
        using Result = std::pair<double, int>;
        QCOMPARE(inElementTerms(form, 7), Result(20, 7));  // an element
        QCOMPARE(inElementTerms(form, 8), Result(10, 7));  // an oxide with a full record
        QCOMPARE(inElementTerms(form, 9), Result(20, 7));  // no factor: unconverted, but counted to X
        QCOMPARE(inElementTerms(form, 10), Result(5, 10)); // no element: converted, counted to itself
        QCOMPARE(inElementTerms(form, 11), Result(16, 3));
        QCOMPARE(inElementTerms(form, 12), Result(10, 7));  // not marked as oxide, yet converted
        QCOMPARE(inElementTerms(form, 13), Result(20, 13)); // marked, without record

        // A record deleted in the coefficient directory: its oxides count as elements.
        TForm6& coefficients = *s.p().Form6;
        coefficients.show();
        QVERIFY(DirectorySession::locate(s.p().Form3->T_KOF, QStringLiteral("id_kof"), 4));
        s.messages().queueAnswer(MessageAnswer::Ok);
        QTest::mouseClick(coefficients.DBNavigator1->button(NavButton::Delete), Qt::LeftButton);
        QCOMPARE(s.scalar(QStringLiteral("SELECT COUNT(*) FROM t_kof")).toInt(), 3);
        QCOMPARE(inElementTerms(form, 11), Result(20, 11));

        // Choosing a record in the element directory's "Коэффициент" column
        // reaches the content when it is next read.
        TForm3& elements = *s.p().Form3;
        QVERIFY(DirectorySession::locate(elements.T_Element, QStringLiteral("id_element"), 7));
        const int column = 3;
        QCOMPARE(elements.dxDBGrid1->column(column)->caption(), QStringLiteral("Коэффициент"));
        QVERIFY(elements.dxDBGrid1->model()->setData(
            elements.dxDBGrid1->model()->index(elements.T_Element.recNo() - 1, column), 1, Qt::EditRole));
        elements.T_Element.post();
        QCOMPARE(s.scalar(QStringLiteral("SELECT id_kof FROM T_element WHERE id_element = 7")).toInt(), 1);
        QCOMPARE(inElementTerms(form, 7), Result(10, 7));
        QVERIFY(s.errors().isEmpty());
    }

    void aNewFertilizerIsStoredWhenItsContentPaneIsClicked() {
        DirectorySession s;
        TForm2& form = *s.p().Form2;
        form.show();
        QVERIFY(activate(form));
        form.DBNavigator1->press(NavButton::Insert);
        form.T_Udobra.fieldByName(QStringLiteral("name_udobra"))->setAsString(QStringLiteral("Новое удобрение"));
        QVERIFY(form.T_Udobra.isModified());
        clickCell(form.dxDBGrid1, 0, 0); // an empty content grid
        QCOMPARE(form.T_Udobra.state(), DataSetState::Browse);
        const QVariant key = s.scalar(QStringLiteral("SELECT id_udobra FROM t_udobra WHERE name_udobra = ?"),
                                      {QStringLiteral("Новое удобрение")});
        QVERIFY(key.isValid());
        QCOMPARE(form.T_Udobra.fieldByName(QStringLiteral("id_udobra"))->value().toLongLong(), key.toLongLong());

        // Its content rows now belong to it.
        form.DBNavigator3->press(NavButton::Insert);
        QCOMPARE(form.T_Sostav_Udobra.state(), DataSetState::Insert);
        form.T_Sostav_Udobra.fieldByName(QStringLiteral("id_element"))->setAsInteger(1);
        form.T_Sostav_Udobra.fieldByName(QStringLiteral("kol_element"))->setAsFloat(12.5);
        form.DBNavigator3->press(NavButton::Post);
        QCOMPARE(s.scalar(QStringLiteral("SELECT id_udobra FROM T_sostav_udobra WHERE kol_element = 12.5")), key);
        QVERIFY(s.errors().isEmpty());
    }

    void theContentInsertStoresTheFertilizerFirstAndNeedsASecondPress() {
        DirectorySession s;
        TForm2& form = *s.p().Form2;
        form.show();
        DataSet& list = form.T_Udobra;
        DataSet& content = form.T_Sostav_Udobra;
        QToolButton* insert = form.DBNavigator3->button(NavButton::Insert);
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
        QCOMPARE(content.recordCount(), 2);
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(content.state(), DataSetState::Insert);
        content.cancel();

        // A new fertilizer: stored on the first press, its first row on the second.
        form.DBNavigator1->press(NavButton::Insert);
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
        TForm2& form = *s.p().Form2;
        form.show();
        QVERIFY(activate(form));
        QToolButton* insert = form.DBNavigator3->button(NavButton::Insert);
        const auto typeName = [&](const QString& text) {
            const int row = form.T_Udobra.recNo() - 1;
            QWidget* cells = form.dxDBGrid2->viewport();
            const QPoint at = form.dxDBGrid2->visualRect(form.dxDBGrid2->model()->index(row, 0)).center();
            QTest::mousePress(cells, Qt::LeftButton, {}, at);
            QTest::mouseRelease(cells, Qt::LeftButton, {}, at);
            QTest::mouseDClick(cells, Qt::LeftButton, {}, at);
            QTest::mouseRelease(cells, Qt::LeftButton, {}, at);
            QVERIFY(form.dxDBGrid2->isEditing());
            auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY(editor);
            editor->selectAll();
            solvane::test::TypeText(editor, text);
        };
        const auto stored = [&](const QString& text) {
            return s.scalar(QStringLiteral("SELECT COUNT(*) FROM t_udobra WHERE name_udobra = ?"), {text}).toInt();
        };

        QTest::mouseClick(form.DBNavigator1->button(NavButton::Insert), Qt::LeftButton);
        typeName(QStringLiteral("Новое удобрение"));
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(stored(QStringLiteral("Новое удобрение")), 1);
        QCOMPARE(name(form.T_Udobra), QStringLiteral("Новое удобрение"));

        typeName(QStringLiteral("Новое удобрение Б"));
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(stored(QStringLiteral("Новое удобрение Б")), 1);
        QCOMPARE(stored(QStringLiteral("Новое удобрение")), 0);
        QCOMPARE(form.T_Udobra.state(), DataSetState::Browse);
        QCOMPARE(name(form.T_Udobra), QStringLiteral("Новое удобрение Б"));
        QVERIFY(s.errors().isEmpty());
    }

    void aContentRowIsNeverInsertedWithoutAFertilizer() {
        DirectorySession s;
        TForm2& form = *s.p().Form2;
        form.show();
        QToolButton* insert = form.DBNavigator3->button(NavButton::Insert);
        // A new fertilizer row left untouched is dropped, and the content row with it.
        form.DBNavigator1->press(NavButton::Insert);
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(form.T_Udobra.state(), DataSetState::Browse);
        QCOMPARE(form.T_Sostav_Udobra.state(), DataSetState::Browse);
        QCOMPARE(form.T_Udobra.recordCount(), 34);

        // A search that matches nothing leaves no fertilizer to add to.
        form.Edit1->setText(QStringLiteral("нет такого"));
        QTest::mouseClick(insert, Qt::LeftButton);
        QCOMPARE(form.T_Sostav_Udobra.state(), DataSetState::Browse);
        QCOMPARE(s.scalar(QStringLiteral("SELECT COUNT(*) FROM T_sostav_udobra WHERE id_udobra IS NULL")).toInt(), 0);
        QVERIFY(s.errors().isEmpty());
    }

    void theLayoutFollowsShowResizeAndSplitterMoves() {
        DirectorySession s;
        TForm2& form = *s.p().Form2;
        QCOMPARE(form.RzSplitter1->handleWidth(), 7);
        for (DBNavigator* n : {form.DBNavigator1, form.DBNavigator3}) {
            QVERIFY(n->button(NavButton::Insert) && n->button(NavButton::Delete) && n->button(NavButton::Post));
            QVERIFY(!n->button(NavButton::Cancel) && !n->button(NavButton::First) && !n->button(NavButton::Edit));
        }

        // The stored splitter position (the default file's) is what shows.
        form.showWindow();
        QCOMPARE(form.RzSplitter1->position(), 230);
        QCOMPARE(form.Edit1->width(), form.PanelSearch->width() - 80);

        form.RzSplitter1->setPosition(260);
        QCOMPARE(form.Edit1->width(), form.PanelSearch->width() - 80);
        QVERIFY(form.PanelSearch->width() > 200);

        form.resize(form.width() + 101, form.height());
        const int half = form.GroupBox1->width() / 2;
        QCOMPARE(form.RzSplitter1->position(), half);
        QCOMPARE(form.Edit1->width(), half - 90);

        QTest::mouseClick(form.Button1, Qt::LeftButton);
        QVERIFY(s.p().F_Converter->isVisible());
        QVERIFY(s.errors().isEmpty());
    }

    void closingStoresWhatIsTypedAndReadsEverythingAgain() {
        DirectorySession s;
        TForm2& form = *s.p().Form2;
        form.show();
        form.T_Udobra.edit();
        form.T_Udobra.fieldByName(QStringLiteral("ppm"))->setAsInteger(611);
        form.close();
        QVERIFY(!form.isVisible());
        QCOMPARE(s.scalar(QStringLiteral("SELECT ppm FROM t_udobra WHERE name_udobra = ?"),
                          {QStringLiteral("Кальциевая селитра")})
                     .toInt(),
                 611);
        QVERIFY(form.T_Udobra.isActive() && form.T_Sostav_Udobra.isActive());
        QCOMPARE(form.T_Udobra.state(), DataSetState::Browse);
        QCOMPARE(form.Label3->text(), QStringLiteral("34"));

        // A fertilizer that cannot be stored keeps the window open.
        form.show();
        form.T_Udobra.edit();
        form.T_Udobra.fieldByName(QStringLiteral("name_udobra"))->setAsString(QString(51, QLatin1Char('x')));
        form.close();
        QVERIFY(form.isVisible());
        QCOMPARE(s.errors().size(), 1);
    }
};

QTEST_MAIN(FertilizerDirectoryTest)
#include "test_fertilizer_directory.moc"
