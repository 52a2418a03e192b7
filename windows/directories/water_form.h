#pragma once

#include "controls/form.h"
#include "store/data_source.h"
#include "store/dataset.h"

#include <QVariant>
#include <vector>

class QGroupBox;
class QPushButton;

namespace solvane {

class DBGrid;
class DBGridColumn;
class DBNavigator;
class Program;

// "Исходная вода": the profiles of the source water (tap, well, rain) and,
// for the current one, the mg/l of each element it already brings. The
// calculator counts the selected profile in its fit and its concentrations.
// The window is not remembered in size.ini.
class WaterProfilesWindow : public Form {
    Q_OBJECT
public:
    explicit WaterProfilesWindow(Program& program);
    ~WaterProfilesWindow() override;

    DataSet profiles; // t_water
    DataSource profilesSource;
    DataSet profileElements; // t_water_el of the current profile
    DataSource profileElementsSource;

    // The mg/l each element of a profile brings (rows of one element add up),
    // over every row the set holds, whatever profile is current.
    std::vector<std::pair<long long, double>> elementsOf(const QVariant& profile) const;
    // Every profile's key and name, in the table's order.
    std::vector<std::pair<QVariant, QString>> profileNames() const;

    // Deletes the current profile after asking, with its elements; a profile
    // the calculator counts is no longer selected.
    void deleteProfile();

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void buildLayout();

    Program& program_;
    QGroupBox* profilesGroup_ = nullptr;
    QGroupBox* elementsGroup_ = nullptr;
    DBGrid* profilesGrid_ = nullptr;
    DBGrid* elementsGrid_ = nullptr;
    DBNavigator* profilesNavigator_ = nullptr;
    DBNavigator* elementsNavigator_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    // What the selected profile held when the window was shown.
    std::vector<std::pair<long long, double>> selectedBefore_;
    QVariant selectedProfile_;
};

} // namespace solvane
