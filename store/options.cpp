// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/options.h"

#include "store/columns.h"
#include "store/dataset.h"
#include "store/row_writes.h"
#include "store/table_rows.h"

#include <cmath>

namespace solvane {

namespace {

constexpr int kClassicFit = 0;
constexpr int kGrowerFit = 1;
constexpr int kCheapestFit = 2;

bool Boolean(const QVariant& v) {
    if (v.isNull())
        return false;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    return v.toDouble() != 0.0;
}

long long Integer(const QVariant& v) {
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::Double)
        return std::llround(v.toDouble());
    return v.toLongLong();
}

} // namespace

Options ReadOptions(const TableRows& rows) {
    Options r;
    // Only the first row counts; an empty table reads as a record of empty fields.
    if (rows.rows().empty())
        return r;
    const TableRows::Row& row = rows.rows().front();
    const auto value = [&](QLatin1String column) { return TableRows::value(row, rows.column(column)); };
    namespace o = col::options;
    r.present = true;
    r.rowKey = row.key;
    r.c21 = Boolean(value(o::savedAmountShown));
    r.c22 = Boolean(value(o::litresAmountShown));
    r.c31 = Boolean(value(o::elementShown));
    r.c32 = Boolean(value(o::targetShown));
    r.c34 = Boolean(value(o::resultShown));
    r.avto = Boolean(value(o::autoStart));
    r.ppm1 = Boolean(value(o::mglTotals));
    r.ppm2 = Boolean(value(o::ppmTotals));
    r.kult = Boolean(value(o::cropsShown));
    r.maxim = static_cast<int>(Integer(value(o::maximumStrength)));
    for (size_t n = 1; n < r.cl.size(); ++n)
        r.cl[n] = Integer(value(o::colours[n]));
    r.fitMode = static_cast<int>(Integer(value(o::fitMode)));
    r.water = value(o::water);
    r.lastCrop = value(o::lastCrop);
    r.acid = value(o::acid);
    return r;
}

Options OptionsStore::read() const {
    options_.requireActive();
    return ReadOptions(options_.rows());
}

Options OptionsStore::current() const {
    return options_.isActive() ? ReadOptions(options_.rows()) : Options();
}

int OptionsStore::fitMode() const {
    const Options options = current();
    if (!options.present)
        return sessionFitMode_;
    return options.fitMode == kGrowerFit || options.fitMode == kCheapestFit ? options.fitMode : kClassicFit;
}

QVariant OptionsStore::water() const {
    const Options options = current();
    return options.present ? options.water : sessionWater_;
}

QVariant OptionsStore::lastCrop() const {
    const Options options = current();
    return options.present ? options.lastCrop : sessionCrop_;
}

QVariant OptionsStore::acid() const {
    const Options options = current();
    return options.present ? options.acid : sessionAcid_;
}

void OptionsStore::setFitMode(int mode) {
    if (current().present)
        store(col::options::fitMode, mode);
    else
        sessionFitMode_ = mode;
}

void OptionsStore::setWater(const QVariant& profile) {
    if (current().present)
        store(col::options::water, profile);
    else
        sessionWater_ = profile;
}

void OptionsStore::setLastCrop(const QVariant& crop) {
    if (current().present)
        store(col::options::lastCrop, crop);
    else
        sessionCrop_ = crop;
}

void OptionsStore::setAcid(const QVariant& fertilizer) {
    if (current().present)
        store(col::options::acid, fertilizer);
    else
        sessionAcid_ = fertilizer;
}

void OptionsStore::store(const QString& column, const QVariant& value) {
    UpdateRows(connection_, col::options::table, {{current().rowKey, {{column, value}}}});
}

} // namespace solvane
