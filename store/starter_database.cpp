// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/starter_database.h"

#include "core/error.h"
#include "store/new_database.h"

#include <QVariant>
#include <optional>
#include <vector>

namespace solvane {

namespace {

struct Element {
    const char* symbol;
    const char* name;
    const char* ion;   // the ion it stands for in solution, or none
    const char* total; // the element it is a form of, or none
};

struct Content {
    const char* element;
    double percent;
};

struct Fertilizer {
    const char* name;
    int ppm;
    std::vector<Content> content;
    std::optional<double> density{}; // g/ml of a liquid
    bool acid = false;
};

QVariant Text(const char* text) {
    return text ? QVariant(QString::fromUtf8(text)) : QVariant();
}

// Targets in the order N P K Ca Mg S Fe Mn Zn B Cu Mo N-NH4; an element
// without a target has no row.
using Targets = std::vector<std::optional<double>>;

struct Crop {
    const char* name;
    const char* ph;
    Targets vega;
    Targets cvet;
};

// The keys the elements were given, by short name, in the order they were added.
class ElementKeys {
public:
    void add(const QString& symbol, long long id) { ids_.emplace_back(symbol, id); }
    long long of(const char* symbol) const { return of(QString::fromUtf8(symbol)); }
    long long of(const QString& symbol) const {
        for (const auto& p : ids_)
            if (p.first == symbol)
                return p.second;
        throw Error(QStringLiteral("Нет элемента %1").arg(symbol));
    }

private:
    std::vector<std::pair<QString, long long>> ids_;
};

ElementKeys AddElements(NewDatabase& db) {
    // The key elements 1 to 6 come first, then the micro-elements; the
    // oxides follow them, then the forms of nitrogen and the ions of water
    // and of the chlorides. Nitrogen given as plain N counts as nitrate;
    // amide nitrogen (urea) carries no charge.
    const Element plain[] = {
        {"N", "Азот", "NO3-", nullptr},     {"P", "Фосфор", "H2PO4-", nullptr},   {"K", "Калий", "K+", nullptr},
        {"Ca", "Кальций", "Ca+2", nullptr}, {"Mg", "Магний", "Mg+2", nullptr},    {"S", "Сера", "SO4-2", nullptr},
        {"Fe", "Железо", nullptr, nullptr}, {"Mn", "Марганец", nullptr, nullptr}, {"Zn", "Цинк", nullptr, nullptr},
        {"Cu", "Медь", nullptr, nullptr},   {"B", "Бор", nullptr, nullptr},       {"Mo", "Молибден", nullptr, nullptr}};
    const Element later[] = {{"N-NO3", "Нитратный азот", "NO3-", "N"}, {"N-NH4", "Аммонийный азот", "NH4+", "N"},
                             {"N-NH2", "Амидный азот", nullptr, "N"},  {"Na", "Натрий", "Na+", nullptr},
                             {"Cl", "Хлор", "Cl-", nullptr},           {"HCO3", "Гидрокарбонаты", "HCO3-", nullptr}};
    ElementKeys ids;
    auto addElements = [&](const auto& elements) {
        for (const Element& e : elements)
            ids.add(QString::fromUtf8(e.symbol),
                    db.insert("INSERT INTO T_element (Smallname_element, fullname_element, kof, ion, "
                              "id_total) VALUES (?, ?, 0, ?, ?)",
                              {QString::fromUtf8(e.symbol), QString::fromUtf8(e.name), Text(e.ion),
                               e.total ? QVariant(ids.of(e.total)) : QVariant()}));
    };
    addElements(plain);
    const struct {
        const char* symbol;
        const char* name;
        const char* kofName;
        double kof;
        const char* yields;
    } oxides[] = {{"P2O5", "Оксид фосфора", "P2O5 → P", 0.4364, "P"},
                  {"K2O", "Оксид калия", "K2O → K", 0.8301, "K"},
                  {"CaO", "Оксид кальция", "CaO → Ca", 0.7147, "Ca"},
                  {"MgO", "Оксид магния", "MgO → Mg", 0.6030, "Mg"},
                  {"SO3", "Оксид серы", "SO3 → S", 0.4005, "S"}};
    for (const auto& o : oxides) {
        const long long kof = db.insert("INSERT INTO t_kof (name_kof, kof, id_element) VALUES (?, ?, ?)",
                                        {QString::fromUtf8(o.kofName), o.kof, ids.of(o.yields)});
        ids.add(
            QString::fromUtf8(o.symbol),
            db.insert("INSERT INTO T_element (Smallname_element, fullname_element, kof, id_kof) VALUES (?, ?, 1, ?)",
                      {QString::fromUtf8(o.symbol), QString::fromUtf8(o.name), kof}));
    }
    addElements(later);
    return ids;
}

void AddFertilizers(NewDatabase& db, const ElementKeys& ids) {
    // Nitrogen is given by its forms, as the labels give it, and never also
    // as plain N: a form counts toward N as well. Each fertilizer's N stays
    // what its label, or its formula, gives in all. Salts without a label
    // figure are worked out from their formulas with the standard atomic
    // weights (IUPAC): sodium molybdate Na2MoO4·2H2O has Na 19.0 %, borax
    // Na2B4O7·10H2O Na 12.1 %, calcium chloride CaCl2·2H2O Cl 48.2 %, and
    // potassium chloride at 60 % K2O the chloride of its potassium, Cl 45.2 %.
    // The acids' densities are those of their strengths in the CRC Handbook's
    // tables of aqueous solutions (20 °C); sulfuric acid's S is that of
    // H2SO4 × 0.96. Liquid calcium nitrate is the common 9-0-0 + 11 Ca
    // product: calcium nitrate diluted, its nitrogen split as the solid's.
    const Fertilizer fertilizers[] = {
        {"Кальциевая селитра", 600, {{"N-NO3", 14.4}, {"N-NH4", 1.1}, {"CaO", 26.5}}},
        {"Калиевая селитра", 650, {{"N-NO3", 13.7}, {"K2O", 46.3}}},
        {"Монофосфат калия", 350, {{"P2O5", 52}, {"K2O", 34}}},
        {"Сульфат магния", 400, {{"MgO", 16}, {"SO3", 32}}},
        {"Сульфат калия", 750, {{"K2O", 52}, {"S", 18}}},
        {"Аммиачная селитра", 850, {{"N-NO3", 17.2}, {"N-NH4", 17.2}}},
        {"Нитрат магния", 450, {{"N-NO3", 10.9}, {"Mg", 9.5}}},
        {"Моноаммонийфосфат", 430, {{"N-NH4", 12}, {"P2O5", 61}}},
        {"Хелат железа (Fe-EDTA)", 150, {{"Fe", 13}}},
        {"Сульфат марганца", 500, {{"Mn", 32.5}, {"S", 19}}},
        {"Сульфат цинка", 300, {{"Zn", 22.7}, {"S", 11.1}}},
        {"Сульфат меди", 300, {{"Cu", 25.4}, {"S", 12.8}}},
        {"Борная кислота", 0, {{"B", 17.5}}},
        {"Молибдат натрия", 350, {{"Mo", 39.6}, {"Na", 19.0}}},
        {"Сульфат аммония", 1020, {{"N-NH4", 21.2}, {"S", 24.2}}},
        {"Мочевина", 0, {{"N-NH2", 46.2}}},
        {"Хлорид калия", 880, {{"K2O", 60}, {"Cl", 45.2}}},
        {"Хлорид кальция (2-водный)", 810, {{"CaO", 38.1}, {"Cl", 48.2}}},
        {"Нитрат кальция (4-водный)", 490, {{"N-NO3", 11.8}, {"CaO", 23.7}}},
        {"Диаммонийфосфат", 870, {{"N-NH4", 21.2}, {"P2O5", 53.7}}},
        {"Дикалийфосфат", 660, {{"P2O5", 40.7}, {"K2O", 54.1}}},
        {"Сульфат железа (7-водный)", 420, {{"Fe", 20.1}, {"S", 11.5}}},
        {"Хелат железа (Fe-DTPA)", 150, {{"Fe", 11}}},
        {"Хелат железа (Fe-EDDHA)", 150, {{"Fe", 6}}},
        {"Хелат марганца (Mn-EDTA)", 150, {{"Mn", 13}}},
        {"Хелат цинка (Zn-EDTA)", 150, {{"Zn", 15}}},
        {"Хелат меди (Cu-EDTA)", 150, {{"Cu", 15}}},
        {"Бура", 120, {{"B", 11.3}, {"Na", 12.1}}},
        {"Молибдат аммония", 160, {{"N-NH4", 6.8}, {"Mo", 54.3}}},
        {"Калимагнезия (лангбейнит)", 890, {{"K2O", 22.7}, {"MgO", 19.4}, {"S", 23.2}}},
        {"Кизерит", 850, {{"MgO", 29.1}, {"S", 23.2}}},
        {"Гипс", 710, {{"CaO", 32.6}, {"S", 18.6}}},
        {"Азотная кислота 60 %", 1760, {{"N-NO3", 13.3}}, 1.367, true},
        {"Ортофосфорная кислота 85 %", 860, {{"P2O5", 61.6}}, 1.685, true},
        // Its ppm is estimated as the others' (limiting molar conductivities,
        // × 0.88 for 1 g/l); the liquid calcium nitrate's is the solid's
        // scaled by their N, 9 against 15.5.
        {"Серная кислота 96 %", 3700, {{"S", 31.4}}, 1.835, true},
        {"Кальциевая селитра жидкая", 350, {{"N-NO3", 8.4}, {"N-NH4", 0.6}, {"Ca", 11}}, 1.6},
    };
    for (const Fertilizer& f : fertilizers) {
        const long long id = db.insert(
            "INSERT INTO t_udobra (name_udobra, ppm, density, acid) VALUES (?, ?, ?, ?)",
            {QString::fromUtf8(f.name), f.ppm, f.density ? QVariant(*f.density) : QVariant(), f.acid ? 1 : 0});
        for (const Content& c : f.content)
            db.insert("INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES (?, ?, ?)",
                      {ids.of(c.element), id, c.percent});
    }
}

void AddCrops(NewDatabase& db, const ElementKeys& ids) {
    // The last, N-NH4, where the crop's source gives its ammonium: lettuce
    // (Resh: N 180 as 165 nitrate and 15 ammonium).
    const char* targetOrder[] = {"N", "P", "K", "Ca", "Mg", "S", "Fe", "Mn", "Zn", "B", "Cu", "Mo", "N-NH4"};
    const Targets tomatoVega{70, 50, 120, 150, 40, 50, 2.8, 0.8, 0.3, 0.7, 0.2, 0.05, std::nullopt};
    const Targets tomatoCvet{150, 50, 200, 150, 50, 60, 2.8, 0.8, 0.3, 0.7, 0.2, 0.05, std::nullopt};
    const Targets lettuce{180, 50, 210, 190, 45, 65, 4, 0.5, 0.1, 0.5, 0.1, 0.05, 15};
    const Targets hoagland{210, 31, 235, 200, 48, 64, 2.9, 0.5, 0.05, 0.5, 0.02, 0.011, std::nullopt};
    // Cooper's solution sets no sulfur target.
    const Targets cooper{200, 60, 300, 170, 50, std::nullopt, 12, 2, 0.1, 0.3, 0.1, 0.2, std::nullopt};
    const Targets steiner{168, 31, 273, 180, 48, 112, 1.33, 0.62, 0.11, 0.44, 0.02, 0.048, std::nullopt};
    const Crop crops[] = {{"Томат", "5.8–6.3", tomatoVega, tomatoCvet},
                          {"Салат", "5.8–6.2", lettuce, lettuce},
                          {"Раствор Хогланда", "6.0", hoagland, hoagland},
                          {"Раствор Купера (NFT)", "6.0–6.5", cooper, cooper},
                          {"Раствор Штейнера", "6.0–6.5", steiner, steiner}};
    for (const Crop& c : crops) {
        const long long id = db.insert("INSERT INTO T_kult (name_kult, ph) VALUES (?, ?)",
                                       {QString::fromUtf8(c.name), QString::fromUtf8(c.ph)});
        for (size_t i = 0; i < c.vega.size(); ++i)
            if (c.vega[i] || c.cvet[i])
                db.insert("INSERT INTO t_konc (vega, cvet, id_kult, id_el) VALUES (?, ?, ?, ?)",
                          {c.vega[i] ? QVariant(*c.vega[i]) : QVariant(), c.cvet[i] ? QVariant(*c.cvet[i]) : QVariant(),
                           id, ids.of(targetOrder[i])});
    }
}

void AddOptions(NewDatabase& db) {
    // Every column shown, both totals strips and the crop pane; no auto-start.
    QString columns, marks;
    std::vector<QVariant> values;
    auto add = [&](const QString& column, const QVariant& value) {
        columns += (columns.isEmpty() ? QString() : QStringLiteral(", ")) + column;
        marks += (marks.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral("?");
        values.push_back(value);
    };
    for (const char* c : {"c11", "c21", "c22", "c23", "c24", "c31", "c32", "c33", "c34", "c35", "c36", "c37", "c38",
                          "c39", "ppm1", "ppm2", "kult"})
        add(QString::fromLatin1(c), 1);
    add(QStringLiteral("avto"), 0);
    add(QStringLiteral("maxim"), 250);
    // A new base fits without negative amounts, by relative error.
    add(QStringLiteral("fit_mode"), 1);
    const unsigned colours[] = {0x00C0FFFF, 0x00D0FFD0, 0x00E0FFE0, 0x00C0FFFF, 0x00FFF0E0, 0x80000005, 0x00FFE8D0,
                                0x00D0E8FF, 0x00D0FFD0, 0x00C0FFFF, 0x00FFE8D0, 0x00D0E8FF, 0x00FFE8D0, 0x00D0E8FF};
    for (int i = 0; i < 14; ++i)
        add(QStringLiteral("cl%1").arg(i + 1), static_cast<qlonglong>(static_cast<int>(colours[i])));
    const QByteArray sql = QStringLiteral("INSERT INTO t_opt (%1) VALUES (%2)").arg(columns, marks).toUtf8();
    db.insert(sql.constData(), values);
}

void AddTapWater(NewDatabase& db, const ElementKeys& ids) {
    // An example of tap water, not selected.
    const long long water =
        db.insert("INSERT INTO t_water (name_water) VALUES (?)", {QStringLiteral("Водопровод (пример)")});
    const struct {
        const char* element;
        double mgPerLitre;
    } tapWater[] = {{"Ca", 40}, {"Mg", 10}, {"S", 15}, {"Fe", 0.1}};
    for (const auto& w : tapWater)
        db.insert("INSERT INTO t_water_el (id_water, id_element, kol) VALUES (?, ?, ?)",
                  {water, ids.of(w.element), w.mgPerLitre});
}

} // namespace

void CreateEmptyDatabase(const QString& path) {
    NewDatabase db(path);
    db.finish();
}

void CreateStarterDatabase(const QString& path) {
    NewDatabase db(path);
    const ElementKeys ids = AddElements(db);
    AddFertilizers(db, ids);
    AddCrops(db, ids);
    AddOptions(db);
    AddTapWater(db, ids);
    db.finish();
}

} // namespace solvane
