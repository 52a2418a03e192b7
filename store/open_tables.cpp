#include "store/open_tables.h"

#include "store/connection.h"
#include "store/dataset.h"

namespace solvane {

void OpenTables(const ProgramDataSets& s) {
    for (DataSet* set : {s.options, s.composition, s.components, s.savedHeads, s.savedLines, s.plainElements,
                         s.elements, s.coefficients, s.fertilizers, s.content, s.calcCoefficients})
        set->open();
    s.connection->open();
    s.crops->open();
    s.targets->open();
    for (DataSet* set : {s.waterProfiles, s.waterElements})
        if (set)
            set->open();
    if (s.loadSizes)
        s.loadSizes();
}

void CloseTables(const ProgramDataSets& s) {
    for (DataSet* set : {s.options, s.composition, s.plainElements, s.components, s.savedHeads, s.savedLines,
                         s.fertilizers, s.elements, s.coefficients, s.content, s.calcCoefficients})
        set->close();
    s.connection->close();
    s.crops->close();
    s.targets->close();
    for (DataSet* set : {s.waterElements, s.waterProfiles})
        if (set)
            set->close();
}

} // namespace solvane
