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
};

struct Content {
    const char* element;
    double percent;
};

struct Fertilizer {
    const char* name;
    int ppm;
    std::vector<Content> content;
};

// Targets in the order N P K Ca Mg S Fe Mn Zn B Cu Mo; an element without a
// target has no row.
using Targets = std::vector<std::optional<double>>;

struct Crop {
    const char* name;
    const char* ph;
    Targets vega;
    Targets cvet;
};

} // namespace

void CreateEmptyDatabase(const QString& path) {
    NewDatabase db(path);
    db.finish();
}

void CreateStarterDatabase(const QString& path) {
    NewDatabase db(path);

    // The key elements 1 to 6 come first, then the micro-elements, then the oxides.
    const Element plain[] = {{"N", "Азот"},    {"P", "Фосфор"}, {"K", "Калий"},   {"Ca", "Кальций"},
                             {"Mg", "Магний"}, {"S", "Сера"},   {"Fe", "Железо"}, {"Mn", "Марганец"},
                             {"Zn", "Цинк"},   {"Cu", "Медь"},  {"B", "Бор"},     {"Mo", "Молибден"}};
    std::vector<std::pair<QString, long long>> ids;
    for (const Element& e : plain)
        ids.emplace_back(QString::fromUtf8(e.symbol),
                         db.insert("INSERT INTO T_element (Smallname_element, fullname_element, kof) VALUES (?, ?, 0)",
                                   {QString::fromUtf8(e.symbol), QString::fromUtf8(e.name)}));
    auto idOf = [&](const QString& symbol) {
        for (const auto& p : ids)
            if (p.first == symbol)
                return p.second;
        throw Error(QStringLiteral("Нет элемента %1").arg(symbol));
    };
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
                                        {QString::fromUtf8(o.kofName), o.kof, idOf(QString::fromUtf8(o.yields))});
        ids.emplace_back(
            QString::fromUtf8(o.symbol),
            db.insert("INSERT INTO T_element (Smallname_element, fullname_element, kof, id_kof) VALUES (?, ?, 1, ?)",
                      {QString::fromUtf8(o.symbol), QString::fromUtf8(o.name), kof}));
    }

    const Fertilizer fertilizers[] = {
        {"Кальциевая селитра", 600, {{"N", 15.5}, {"CaO", 26.5}}},
        {"Калиевая селитра", 650, {{"N", 13.7}, {"K2O", 46.3}}},
        {"Монофосфат калия", 350, {{"P2O5", 52}, {"K2O", 34}}},
        {"Сульфат магния", 400, {{"MgO", 16}, {"SO3", 32}}},
        {"Сульфат калия", 750, {{"K2O", 52}, {"S", 18}}},
        {"Аммиачная селитра", 850, {{"N", 34.4}}},
        {"Нитрат магния", 450, {{"N", 10.9}, {"Mg", 9.5}}},
        {"Моноаммонийфосфат", 430, {{"N", 12}, {"P2O5", 61}}},
        {"Хелат железа (Fe-EDTA)", 150, {{"Fe", 13}}},
        {"Сульфат марганца", 500, {{"Mn", 32.5}, {"S", 19}}},
        {"Сульфат цинка", 300, {{"Zn", 22.7}, {"S", 11.1}}},
        {"Сульфат меди", 300, {{"Cu", 25.4}, {"S", 12.8}}},
        {"Борная кислота", 0, {{"B", 17.5}}},
        {"Молибдат натрия", 350, {{"Mo", 39.6}}},
        {"Сульфат аммония", 1020, {{"N", 21.2}, {"S", 24.2}}},
        {"Мочевина", 0, {{"N", 46.2}}},
        {"Хлорид калия", 880, {{"K2O", 60}}},
        {"Хлорид кальция (2-водный)", 810, {{"CaO", 38.1}}},
        {"Нитрат кальция (4-водный)", 490, {{"N", 11.8}, {"CaO", 23.7}}},
        {"Диаммонийфосфат", 870, {{"N", 21.2}, {"P2O5", 53.7}}},
        {"Дикалийфосфат", 660, {{"P2O5", 40.7}, {"K2O", 54.1}}},
        {"Сульфат железа (7-водный)", 420, {{"Fe", 20.1}, {"S", 11.5}}},
        {"Хелат железа (Fe-DTPA)", 150, {{"Fe", 11}}},
        {"Хелат железа (Fe-EDDHA)", 150, {{"Fe", 6}}},
        {"Хелат марганца (Mn-EDTA)", 150, {{"Mn", 13}}},
        {"Хелат цинка (Zn-EDTA)", 150, {{"Zn", 15}}},
        {"Хелат меди (Cu-EDTA)", 150, {{"Cu", 15}}},
        {"Бура", 120, {{"B", 11.3}}},
        {"Молибдат аммония", 160, {{"N", 6.8}, {"Mo", 54.3}}},
        {"Калимагнезия (лангбейнит)", 890, {{"K2O", 22.7}, {"MgO", 19.4}, {"S", 23.2}}},
        {"Кизерит", 850, {{"MgO", 29.1}, {"S", 23.2}}},
        {"Гипс", 710, {{"CaO", 32.6}, {"S", 18.6}}},
        {"Азотная кислота 60 %", 1760, {{"N", 13.3}}},
        {"Ортофосфорная кислота 85 %", 860, {{"P2O5", 61.6}}},
    };
    for (const Fertilizer& f : fertilizers) {
        const long long id =
            db.insert("INSERT INTO t_udobra (name_udobra, ppm) VALUES (?, ?)", {QString::fromUtf8(f.name), f.ppm});
        for (const Content& c : f.content)
            db.insert("INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES (?, ?, ?)",
                      {idOf(QString::fromUtf8(c.element)), id, c.percent});
    }

    const char* targetOrder[] = {"N", "P", "K", "Ca", "Mg", "S", "Fe", "Mn", "Zn", "B", "Cu", "Mo"};
    const Targets tomatoVega{70, 50, 120, 150, 40, 50, 2.8, 0.8, 0.3, 0.7, 0.2, 0.05};
    const Targets tomatoCvet{150, 50, 200, 150, 50, 60, 2.8, 0.8, 0.3, 0.7, 0.2, 0.05};
    const Targets lettuce{180, 50, 210, 190, 45, 65, 4, 0.5, 0.1, 0.5, 0.1, 0.05};
    const Targets hoagland{210, 31, 235, 200, 48, 64, 2.9, 0.5, 0.05, 0.5, 0.02, 0.011};
    // Cooper's solution sets no sulfur target.
    const Targets cooper{200, 60, 300, 170, 50, std::nullopt, 12, 2, 0.1, 0.3, 0.1, 0.2};
    const Targets steiner{168, 31, 273, 180, 48, 112, 1.33, 0.62, 0.11, 0.44, 0.02, 0.048};
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
                           id, idOf(QString::fromUtf8(targetOrder[i]))});
    }

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

    // An example of tap water, not selected.
    const long long water =
        db.insert("INSERT INTO t_water (name_water) VALUES (?)", {QStringLiteral("Водопровод (пример)")});
    const struct {
        const char* element;
        double mgPerLitre;
    } tapWater[] = {{"Ca", 40}, {"Mg", 10}, {"S", 15}, {"Fe", 0.1}};
    for (const auto& w : tapWater)
        db.insert("INSERT INTO t_water_el (id_water, id_element, kol) VALUES (?, ?, ?)",
                  {water, idOf(QString::fromUtf8(w.element)), w.mgPerLitre});
    db.finish();
}

} // namespace solvane
