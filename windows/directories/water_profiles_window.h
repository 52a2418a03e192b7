// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

#include <QVariant>
#include <memory>
#include <vector>

class QGroupBox;
class QLabel;
class QPushButton;

namespace solvane {

class DBGrid;
class DBGridColumn;
class Database;
class DBNavigator;

// "Исходная вода": the profiles of the source water (tap, well, rain) with
// the bicarbonate an acid is to leave in each and, for the current one, the
// mg/l of each element it already brings and the EC the water has on its
// own. The calculator counts the profile the options select in its fit and
// its concentrations; the window opens on that profile. Its place is kept in
// windows.ini, not in size.ini.
class WaterProfilesWindow : public Form {
    Q_OBJECT
public:
    WaterProfilesWindow(Database& data, HandlerGuard& guard);
    ~WaterProfilesWindow() override;

    // Deletes the current profile after asking, with its elements; a profile
    // the options select is no longer selected.
    void deleteProfile();

    // The current profile's EC at the pH of a water on its own, from the ions
    // of its stored rows: "EC воды ≈ 0,45 мСм/см при pH 7,5"; empty without
    // a profile.
    QString waterEcText();

signals:
    // The window closes: the calculator is to read the profiles again.
    void waterProfilesClosed();

protected:
    void FormShow() override;
    void FormClose() override;

private:
    class Link;
    void buildLayout();
    void showWaterEc();

    Database& data_;
    QGroupBox* profilesGroup_ = nullptr;
    QGroupBox* elementsGroup_ = nullptr;
    DBGrid* profilesGrid_ = nullptr;
    DBGrid* elementsGrid_ = nullptr;
    DBNavigator* profilesNavigator_ = nullptr;
    DBNavigator* elementsNavigator_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QLabel* waterEc_ = nullptr;
    std::unique_ptr<Link> profilesLink_;
    std::unique_ptr<Link> elementsLink_;
};

} // namespace solvane
