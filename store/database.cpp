// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/database.h"

#include "core/content_terms.h"
#include "core/deletion_messages.h"
#include "store/columns.h"
#include "store/derived_values.h"

namespace solvane {

namespace {

std::optional<double> OptionalNumber(const Field* field) {
    const QVariant v = field->value();
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

std::optional<long long> OptionalKey(const Field* field) {
    const QVariant v = field->value();
    return v.isNull() ? std::nullopt : std::optional<long long>(v.toLongLong());
}

} // namespace

Database::Database(const QString& fileName) : connection_(fileName) {
    declare();
    // The connection first; then the lookup sources of every window.
    connection_.open();
    elements.open();
    coefficients.open();
}

Database::~Database() = default;

void Database::declare() {
    const QString kofKey = QStringLiteral("id_kof");
    const QString elementKey = QStringLiteral("id_element");
    const QString fertilizerKey = QStringLiteral("id_udobra");

    options.setTable(QStringLiteral("t_opt"));

    coefficients.setTable(QStringLiteral("t_kof"));
    elements.setTable(QStringLiteral("T_element"));
    elements.addLookupField(QStringLiteral("name_k"), ColumnType::Text, 20, kofKey, &coefficients, kofKey,
                            QStringLiteral("name_kof"));
    elements.addLookupField(QStringLiteral("val"), ColumnType::Double, 0, kofKey, &coefficients, kofKey,
                            QStringLiteral("kof"));
    elements.addLookupField(QStringLiteral("oksielement"), ColumnType::Integer, 0, kofKey, &coefficients, kofKey,
                            elementKey);
    // The element this one is a form of, by its symbol.
    elements.addLookupField(QStringLiteral("name_total"), ColumnType::Text, 10, QStringLiteral("id_total"), &elements,
                            elementKey, QStringLiteral("Smallname_element"));
    plainElements.setTable(QStringLiteral("T_element"));
    plainElements.setFilter(QStringLiteral("kof<>true"));
    plainElements.setFiltered(true);
    // Kept as the program always had it: an empty calculated-fields handler (the set has no calculated fields).
    plainElements.onCalcFields = [](DataSet&) {};

    // The described three columns, then a liquid's density, the acid mark and
    // the grower's price.
    fertilizers.setQuery(QStringLiteral("select id_udobra, name_udobra, ppm, density, acid, price from t_udobra"),
                         QStringLiteral("t_udobra"));
    fertilizerContent.setTable(QStringLiteral("T_sostav_udobra"));
    fertilizerContent.setMaster(&fertilizersSource, fertilizerKey, fertilizerKey);
    fertilizerContent.addLookupField(QStringLiteral("name_element"), ColumnType::Text, 10, elementKey, &elements,
                                     elementKey, QStringLiteral("Smallname_element"));
    contentCoefficient_ = fertilizerContent.addLookupField(QStringLiteral("val"), ColumnType::Double, 0, elementKey,
                                                           &elements, elementKey, QStringLiteral("val"));
    contentFree_ = fertilizerContent.addCalculatedField(QStringLiteral("free"), ColumnType::Double);
    contentYields_ = fertilizerContent.addLookupField(QStringLiteral("okel"), ColumnType::Integer, 0, elementKey,
                                                      &elements, elementKey, QStringLiteral("oksielement"));
    contentFreeId_ = fertilizerContent.addCalculatedField(QStringLiteral("freeid"), ColumnType::Integer);
    contentPercent_ = fertilizerContent.fieldByName(QStringLiteral("kol_element"));
    contentElement_ = fertilizerContent.fieldByName(elementKey);
    // Each row in element terms, by the one rule of the program.
    fertilizerContent.onCalcFields = [this](DataSet&) {
        const ContentTerms terms = InElementTerms(OptionalNumber(contentPercent_), OptionalKey(contentElement_),
                                                  OptionalNumber(contentCoefficient_), OptionalKey(contentYields_));
        contentFree_->setValue(terms.free ? QVariant(*terms.free) : QVariant());
        contentFreeId_->setValue(terms.freeid ? QVariant(*terms.freeid) : QVariant());
    };

    crops.setTable(QStringLiteral("T_kult"));
    targets.setTable(QStringLiteral("t_konc"));
    targets.setMaster(&cropsSource, QStringLiteral("id_kult"), QStringLiteral("id_kult"));
    targets.addLookupField(QStringLiteral("name_el"), ColumnType::Text, 20, QStringLiteral("id_el"), &elements,
                           elementKey, QStringLiteral("Smallname_element"));
    targets.addCalculatedField(QStringLiteral("vaga_calc"), ColumnType::Double);
    targets.addCalculatedField(QStringLiteral("cvet_calc"), ColumnType::Double);
    targets.addCalculatedField(QStringLiteral("r_pr"), ColumnType::Double);
    targets.addCalculatedField(QStringLiteral("voda"), ColumnType::Double);

    savedSolutions.setTable(QStringLiteral("t_head_rar"));
    savedSolutions.setMaster(&cropsSource, QStringLiteral("id_kult"), QStringLiteral("id_konc"));
    savedLines.setTable(QStringLiteral("t_save_rar"));
    savedLines.setMaster(&savedSolutionsSource, QStringLiteral("id_head_rar"), QStringLiteral("id_head_rar"));
    savedLines.addCalculatedField(QStringLiteral("kol_temp"), ColumnType::Double);
    // A line whose fertilizer was deleted says so.
    const auto deletedName = [](const QVariant& key) { return QVariant(DeletedFertilizerName(key.toLongLong())); };
    savedLines
        .addLookupField(QStringLiteral("name"), ColumnType::Text, 50, fertilizerKey, &fertilizers, fertilizerKey,
                        QStringLiteral("name_udobra"))
        ->setLookupMissing(deletedName);
    savedLines.addLookupField(QStringLiteral("density"), ColumnType::Double, 0, fertilizerKey, &fertilizers,
                              fertilizerKey, QStringLiteral("density"));
    savedLines.addCalculatedField(QStringLiteral("ml_temp"), ColumnType::Double);

    composition.setTable(QStringLiteral("t_rachet"));
    composition
        .addLookupField(QStringLiteral("name"), ColumnType::Text, 80, fertilizerKey, &fertilizers, fertilizerKey,
                        QStringLiteral("name_udobra"))
        ->setLookupMissing(deletedName);
    composition.addCalculatedField(QStringLiteral("kol_pr"), ColumnType::Double);
    composition.addLookupField(QStringLiteral("ppm"), ColumnType::Integer, 0, fertilizerKey, &fertilizers,
                               fertilizerKey, QStringLiteral("ppm"));
    composition.addLookupField(QStringLiteral("density"), ColumnType::Double, 0, fertilizerKey, &fertilizers,
                               fertilizerKey, QStringLiteral("density"));
    composition.addCalculatedField(QStringLiteral("ml"), ColumnType::Double);

    components.setTable(QStringLiteral("T_sostav_udobra"));
    components.addLookupField(QStringLiteral("name"), ColumnType::Text, 20, elementKey, &elements, elementKey,
                              QStringLiteral("Smallname_element"));
    components.addLookupField(kofKey, ColumnType::Integer, 0, elementKey, &elements, elementKey, kofKey);
    components.addLookupField(QStringLiteral("kof"), ColumnType::Double, 0, kofKey, &coefficients, kofKey,
                              QStringLiteral("kof"));
    components.addLookupField(QStringLiteral("id_el"), ColumnType::Integer, 0, kofKey, &coefficients, kofKey,
                              elementKey);

    calculatorCoefficients.setTable(QStringLiteral("t_kof"));

    waterProfiles.setTable(QStringLiteral("t_water"));
    waterElements.setTable(QStringLiteral("t_water_el"));
    waterElements.setMaster(&waterProfilesSource, QStringLiteral("id_water"), QStringLiteral("id_water"));
    waterElements.addLookupField(QStringLiteral("name_el"), ColumnType::Text, 10, elementKey, &elements, elementKey,
                                 QStringLiteral("Smallname_element"));
    declareCalculatedFields();
}

// The calculated fields take what the model works out from each row's own
// values; without a model they stay empty.
void Database::declareCalculatedFields() {
    namespace t = col::targets;
    Field* const vega = targets.fieldByName(t::vega);
    Field* const cvet = targets.fieldByName(t::cvet);
    Field* const result = targets.fieldByName(t::result);
    Field* const element = targets.fieldByName(t::element);
    Field* const vegaAtStrength = targets.fieldByName(t::vegaAtStrength);
    Field* const cvetAtStrength = targets.fieldByName(t::cvetAtStrength);
    Field* const resultAtStrength = targets.fieldByName(t::resultAtStrength);
    Field* const water = targets.fieldByName(t::water);
    targets.onCalcFields = [=](DataSet&) {
        if (!derived_)
            return;
        const DerivedValues::TargetFigures figures =
            derived_->target(vega->value(), cvet->value(), result->value(), element->value());
        vegaAtStrength->setValue(figures.vegaAtStrength);
        cvetAtStrength->setValue(figures.cvetAtStrength);
        resultAtStrength->setValue(figures.resultAtStrength);
        water->setValue(figures.water);
    };
    Field* const amount = composition.fieldByName(col::lines::amount);
    Field* const amountAtStrength = composition.fieldByName(col::lines::amountAtStrength);
    Field* const density = composition.fieldByName(col::lines::density);
    Field* const millilitres = composition.fieldByName(col::lines::millilitres);
    composition.onCalcFields = [=](DataSet&) {
        if (!derived_)
            return;
        amountAtStrength->setValue(derived_->lineAtStrength(amount->value()));
        millilitres->setValue(derived_->millilitres(amount->value(), density->value()));
    };
    Field* const savedAmount = savedLines.fieldByName(col::savedLines::amount);
    Field* const forLitres = savedLines.fieldByName(col::savedLines::amountForLitres);
    Field* const savedDensity = savedLines.fieldByName(col::savedLines::density);
    Field* const millilitresForLitres = savedLines.fieldByName(col::savedLines::millilitresForLitres);
    savedLines.onCalcFields = [=](DataSet&) {
        if (!derived_)
            return;
        // The ml of a liquid are those of the amount for the litres.
        forLitres->setValue(derived_->savedLineForLitres(savedAmount->value()));
        millilitresForLitres->setValue(derived_->millilitres(forLitres->value(), savedDensity->value()));
    };
}

void Database::derivedValuesChanged(bool targetRows, bool lines, bool savedLineRows) {
    for (const auto& [changed, set] : {std::pair{lines, &composition}, std::pair{targetRows, &targets}})
        if (changed && set->isActive())
            set->refresh();
    if (savedLineRows && savedLines.isActive())
        savedLines.refresh();
}

TableRows Database::rowsOf(const QString& table) {
    for (DataSet* set : {&fertilizers, &fertilizerContent, &elements, &coefficients, &crops, &targets, &composition,
                         &savedSolutions, &savedLines, &options, &waterProfiles, &waterElements})
        if (set->tableName().compare(table, Qt::CaseInsensitive) == 0)
            return set->isActive() ? set->rows() : TableRows();
    return TableRows();
}

void Database::OpenTables() {
    for (DataSet* set : {&options, &composition, &components, &savedSolutions, &savedLines, &plainElements, &elements,
                         &coefficients, &fertilizers, &fertilizerContent, &calculatorCoefficients})
        set->open();
    connection_.open();
    crops.open();
    targets.open();
    waterProfiles.open();
    waterElements.open();
    if (afterOpenTables)
        afterOpenTables();
}

void Database::CloseTables() {
    for (DataSet* set : {&options, &composition, &plainElements, &components, &savedSolutions, &savedLines,
                         &fertilizers, &elements, &coefficients, &fertilizerContent, &calculatorCoefficients})
        set->close();
    connection_.close();
    crops.close();
    targets.close();
    waterElements.close();
    waterProfiles.close();
}

std::vector<DataSet*> Database::dataSets() {
    return {&options,
            &coefficients,
            &elements,
            &plainElements,
            &fertilizers,
            &fertilizerContent,
            &crops,
            &targets,
            &savedSolutions,
            &savedLines,
            &composition,
            &components,
            &calculatorCoefficients,
            &waterProfiles,
            &waterElements};
}

} // namespace solvane
