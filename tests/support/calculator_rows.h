// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The small base the calculator's tests share, with windows or without: four
// elements and one oxide with its conversion record, one crop and the
// options row, to which a test adds its fertilizers, content and targets.

#include "store/database.h"
#include "support/test_base.h"

#include <algorithm>
#include <cmath>

namespace solvane::test {

// Element ids of the base.
constexpr int kN = 1, kP = 2, kK = 3, kK2O = 4, kCa = 5;

constexpr const char* kCalculatorRows =
    "INSERT INTO T_element (id_element, Smallname_element, fullname_element, kof, id_kof) VALUES"
    " (1, 'N', 'Азот', 0, NULL), (2, 'P', 'Фосфор', 0, NULL), (3, 'K', 'Калий', 0, NULL),"
    " (4, 'K2O', 'Оксид калия', 1, 1), (5, 'Ca', 'Кальций', 0, NULL);"
    "INSERT INTO t_kof (id_kof, name_kof, kof, id_element) VALUES (1, 'K2O → K', 0.4, 3);"
    "INSERT INTO T_kult (id_kult, name_kult, ph) VALUES (1, 'Тест', '6.0');"
    "INSERT INTO t_opt (c11, c21, c22, c23, c24, c31, c32, c33, c34, c35, c36, c37, c38, c39,"
    " avto, ppm1, ppm2, kult, maxim) VALUES (1,1,1,1,1,1,1,1,1,1,1,1,1,1, 0, 1, 1, 1, 250);";

// Fertilizers: 1 with 15 % N; 2 with 50 % K2O; 3 with 10 % N and 20 % P.
constexpr const char* kFertilizers = "INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES"
                                     " (1, 'Азотное', 800), (2, 'Калийное', 1200), (3, 'Смесь', 500);"
                                     "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES"
                                     " (1, 1, 15), (4, 2, 50), (1, 3, 10), (2, 3, 20);";

// Fertilizers of the recipe's cases:
//  10 15.5 % N            11 13 % N, 38 % K      12 46 % N
//  13 20 % Ca             14 10 % K, then 50 % K2O (both count toward K)
constexpr const char* kRecipeFertilizers = "INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES"
                                           " (10, 'Кальциевая', 600), (11, 'Калиевая', 650), (12, 'Мочевина', 900),"
                                           " (13, 'Кальций', 300), (14, 'Двойная', 700);"
                                           "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES"
                                           " (1, 10, 15.5), (1, 11, 13), (3, 11, 38), (1, 12, 46), (5, 13, 20),"
                                           " (3, 14, 10), (4, 14, 50);";

// Amounts are written as (hundredths of the solution) / 10, which need not
// be the double nearest the decimal text.
inline bool SameAmounts(const std::vector<double>& stored, const std::vector<double>& expected) {
    return std::equal(stored.begin(), stored.end(), expected.begin(), expected.end(),
                      [](double a, double b) { return std::fabs(a - b) < 1e-9; });
}

// The stored result of the crop 1's target row for an element.
inline double Result(SqlFile& sql, int element) {
    const auto v = sql.numbers(QStringLiteral("SELECT rachet FROM t_konc WHERE id_kult = 1 AND id_el = ?"), {element});
    return v.size() == 1 ? v.front() : std::nan("");
}

// A composition line typed in directly (no recipe runs).
inline void AddLine(Database& data, int fertilizer, const QVariant& amount) {
    DataSet& lines = data.composition;
    lines.append();
    lines.fieldByName(QStringLiteral("id_udobra"))->setAsInteger(fertilizer);
    lines.fieldByName(QStringLiteral("kol"))->setValue(amount);
    lines.post();
}

} // namespace solvane::test
