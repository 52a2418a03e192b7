// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The names of the tables and columns of base.mdb that the program uses, and
// of the lookup and calculated fields its data sets add, grouped by table:
// every layer above the store names a column through these, never by a text
// of its own.

#include <QLatin1String>
#include <array>

namespace solvane::col {

// t_udobra: the fertilizers.
namespace fertilizers {
inline constexpr QLatin1String table{"t_udobra"};
inline constexpr QLatin1String key{"id_udobra"};
inline constexpr QLatin1String name{"name_udobra"};
inline constexpr QLatin1String ppm{"ppm"};         // mg/l of salts that 1 g/l gives
inline constexpr QLatin1String density{"density"}; // g/ml of a liquid, empty for a solid
inline constexpr QLatin1String price{"price"};     // per kg (per l of a liquid), empty for none
inline constexpr QLatin1String acid{"acid"};       // 1 for an acid that may neutralise the water's HCO3
} // namespace fertilizers

// T_sostav_udobra: a fertilizer's content, one row per element or oxide.
namespace content {
inline constexpr QLatin1String table{"T_sostav_udobra"};
inline constexpr QLatin1String key{"id_sostav_udobra"};
inline constexpr QLatin1String element{"id_element"};
inline constexpr QLatin1String fertilizer{"id_udobra"};
inline constexpr QLatin1String percent{"kol_element"};
// The fertilizer directory's view: the element's short name, and the row in
// element terms (the coefficient and the element of the element's
// conversion record; the percentage converted and the element it counts
// toward).
inline constexpr QLatin1String elementName{"name_element"};
inline constexpr QLatin1String coefficient{"val"};
inline constexpr QLatin1String yields{"okel"};
inline constexpr QLatin1String inElementTerms{"free"};
inline constexpr QLatin1String countsToward{"freeid"};
} // namespace content

// T_element: the elements and oxides.
namespace elements {
inline constexpr QLatin1String table{"T_element"};
inline constexpr QLatin1String key{"id_element"};
inline constexpr QLatin1String shortName{"Smallname_element"};
inline constexpr QLatin1String fullName{"fullname_element"};
inline constexpr QLatin1String oxide{"kof"};
inline constexpr QLatin1String conversion{"id_kof"};
inline constexpr QLatin1String total{"id_total"}; // the element this one is a form of (N for N-NO3)
inline constexpr QLatin1String ion{"ion"};        // the ion it is in solution ("NO3-", "K+", ...)
// The short name of the element it is a form of.
inline constexpr QLatin1String totalName{"name_total"};
// The element's conversion record: its name, factor and the element it yields.
inline constexpr QLatin1String conversionName{"name_k"};
inline constexpr QLatin1String coefficient{"val"};
inline constexpr QLatin1String yields{"oksielement"};
} // namespace elements

// t_kof: the conversion records of oxides.
namespace coefficients {
inline constexpr QLatin1String table{"t_kof"};
inline constexpr QLatin1String key{"id_kof"};
inline constexpr QLatin1String name{"name_kof"};
inline constexpr QLatin1String factor{"kof"};
inline constexpr QLatin1String element{"id_element"}; // the element the oxide yields
} // namespace coefficients

// T_kult: the crops.
namespace crops {
inline constexpr QLatin1String table{"T_kult"};
inline constexpr QLatin1String key{"id_kult"};
inline constexpr QLatin1String name{"name_kult"};
inline constexpr QLatin1String ph{"ph"};
inline constexpr QLatin1String ec{"ec"}; // mS/cm the crop's solution should have, empty for none
} // namespace crops

// t_konc: the crops' target rows.
namespace targets {
inline constexpr QLatin1String table{"t_konc"};
inline constexpr QLatin1String key{"id_konc"};
inline constexpr QLatin1String vega{"vega"}; // mg/l, the vegetative target
inline constexpr QLatin1String cvet{"cvet"}; // mg/l, the flowering target
inline constexpr QLatin1String crop{"id_kult"};
inline constexpr QLatin1String element{"id_el"};
inline constexpr QLatin1String result{"rachet"}; // mg/l the solution gives
inline constexpr QLatin1String weight{"weight"};
inline constexpr QLatin1String tolerance{"tolerance"}; // %, how far the cheapest fit may stray
// The element's short name, the targets and the result at the strength, and
// what the counted water brings.
inline constexpr QLatin1String elementName{"name_el"};
inline constexpr QLatin1String vegaAtStrength{"vaga_calc"};
inline constexpr QLatin1String cvetAtStrength{"cvet_calc"};
inline constexpr QLatin1String resultAtStrength{"r_pr"};
inline constexpr QLatin1String water{"voda"};
} // namespace targets

// t_rachet: the lines of the working composition.
namespace lines {
inline constexpr QLatin1String table{"t_rachet"};
inline constexpr QLatin1String key{"id_rachet"};
inline constexpr QLatin1String fertilizer{"id_udobra"};
inline constexpr QLatin1String amount{"kol"}; // g/l
inline constexpr QLatin1String minimum{"kol_min"};
inline constexpr QLatin1String maximum{"kol_max"};
// The fertilizer's name and ppm, and the amount at the strength.
inline constexpr QLatin1String name{"name"};
inline constexpr QLatin1String ppm{"ppm"};
inline constexpr QLatin1String amountAtStrength{"kol_pr"};
// The fertilizer's density, and the amount in ml per litre (a liquid's).
inline constexpr QLatin1String density{"density"};
inline constexpr QLatin1String millilitres{"ml"};
} // namespace lines

// t_head_rar: the saved solutions.
namespace solutions {
inline constexpr QLatin1String table{"t_head_rar"};
inline constexpr QLatin1String key{"id_head_rar"};
inline constexpr QLatin1String name{"name_rar"};
inline constexpr QLatin1String crop{"id_konc"}; // a crop's key, despite its name
inline constexpr QLatin1String litres{"kol_l"};
inline constexpr QLatin1String strength{"konc"};
} // namespace solutions

// t_save_rar: the lines of the saved solutions.
namespace savedLines {
inline constexpr QLatin1String table{"t_save_rar"};
inline constexpr QLatin1String key{"id_save_rar"};
inline constexpr QLatin1String fertilizer{"id_udobra"};
inline constexpr QLatin1String amount{"kol"}; // g/l
inline constexpr QLatin1String solution{"id_head_rar"};
// The amount for the chosen litres, and the fertilizer's name.
inline constexpr QLatin1String amountForLitres{"kol_temp"};
inline constexpr QLatin1String name{"name"};
// The fertilizer's density, and a liquid's ml for the chosen litres.
inline constexpr QLatin1String density{"density"};
inline constexpr QLatin1String millilitresForLitres{"ml_temp"};
} // namespace savedLines

// t_opt: the options record (its first row).
namespace options {
inline constexpr QLatin1String table{"t_opt"};
inline constexpr QLatin1String savedAmountShown{"c21"};
inline constexpr QLatin1String litresAmountShown{"c22"};
inline constexpr QLatin1String elementShown{"c31"};
inline constexpr QLatin1String targetShown{"c32"};
inline constexpr QLatin1String resultShown{"c34"};
inline constexpr QLatin1String autoStart{"avto"};
inline constexpr QLatin1String mglTotals{"ppm1"};
inline constexpr QLatin1String ppmTotals{"ppm2"};
inline constexpr QLatin1String cropsShown{"kult"};
inline constexpr QLatin1String maximumStrength{"maxim"};
// The colours cl1 .. cl14, by their number (colours[0] is no column).
inline constexpr std::array<QLatin1String, 15> colours{
    QLatin1String(""),     QLatin1String("cl1"),  QLatin1String("cl2"),  QLatin1String("cl3"),  QLatin1String("cl4"),
    QLatin1String("cl5"),  QLatin1String("cl6"),  QLatin1String("cl7"),  QLatin1String("cl8"),  QLatin1String("cl9"),
    QLatin1String("cl10"), QLatin1String("cl11"), QLatin1String("cl12"), QLatin1String("cl13"), QLatin1String("cl14")};
inline constexpr QLatin1String fitMode{"fit_mode"};
inline constexpr QLatin1String water{"id_water"};
inline constexpr QLatin1String lastCrop{"id_kult_last"};
inline constexpr QLatin1String acid{"id_acid"}; // the acid for the water's HCO3, null for none
} // namespace options

// t_water: the source water profiles.
namespace water {
inline constexpr QLatin1String table{"t_water"};
inline constexpr QLatin1String key{"id_water"};
inline constexpr QLatin1String name{"name_water"};
inline constexpr QLatin1String bicarbonateLeft{"hco3_left"}; // mg/l of HCO3 the acid leaves
} // namespace water

// t_water_el: the mg/l of each element a profile brings.
namespace waterElements {
inline constexpr QLatin1String table{"t_water_el"};
inline constexpr QLatin1String key{"id_water_el"};
inline constexpr QLatin1String profile{"id_water"};
inline constexpr QLatin1String element{"id_element"};
inline constexpr QLatin1String amount{"kol"};
inline constexpr QLatin1String elementName{"name_el"};
} // namespace waterElements

} // namespace solvane::col
