// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/data_source.h"
#include "store/dataset.h"
#include "core/error.h"
#include "store/filter_expression.h"
#include "support/test_base.h"
#include "support/dataset_readers.h"
#include "support/test_dir.h"

#include <QLocale>
#include <QtTest>
#include <functional>
#include <memory>

using namespace solvane;
using namespace solvane::test;

namespace {

class Counter : public DataLink {
public:
    void dataEvent(DataEvent, Field*) override { ++events; }
    int events = 0;
};

} // namespace

class DataSetFilterTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WorkingDirectory> dir_;
    std::unique_ptr<TestBase> base_;
    std::unique_ptr<DataSet> fertilizers_;

    // The fertilizer list as the directory reads it.
    DataSet& fertilizers(const std::vector<std::pair<QString, QVariant>>& rows) {
        for (const auto& [name, ppm] : rows)
            base_->insert(QStringLiteral("t_udobra"),
                          {{QStringLiteral("name_udobra"), name}, {QStringLiteral("ppm"), ppm}});
        fertilizers_ = std::make_unique<DataSet>(&base_->connection(), QStringLiteral("T_Udobra"));
        fertilizers_->setQuery(QStringLiteral("select id_udobra, name_udobra, ppm from t_udobra"),
                               QStringLiteral("t_udobra"));
        fertilizers_->open();
        return *fertilizers_;
    }
    DataSet& someFertilizers() {
        return fertilizers({{QStringLiteral("Сульфат Калия"), 450},
                            {QStringLiteral("Нитрат кальция"), 700},
                            {QStringLiteral("Калий азотнокислый"), QVariant()},
                            {QStringLiteral("O'Brien's mix; K and N"), 300},
                            {QStringLiteral("Мочевина"), 0}});
    }

    void search(DataSet& set, const QString& text) {
        set.setFilter(QStringLiteral("name_udobra like %") + text + QStringLiteral("%"));
        set.setFiltered(true);
    }

private slots:
    void init() {
        dir_ = std::make_unique<WorkingDirectory>();
        base_ = std::make_unique<TestBase>();
    }
    void cleanup() {
        fertilizers_.reset();
        base_.reset();
        dir_.reset();
        QLocale::setDefault(QLocale::system());
    }

    // ------------------------------------------------------------ patterns

    void likePatternsMatchAnyRunOfCharacters_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        QTest::newRow("contains") << "%кали%"
                                  << "Сульфат Калия" << true;
        QTest::newRow("star") << "*кали*"
                              << "Сульфат Калия" << true;
        QTest::newRow("upper pattern") << "%КАЛИЯ%"
                                       << "сульфат калия" << true;
        QTest::newRow("other word") << "%калий%"
                                    << "Сульфат Калия" << false;
        QTest::newRow("Greek") << "%ΣΊΔΗΡΟΣ%"
                               << "σίδηρος" << true;
        QTest::newRow("prefix") << "Сульф%"
                                << "Сульфат Калия" << true;
        QTest::newRow("prefix elsewhere") << "Калия%"
                                          << "Сульфат Калия" << false;
        QTest::newRow("suffix") << "%калия"
                                << "Сульфат Калия" << true;
        QTest::newRow("suffix elsewhere") << "%сульфат"
                                          << "Сульфат Калия" << false;
        QTest::newRow("inner wildcard") << "с%т к*я"
                                        << "Сульфат Калия" << true;
        QTest::newRow("pieces out of order") << "%калия%сульфат%"
                                             << "Сульфат Калия" << false;
        QTest::newRow("overlapping ends") << "ab%ba"
                                          << "aba" << false;
        QTest::newRow("no wildcard is equality") << "мочевина"
                                                 << "Мочевина" << true;
        QTest::newRow("no wildcard, longer text") << "мочевина"
                                                  << "Мочевина 46%" << false;
        QTest::newRow("only wildcards") << "%%"
                                        << "" << true;
        QTest::newRow("empty pattern") << ""
                                       << "x" << false;
        QTest::newRow("empty pattern, empty text") << ""
                                                   << "" << true;
        QTest::newRow("blank") << "% %"
                               << "Сульфат Калия" << true;
        QTest::newRow("blank absent") << "% %"
                                      << "Мочевина" << false;
        QTest::newRow("quote") << "%o'b%"
                               << "O'Brien" << true;
        QTest::newRow("underscore is literal") << "%a_b%"
                                               << "axb" << false;
        QTest::newRow("question mark is literal") << "%a?b%"
                                                  << "axb" << false;
    }
    void likePatternsMatchAnyRunOfCharacters() {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, matches);
        QCOMPARE(LikePattern(pattern).matches(text), matches);
    }

    // ------------------------------------------------------------ the program's filters

    void plainElementsOnly() {
        const RowValues rows[] = {
            {{QStringLiteral("Smallname_element"), QStringLiteral("N")}, {QStringLiteral("kof"), 0}},
            {{QStringLiteral("Smallname_element"), QStringLiteral("K2O")}, {QStringLiteral("kof"), 1}},
            {{QStringLiteral("Smallname_element"), QStringLiteral("K")}},
            {{QStringLiteral("Smallname_element"), QStringLiteral("P2O5")}, {QStringLiteral("kof"), -1}}};
        for (const RowValues& row : rows)
            base_->insert(QStringLiteral("T_element"), row);
        DataSet plain(&base_->connection(), QStringLiteral("T_el"));
        plain.setTable(QStringLiteral("T_element"));
        plain.setFilter(QStringLiteral("kof<>true"));
        plain.setFiltered(true);
        plain.open();
        QCOMPARE(ColumnValues(plain, QStringLiteral("Smallname_element")), QStringList({"N", "K"}));
        QCOMPARE(plain.recordCount(), 2);
        plain.setFilter(QStringLiteral("kof = TRUE"));
        QCOMPARE(ColumnValues(plain, QStringLiteral("Smallname_element")), QStringList({"K2O", "P2O5"}));
        plain.setFilter(QStringLiteral("kof=false"));
        QCOMPARE(ColumnValues(plain, QStringLiteral("Smallname_element")), QStringList({"N", "K"}));
    }

    void byKey() {
        DataSet& set = someFertilizers();
        set.setFilter(QStringLiteral("id_udobra=") + QString::number(3));
        set.setFiltered(true);
        QCOMPARE(set.recordCount(), 1);
        QCOMPARE(set.fieldByName(QStringLiteral("name_udobra"))->asString(), QStringLiteral("Калий азотнокислый"));
        set.setFilter(QStringLiteral("id_udobra=42"));
        QVERIFY(set.isEmpty());
        QVERIFY(set.bof() && set.eof());
    }

    void byNameSearch_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("Cyrillic, any case") << "кали" << QStringList({"1", "3"});
        QTest::newRow("inflected form") << "калия" << QStringList({"1"});
        QTest::newRow("capitals") << "НИТРАТ" << QStringList({"2"});
        QTest::newRow("empty text") << "" << QStringList({"1", "2", "3", "4", "5"});
        QTest::newRow("quote") << "O'Brien's" << QStringList({"4"});
        QTest::newRow("double quote") << "\"" << QStringList();
        QTest::newRow("and") << "k and n" << QStringList({"4"});
        QTest::newRow("and as a condition") << "x' and id_udobra=1 and name_udobra like '" << QStringList();
        QTest::newRow("or") << "% or id_udobra>0" << QStringList();
        QTest::newRow("semicolon") << "mix;" << QStringList({"4"});
        QTest::newRow("blank") << " " << QStringList({"1", "2", "3", "4"});
        QTest::newRow("trailing blank") << "мочевина " << QStringList();
        QTest::newRow("wildcard inside") << "с*т к%я" << QStringList({"1"});
        QTest::newRow("parenthesis") << "(" << QStringList();
    }
    void byNameSearch() {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        DataSet& set = someFertilizers();
        search(set, text);
        QCOMPARE(ColumnValues(set, QStringLiteral("id_udobra")), found);
    }

    void comparisons_data() {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("greater") << "ppm>400" << QStringList({"1", "2"});
        QTest::newRow("greater or equal") << "ppm >= 450" << QStringList({"1", "2"});
        QTest::newRow("less") << "ppm<300" << QStringList({"3", "5"});
        QTest::newRow("less or equal") << "ppm<=300" << QStringList({"3", "4", "5"});
        QTest::newRow("empty as zero") << "ppm=0" << QStringList({"3", "5"});
        QTest::newRow("not equal") << "ppm<>0" << QStringList({"1", "2", "4"});
        QTest::newRow("decimal") << "ppm>449.5" << QStringList({"1", "2"});
        QTest::newRow("negative") << "ppm>-1" << QStringList({"1", "2", "3", "4", "5"});
        QTest::newRow("and") << "ppm>100 and ppm<500" << QStringList({"1", "4"});
        QTest::newRow("or") << "ppm=700 or id_udobra=5" << QStringList({"2", "5"});
        QTest::newRow("and before or") << "id_udobra=1 or id_udobra=2 and ppm=0" << QStringList({"1"});
        QTest::newRow("parentheses") << "(id_udobra=1 or id_udobra=2) and ppm=700" << QStringList({"2"});
        QTest::newRow("keywords in capitals") << "ppm=700 OR id_udobra=1 AND ppm>0" << QStringList({"1", "2"});
        QTest::newRow("quoted text") << "name_udobra='мочевина'" << QStringList({"5"});
        QTest::newRow("quoted quote") << "name_udobra = 'O''Brien''s mix; K and N'" << QStringList({"4"});
        QTest::newRow("like then more") << "name_udobra like %K% and ppm>1000" << QStringList();
        QTest::newRow("like after a condition") << "ppm>100 and name_udobra like %кал%" << QStringList({"1", "2"});
    }
    void comparisons() {
        QFETCH(QString, condition);
        QFETCH(QStringList, found);
        DataSet& set = someFertilizers();
        set.setFilter(condition);
        set.setFiltered(true);
        QCOMPARE(ColumnValues(set, QStringLiteral("id_udobra")), found);
    }

    void aMalformedConditionIsAnError_data() {
        QTest::addColumn<QString>("condition");
        QTest::newRow("key missing") << "id_udobra=";
        QTest::newRow("key missing, blanks") << "id_udobra = ";
        QTest::newRow("no operator") << "id_udobra 5";
        QTest::newRow("not a number") << "id_udobra=5x";
        QTest::newRow("trailing and") << "id_udobra=5 and";
        QTest::newRow("unclosed quote") << "name_udobra='abc";
        QTest::newRow("unclosed parenthesis") << "(id_udobra=5";
        QTest::newRow("unknown field") << "nosuch=5";
        QTest::newRow("semicolon") << "id_udobra=5;";
    }
    void aMalformedConditionIsAnError() {
        QFETCH(QString, condition);
        DataSet& set = someFertilizers();
        // Switching on a bad condition.
        set.setFilter(condition);
        QVERIFY(!ErrorOf([&] { set.setFiltered(true); }).isEmpty());
        QVERIFY(!set.isFiltered());
        QCOMPARE(set.recordCount(), 5);
        // Changing a working filter to a bad condition keeps the working one.
        set.setFilter(QStringLiteral("ppm>400"));
        set.setFiltered(true);
        QVERIFY(!ErrorOf([&] { set.setFilter(condition); }).isEmpty());
        QCOMPARE(ColumnValues(set, QStringLiteral("id_udobra")), QStringList({"1", "2"}));
        // Opening with a bad condition switched on.
        set.setFiltered(false);
        set.close();
        set.setFilter(condition);
        set.setFiltered(true);
        QVERIFY(!ErrorOf([&] { set.open(); }).isEmpty());
        QVERIFY(!set.isActive());
    }

    // ------------------------------------------------------------ switching

    void switchingTheFilterGoesToTheFirstVisibleRow() {
        DataSet& set = someFertilizers();
        Counter controls;
        DataSource source(&set);
        source.addLink(&controls);
        Field* id = set.fieldByName(QStringLiteral("id_udobra"));

        // Text set while switched off: nothing happens.
        set.last();
        controls.events = 0;
        set.setFilter(QStringLiteral("ppm>400"));
        QCOMPARE(set.recordCount(), 5);
        QCOMPARE(id->asInteger(), 5);
        QCOMPARE(controls.events, 0);
        set.setFiltered(false);
        QCOMPARE(id->asInteger(), 5);
        QCOMPARE(controls.events, 0);

        set.setFiltered(true);
        QCOMPARE(id->asInteger(), 1);
        set.next();
        set.setFilter(QStringLiteral("ppm<500"));
        QCOMPARE(id->asInteger(), 1);
        set.last();
        set.setFiltered(false);
        QCOMPARE(id->asInteger(), 1);
        QCOMPARE(set.recordCount(), 5);

        // A filter survives close and open.
        set.setFiltered(true);
        set.close();
        set.open();
        QCOMPARE(ColumnValues(set, QStringLiteral("id_udobra")), QStringList({"1", "3", "4", "5"}));
    }

    void theFilterAppliesUnderTheMasterLink() {
        const long long tomato =
            base_->insert(QStringLiteral("T_kult"), {{QStringLiteral("name_kult"), QStringLiteral("Томат")}});
        const long long cucumber =
            base_->insert(QStringLiteral("T_kult"), {{QStringLiteral("name_kult"), QStringLiteral("Огурец")}});
        for (const auto& [crop, vega] : std::vector<std::pair<long long, double>>{
                 {tomato, 10}, {cucumber, 20}, {tomato, 0}, {tomato, 30}, {cucumber, 0}})
            base_->insert(QStringLiteral("t_konc"),
                          {{QStringLiteral("id_kult"), crop}, {QStringLiteral("vega"), vega}});
        DataSet crops(&base_->connection(), QStringLiteral("ADOTable3"));
        crops.setTable(QStringLiteral("T_kult"));
        DataSource cropSource(&crops);
        DataSet targets(&base_->connection(), QStringLiteral("ADOTable2"));
        targets.setTable(QStringLiteral("t_konc"));
        targets.setMaster(&cropSource, QStringLiteral("id_kult"), QStringLiteral("id_kult"));
        targets.setFilter(QStringLiteral("vega>0"));
        targets.setFiltered(true);
        targets.setSort(QStringLiteral("vega DESC"));
        crops.open();
        targets.open();
        QCOMPARE(ColumnValues(targets, QStringLiteral("vega")), QStringList({"30", "10"}));
        QCOMPARE(targets.recordCount(), 2);
        crops.next();
        QCOMPARE(ColumnValues(targets, QStringLiteral("vega")), QStringList({"20"}));
        targets.setFiltered(false);
        QCOMPARE(ColumnValues(targets, QStringLiteral("vega")), QStringList({"20", "0"}));
    }

    void aDetailOpenedWithoutItsMasterLinkTakesItWhenGiven() {
        const long long tomato =
            base_->insert(QStringLiteral("T_kult"), {{QStringLiteral("name_kult"), QStringLiteral("Томат")}});
        for (long long crop : {tomato, tomato + 1, tomato})
            base_->insert(QStringLiteral("t_konc"), {{QStringLiteral("id_kult"), crop}});
        DataSet crops(&base_->connection(), QStringLiteral("ADOTable3"));
        crops.setTable(QStringLiteral("T_kult"));
        DataSource cropSource(&crops);
        DataSet targets(&base_->connection(), QStringLiteral("ADOTable2"));
        targets.setTable(QStringLiteral("t_konc"));
        crops.open();
        targets.open();
        QCOMPARE(targets.recordCount(), 3);
        targets.last();
        targets.setMaster(&cropSource, QStringLiteral("id_kult"), QStringLiteral("id_kult"));
        QCOMPARE(ColumnValues(targets, QStringLiteral("id_konc")), QStringList({"1", "3"}));
        QCOMPARE(targets.recNo(), 1);
        targets.clearMaster();
        QCOMPARE(targets.recordCount(), 3);
    }

    // ------------------------------------------------------------ sort

    void sortOrdersByTheLocaleCollationAndKeepsTheRow() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        DataSet& set = fertilizers({{QStringLiteral("жёлтый"), 1},
                                    {QStringLiteral("Ёрш"), 2},
                                    {QStringLiteral("азот"), 3},
                                    {QStringLiteral("Бор"), 4},
                                    {QStringLiteral("ель"), 5},
                                    {QString(), 6},
                                    {QStringLiteral("Железо"), 7}});
        Field* name = set.fieldByName(QStringLiteral("name_udobra"));
        set.setRecNo(4);
        set.setSort(QStringLiteral("name_udobra ASC"));
        QCOMPARE(ColumnValues(set, QStringLiteral("name_udobra")),
                 QStringList({"", "азот", "Бор", "ель", "Ёрш", "Железо", "жёлтый"}));
        QCOMPARE(name->asString(), QStringLiteral("Бор"));
        QCOMPARE(set.recNo(), 3);
        set.setSort(QStringLiteral("name_udobra desc"));
        QCOMPARE(ColumnValues(set, QStringLiteral("name_udobra")),
                 QStringList({"жёлтый", "Железо", "Ёрш", "ель", "Бор", "азот", ""}));
        QCOMPARE(name->asString(), QStringLiteral("Бор"));
        // A field alone sorts ascending; numbers sort as numbers.
        set.setSort(QStringLiteral("ppm"));
        QCOMPARE(name->asString(), QStringLiteral("Бор"));
        set.setSort(QStringLiteral("id_udobra DESC"));
        QCOMPARE(ColumnValues(set, QStringLiteral("ppm")), QStringList({"7", "6", "5", "4", "3", "2", "1"}));
        // The table's own order again.
        set.setSort(QString());
        QCOMPARE(ColumnValues(set, QStringLiteral("ppm")), QStringList({"1", "2", "3", "4", "5", "6", "7"}));
        QCOMPARE(name->asString(), QStringLiteral("Бор"));

        // Sorted and filtered: the row hidden by the filter is not brought back.
        set.setSort(QStringLiteral("name_udobra ASC"));
        set.setFilter(QStringLiteral("name_udobra like %ж%"));
        set.setFiltered(true);
        QCOMPARE(ColumnValues(set, QStringLiteral("name_udobra")), QStringList({"Железо", "жёлтый"}));
        set.setSort(QStringLiteral("name_udobra DESC"));
        QCOMPARE(ColumnValues(set, QStringLiteral("name_udobra")), QStringList({"жёлтый", "Железо"}));
        QCOMPARE(name->asString(), QStringLiteral("Железо"));
        QCOMPARE(set.recNo(), 2);

        QVERIFY(!ErrorOf([&] { set.setSort(QStringLiteral("nosuch ASC")); }).isEmpty());
        QVERIFY(!ErrorOf([&] { set.setSort(QStringLiteral("ppm UP")); }).isEmpty());
        QCOMPARE(ColumnValues(set, QStringLiteral("name_udobra")), QStringList({"жёлтый", "Железо"}));
    }

    void numbersSortWithEmptyFirst() {
        DataSet& set = fertilizers({{QStringLiteral("a"), 10},
                                    {QStringLiteral("b"), QVariant()},
                                    {QStringLiteral("c"), 5},
                                    {QStringLiteral("d"), 100},
                                    {QStringLiteral("e"), 10}});
        set.setSort(QStringLiteral("ppm ASC"));
        QCOMPARE(ColumnValues(set, QStringLiteral("name_udobra")), QStringList({"b", "c", "a", "e", "d"}));
        set.setSort(QStringLiteral("ppm DESC"));
        QCOMPARE(ColumnValues(set, QStringLiteral("name_udobra")), QStringList({"d", "a", "e", "c", "b"}));
    }
};

QTEST_GUILESS_MAIN(DataSetFilterTest)
#include "test_dataset_filter.moc"
