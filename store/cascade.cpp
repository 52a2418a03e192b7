// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/cascade.h"

#include "core/error.h"
#include "store/connection.h"
#include "store/dataset.h"

namespace solvane {

namespace {

int Count(Connection& connection, const QString& sql, long long key) {
    const std::unique_ptr<Statement> statement = connection.read(sql);
    statement->bind(1, key);
    return statement->step() ? statement->column(0).toInt() : 0;
}

} // namespace

FertilizerUse FertilizerUsage(Connection& connection, long long fertilizer) {
    FertilizerUse use;
    use.workingSolution =
        Count(connection, QStringLiteral("SELECT count(*) FROM t_rachet WHERE id_udobra = ?"), fertilizer) > 0;
    const std::unique_ptr<Statement> statement = connection.read(
        QStringLiteral("SELECT h.id_head_rar, h.name_rar, k.name_kult FROM t_head_rar h "
                       "JOIN T_kult k ON k.id_kult = h.id_konc "
                       "WHERE h.id_head_rar IN (SELECT id_head_rar FROM t_save_rar WHERE id_udobra = ?) "
                       "ORDER BY h.id_head_rar"));
    statement->bind(1, fertilizer);
    while (statement->step())
        use.solutions.push_back({statement->column(1).toString(), statement->column(2).toString()});
    return use;
}

ElementUse ElementUsage(Connection& connection, long long element) {
    ElementUse use;
    use.fertilizers = Count(connection,
                            QStringLiteral("SELECT count(DISTINCT c.id_udobra) FROM T_sostav_udobra c "
                                           "JOIN t_udobra u ON u.id_udobra = c.id_udobra WHERE c.id_element = ?"),
                            element);
    use.targets = Count(connection,
                        QStringLiteral("SELECT count(*) FROM t_konc t JOIN T_kult k ON k.id_kult = t.id_kult "
                                       "WHERE t.id_el = ?"),
                        element);
    use.waterProfiles = Count(connection,
                              QStringLiteral("SELECT count(DISTINCT w.id_water) FROM t_water_el w "
                                             "JOIN t_water p ON p.id_water = w.id_water WHERE w.id_element = ?"),
                              element);
    use.coefficients = Count(connection, QStringLiteral("SELECT count(*) FROM t_kof WHERE id_element = ?"), element);
    use.forms = Count(connection, QStringLiteral("SELECT count(*) FROM T_element WHERE id_total = ?"), element);
    return use;
}

CropContents CropUsage(Connection& connection, long long crop) {
    CropContents contents;
    contents.targets = Count(connection, QStringLiteral("SELECT count(*) FROM t_konc WHERE id_kult = ?"), crop);
    contents.solutions = Count(connection, QStringLiteral("SELECT count(*) FROM t_head_rar WHERE id_konc = ?"), crop);
    return contents;
}

void DeleteFertilizerContent(Connection& connection, long long fertilizer) {
    connection.write(QStringLiteral("DELETE FROM T_sostav_udobra WHERE id_udobra = ?"), {fertilizer});
}

void DeleteCropTargetsAndSolutions(Connection& connection, long long crop) {
    connection.write(QStringLiteral("DELETE FROM t_save_rar WHERE id_head_rar IN "
                                    "(SELECT id_head_rar FROM t_head_rar WHERE id_konc = ?)"),
                     {crop});
    connection.write(QStringLiteral("DELETE FROM t_head_rar WHERE id_konc = ?"), {crop});
    connection.write(QStringLiteral("DELETE FROM t_konc WHERE id_kult = ?"), {crop});
}

void DeleteSolutionLines(Connection& connection, long long solution) {
    connection.write(QStringLiteral("DELETE FROM t_save_rar WHERE id_head_rar = ?"), {solution});
}

void AllOrNothing(Connection& connection, const std::vector<DataSet*>& sets, const std::function<void()>& body) {
    const QString savepoint = QStringLiteral("SAVEPOINT solvane_whole");
    connection.write(savepoint, {});
    try {
        body();
    } catch (...) {
        // A lost action is undone as a whole by its owner, sets and all.
        if (!connection.actionLost()) {
            try {
                connection.write(QStringLiteral("ROLLBACK TO solvane_whole"), {});
                connection.write(QStringLiteral("RELEASE solvane_whole"), {});
                ReloadDataSets(sets, {});
            } catch (const Error&) {
                // The first failure is the one to report.
            }
        }
        throw;
    }
    connection.write(QStringLiteral("RELEASE solvane_whole"), {});
}

} // namespace solvane
