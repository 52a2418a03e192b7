// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

class QLineEdit;
class QSlider;
class QVBoxLayout;

namespace solvane {

class DataSource;
class DBGrid;
class DBNavigator;
class HandlerGuard;

// The calculator's "Культура:" pane: the crops' grid with its navigators,
// under "Концентрация: 100%", the strength's slider and percentage box,
// which are built hidden.
class CropPane : public QGroupBox {
    Q_OBJECT
public:
    CropPane(HandlerGuard& guard, DataSource& crops, QWidget* parent);

    QGroupBox* strengthGroup() const { return strengthGroup_; }
    QSlider* strengthSlider() const { return strengthSlider_; }
    // The panel around the percentage box, which takes the strength's colour.
    QWidget* strengthEditPanel() const;
    QLineEdit* strengthBox() const { return strengthBox_; }
    DBGrid* grid() const { return grid_; }
    // The column of the three navigators, shown with the grid.
    QWidget* navigators() const;
    // The navigator whose button deletes the current crop.
    DBNavigator* deleteNavigator() const { return deleteNavigator_; }
    // The navigator whose button stores the crop being typed.
    DBNavigator* postNavigator() const { return postNavigator_; }

private:
    void buildStrength(QVBoxLayout* layout);
    void buildCrops(HandlerGuard& guard, DataSource& crops, QVBoxLayout* layout);

    // "Концентрация: 100%"
    QGroupBox* strengthGroup_ = nullptr;
    QSlider* strengthSlider_ = nullptr;
    QLineEdit* strengthBox_ = nullptr;
    // The crops' row.
    DBGrid* grid_ = nullptr;
    DBNavigator* deleteNavigator_ = nullptr;
    DBNavigator* postNavigator_ = nullptr;
};

} // namespace solvane
