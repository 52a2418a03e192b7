// The automatic recipe: the amounts of the composition's fertilizers that
// bring the current crop's target elements closest to their vegetative
// targets, in the least-squares sense, followed by the concentration
// calculation.
//
// The matrix has one row per target row and one column per composition line;
// an entry is the content, in element terms, of the row's element in the
// line's fertilizer, taken from the last content row that counts toward that
// element (contents are not added up); the last column holds the targets.
// Since 1 g/l of a p % content gives 10 p mg/l, the solution is ten times the
// amount in grams per litre.

#include "calculator/calculator_form.h"

#include "app/program.h"
#include "calculator/rounding.h"
#include "directories/fertilizer_form.h"
#include "solver/least_squares.h"
#include "store/row_place.h"

namespace solvane {

void TForm4::Button10Click() {
    DataSet& fertilizers = program_.Form2->T_Udobra;
    DataSet& content = program_.Form2->T_Sostav_Udobra;

    // The grids stay on the rows the user was on: the walks below move the
    // cursors, and the rows are found again by key at the end.
    T_rachet.checkBrowseMode();
    ADOTable2.checkBrowseMode();
    const RowPlace lineAt = RowPlace::of(T_rachet, kLineKey);
    const RowPlace targetAt = RowPlace::of(ADOTable2, kTargetKey);

    // Rows with no target are never fitted: they go first (each removal runs
    // this recipe again, which finds none left), so the amounts do not depend
    // on how many such rows came and went.
    RemoveZeroTargets();

    T_rachet.first();
    if (!T_rachet.isEmpty()) {
        // What the first filter below would settle anyway.
        fertilizers.checkBrowseMode();
        content.checkBrowseMode();
    }
    // Pending edits are settled now; the grids of the sets walked below need
    // not follow every move and show the outcome once, at the end.
    const DisabledSource lines(DS_rachet);
    const DisabledSource targetGrid(DataSource2);
    const DisabledSource list(program_.Form2->DS_UDobRA);
    const DisabledSource contentGrid(program_.Form2->DS_SOSTAV);
    const int n = T_rachet.recordCount();
    const int m = ADOTable2.recordCount();

    RecipeMatrix.assign(static_cast<size_t>(m) + 1, Vector(static_cast<size_t>(n) + 2, 0.0));
    RecipeSolution.assign(static_cast<size_t>(n) + 1, 0.0);

    Field* const lineFertilizer = T_rachet.fieldByName(QStringLiteral("id_udobra"));
    Field* const amount = T_rachet.fieldByName(QStringLiteral("kol"));
    Field* const targetElement = ADOTable2.fieldByName(QStringLiteral("id_el"));
    Field* const target = ADOTable2.fieldByName(QStringLiteral("vega"));
    Field* const share = content.fieldByName(QStringLiteral("free"));
    Field* const shareElement = content.fieldByName(QStringLiteral("freeid"));

    // The targets do not change while the matrix is built: read them once.
    std::vector<long long> elements;
    std::vector<double> targets;
    elements.reserve(static_cast<size_t>(m));
    targets.reserve(static_cast<size_t>(m));
    for (ADOTable2.first(); !ADOTable2.eof(); ADOTable2.next()) {
        elements.push_back(targetElement->asLargeInt());
        targets.push_back(target->asFloat());
    }

    struct Share {
        long long element;
        double percent;
    };
    std::vector<Share> shares;
    int column = 0;
    for (; !T_rachet.eof(); T_rachet.next()) {
        ++column;
        // A line without a fertilizer reads as key 0: no fertilizer, no content.
        fertilizers.setFilter(QStringLiteral("id_udobra=") + QString::number(lineFertilizer->asLargeInt()));
        fertilizers.setFiltered(true);
        shares.clear();
        for (content.first(); !content.eof(); content.next())
            shares.push_back({shareElement->asLargeInt(), share->asFloat()});
        for (int j = 1; j <= m; ++j) {
            Vector& row = RecipeMatrix[static_cast<size_t>(j)];
            double entry = 0.0;
            for (const Share& s : shares)
                if (s.element == elements[static_cast<size_t>(j) - 1])
                    entry = s.percent; // the last matching row wins
            row[static_cast<size_t>(column)] = entry;
            row[static_cast<size_t>(n) + 1] = targets[static_cast<size_t>(j) - 1];
        }
    }
    // The filter text stays on the last line's key.
    fertilizers.setFiltered(false);

    SingularValueLeftOut = !SolveLeastSquares(RecipeMatrix, m, n, RecipeSolution);

    int i = 0;
    for (T_rachet.first(); !T_rachet.eof(); T_rachet.next()) {
        ++i;
        T_rachet.edit();
        amount->setAsFloat(RoundToDecimals(RecipeSolution[static_cast<size_t>(i)], 2) / 10.0);
        T_rachet.post();
    }

    Button4Click();
    lineAt.returnTo(T_rachet, kLineKey);
    targetAt.returnTo(ADOTable2, kTargetKey);
}

} // namespace solvane
