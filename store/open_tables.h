#pragma once

#include <functional>

namespace solvane {

class Connection;
class DataSet;

// Every data set of the program that is opened and closed all at once, and
// the connection they share.
struct ProgramDataSets {
    Connection* connection = nullptr;
    DataSet* options = nullptr;          // t_opt, owned by the options window
    DataSet* composition = nullptr;      // T_rachet
    DataSet* components = nullptr;       // T_SOS
    DataSet* savedHeads = nullptr;       // T_HEAD_RAR
    DataSet* savedLines = nullptr;       // T_save_rar
    DataSet* plainElements = nullptr;    // T_el
    DataSet* elements = nullptr;         // T_Element
    DataSet* coefficients = nullptr;     // T_KOF
    DataSet* fertilizers = nullptr;      // T_Udobra
    DataSet* content = nullptr;          // T_Sostav_Udobra
    DataSet* calcCoefficients = nullptr; // the calculator's t_kof set
    DataSet* crops = nullptr;            // T_kult
    DataSet* targets = nullptr;          // t_konc
    DataSet* waterProfiles = nullptr;    // t_water
    DataSet* waterElements = nullptr;    // t_water_el of the current profile
    std::function<void()> loadSizes;
};

// Opens every data set in a fixed order (an open set stays as it is), then
// the connection, the crops and their targets, the source water's profiles,
// and last loads the window sizes.
void OpenTables(const ProgramDataSets& sets);
// Closes every data set and the connection; unposted changes are lost.
void CloseTables(const ProgramDataSets& sets);

} // namespace solvane
